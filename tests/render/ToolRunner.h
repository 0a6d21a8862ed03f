// Running orvanne-render from the tests, and the sound files they hand it.
#pragma once

#include "CommandRun.h"
#include "SoundFile.h"
#include "TempTree.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rendertest {

using test_support::ToolRun;

// Runs the built orvanne-render with the given arguments.
ToolRun runTool(const std::vector<std::string>& arguments);

using test_support::readSound;
using test_support::Sound;
using test_support::writeSound;

double peakDb(const Sound& sound);

// A test signal: a sine per channel at `peak` linear with a little noise, deterministic.
Sound testSignal(int channels, int64_t frames, double peak, int rate = 44100);

} // namespace rendertest
