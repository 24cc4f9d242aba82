#pragma once
// Runs a command line through the shell, as end-to-end tests of the programs do, and collects what it
// writes on standard output.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace ruvo::testing {

struct ToolRun {
    int status = -1;  // the exit code; -1 when the command did not exit normally
    std::string out;
};

inline ToolRun RunCommand(const std::string& command) {
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) run.out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace ruvo::testing
