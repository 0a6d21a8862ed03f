// The plug-in module's effect factory: the effect with its editor. Linked into the plug-in and
// the editor's own tests and tools; audio-only programs take orvanne_effect_audio_only instead.
#include "CVSTEditor.h"
#include "PluginFactory.h"

AEffEditor* createEditor(CTarvelleVST* effect)
{
    return new CVSTEditor(effect);
}

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return createTarvelleVST(audioMaster, &createEditor);
}
