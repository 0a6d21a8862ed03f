#include "OutputFile.h"

#include "RenderError.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace render {

namespace {

// Temporary paths for the signal handler, which may only use async-signal-safe calls.
constexpr int maxPending = 4;
constexpr size_t maxPath = 4096;
char pendingPaths[maxPending][maxPath];
volatile sig_atomic_t pendingUsed[maxPending];

extern "C" void removePendingAndExit(int sig)
{
    for (int i = 0; i < maxPending; ++i) {
        if (pendingUsed[i])
            unlink(pendingPaths[i]);
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

int registerPending(const std::string& path)
{
    if (path.size() >= maxPath)
        return -1;
    for (int i = 0; i < maxPending; ++i) {
        if (!pendingUsed[i]) {
            std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
            pendingUsed[i] = 1;
            return i;
        }
    }
    return -1;
}

} // namespace

OutputFile::OutputFile(const std::string& path) : target(path)
{
    if (path.empty())
        throw RenderError("empty output file name");
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty())
        throw RenderError("output '" + path + "' names a folder, not a file");
    std::string pattern = folder + "." + name + ".partial-XXXXXX";
    descriptor = mkstemp(&pattern[0]);
    if (descriptor < 0)
        throw RenderError("cannot write output '" + path + "': " + std::strerror(errno));
    temporary = pattern;
    // mkstemp creates the file for its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    slot = registerPending(temporary);
}

OutputFile::~OutputFile()
{
    discard();
}

int OutputFile::takeDescriptor()
{
    const int d = descriptor;
    descriptor = -1;
    return d;
}

void OutputFile::commit()
{
    if (done)
        return;
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        discard();
        throw RenderError("cannot write output '" + target + "': " + reason);
    }
    done = true;
    if (slot >= 0)
        pendingUsed[slot] = 0;
}

void OutputFile::discard()
{
    if (done)
        return;
    if (descriptor >= 0) {
        close(descriptor);
        descriptor = -1;
    }
    if (!temporary.empty())
        unlink(temporary.c_str());
    done = true;
    if (slot >= 0)
        pendingUsed[slot] = 0;
}

void OutputFile::installSignalHandlers()
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        signal(sig, removePendingAndExit);
}

} // namespace render
