// The effect never names its editor: whoever creates the effect hands it an editor factory.
// The plug-in module passes the one that makes the real editor; audio-only programs pass none.
#pragma once

#include "VstInterface.h"

class AEffEditor;
class CTarvelleVST;

// Creates the editor for effect; it attaches itself (setting effFlagsHasEditor) and lives as
// long as the effect.
using EditorFactory = AEffEditor* (*)(CTarvelleVST* effect);

// Answers a new, fully set-up effect whose editor (if makeEditor is not null) comes from
// makeEditor, or null when it cannot be created. Never throws.
CTarvelleVST* createTarvelleVST(audioMasterCallback audioMaster, EditorFactory makeEditor);
