// Running a command-line program from a test and keeping what it printed (POSIX only).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct ToolRun {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out, err;
};

// Runs command[0] with the rest as its arguments (no shell word splitting), stdin empty, with
// the given environment variables set for it.
ToolRun runCommand(const std::vector<std::string>& command,
                   const std::vector<std::pair<std::string, std::string>>& environment = {});

} // namespace test_support
