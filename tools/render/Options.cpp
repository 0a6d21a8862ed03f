#include "Options.h"

#include "RenderError.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace render {

namespace {

int parseBlockSize(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < 1 || value > maxBlockSize)
        throw RenderError("--block needs a whole number of frames from 1 to " + std::to_string(maxBlockSize) +
                          ", not '" + text + "'");
    return static_cast<int>(value);
}

std::pair<std::string, std::string> parseSetting(const std::string& text)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        throw RenderError("--set needs NAME=VALUE, not '" + text + "'");
    return {text.substr(0, equals), text.substr(equals + 1)};
}

double parseDecibels(const std::string& name, const std::string& text, double low, double high)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    std::string rest = end ? end : "";
    while (!rest.empty() && rest[0] == ' ')
        rest.erase(0, 1);
    const bool unitOk = rest.empty() || rest == "LUFS" || rest == "lufs" || rest == "dB" || rest == "dBTP" ||
        rest == "dbtp" || rest == "db";
    if (text.empty() || end == text.c_str() || !unitOk || errno != 0 || !(value >= low && value <= high))
        throw RenderError(name + " needs a level from " + std::to_string(static_cast<int>(low)) + " to " +
                          std::to_string(static_cast<int>(high)) + ", not '" + text + "'");
    return value;
}

int parseJobs(const std::string& text)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 256)
        throw RenderError("--jobs needs a whole number from 1 to 256, not '" + text + "'");
    return static_cast<int>(value);
}

bool endsWith(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
            return false;
    }
    return true;
}

} // namespace

Options parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> files;
    bool optionsEnded = false, formatGiven = false, ditherOff = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') { // "-" is standard input or output
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value
        std::string name = argument, value;
        bool inlineValue = false;
        const size_t equals = argument.find('=');
        if (argument.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        auto takeValue = [&]() -> std::string {
            if (inlineValue)
                return value;
            if (i + 1 >= arguments.size())
                throw RenderError(name + " needs a value");
            return arguments[++i];
        };
        if (name == "--help" || name == "-h")
            options.help = true;
        else if (name == "--version")
            options.version = true;
        else if (name == "--plugin") {
            options.plugin = takeValue();
            if (options.plugin.empty())
                throw RenderError("--plugin needs a path");
        } else if (name == "--set")
            options.settings.push_back(parseSetting(takeValue()));
        else if (name == "--block")
            options.blockSize = parseBlockSize(takeValue());
        else if (name == "--compensate")
            options.compensate = true;
        else if (name == "--no-compensate")
            options.compensate = false;
        else if (name == "--force" || name == "-y")
            options.force = true;
        else if (name == "--verbose" || name == "-v")
            options.verbose = true;
        else if (name == "--format") {
            const bool keepDither = options.format.dither;
            options.format = parseFormat(takeValue());
            options.format.dither = keepDither;
            formatGiven = true;
        } else if (name == "--no-dither")
            ditherOff = true;
        else if (name == "--target-lufs")
            options.targetLufs = parseDecibels("--target-lufs", takeValue(), -70, 0);
        else if (name == "--max-true-peak")
            options.maxTruePeak = parseDecibels("--max-true-peak", takeValue(), -60, 3);
        else if (name == "--album")
            options.album = true;
        else if (name == "--jobs" || name == "-j")
            options.jobs = parseJobs(takeValue());
        else if (name == "--out-dir") {
            options.outDir = takeValue();
            if (options.outDir.empty())
                throw RenderError("--out-dir needs a folder");
        } else if (name == "--report") {
            options.report = takeValue();
            if (options.report.empty())
                throw RenderError("--report needs a file name (or - for standard output)");
        } else if (name == "--plot")
            options.plot = takeValue();
        else if (name == "--load-state") {
            options.loadState = takeValue();
            if (options.loadState.empty())
                throw RenderError("--load-state needs a file name");
        } else if (name == "--save-state") {
            options.saveState = takeValue();
            if (options.saveState.empty())
                throw RenderError("--save-state needs a file name");
        } else if (name == "--list")
            options.list = true;
        else if (name == "--edit")
            options.edit = true;
        else if (name == "--demo")
            options.demo = true;
        else if (name == "--quiet" || name == "-q")
            options.quiet = true;
        else
            throw RenderError("unknown option '" + argument + "' (see --help)");
        if (inlineValue &&
            (name == "--help" || name == "--version" || name == "--compensate" || name == "--list" ||
             name == "--edit" || name == "--demo" || name == "--quiet" || name == "--no-compensate" ||
             name == "--force" || name == "--verbose" || name == "--no-dither" || name == "--album"))
            throw RenderError(name + " takes no value");
    }
    if (options.demo) {
        if (files.size() > 1)
            throw RenderError("too many file names: '" + files[1] + "' (see --help)");
        if (!files.empty())
            options.output = files[0];
        if (!options.outDir.empty())
            throw RenderError("--out-dir is for several inputs, not --demo");
    } else if (!options.outDir.empty()) {
        options.inputs = files; // every name is an input
        if (files.empty())
            throw RenderError("--out-dir needs input files");
    } else {
        if (files.size() > 2)
            throw RenderError("too many file names: '" + files[2] + "' (several inputs need --out-dir)");
        if (!files.empty())
            options.inputs.push_back(files[0]);
        if (files.size() > 1)
            options.output = files[1];
    }
    if (options.output.empty())
        throw RenderError("empty output file name");
    if (!formatGiven && options.outDir.empty() && endsWith(options.output, ".flac")) {
        options.format.container = OutputFormat::Flac;
        options.format.bits = 24;
    }
    if (ditherOff)
        options.format.dither = false;
    if (formatGiven && options.outDir.empty() && options.output != "-" &&
        endsWith(options.output, options.format.container == OutputFormat::Flac ? ".wav" : ".flac"))
        throw RenderError("output '" + options.output + "' does not fit --format " + options.format.name());
    if (options.album && std::isnan(options.targetLufs))
        throw RenderError("--album needs --target-lufs");
    int standardInputs = 0;
    for (const std::string& input : options.inputs)
        standardInputs += input == "-";
    if (standardInputs > 1)
        throw RenderError("standard input ('-') can be read only once");
    if (options.report == "-" && options.output == "-" && options.outDir.empty())
        throw RenderError("--report - and the output - cannot both go to standard output");
    return options;
}

std::string usageText()
{
    return R"(usage: orvanne-render [OPTIONS] [INPUT] [OUTPUT]
       orvanne-render [OPTIONS] --out-dir DIR INPUT...
       orvanne-render [OPTIONS] --demo [OUTPUT]
       orvanne-render [--plugin PATH] [--load-state FILE] [--set NAME=VALUE]... --list

Renders INPUT through a VST 2.4 plug-in (by default the built Orvanne) at the file's own
sample rate and writes OUTPUT (default out.wav), lined up with the input. INPUT is any file
libsndfile reads, or - for standard input; OUTPUT - is standard output (WAV or FLAC as a
stream). A mono file feeds both plug-in inputs; of more channels the first two are used.
Without INPUT (or with --demo) it renders a built-in 10 s demo at 44.1 kHz.

Options:
  --plugin PATH        the plug-in binary to load
  --set NAME=VALUE     set a parameter before rendering (repeatable)
  --target-lufs L      find the "Input Thres" that brings the output to L LUFS (+-0.1 LU)
  --max-true-peak T    lower "Out Ceiling" until the file's true peak is at most T dBTP
  --album              with --out-dir and --target-lufs: one setting for all inputs, their
                       loudness together on target
  --out-dir DIR        render every INPUT into DIR (names kept, extension from the format)
  --jobs N, -j N       files rendered in parallel (default: the number of cores)
  --format F           wav-16, wav-24, wav-float (default; ".flac" outputs: flac-24), flac-16,
                       flac-24; WAV past 4 GiB is written as RF64
  --no-dither          plain rounding for 16 and 24 bits (default: TPDF dither)
  --report FILE.json   per-file measurements and settings as JSON (- for standard output)
  --force, -y          replace an existing output (never an input, never a device)
  --no-compensate      keep the plug-in's latency in the output (raw timing)
  --compensate         line the output up with the input (the default)
  --block N            frames per processReplacing call, 1 to 65536 (default 512)
  --plot FILE.png      draw input, output and gain reduction over time
  --load-state FILE    apply a saved state (a chunk file or a ".prg" preset) first
  --save-state FILE    write the plug-in's state (its chunk) after rendering
  --edit               open the plug-in's editor first; the render starts when it closes
  --list               list the parameters (after --load-state and --set) and exit
  --demo               render the built-in demo; a single file name is then OUTPUT
  -v, --verbose        print every trial render of a target search
  -q, --quiet          no progress bar
  --version            print the version and exit
  -h, --help           this text

VALUE forms:
  0.25  or  0.25n      normalised 0..1: a plain number inside 0..1, or any number ending in n
  6dB, "-0.3 dB"       in the parameter's own units: a number with a unit, or a plain
  3, -6                number outside 0..1 (a 0 or 1 of a stepped parameter is its step)
  @1                   "@" searches a plain number inside 0..1 in the parameter's units
  On, Off, Medium      a word: the setting whose display text (or step name) reads so

On failure it prints one line naming the problem, exits with status 1 and leaves no
output file behind; in a batch, each failed file gets its line and the others go on.
)";
}

} // namespace render
