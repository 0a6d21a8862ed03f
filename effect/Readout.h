// The editor's parameter read-out: the text shown for the most recently touched parameter.
#pragma once

// Size of the text buffer the read-out display hands to formatReadout.
constexpr int kReadoutTextSize = 256;

// Formats value (normalised 0..1) for the parameter whose index userData points to (a 32-bit
// integer): the level parameters as decibels, the recovery step by name, anything else as the
// empty string. A recovery value outside the five steps leaves text untouched.
void formatReadout(float value, char* text, void* userData);
