#include "CommandRun.h"

#include "ChildProcess.h"
#include "TempTree.h"

#include <fstream>
#include <sstream>

namespace test_support {

namespace {

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
    ToolRun run;
    ChildProcess child;
    if (child.start(command, capture.file("out"), capture.file("err"), environment))
        run.status = child.wait();
    run.out = slurp(capture.file("out"));
    run.err = slurp(capture.file("err"));
    return run;
}

} // namespace test_support
