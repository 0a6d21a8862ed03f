// The program name and the recall of preset records: the current record's name, the
// factory setting, and the indexed name query of the preset menu.
#include "TarvelleVST.h"

#include "AEffEditor.h"
#include "TextCopy.h"

#include <cstring>

void CTarvelleVST::setProgramName(char* name)
{
    copyText(programName, name, sizeof(programName));
}

void CTarvelleVST::getProgramName(char* name)
{
    // Hosts give the buffer of the interface's program-name size; longer names are cut there.
    copyText(name, programName, kVstMaxProgNameLen);
}

void CTarvelleVST::setCurrentPresetName(const char* name)
{
    if (presetTable == nullptr)
        return;
    copyText(presetTable[currentPresetIndex].presetName, name, kPresetNameSize);
    setProgramName(const_cast<char*>(name));
}

void CTarvelleVST::getCurrentPresetName(char* text)
{
    // The record's name first, then the program name over it: the result is the program name
    // in full, so the current record's own name field can be brought in line with it.
    if (presetTable == nullptr || text == nullptr)
        return;
    copyText(text, presetTable[currentPresetIndex].presetName, kPresetNameSize);
    copyText(text, programName, kPresetNameSize);
}

bool CTarvelleVST::getPresetNameIndexed(VstInt32 category, VstInt32 index, char* text)
{
    (void)category;
    if (presetTable == nullptr || text == nullptr || index < 0 || index >= presetCount)
        return false;
    copyText(text, presetTable[index].presetName, kPresetNameSize);
    return true;
}

void CTarvelleVST::setCurrentPresetIndex(VstInt32 index)
{
    if (presetTable == nullptr || index < 0 || index >= presetCount || index >= kPresetTableSize)
        return;
    currentPresetIndex = index;
}

void CTarvelleVST::setPresetCount(VstInt32 count)
{
    presetCount = count < 2 ? 2 : (count > kPresetTableSize ? kPresetTableSize : count);
}

void CTarvelleVST::setPresetFolderName(VstInt32 index, const char* name)
{
    if (presetFolderNames == nullptr || name == nullptr || index < 0 || index >= kPresetFolderCount)
        return;
    copyText(presetFolderNames[index], name, kPresetNameSize);
}

void CTarvelleVST::recallPreset(VstInt32 index)
{
    if (presetTable == nullptr || index < 0 || index >= kPresetTableSize)
        return;
    recallValues(index, presetTable[index].presetValues, presetTable[index].presetName);
}

void CTarvelleVST::recallFactorySetting(VstInt32 index)
{
    if (presetTable == nullptr || index < 0 || index >= kPresetTableSize)
        return;
    recallValues(index, factorySetting.presetValues, factorySetting.presetName);
}

void CTarvelleVST::recallValues(VstInt32 index, const float* values, const char* name)
{
    // Work on copies: the host may call back into the effect while it is told of the
    // automation (a chunk request rewrites the current record, for one).
    float recalled[kPresetValueCount];
    char recalledName[kPresetNameSize];
    std::memcpy(recalled, values, sizeof(recalled));
    copyText(recalledName, name, sizeof(recalledName));

    currentPresetIndex = index;
    presetTable[index].presetTag = kUniqueId;
    for (VstInt32 i = 0; i < kPresetValueCount; ++i) {
        setParameter(i, recalled[i]);
        setParameterAutomated(i, recalled[i]);
    }
    setCurrentPresetName(recalledName);
    updateDisplay();
    if (editor != nullptr && editorLink != nullptr && editor->isOpen())
        editorLink->updatePresetNameDisplay();
}
