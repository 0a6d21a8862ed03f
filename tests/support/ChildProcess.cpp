#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace test_support {

namespace {

bool openAs(posix_spawn_file_actions_t& actions, int fd, const std::string& file, int flags)
{
    return posix_spawn_file_actions_addopen(&actions, fd, file.empty() ? "/dev/null" : file.c_str(), flags, 0644) == 0;
}

} // namespace

bool ChildProcess::start(const std::vector<std::string>& command, const std::string& outFile,
                         const std::string& errFile,
                         const std::vector<std::pair<std::string, std::string>>& environment)
{
    stop();
    if (command.empty())
        return false;
    std::vector<std::string> copy = command;
    std::vector<char*> argv;
    for (std::string& a : copy)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    // The environment: this process's, each variable given replaced or added.
    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string variable = *e;
        bool replaced = false;
        for (const auto& given : environment)
            replaced = replaced || variable.compare(0, given.first.size() + 1, given.first + "=") == 0;
        if (!replaced)
            variables.push_back(variable);
    }
    for (const auto& given : environment)
        variables.push_back(given.first + "=" + given.second);
    std::vector<char*> envp;
    for (std::string& v : variables)
        envp.push_back(&v[0]);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int appending = O_WRONLY | O_CREAT | O_APPEND;
    const bool opened = openAs(actions, STDIN_FILENO, "", O_RDONLY) &&
        openAs(actions, STDOUT_FILENO, outFile, appending) && openAs(actions, STDERR_FILENO, errFile, appending);
    pid_t child = 0;
    const bool started = opened && posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    pid = started ? child : 0;
    exitStatus = -1;
    return started;
}

bool ChildProcess::running()
{
    if (pid == 0)
        return false;
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == 0)
        return true;
    if (done == pid && WIFEXITED(status))
        exitStatus = WEXITSTATUS(status);
    pid = 0;
    return false;
}

int ChildProcess::wait()
{
    if (pid != 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            exitStatus = WEXITSTATUS(status);
        pid = 0;
    }
    return exitStatus;
}

void ChildProcess::stop(int graceMs)
{
    if (!running())
        return;
    kill(pid, SIGTERM);
    if (!waitUntil([&]() { return !running(); }, std::chrono::milliseconds(graceMs), 10)) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = 0;
    }
}

int runToEnd(const std::vector<std::string>& command, int timeoutMs)
{
    ChildProcess child;
    if (!child.start(command))
        return -1;
    if (!waitUntil([&]() { return !child.running(); }, std::chrono::milliseconds(timeoutMs), 10)) {
        child.stop(0);
        return -1;
    }
    return child.status();
}

} // namespace test_support
