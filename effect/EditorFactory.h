// The plug-in's editor is made by the editor layer; the effect holds it only as an AEffEditor.
#pragma once

class AEffEditor;
class CTarvelleVST;

// Creates the editor for effect; it attaches itself (setting effFlagsHasEditor) and lives as
// long as the effect.
AEffEditor* createEditor(CTarvelleVST* effect);
