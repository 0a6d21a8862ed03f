// Plug-in state on disk for the command-line host: a file holding exactly the bytes of a
// chunk (which, for this plug-in, is also what a ".prg" preset file holds).
#pragma once

#include "VstInterface.h"

#include <string>

namespace state {

// Larger files are refused without reading them whole.
constexpr long kMaxStateFileBytes = 1 << 20;

// Reads path and hands its bytes to the plug-in through effSetChunk (as a preset, index 1,
// when the name ends in ".prg"; as the whole state otherwise). False, with error set to one
// line, when the file cannot be read, is empty or too big, the plug-in does not take chunks,
// or the plug-in answers 0.
bool loadState(AEffect* effect, const std::string& path, std::string& error);

// Asks the plug-in for its chunk (effGetChunk) and writes it to path. False, with error set,
// when the plug-in gives no chunk or the file cannot be written completely.
bool saveState(AEffect* effect, const std::string& path, std::string& error);

} // namespace state
