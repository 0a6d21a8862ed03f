#include "CommandRun.h"

#include "TempTree.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace test_support {

namespace {

std::string quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string slurp(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

ToolRun runCommand(const std::vector<std::string>& command,
                   const std::vector<std::pair<std::string, std::string>>& environment)
{
    TempTree capture;
    std::string line;
    for (const auto& variable : environment)
        line += variable.first + "=" + quote(variable.second) + " ";
    for (size_t i = 0; i < command.size(); ++i)
        line += (i == 0 ? "" : " ") + quote(command[i]);
    line += " >" + quote(capture.file("out")) + " 2>" + quote(capture.file("err")) + " </dev/null";
    ToolRun run;
    const int status = std::system(line.c_str());
    if (status != -1 && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    run.out = slurp(capture.file("out"));
    run.err = slurp(capture.file("err"));
    return run;
}

} // namespace test_support
