#include "ParameterValue.h"

#include "RenderError.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

namespace render {

namespace {

constexpr int scanSteps = 4096; // the coarse scan: 0..1 in 1/4096 steps
constexpr int refineSteps = 24; // bisection steps at each edge of the chosen setting

std::string formatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Half a unit of the last digit the display shows: "0.00" -> 0.005, "3" -> 0.5.
double displayResolution(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    int decimals = 0;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !afterPoint)
            afterPoint = true;
        else if (std::isdigit(static_cast<unsigned char>(c)))
            decimals += afterPoint ? 1 : 0;
        else
            break;
    }
    return 0.5 * std::pow(10.0, -decimals);
}

// The settings the search compares: what a candidate normalised value displays.
struct Sample {
    float x;
    std::string text;
    bool numeric;
    double value;
};

Sample probeAt(ParameterProbe& probe, float x)
{
    probe.set(x);
    Sample s{x, trimText(probe.display()), false, 0.0};
    std::string tail;
    s.numeric = parseDisplayNumber(s.text, s.value, tail);
    return s;
}

// Finds the normalised interval that shows the same setting as scan point `first..last`
// (a run of equal samples) and answers its middle. `same` tells whether a sample shows
// the chosen setting.
template <typename Same>
float middleOfSetting(ParameterProbe& probe, const std::vector<Sample>& scan, size_t first, size_t last, Same same)
{
    // A setting that reaches an end of the range is taken at that end ("20 dB" of -20..20
    // is 1.0, not the middle of what displays "20.00").
    if (first == 0)
        return scan[first].x;
    if (last + 1 == scan.size())
        return scan[last].x;
    float low = scan[first].x;
    {
        float outside = scan[first - 1].x, inside = low;
        for (int i = 0; i < refineSteps; ++i) {
            const float mid = 0.5f * (outside + inside);
            if (mid == outside || mid == inside)
                break;
            (same(probeAt(probe, mid)) ? inside : outside) = mid;
        }
        low = inside;
    }
    float high = scan[last].x;
    {
        float inside = high, outside = scan[last + 1].x;
        for (int i = 0; i < refineSteps; ++i) {
            const float mid = 0.5f * (outside + inside);
            if (mid == outside || mid == inside)
                break;
            (same(probeAt(probe, mid)) ? inside : outside) = mid;
        }
        high = inside;
    }
    const float middle = 0.5f * (low + high);
    // A display that is not monotonic inside the interval: keep a scanned point that is known
    // to show the setting.
    if (!same(probeAt(probe, middle)))
        return scan[(first + last) / 2].x;
    return middle;
}

template <typename Same>
void runAround(const std::vector<Sample>& scan, size_t index, Same same, size_t& first, size_t& last)
{
    first = index;
    last = index;
    while (first > 0 && same(scan[first - 1]))
        --first;
    while (last + 1 < scan.size() && same(scan[last + 1]))
        ++last;
}

} // namespace

std::string trimText(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

std::string foldText(const std::string& text)
{
    std::string folded;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool parseDisplayNumber(const std::string& text, double& value, std::string& tail)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
        ++j;
    if (j >= text.size())
        return false;
    // Digits, a point, or an infinity ("-inf" is a common display of silence).
    const bool digit = std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.';
    const bool infinity = text.compare(j, 3, "inf") == 0 || text.compare(j, 3, "INF") == 0 ||
        text.compare(j, 3, "Inf") == 0;
    if (!digit && !infinity)
        return false;
    const char* start = text.c_str() + i;
    char* end = nullptr;
    const double parsed = std::strtod(start, &end);
    if (end == start || std::isnan(parsed))
        return false;
    value = parsed;
    tail = trimText(std::string(end));
    return true;
}

ValueRequest parseValue(const std::string& text)
{
    std::string rest = trimText(text);
    const bool forceUnits = !rest.empty() && rest[0] == '@';
    if (forceUnits)
        rest = trimText(rest.substr(1));
    if (rest.empty())
        throw RenderError("empty value");

    ValueRequest request;
    double number = 0.0;
    std::string unit;
    // Infinities ("-inf") are matched as display text, like words.
    if (!parseDisplayNumber(rest, number, unit) || std::isinf(number)) {
        request.kind = ValueRequest::Word;
        request.word = rest;
        return request;
    }
    if (!forceUnits && unit == "n") {
        if (!(number >= 0.0 && number <= 1.0))
            throw RenderError("normalised value " + formatNumber(number) + " is outside 0..1");
        request.kind = ValueRequest::Normalised;
        request.number = number;
        return request;
    }
    if (!forceUnits && unit.empty() && number >= 0.0 && number <= 1.0) {
        request.kind = ValueRequest::Normalised;
        request.number = number;
        request.plain = true;
        return request;
    }
    request.kind = ValueRequest::Number;
    request.number = number;
    request.unit = unit;
    return request;
}

namespace {

// True when every setting shows a whole number and there are only a few of them.
bool showsWholeSteps(const std::vector<Sample>& scan)
{
    std::set<double> steps;
    for (const Sample& s : scan) {
        if (!s.numeric || s.value != std::floor(s.value))
            return false;
        steps.insert(s.value);
    }
    return steps.size() >= 2 && steps.size() <= 64;
}

} // namespace

float resolveValue(ParameterProbe& probe, const ValueRequest& givenRequest, const std::string& name)
{
    ValueRequest request = givenRequest;
    const bool wholeNumber = request.number == 0.0 || request.number == 1.0;
    if (request.kind == ValueRequest::Normalised && !(request.plain && wholeNumber))
        return static_cast<float>(request.number);

    std::vector<Sample> scan;
    scan.reserve(scanSteps + 1);
    for (int i = 0; i <= scanSteps; ++i)
        scan.push_back(probeAt(probe, static_cast<float>(i) / scanSteps));
    if (request.kind == ValueRequest::Normalised) {
        if (!showsWholeSteps(scan))
            return static_cast<float>(request.number);
        request.kind = ValueRequest::Number; // "Recovery=1" is step 1
    }

    if (request.kind == ValueRequest::Word) {
        const std::string wanted = foldText(request.word);
        const std::string label = foldText(probe.label());
        auto same = [&](const Sample& s) {
            const std::string shown = foldText(s.text);
            return shown == wanted || (!label.empty() && shown + label == wanted);
        };
        for (size_t i = 0; i < scan.size(); ++i) {
            if (same(scan[i])) {
                size_t first, last;
                runAround(scan, i, same, first, last);
                return middleOfSetting(probe, scan, first, last, same);
            }
        }
        // A step by the name the plug-in gives it elsewhere: "Medium" is the third step.
        const std::vector<std::string> names = probe.stepNames();
        for (size_t i = 0; i < names.size(); ++i) {
            if (foldText(names[i]) == wanted) {
                ValueRequest step;
                step.kind = ValueRequest::Number;
                step.number = static_cast<double>(i + 1);
                return resolveValue(probe, step, name);
            }
        }
        // Name a few of the settings it does show.
        std::set<std::string> shown;
        std::string list;
        for (const Sample& s : scan) {
            if (shown.insert(s.text).second && shown.size() <= 6)
                list += (list.empty() ? "" : ", ") + s.text;
        }
        if (!names.empty()) {
            list.clear();
            for (const std::string& n : names)
                list += (list.empty() ? "" : ", ") + n;
        }
        throw RenderError("'" + name + "' has no setting '" + request.word + "' (it shows " + list +
                          (shown.size() > 6 && names.empty() ? ", ..." : "") + ")");
    }

    // A number in the parameter's units: check the unit first.
    std::string unit = trimText(probe.label());
    if (unit.empty()) {
        for (const Sample& s : scan) {
            double value;
            std::string tail;
            if (parseDisplayNumber(s.text, value, tail) && !tail.empty()) {
                unit = tail;
                break;
            }
        }
    }
    if (!request.unit.empty() && foldText(request.unit) != foldText(unit)) {
        if (unit.empty())
            throw RenderError("'" + name + "' has no unit; write the value without '" + request.unit + "'");
        throw RenderError("'" + name + "' is in " + unit + ", not " + request.unit);
    }

    const double target = request.number;
    size_t best = scan.size();
    double low = INFINITY, high = -INFINITY;
    for (size_t i = 0; i < scan.size(); ++i) {
        if (!scan[i].numeric)
            continue;
        low = std::fmin(low, scan[i].value);
        high = std::fmax(high, scan[i].value);
        if (best == scan.size() || std::fabs(scan[i].value - target) < std::fabs(scan[best].value - target))
            best = i;
    }
    if (best == scan.size())
        throw RenderError("'" + name + "' does not display numbers; give a normalised value 0..1 or one of its words");
    const double tolerance = displayResolution(scan[best].text) * (1.0 + 1e-9);
    if (target < low - tolerance || target > high + tolerance) {
        const std::string shownUnit = unit.empty() ? "" : " " + unit;
        throw RenderError("value " + formatNumber(target) + shownUnit + " is out of range for '" + name + "' (" +
                          formatNumber(low) + " to " + formatNumber(high) + shownUnit + ")");
    }
    const double chosen = scan[best].value;
    auto same = [&](const Sample& s) { return s.numeric && s.value == chosen; };
    size_t first, last;
    runAround(scan, best, same, first, last);
    return middleOfSetting(probe, scan, first, last, same);
}

} // namespace render
