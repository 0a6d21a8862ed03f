// orvanne-render: renders a sound file (or the built-in demo) through a VST 2.4 plug-in and
// prints what a mastering engineer wants to know about the result.
#include "Analysis.h"
#include "AudioSource.h"
#include "EditorWindow.h"
#include "Options.h"
#include "OrvanneVersion.h"
#include "OutputFile.h"
#include "ParameterValue.h"
#include "Plot.h"
#include "PluginHost.h"
#include "RenderError.h"
#include "Renderer.h"
#include "StateFile.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifndef ORVANNE_DEFAULT_PLUGIN
#define ORVANNE_DEFAULT_PLUGIN ""
#endif

using namespace render;

namespace {

bool fileExists(const std::string& path)
{
    struct stat status;
    return !path.empty() && stat(path.c_str(), &status) == 0;
}

// The built Orvanne plug-in, else the one next to this program, else the one an installation
// put beside it: /usr/bin -> /usr/lib/vst (the package), ~/.local/bin -> ~/.vst (install.sh).
std::string defaultPlugin()
{
    const std::string built = ORVANNE_DEFAULT_PLUGIN;
    if (fileExists(built))
        return built;
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        std::string path(self, static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        if (slash != std::string::npos) {
            const std::string folder = path.substr(0, slash + 1);
            for (const char* relative : {"Orvanne.so", "../lib/vst/Orvanne.so", "../../.vst/Orvanne.so"}) {
                const std::string candidate = folder + relative;
                if (fileExists(candidate))
                    return candidate;
            }
        }
    }
    return built.empty() ? std::string("Orvanne.so") : built;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

std::string decibels(double value, const char* unit)
{
    if (std::isinf(value))
        return std::string(value < 0 ? "-inf " : "+inf ") + unit;
    return format("%+.2f ", value) + unit;
}

class PluginParameter : public ParameterProbe {
public:
    PluginParameter(vsthost::PluginHost& plugin, int index) : plugin(plugin), index(index) {}
    void set(float normalised) override { plugin.setParameter(index, normalised); }
    std::string display() override { return plugin.parameterDisplay(index); }
    std::string label() override { return plugin.parameterLabel(index); }

private:
    vsthost::PluginHost& plugin;
    int index;
};

int findParameter(vsthost::PluginHost& plugin, const std::string& name)
{
    const int count = plugin.numParams();
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(trimText(plugin.parameterName(i)));
    for (int i = 0; i < count; ++i) {
        if (plugin.parameterName(i) == name || names[i] == trimText(name))
            return i;
    }
    int found = -1;
    std::string matches;
    for (int i = 0; i < count; ++i) {
        if (foldText(names[i]) == foldText(name)) {
            matches += (found < 0 ? "'" : ", '") + names[i] + "'";
            if (found >= 0)
                throw RenderError("parameter name '" + name + "' is ambiguous: " + matches);
            found = i;
        }
    }
    if (found < 0)
        throw RenderError("unknown parameter '" + name + "' (--list shows the plug-in's parameters)");
    return found;
}

std::string shownValue(vsthost::PluginHost& plugin, int index)
{
    const std::string display = trimText(plugin.parameterDisplay(index));
    const std::string label = trimText(plugin.parameterLabel(index));
    return label.empty() ? display : display + " " + label;
}

void listParameters(vsthost::PluginHost& plugin, const std::string& path)
{
    AEffect* effect = plugin.effect();
    std::printf("%s by %s (%s)\n", plugin.effectName().c_str(), plugin.vendorString().c_str(), path.c_str());
    std::printf("%d inputs, %d outputs, latency %d samples, %d parameters:\n", effect->numInputs, effect->numOutputs,
                effect->initialDelay, plugin.numParams());
    for (int i = 0; i < plugin.numParams(); ++i) {
        std::printf("  %3d  %-24s %-16s (%.4f)\n", i, ("\"" + plugin.parameterName(i) + "\"").c_str(),
                    shownValue(plugin, i).c_str(), plugin.getParameter(i));
    }
}

void drawProgress(double fraction)
{
    constexpr int width = 30;
    const int filled = static_cast<int>(fraction * width + 0.5);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), '-');
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(), static_cast<int>(fraction * 100 + 0.5));
    if (fraction >= 1.0)
        std::fprintf(stderr, "\r%*s\r", width + 20, "");
    std::fflush(stderr);
}

int run(const Options& options)
{
    OutputFile::installSignalHandlers();

    // The input first: a wrong file name is the cheapest mistake to report.
    std::unique_ptr<AudioSource> source = options.input.empty() ? AudioSource::demo()
                                                                : AudioSource::openFile(options.input);

    const std::string pluginPath = options.plugin.empty() ? defaultPlugin() : options.plugin;
    std::string error;
    std::unique_ptr<vsthost::PluginHost> plugin = vsthost::PluginHost::load(pluginPath, error);
    if (!plugin) {
        // The reason may name the path again.
        if (error.compare(0, pluginPath.size() + 2, pluginPath + ": ") == 0)
            error.erase(0, pluginPath.size() + 2);
        throw RenderError("cannot load plug-in '" + pluginPath + "': " + error);
    }
    plugin->dispatch(effOpen);
    AEffect* effect = plugin->effect();
    if (effect->numOutputs < 1 || effect->numOutputs > 64 || effect->numInputs < 0 || effect->numInputs > 64)
        throw RenderError("plug-in '" + pluginPath + "' reports " + std::to_string(effect->numInputs) + " inputs and " +
                          std::to_string(effect->numOutputs) + " outputs");
    if (!effect->processReplacing || !(effect->flags & effFlagsCanReplacing))
        throw RenderError("plug-in '" + pluginPath + "' does not offer processReplacing");

    if (options.list) {
        listParameters(*plugin, pluginPath);
        return 0;
    }

    if (!options.loadState.empty() && !state::loadState(effect, options.loadState, error))
        throw RenderError(error);

    std::vector<std::string> settingTexts;
    for (const auto& setting : options.settings) {
        const int index = findParameter(*plugin, setting.first);
        const std::string name = trimText(plugin->parameterName(index));
        ValueRequest request;
        try {
            request = parseValue(setting.second);
        } catch (const RenderError& e) {
            throw RenderError(name + ": " + e.what());
        }
        PluginParameter probe(*plugin, index);
        const float value = resolveValue(probe, request, name);
        plugin->setParameter(index, value);
        settingTexts.push_back(name + " = " + shownValue(*plugin, index) +
                               format(" (%.4f)", plugin->getParameter(index)));
    }

    if (options.edit) {
        std::unique_ptr<vsthost::EditorWindow> window = vsthost::EditorWindow::open(
            *plugin, "orvanne-render: " + plugin->effectName(), error);
        if (!window)
            throw RenderError("--edit: " + error);
        std::fprintf(stderr, "editor    open: close its window to render\n");
        window->runUntilClosed();
    }

    if (source->channels() > 2)
        std::fprintf(stderr, "note: '%s' has %d channels; rendering the first two\n", source->describe().c_str(),
                     source->channels());

    OutputFile output(options.output);
    std::unique_ptr<OutputFile> plotFile;
    if (!options.plot.empty())
        plotFile.reset(new OutputFile(options.plot));

    RenderSettings settings;
    settings.blockSize = options.blockSize;
    settings.compensate = options.compensate;
    const double inputSeconds = static_cast<double>(source->frames()) / source->rate();
    if (!options.quiet && isatty(STDERR_FILENO) && inputSeconds > 5.0)
        settings.progress = drawProgress;

    LevelTrace trace(source->frames(), source->rate(), 2800);
    const RenderResult result = renderFile(*plugin, *source, output.takeDescriptor(), settings, trace);

    const std::string effectName = plugin->effectName();
    if (plotFile) {
        close(plotFile->takeDescriptor());
        PlotText text;
        text.title = (effectName.empty() ? pluginPath : effectName) + " - " + source->describe();
        text.detail = std::to_string(source->rate()) + " Hz, latency " + std::to_string(result.latency) + " samples";
        for (const std::string& s : settingTexts)
            text.detail += ", " + s;
        text.detail += format(", max gain reduction %.2f dB", result.maxGainReductionDb);
        writePlot(plotFile->temporaryPath(), trace, text);
    }
    if (!options.saveState.empty() && !state::saveState(effect, options.saveState, error))
        throw RenderError(error);
    output.commit();
    if (plotFile)
        plotFile->commit();

    // The summary.
    std::printf("plug-in   %s by %s (%s)\n", effectName.c_str(), plugin->vendorString().c_str(), pluginPath.c_str());
    std::printf("input     %s: %d Hz, %d channel%s, %.2f s\n", source->describe().c_str(), source->rate(),
                source->channels(), source->channels() == 1 ? "" : "s", inputSeconds);
    for (const std::string& s : settingTexts)
        std::printf("setting   %s\n", s.c_str());
    std::printf("output    %s: 32-bit float WAV, %d channel%s, %.2f s\n", options.output.c_str(), result.outputChannels,
                result.outputChannels == 1 ? "" : "s", static_cast<double>(result.framesWritten) / source->rate());
    if (!options.plot.empty())
        std::printf("plot      %s\n", options.plot.c_str());
    if (!options.loadState.empty())
        std::printf("state     loaded from %s\n", options.loadState.c_str());
    if (!options.saveState.empty())
        std::printf("state     saved to %s\n", options.saveState.c_str());
    std::printf("\n                    input         output\n");
    std::printf("sample peak   %14s %14s\n", decibels(result.inPeakDb, "dBFS").c_str(),
                decibels(result.outPeakDb, "dBFS").c_str());
    std::printf("true peak     %14s %14s\n", decibels(result.inTruePeakDb, "dBTP").c_str(),
                decibels(result.outTruePeakDb, "dBTP").c_str());
    std::printf("loudness      %14s %14s\n", decibels(result.inLufs, "LUFS").c_str(),
                decibels(result.outLufs, "LUFS").c_str());
    std::printf("\nmax gain reduction  %.2f dB\n", result.maxGainReductionDb);
    if (result.latencyAfter != result.latency)
        std::fprintf(stderr, "note: the plug-in changed its latency during the render, from %d to %d samples\n",
                     result.latency, result.latencyAfter);
    std::printf("latency             %d samples (%.2f ms)%s\n", result.latency,
                1000.0 * result.latency / source->rate(),
                options.compensate ? ", trimmed from the output" : ", output delayed by it");
    if (result.processSeconds > 0)
        std::printf("speed               %.0fx real time\n", result.audioSeconds / result.processSeconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        const Options options = parseOptions(arguments);
        if (options.help) {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        if (options.version) {
            std::printf("orvanne-render %s\n", ORVANNE_VERSION);
            return 0;
        }
        return run(options);
    } catch (const RenderError& e) {
        std::fprintf(stderr, "orvanne-render: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvanne-render: %s\n", e.what());
    }
    return 1;
}
