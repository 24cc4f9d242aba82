#pragma once
// What every ruvotool verb's command line shares: CLI11 set up one way (help on standard output,
// usage errors named on standard error), the exit codes, and output files where "-" is standard output.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/commands.hpp"

namespace ruvo::tools {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// A usage problem found after parsing (a value of the wrong form, an output that cannot be written):
// the verb ends with kExitUsage.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A verb's command line. Options and subcommands are added to App(); Parse runs CLI11 over the
// verb's arguments.
class TVerbCommandLine {
public:
    // command: what the user typed to get here ("ruvotool dump").
    TVerbCommandLine(const std::string& command, const std::string& description);
    CLI::App& App() noexcept { return app_; }

    // nullopt when the verb goes on; otherwise the exit code it ends with: kExitOk after printing the
    // help asked for, kExitUsage after naming the problem on standard error.
    std::optional<int> Parse(const Args& args);

private:
    CLI::App app_;
};

// Prints "COMMAND: problem" and a pointer to the help on standard error; answers kExitUsage.
int ReportUsageError(std::string_view command, std::string_view problem);

// An output named on the command line: a file, created when opened, or standard output for "-".
class TOutputFile {
public:
    // Throws EUsageError naming the file when it cannot be created.
    explicit TOutputFile(const std::string& name);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    static bool IsStandardOutput(std::string_view name) noexcept { return name == "-"; }
    const std::string& Name() const noexcept { return name_; }
    std::FILE* Get() const noexcept { return file_; }
    void Write(std::string_view bytes);
    // Flushes (and closes a file); throws std::runtime_error naming the output when anything was lost.
    void Close();

private:
    std::string name_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

} // namespace ruvo::tools
