// VST 2.4 plug-ins in peer-bench, hosted through the project's own host library.
#pragma once

#include "PeerPlugin.h"

namespace peers {

// Loads the plug-in binary at `path` with its default settings and starts it for stereo
// blocks of up to maxBlock frames. Null (and `error` set) when it does not load.
PeerPointer loadVst(const std::string& path, double rate, int maxBlock, std::string& error);

} // namespace peers
