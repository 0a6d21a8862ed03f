// Stand-ins for the chunk and preset-file operations, linked into the test programs only while
// the effect library does not carry them yet. They behave as "nothing there".
#include "TarvelleVST.h"

VstInt32 CTarvelleVST::getChunk(void** data, bool isPreset)
{
    (void)isPreset;
    if (data != nullptr)
        *data = nullptr;
    return 0;
}

VstInt32 CTarvelleVST::setChunk(void* data, VstInt32 byteSize, bool isPreset)
{
    (void)data, (void)byteSize, (void)isPreset;
    return 0;
}

void CTarvelleVST::nextPreset() {}
void CTarvelleVST::previousPreset() {}
bool CTarvelleVST::savePresetFile(const char* path, char* reason, size_t reasonSize)
{
    (void)path;
    (void)reason;
    (void)reasonSize;
    return false;
}

bool CTarvelleVST::loadPresetFile(VstInt32 index, const char* path)
{
    (void)index, (void)path;
    return false;
}

VstInt32 CTarvelleVST::addPresetsToMenu(const char* folder, VstInt32 firstIndex, VstInt32 menuIndex)
{
    (void)folder, (void)menuIndex;
    return firstIndex;
}

VstInt32 CTarvelleVST::countPresetFiles(const char* folder)
{
    (void)folder;
    return 0;
}

VstInt32 CTarvelleVST::listPresetFolders(const char* root)
{
    (void)root;
    return 0;
}
