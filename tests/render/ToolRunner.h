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

// Programme material for the loudness targets, built on testSignal's noise: speech-like
// bursts, dense music-like noise, a sine sweep, near-silence with clicks.
enum class Programme { Speech, Dense, Sweep, Clicks };
Sound programme(Programme kind, double seconds = 6.0, int rate = 44100);

// Integrated loudness (LUFS) and true peak (dBTP) of a sound, as libebur128 measures them.
double loudnessOf(const Sound& sound);
double truePeakOf(const Sound& sound);

} // namespace rendertest
