// The one function the entry point needs from the effect: create an instance for a host.
#pragma once

#include "VstInterface.h"

class AudioEffect;

// Answers the new effect, or null when it cannot be created. Never throws.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);
