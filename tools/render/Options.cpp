#include "Options.h"

#include "RenderError.h"

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

} // namespace

Options parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
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
        else if (name == "--plot")
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
             name == "--edit" || name == "--demo" || name == "--quiet"))
            throw RenderError(name + " takes no value");
    }
    const size_t maxFiles = options.demo ? 1 : 2;
    if (files.size() > maxFiles)
        throw RenderError("too many file names: '" + files[maxFiles] + "' (see --help)");
    if (options.demo) {
        if (!files.empty())
            options.output = files[0];
    } else {
        if (!files.empty())
            options.input = files[0];
        if (files.size() > 1)
            options.output = files[1];
    }
    if (options.output.empty())
        throw RenderError("empty output file name");
    return options;
}

std::string usageText()
{
    return R"(usage: orvanne-render [OPTIONS] [INPUT] [OUTPUT]
       orvanne-render [OPTIONS] --demo [OUTPUT]
       orvanne-render [--plugin PATH] --list

Renders INPUT through a VST 2.4 plug-in (by default the built Orvanne) at the file's own
sample rate and writes OUTPUT as a 32-bit float WAV (default out.wav). INPUT is any file
libsndfile reads; a mono file feeds both plug-in inputs, and of a file with more than two
channels the first two are used. Without INPUT (or with --demo) it renders a built-in
10 s demo at 44.1 kHz that peaks about 5 dB above full scale.

Options:
  --plugin PATH      the plug-in binary to load
  --set NAME=VALUE   set a parameter before rendering (repeatable); NAME is the name
                     the plug-in reports (exact, else ignoring case)
  --block N          frames per processReplacing call, 1 to 65536 (default 512)
  --compensate       trim the plug-in's latency so the output lines up with the input
                     (the same length: the tail is rendered from extra silence)
  --plot FILE.png    draw input, output and gain reduction over time
  --load-state FILE  apply a saved state (a chunk file or a ".prg" preset) before
                     rendering; --set settings apply after it
  --save-state FILE  write the plug-in's state (its chunk) after rendering
  --edit             open the plug-in's editor in a window first; the render starts
                     when the window is closed, with the settings it had then
  --list             list the plug-in's parameters with their current values and exit
  --demo             render the built-in demo; a single file name is then OUTPUT
  -q, --quiet        no progress bar
  --version          print the version and exit
  -h, --help         this text

VALUE forms:
  0.25  or  0.25n    normalised 0..1: a plain number inside 0..1, or any number ending in n
  6dB, "-0.3 dB"     in the parameter's own units: a number with a unit, or a plain
  3, -6              number outside 0..1; the host finds the setting whose display
                     text shows that value (error when out of the parameter's range)
  @1                 "@" searches a plain number inside 0..1 in the parameter's units
                     (Recovery=@1 is step 1; Recovery=1 would be normalised 1.0)
  On, Off            a word: the setting whose display text reads so

The summary shows sample peak (dBFS), true peak (dBTP) and integrated loudness (LUFS) of
input and output, the largest gain reduction (input peak minus output peak per 10 ms,
latency aligned), the latency and the speed (audio time over time spent in the plug-in).
On failure it prints one line naming the problem, exits with status 1 and leaves no
output file behind.
)";
}

} // namespace render
