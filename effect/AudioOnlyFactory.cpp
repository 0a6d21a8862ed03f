// The effect factory of audio-only programs (benchmarks, fuzz targets, audio tests): the
// effect without an editor, so nothing of the GUI is linked.
#include "PluginFactory.h"
#include "TarvelleVST.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return createTarvelleVST(audioMaster, nullptr);
}
