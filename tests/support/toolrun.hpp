#pragma once
// Runs ruvotool as a person would and collects what it prints and its exit code.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace ruvo::testing {

struct ToolRun {
    int code;
    std::string out;
};

// arguments: already shell-quoted. Standard error joins standard output unless it is dropped.
inline ToolRun RunRuvotool(const std::string& arguments, bool withStderr = true) {
    const std::string command = std::string("'") + RUVO_TOOL_PATH + "' " + arguments + (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return {-1, ""};
    std::string out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

} // namespace ruvo::testing
