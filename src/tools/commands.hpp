#pragma once
// The verbs of ruvotool. Each takes the arguments after its own name and returns the exit code:
// 0 success, 1 failure (message on stderr), 2 usage error.
#include <string>
#include <vector>

namespace ruvo::tools {

using Args = std::vector<std::string>;

struct ToolCommand {
    const char* name;
    const char* summary;
    int (*run)(const Args& args);
};

int RunExpr(const Args& args);
int RunText(const Args& args);

int RunArchive(const Args& args);

int RunDump(const Args& args);
int RunBuild(const Args& args);

int RunWipe(const Args& args);
int RunSave(const Args& args);
int RunImage(const Args& args);
int RunRmt(const Args& args);
int RunTable(const Args& args);
int RunSound(const Args& args);

} // namespace ruvo::tools
