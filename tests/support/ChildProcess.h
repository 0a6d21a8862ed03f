// Programs a test starts: kept running beside it (servers, hosts) and stopped by the test
// through their process id, or run to their end (POSIX only).
#pragma once

#include "WaitFor.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace test_support {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts command[0] (searched on PATH) with the rest as its arguments, the test's
    // environment with `environment` set on top, and stdin from /dev/null; stdout and stderr go
    // to the files named (appended), or to /dev/null when empty. False when it could not be
    // started.
    bool start(const std::vector<std::string>& command, const std::string& outFile = "",
               const std::string& errFile = "",
               const std::vector<std::pair<std::string, std::string>>& environment = {});
    // True while it has not exited (reaps it once it has).
    bool running();
    // Its exit status once it exited normally, -1 otherwise.
    int status() const { return exitStatus; }
    // Waits for it to exit; status().
    int wait();
    // SIGTERM, up to graceMs for it to exit, then SIGKILL; waits for it. A no-op once it exited.
    void stop(int graceMs = 3000);
    pid_t id() const { return pid; }

private:
    pid_t pid = 0;
    int exitStatus = -1;
};

// Runs command to its end within timeoutMs (killed after that); its exit status, -1 when it
// could not be run, did not exit normally or ran too long.
int runToEnd(const std::vector<std::string>& command, int timeoutMs);

} // namespace test_support
