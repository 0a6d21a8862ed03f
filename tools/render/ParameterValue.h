// --set NAME=VALUE: reading VALUE and finding the normalised setting that makes the
// plug-in display it.
//
// VALUE forms:
//   0.25, 0.25n        normalised: a plain number inside 0..1, or any number ending in "n"
//   6dB, -0.3 dB, 3    in the parameter's own units: a number with a unit, or outside 0..1
//   @0.5, @1           "@" forces the search in the parameter's units for a plain number
//   On, Off            a word: matched against the display text
// Values in units are found by setting candidate normalised values and reading back the
// plug-in's display text, so any plug-in's own formatting decides.
#pragma once

#include <string>
#include <vector>

namespace render {

struct ValueRequest {
    enum Kind { Normalised, Number, Word };
    Kind kind = Normalised;
    double number = 0.0; // the normalised value, or the number in display units
    std::string unit;    // the unit written after the number ("" when none)
    std::string word;    // the text for Kind::Word
    bool plain = false;  // Normalised from a bare number ("1"), not "1n"
};

// Throws RenderError for an empty value or a normalised number outside 0..1.
ValueRequest parseValue(const std::string& text);

// One plug-in parameter as the search sees it.
class ParameterProbe {
public:
    virtual ~ParameterProbe() = default;
    virtual void set(float normalised) = 0;
    virtual std::string display() = 0;
    virtual std::string label() = 0;
    // Names of the settings of a stepped parameter, first step first, when the plug-in shows
    // them elsewhere than in its display text (its editor); empty otherwise.
    virtual std::vector<std::string> stepNames() { return {}; }
};

// Reads a number at the start of a display text ("-6.00", " 3.0 ms", "-inf"); false when
// the text does not start with one. `tail` receives the trimmed rest.
bool parseDisplayNumber(const std::string& text, double& value, std::string& tail);

// The normalised value to set for the request. A bare 0 or 1 for a parameter that shows whole
// steps (1 to 5) means that step, not the end of the normalised range. Throws RenderError naming the parameter
// when the value is out of the parameter's range, the unit does not match, or no display
// text matches a word. Leaves the parameter at an arbitrary probe value.
float resolveValue(ParameterProbe& probe, const ValueRequest& request, const std::string& name);

// Lower-case ASCII copy without blanks, for unit and word comparison.
std::string foldText(const std::string& text);
std::string trimText(const std::string& text);

} // namespace render
