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
#include "TargetSearch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <limits.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
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

// The step names Orvanne's editor shows for "Recovery" (its display text shows 1 to 5).
const char* const recoveryNames[] = {"Ultra-Fast", "Fast", "Medium", "Slow", "Ultra-Slow"};

class PluginParameter : public ParameterProbe {
public:
    PluginParameter(vsthost::PluginHost& plugin, int index) : plugin(plugin), index(index) {}
    void set(float normalised) override { plugin.setParameter(index, normalised); }
    std::string display() override { return plugin.parameterDisplay(index); }
    std::string label() override { return plugin.parameterLabel(index); }
    std::vector<std::string> stepNames() override
    {
        if (plugin.effectName() == "Orvanne" && trimText(plugin.parameterName(index)) == "Recovery")
            return std::vector<std::string>(std::begin(recoveryNames), std::end(recoveryNames));
        return {};
    }

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

std::string settingText(vsthost::PluginHost& plugin, int index)
{
    return trimText(plugin.parameterName(index)) + " = " + shownValue(plugin, index) +
        format(" (%.4f)", plugin.getParameter(index));
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

// Runs `call` with standard error caught: what the plug-in prints there (a rejected chunk)
// becomes part of the tool's own one line.
template <typename Call>
std::string withStderrCaught(Call call)
{
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    if (!capture || saved < 0) {
        if (capture)
            std::fclose(capture);
        if (saved >= 0)
            close(saved);
        call();
        return "";
    }
    dup2(fileno(capture), STDERR_FILENO);
    try {
        call();
    } catch (...) {
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::fclose(capture);
        throw;
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    std::rewind(capture);
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, capture)) > 0)
        text.append(buffer, n);
    std::fclose(capture);
    // One line, single spaces.
    std::string line;
    for (char c : text) {
        const char d = (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        if (d == ' ' && (line.empty() || line.back() == ' '))
            continue;
        line += d;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// A loaded plug-in with the saved state and the --set settings applied.
struct LoadedPlugin {
    std::unique_ptr<vsthost::PluginHost> host;
    std::vector<std::string> settingTexts;
};

LoadedPlugin loadPlugin(const Options& options, const std::string& pluginPath)
{
    std::string error;
    LoadedPlugin loaded;
    loaded.host = vsthost::PluginHost::load(pluginPath, error);
    if (!loaded.host) {
        // The reason may name the path again.
        if (error.compare(0, pluginPath.size() + 2, pluginPath + ": ") == 0)
            error.erase(0, pluginPath.size() + 2);
        throw RenderError("cannot load plug-in '" + pluginPath + "': " + error);
    }
    vsthost::PluginHost& plugin = *loaded.host;
    plugin.dispatch(effOpen);
    AEffect* effect = plugin.effect();
    if (effect->numOutputs < 1 || effect->numOutputs > 64 || effect->numInputs < 0 || effect->numInputs > 64)
        throw RenderError("plug-in '" + pluginPath + "' reports " + std::to_string(effect->numInputs) + " inputs and " +
                          std::to_string(effect->numOutputs) + " outputs");
    if (!effect->processReplacing || !(effect->flags & effFlagsCanReplacing))
        throw RenderError("plug-in '" + pluginPath + "' does not offer processReplacing");

    if (!options.loadState.empty()) {
        bool loadedState = false;
        const std::string said = withStderrCaught(
            [&] { loadedState = state::loadState(effect, options.loadState, error); });
        if (!loadedState)
            throw RenderError(said.empty() ? error : error + " (" + said + ")");
        if (!said.empty())
            std::fprintf(stderr, "note: the plug-in says: %s\n", said.c_str());
    }

    for (const auto& setting : options.settings) {
        const int index = findParameter(plugin, setting.first);
        const std::string name = trimText(plugin.parameterName(index));
        ValueRequest request;
        try {
            request = parseValue(setting.second);
        } catch (const RenderError& e) {
            throw RenderError(name + ": " + e.what());
        }
        PluginParameter probe(plugin, index);
        const float value = resolveValue(probe, request, name);
        plugin.setParameter(index, value);
        loaded.settingTexts.push_back(settingText(plugin, index));
    }
    return loaded;
}

// ---- Paths: nothing lost, nothing surprising ----

struct FileIdentity {
    bool exists = false;
    struct stat status = {};
};

FileIdentity identify(const std::string& path)
{
    FileIdentity id;
    id.exists = !path.empty() && path != "-" && stat(path.c_str(), &id.status) == 0;
    return id;
}

bool sameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty() || a == "-" || b == "-")
        return false;
    const FileIdentity x = identify(a), y = identify(b);
    if (x.exists && y.exists)
        return x.status.st_dev == y.status.st_dev && x.status.st_ino == y.status.st_ino;
    std::error_code error;
    const auto ca = std::filesystem::weakly_canonical(a, error);
    const auto cb = std::filesystem::weakly_canonical(b, error);
    return !error && ca == cb;
}

// Throws RenderError when writing `output` could destroy something.
void checkOutput(const std::string& output, const std::vector<std::string>& inputs, const Options& options,
                 const std::string& what)
{
    if (output == "-") {
        if (isatty(STDOUT_FILENO))
            throw RenderError("standard output is a terminal; name an output file or redirect it");
        return;
    }
    for (const std::string& input : inputs) {
        if (sameFile(input, output))
            throw RenderError(what + " '" + output + "' is the input file; it is never written over");
    }
    if (!options.saveState.empty() && sameFile(options.saveState, output))
        throw RenderError(what + " '" + output + "' is also the --save-state file");
    if (!options.loadState.empty() && sameFile(options.loadState, output))
        throw RenderError(what + " '" + output + "' is the --load-state file");
    struct stat status;
    if (lstat(output.c_str(), &status) == 0) {
        struct stat target;
        const bool regular = S_ISREG(status.st_mode) ||
            (S_ISLNK(status.st_mode) && stat(output.c_str(), &target) == 0 && S_ISREG(target.st_mode));
        if (!regular)
            throw RenderError(what + " '" + output + "' exists and is not a regular file; it is never replaced");
        if (!options.force)
            throw RenderError(what + " '" + output + "' exists (--force or -y replaces it)");
    }
}

// ---- Progress ----

class Progress {
public:
    Progress(bool enabled, int64_t total) : enabled(enabled), total(std::max<int64_t>(1, total)) {}
    void advance(int64_t frames)
    {
        if (!enabled)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        done += frames;
        draw(std::min(0.99, static_cast<double>(done) / total));
    }
    void note(const std::string& line) // a line printed without tearing the bar
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (shown)
            std::fprintf(stderr, "\r%*s\r", width + 20, "");
        std::fprintf(stderr, "%s\n", line.c_str());
        shown = false;
        drawn = -1;
    }
    void finish()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (shown)
            std::fprintf(stderr, "\r%*s\r", width + 20, "");
        std::fflush(stderr);
        shown = false;
    }

private:
    static constexpr int width = 30;
    void draw(double fraction)
    {
        const int percent = static_cast<int>(fraction * 100);
        if (percent == drawn)
            return;
        drawn = percent;
        const int filled = static_cast<int>(fraction * width + 0.5);
        std::string bar(static_cast<size_t>(filled), '#');
        bar.append(static_cast<size_t>(width - filled), '-');
        std::fprintf(stderr, "\rrendering [%s] %3d%%", bar.c_str(), percent);
        std::fflush(stderr);
        shown = true;
    }
    bool enabled;
    int64_t total;
    int64_t done = 0;
    int drawn = -1;
    bool shown = false;
    std::mutex mutex;
};

// ---- One file ----

struct Job {
    std::string input; // empty: the demo
    std::string output;
    std::unique_ptr<AudioSource> source;
    bool ok = false;
    std::string error;
    RenderResult result;
    std::vector<std::string> found; // settings found by a target search
    double x = NAN, c = NAN;        // the normalised settings used
    int renders = 0;
    double wallSeconds = 0;
    bool rf64 = false;
};

// One plug-in instance per worker thread, all set up alike.
struct Worker {
    LoadedPlugin plugin;
    int thres = -1, ceiling = -1;                 // "Input Thres" and "Out Ceiling", when a search needs them
    float thresStart = 0.5f, ceilingStart = 0.5f; // as --load-state and --set left them
};

double displayedNumber(vsthost::PluginHost& plugin, int index, float normalised)
{
    plugin.setParameter(index, normalised);
    double value = NAN;
    std::string tail;
    parseDisplayNumber(trimText(plugin.parameterDisplay(index)), value, tail);
    return value;
}

// "Input Thres +20.0 dB" for normalised x.
std::string settingAt(vsthost::PluginHost& plugin, int index, double normalised)
{
    const float saved = plugin.getParameter(index);
    plugin.setParameter(index, static_cast<float>(normalised));
    const std::string label = trimText(plugin.parameterLabel(index));
    double value;
    std::string tail;
    std::string text = trimText(plugin.parameterDisplay(index));
    if (parseDisplayNumber(text, value, tail))
        text = format("%+.2f", value) + (label.empty() ? "" : " " + label);
    plugin.setParameter(index, saved);
    return trimText(plugin.parameterName(index)) + " " + text;
}

std::string outputNameFor(const std::string& input, const Options& options)
{
    std::string name = input == "-" ? "stdin" : std::filesystem::path(input).filename().string();
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return (std::filesystem::path(options.outDir) / (name + options.format.extension())).string();
}

// Renders `job` into its output file (or standard output) with the worker's plug-in.
void writeJob(Job& job, Worker& worker, const Options& options, Progress& progress, LevelTrace* trace)
{
    RenderSettings settings;
    settings.blockSize = options.blockSize;
    settings.compensate = options.compensate;
    settings.format = options.format;
    settings.advance = [&](int64_t n) { progress.advance(n); };
    AudioSource& source = *job.source;
    const int64_t expected = source.frames() + (options.compensate ? 0 : worker.plugin.host->latency());
    const int channels = worker.plugin.host->effect()->numOutputs;
    if (job.output == "-") {
        SoundSink sink(STDOUT_FILENO, false, options.format, source.rate(), channels, expected);
        job.result = renderFile(*worker.plugin.host, source, settings, &sink, trace);
        job.rf64 = sink.isRf64();
        return;
    }
    OutputFile file(job.output);
    {
        SoundSink sink(file.takeDescriptor(), true, options.format, source.rate(), channels, expected);
        job.result = renderFile(*worker.plugin.host, source, settings, &sink, trace);
        job.rf64 = sink.isRf64();
    }
    file.commit();
}

Measurement measure(vsthost::PluginHost& plugin, AudioSource& source, const Options& options, Progress& progress,
                    RenderResult* full = nullptr)
{
    RenderSettings settings;
    settings.blockSize = options.blockSize;
    settings.compensate = options.compensate;
    settings.format = options.format;
    settings.advance = [&](int64_t n) { progress.advance(n); };
    const RenderResult r = renderFile(plugin, source, settings, nullptr, nullptr);
    if (full)
        *full = r;
    return Measurement{r.outLufs, r.outTruePeakDb};
}

bool searching(const Options& options)
{
    return std::isfinite(options.targetLufs) || std::isfinite(options.maxTruePeak);
}

TargetSearchSettings searchSettings(const Options& options, Worker& worker)
{
    vsthost::PluginHost& plugin = *worker.plugin.host;
    // Every search starts from the settings given, not from where the last file's ended, so
    // a file's bits do not depend on which worker rendered it, or after what.
    plugin.setParameter(worker.thres, worker.thresStart);
    plugin.setParameter(worker.ceiling, worker.ceilingStart);
    TargetSearchSettings s;
    s.targetLufs = options.targetLufs;
    s.maxTruePeak = options.maxTruePeak;
    s.x = plugin.getParameter(worker.thres);
    s.c = plugin.getParameter(worker.ceiling);
    // The dB each parameter spans, read from its display (both ends).
    for (auto [index, span] : {std::pair<int, double*>{worker.thres, &s.xDbPerUnit}, {worker.ceiling, &s.cDbPerUnit}}) {
        const float saved = plugin.getParameter(index);
        const double low = displayedNumber(plugin, index, 0.0f), high = displayedNumber(plugin, index, 1.0f);
        plugin.setParameter(index, saved);
        if (std::isfinite(low) && std::isfinite(high) && high > low)
            *span = high - low;
    }
    // A true-peak limit starts with the ceiling at it, unless --set put the ceiling lower:
    // the ceiling holds sample peaks, so the true peak ends close above it.
    if (std::isfinite(options.maxTruePeak)) {
        const double ceilingDb = displayedNumber(plugin, worker.ceiling, static_cast<float>(s.c));
        plugin.setParameter(worker.ceiling, static_cast<float>(s.c));
        if (std::isfinite(ceilingDb) && ceilingDb > options.maxTruePeak)
            s.c = std::clamp(s.c - (ceilingDb - options.maxTruePeak) / s.cDbPerUnit, 0.0, 1.0);
    }
    return s;
}

std::string searchFailure(const TargetSearchOutcome& outcome, const Options& options, Worker& worker)
{
    vsthost::PluginHost& plugin = *worker.plugin.host;
    const std::string gives = " gives ";
    switch (outcome.result) {
    case TargetSearchOutcome::TooQuiet:
    case TargetSearchOutcome::TooLoud:
    case TargetSearchOutcome::NoConvergence:
        return format("cannot reach %.1f LUFS: ", options.targetLufs) + settingAt(plugin, worker.thres, outcome.x) +
            (std::isfinite(options.maxTruePeak) ? " with " + settingAt(plugin, worker.ceiling, outcome.c) : "") +
            gives + decibels(outcome.measured.lufs, "LUFS");
    case TargetSearchOutcome::PeakTooHigh:
        return format("cannot reach %.1f dBTP: ", options.maxTruePeak) + settingAt(plugin, worker.ceiling, outcome.c) +
            gives + decibels(outcome.measured.truePeakDb, "dBTP");
    default:
        return "";
    }
}

// Sets the found settings on the worker's plug-in and keeps their text for the summary.
void applyFound(Job& job, Worker& worker, const TargetSearchOutcome& outcome, const Options& options)
{
    vsthost::PluginHost& plugin = *worker.plugin.host;
    job.x = outcome.x;
    job.c = outcome.c;
    plugin.setParameter(worker.thres, static_cast<float>(outcome.x));
    plugin.setParameter(worker.ceiling, static_cast<float>(outcome.c));
    job.renders = outcome.trials;
    if (std::isfinite(options.targetLufs))
        job.found.push_back(settingText(plugin, worker.thres));
    if (std::isfinite(options.maxTruePeak))
        job.found.push_back(settingText(plugin, worker.ceiling));
}

std::function<void(double, double, const Measurement&)> trialTrace(const Options& options, Worker& worker,
                                                                   Progress& progress, const std::string& name)
{
    if (!options.verbose)
        return {};
    return [&options, &worker, &progress, name](double x, double c, const Measurement& m) {
        vsthost::PluginHost& plugin = *worker.plugin.host;
        (void)options;
        progress.note("trial     " + name + ": " + settingAt(plugin, worker.thres, x) + ", " +
                      settingAt(plugin, worker.ceiling, c) + ": " + decibels(m.lufs, "LUFS") + ", " +
                      decibels(m.truePeakDb, "dBTP"));
    };
}

// Searches (when asked) and writes one file. Throws RenderError.
void processJob(Job& job, Worker& worker, const Options& options, Progress& progress, LevelTrace* trace)
{
    const auto started = std::chrono::steady_clock::now();
    if (!job.source)
        job.source = job.input.empty() ? AudioSource::demo() : AudioSource::openFile(job.input);
    if (searching(options)) {
        vsthost::PluginHost& plugin = *worker.plugin.host;
        AudioSource& source = *job.source;
        const TargetSearchOutcome outcome = searchTargets(
            searchSettings(options, worker),
            [&](double x, double c) {
                plugin.setParameter(worker.thres, static_cast<float>(x));
                plugin.setParameter(worker.ceiling, static_cast<float>(c));
                return measure(plugin, source, options, progress);
            },
            trialTrace(options, worker, progress, source.describe()));
        if (outcome.result != TargetSearchOutcome::Met)
            throw RenderError(searchFailure(outcome, options, worker));
        applyFound(job, worker, outcome, options);
    }
    writeJob(job, worker, options, progress, trace);
    ++job.renders;
    job.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    job.ok = true;
}

// Runs `work(worker, item)` for items 0..count-1 on the workers' threads.
void parallelFor(std::vector<Worker>& workers, size_t count, const std::function<void(Worker&, size_t)>& work)
{
    std::atomic<size_t> next{0};
    auto loop = [&](Worker& worker) {
        for (size_t i; (i = next++) < count;)
            work(worker, i);
    };
    std::vector<std::thread> threads;
    const size_t used = std::min(workers.size(), count);
    for (size_t w = 1; w < used; ++w)
        threads.emplace_back(loop, std::ref(workers[w]));
    loop(workers[0]);
    for (std::thread& t : threads)
        t.join();
}

// An album: one setting for all tracks, their loudness together on target. Throws RenderError.
void searchAlbum(std::vector<Job>& jobs, std::vector<Worker>& workers, const Options& options, Progress& progress)
{
    for (Job& job : jobs) {
        if (!job.source)
            job.source = AudioSource::openFile(job.input);
    }
    const auto measureAll = [&](double x, double c) {
        std::vector<RenderResult> results(jobs.size());
        std::vector<std::string> errors(jobs.size());
        parallelFor(workers, jobs.size(), [&](Worker& worker, size_t i) {
            try {
                worker.plugin.host->setParameter(worker.thres, static_cast<float>(x));
                worker.plugin.host->setParameter(worker.ceiling, static_cast<float>(c));
                measure(*worker.plugin.host, *jobs[i].source, options, progress, &results[i]);
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        });
        for (const std::string& e : errors) {
            if (!e.empty())
                throw RenderError(e);
        }
        std::vector<const LoudnessMeter*> meters;
        Measurement m;
        for (const RenderResult& r : results) {
            meters.push_back(r.outMeter.get());
            m.truePeakDb = std::max(m.truePeakDb, r.outTruePeakDb);
        }
        m.lufs = LoudnessMeter::combinedLufs(meters);
        return m;
    };
    Worker& first = workers[0];
    const TargetSearchOutcome outcome = searchTargets(searchSettings(options, first), measureAll,
                                                      trialTrace(options, first, progress, "album"));
    if (outcome.result != TargetSearchOutcome::Met)
        throw RenderError("album: " + searchFailure(outcome, options, first));
    for (Worker& worker : workers) {
        Job unused;
        applyFound(unused, worker, outcome, options);
    }
    for (Job& job : jobs)
        applyFound(job, first, outcome, options);
}

// ---- Reports ----

std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else
            out += static_cast<char>(c);
    }
    return out + "\"";
}

std::string jsonNumber(double value, const char* pattern = "%.2f")
{
    return std::isfinite(value) ? format(pattern, value) : "null";
}

std::string jsonReport(const std::vector<Job>& jobs, const Options& options, const std::string& pluginPath,
                       double albumLufs)
{
    std::string json = "{\n  \"plugin\": " + jsonText(pluginPath) +
        ",\n  \"format\": " + jsonText(options.format.name()) +
        ",\n  \"dither\": " + (options.format.dither ? "true" : "false") +
        ",\n  \"target_lufs\": " + jsonNumber(options.targetLufs) +
        ",\n  \"max_true_peak_dbtp\": " + jsonNumber(options.maxTruePeak) +
        ",\n  \"album\": " + (options.album ? "true" : "false") + ",\n  \"album_lufs\": " + jsonNumber(albumLufs) +
        ",\n  \"files\": [";
    for (size_t i = 0; i < jobs.size(); ++i) {
        const Job& job = jobs[i];
        const RenderResult& r = job.result;
        json += i ? ",\n    {" : "\n    {";
        json += "\"input\": " + jsonText(job.input.empty() ? "built-in demo" : job.input);
        json += ", \"output\": " + jsonText(job.output);
        json += ", \"ok\": " + std::string(job.ok ? "true" : "false");
        if (!job.ok) {
            json += ", \"error\": " + jsonText(job.error) + "}";
            continue;
        }
        const double rate = job.source->rate();
        json += ",\n     \"input_sample_peak_dbfs\": " + jsonNumber(r.inPeakDb) +
            ", \"input_true_peak_dbtp\": " + jsonNumber(r.inTruePeakDb) +
            ", \"input_integrated_lufs\": " + jsonNumber(r.inLufs) +
            ", \"input_loudness_range_lu\": " + jsonNumber(r.inRangeLu);
        json += ",\n     \"output_sample_peak_dbfs\": " + jsonNumber(r.outPeakDb) +
            ", \"output_true_peak_dbtp\": " + jsonNumber(r.outTruePeakDb) +
            ", \"output_integrated_lufs\": " + jsonNumber(r.outLufs) +
            ", \"output_loudness_range_lu\": " + jsonNumber(r.outRangeLu);
        json += ",\n     \"settings\": [";
        std::vector<std::string> settings = job.found;
        for (size_t s = 0; s < settings.size(); ++s)
            json += (s ? ", " : "") + jsonText(settings[s]);
        json += "], \"renders\": " + std::to_string(job.renders);
        json += ", \"latency_samples\": " + std::to_string(r.latency) +
            ", \"latency_ms\": " + jsonNumber(1000.0 * r.latency / rate) +
            ", \"compensated\": " + (options.compensate ? "true" : "false");
        json += ",\n     \"sample_rate\": " + std::to_string(job.source->rate()) +
            ", \"channels\": " + std::to_string(r.outputChannels) + ", \"frames\": " + std::to_string(r.framesWritten) +
            ", \"rf64\": " + (job.rf64 ? "true" : "false") +
            ", \"non_finite_samples\": " + std::to_string(r.nonFinite) +
            ", \"render_seconds\": " + jsonNumber(job.wallSeconds, "%.3f") +
            ", \"plugin_seconds\": " + jsonNumber(r.processSeconds, "%.3f") + "}";
    }
    return json + "\n  ]\n}\n";
}

std::string plural(int64_t n, const char* word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

void noteNonFinite(const Job& job, Progress& progress)
{
    const RenderResult& r = job.result;
    if (r.nonFinite == 0)
        return;
    progress.note("note: '" + job.source->describe() + "' holds " + plural(r.nonFinite, "non-finite sample") +
                  " (NaN or infinity), the first at frame " + std::to_string(r.firstNonFinite) +
                  format(" (%.3f s)", static_cast<double>(r.firstNonFinite) / job.source->rate()) +
                  "; rendered as silence");
}

void printSummary(FILE* out, const Job& job, const Options& options, const LoadedPlugin& plugin,
                  const std::string& pluginPath)
{
    const RenderResult& result = job.result;
    const AudioSource& source = *job.source;
    vsthost::PluginHost& host = *plugin.host;
    const double inputSeconds = static_cast<double>(source.frames()) / source.rate();
    std::fprintf(out, "plug-in   %s by %s (%s)\n", host.effectName().c_str(), host.vendorString().c_str(),
                 pluginPath.c_str());
    std::fprintf(out, "input     %s: %d Hz, %d channel%s, %.2f s\n", source.describe().c_str(), source.rate(),
                 source.channels(), source.channels() == 1 ? "" : "s", inputSeconds);
    for (const std::string& s : plugin.settingTexts)
        std::fprintf(out, "setting   %s\n", s.c_str());
    for (const std::string& s : job.found)
        std::fprintf(out, "found     %s (%s)\n", s.c_str(), plural(job.renders - 1, "trial render").c_str());
    std::fprintf(out, "output    %s: %s%s, %d channel%s, %.2f s\n",
                 job.output == "-" ? "standard output" : job.output.c_str(), options.format.describe().c_str(),
                 job.rf64 ? " (RF64)" : "", result.outputChannels, result.outputChannels == 1 ? "" : "s",
                 static_cast<double>(result.framesWritten) / source.rate());
    if (!options.plot.empty())
        std::fprintf(out, "plot      %s\n", options.plot.c_str());
    if (!options.loadState.empty())
        std::fprintf(out, "state     loaded from %s\n", options.loadState.c_str());
    if (!options.saveState.empty())
        std::fprintf(out, "state     saved to %s\n", options.saveState.c_str());
    std::fprintf(out, "\n                    input         output\n");
    std::fprintf(out, "sample peak   %14s %14s\n", decibels(result.inPeakDb, "dBFS").c_str(),
                 decibels(result.outPeakDb, "dBFS").c_str());
    std::fprintf(out, "true peak     %14s %14s\n", decibels(result.inTruePeakDb, "dBTP").c_str(),
                 decibels(result.outTruePeakDb, "dBTP").c_str());
    std::fprintf(out, "loudness      %14s %14s\n", decibels(result.inLufs, "LUFS").c_str(),
                 decibels(result.outLufs, "LUFS").c_str());
    std::fprintf(out, "range         %11.2f LU %11.2f LU\n", result.inRangeLu, result.outRangeLu);
    std::fprintf(out, "\nmax gain reduction  %.2f dB\n", result.maxGainReductionDb);
    if (result.latencyAfter != result.latency)
        std::fprintf(stderr, "note: the plug-in changed its latency during the render, from %d to %d samples\n",
                     result.latency, result.latencyAfter);
    std::fprintf(out, "latency             %d samples (%.2f ms)%s\n", result.latency,
                 1000.0 * result.latency / source.rate(),
                 options.compensate ? ", trimmed from the output" : ", output delayed by it");
    if (job.wallSeconds > 0) {
        std::fprintf(out, "speed               %.0fx real time", inputSeconds / job.wallSeconds);
        if (job.renders > 1)
            std::fprintf(out, " over %d renders", job.renders);
        if (result.processSeconds > 0)
            std::fprintf(out, " (%.0fx inside the plug-in)", result.audioSeconds / result.processSeconds);
        std::fprintf(out, "\n");
    }
}

int run(const Options& options)
{
    OutputFile::installSignalHandlers();
    const std::string pluginPath = options.plugin.empty() ? defaultPlugin() : options.plugin;
    const bool batch = !options.outDir.empty();

    if (options.list) {
        const LoadedPlugin plugin = loadPlugin(options, pluginPath);
        listParameters(*plugin.host, pluginPath);
        return 0;
    }

    std::vector<Job> jobs;
    if (options.inputs.empty()) {
        jobs.emplace_back();
        jobs.back().output = options.output;
    }
    for (const std::string& input : options.inputs) {
        jobs.emplace_back();
        jobs.back().input = input;
        jobs.back().output = batch ? outputNameFor(input, options) : options.output;
    }

    if (!batch) {
        // The input first: a wrong file name is the cheapest mistake to report.
        Job& job = jobs[0];
        job.source = job.input.empty() ? AudioSource::demo() : AudioSource::openFile(job.input);
        checkOutput(job.output, options.inputs, options, "output");
        if (!options.plot.empty()) {
            if (options.plot == job.output || sameFile(options.plot, job.output))
                throw RenderError("the plot and the sound file are the same file '" + options.plot +
                                  "'; give them different names");
            checkOutput(options.plot, options.inputs, options, "plot");
        }
    } else {
        if (!options.plot.empty())
            throw RenderError("--plot draws one render; it does not go with --out-dir");
        if (options.edit)
            throw RenderError("--edit sets up one render; it does not go with --out-dir");
        struct stat status;
        if (stat(options.outDir.c_str(), &status) != 0 && mkdir(options.outDir.c_str(), 0777) != 0)
            throw RenderError("cannot create folder '" + options.outDir + "': " + std::strerror(errno));
        if (stat(options.outDir.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            throw RenderError("--out-dir '" + options.outDir + "' is not a folder");
        for (size_t i = 0; i < jobs.size(); ++i) {
            Job& job = jobs[i];
            try {
                for (size_t j = 0; j < i; ++j) {
                    if (jobs[j].output == job.output)
                        throw RenderError("output '" + job.output + "' would also be written for '" + jobs[j].input +
                                          "'");
                }
                checkOutput(job.output, options.inputs, options, "output");
                job.source = AudioSource::openFile(job.input);
            } catch (const RenderError& e) {
                job.error = e.what();
            }
        }
        if (options.album) {
            for (const Job& job : jobs) {
                if (!job.error.empty())
                    throw RenderError(job.input + ": " + job.error);
            }
        }
    }

    // One plug-in instance per thread, each set up alike.
    size_t threads = options.jobs > 0 ? static_cast<size_t>(options.jobs) : std::thread::hardware_concurrency();
    threads = std::max<size_t>(1, std::min(threads, jobs.size()));
    std::vector<Worker> workers(threads);
    for (Worker& worker : workers) {
        worker.plugin = loadPlugin(options, pluginPath);
        if (searching(options)) {
            try {
                worker.thres = findParameter(*worker.plugin.host, "Input Thres");
                worker.ceiling = findParameter(*worker.plugin.host, "Out Ceiling");
                worker.thresStart = worker.plugin.host->getParameter(worker.thres);
                worker.ceilingStart = worker.plugin.host->getParameter(worker.ceiling);
            } catch (const RenderError&) {
                throw RenderError("--target-lufs and --max-true-peak need a plug-in with 'Input Thres' and "
                                  "'Out Ceiling' parameters");
            }
        }
    }
    LoadedPlugin& plugin = workers[0].plugin;
    vsthost::PluginHost& host = *plugin.host;
    std::string error;

    if (options.edit) {
        std::unique_ptr<vsthost::EditorWindow> window = vsthost::EditorWindow::open(
            host, "orvanne-render: " + host.effectName(), error);
        if (!window)
            throw RenderError("--edit: " + error);
        std::fprintf(stderr, "editor    open: close its window to render\n");
        window->runUntilClosed();
    }

    int64_t totalFrames = 0;
    double longest = 0;
    for (const Job& job : jobs) {
        if (!job.source)
            continue;
        totalFrames += job.source->frames();
        longest = std::max(longest, static_cast<double>(job.source->frames()) / job.source->rate());
        if (job.source->channels() > 2)
            std::fprintf(stderr, "note: '%s' has %d channels; rendering the first two\n",
                         job.source->describe().c_str(), job.source->channels());
    }
    const int expectedRenders = searching(options) ? 5 : 1;
    Progress progress(!options.quiet && isatty(STDERR_FILENO) && (batch || longest > 5.0),
                      totalFrames * expectedRenders);

    FILE* summary = (options.output == "-" && !batch) || options.report == "-" ? stderr : stdout;
    double albumLufs = NAN;
    int failed = 0;
    if (!batch) {
        Job& job = jobs[0];
        std::unique_ptr<OutputFile> plotFile;
        if (!options.plot.empty())
            plotFile.reset(new OutputFile(options.plot));
        std::unique_ptr<LevelTrace> trace(new LevelTrace(job.source->frames(), job.source->rate(), 2800));
        processJob(job, workers[0], options, progress, trace.get());
        progress.finish();
        noteNonFinite(job, progress);
        const std::string effectName = host.effectName();
        if (plotFile) {
            close(plotFile->takeDescriptor());
            PlotText text;
            text.title = (effectName.empty() ? pluginPath : effectName) + " - " + job.source->describe();
            text.detail = std::to_string(job.source->rate()) + " Hz, latency " + std::to_string(job.result.latency) +
                " samples";
            for (const std::string& s : plugin.settingTexts)
                text.detail += ", " + s;
            for (const std::string& s : job.found)
                text.detail += ", " + s;
            text.detail += format(", max gain reduction %.2f dB", job.result.maxGainReductionDb);
            writePlot(plotFile->temporaryPath(), *trace, text);
            plotFile->commit();
        }
        printSummary(summary, job, options, plugin, pluginPath);
    } else {
        if (options.album) {
            searchAlbum(jobs, workers, options, progress);
            std::vector<const LoudnessMeter*> meters;
            // Measured again below from what was written.
            (void)meters;
        }
        parallelFor(workers, jobs.size(), [&](Worker& worker, size_t i) {
            Job& job = jobs[i];
            if (!job.error.empty())
                return;
            try {
                if (options.album) {
                    // The album's settings are on every worker already.
                    const int searchedRenders = job.renders;
                    const auto started = std::chrono::steady_clock::now();
                    writeJob(job, worker, options, progress, nullptr);
                    job.renders = searchedRenders + 1;
                    job.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                    job.ok = true;
                } else {
                    processJob(job, worker, options, progress, nullptr);
                }
            } catch (const std::exception& e) {
                job.error = e.what();
            }
            job.source->rewind();
        });
        progress.finish();
        std::vector<const LoudnessMeter*> meters;
        for (Job& job : jobs) {
            if (job.ok) {
                noteNonFinite(job, progress);
                meters.push_back(job.result.outMeter.get());
                std::fprintf(summary, "%s -> %s: %s, %s, %s", job.input.c_str(), job.output.c_str(),
                             decibels(job.result.outLufs, "LUFS").c_str(),
                             decibels(job.result.outTruePeakDb, "dBTP").c_str(),
                             decibels(job.result.outPeakDb, "dBFS").c_str());
                for (const std::string& s : job.found)
                    std::fprintf(summary, ", %s", s.c_str());
                std::fprintf(summary, "\n");
            } else {
                ++failed;
                std::fprintf(stderr, "orvanne-render: %s: %s\n", job.input.c_str(), job.error.c_str());
            }
        }
        if (options.album && !meters.empty())
            albumLufs = LoudnessMeter::combinedLufs(meters);
        if (options.album)
            std::fprintf(summary, "album     %s over %zu tracks\n", decibels(albumLufs, "LUFS").c_str(), meters.size());
        std::fprintf(summary, "%zu of %zu files rendered (%s, %zu jobs)\n", jobs.size() - failed, jobs.size(),
                     options.format.describe().c_str(), workers.size());
    }

    if (!options.saveState.empty() && !state::saveState(host.effect(), options.saveState, error))
        throw RenderError(error);
    if (!options.report.empty()) {
        std::vector<std::string> fixed = plugin.settingTexts;
        for (Job& job : jobs)
            job.found.insert(job.found.begin(), fixed.begin(), fixed.end());
        const std::string json = jsonReport(jobs, options, pluginPath, albumLufs);
        if (options.report == "-") {
            std::fputs(json.c_str(), stdout);
        } else {
            OutputFile reportFile(options.report);
            const int descriptor = reportFile.takeDescriptor();
            const bool written = write(descriptor, json.data(), json.size()) == static_cast<ssize_t>(json.size());
            close(descriptor);
            if (!written)
                throw RenderError("cannot write report '" + options.report + "'");
            reportFile.commit();
        }
    }
    return failed > 0 ? 1 : 0;
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
