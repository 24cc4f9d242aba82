#include "tools/cli.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ruvo::tools {

TVerbCommandLine::TVerbCommandLine(const std::string& command, const std::string& description)
    : app_(description, command) {}

std::optional<int> TVerbCommandLine::Parse(const Args& args) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app_.parse(reversed);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        std::fputs(app_.help().c_str(), stdout);
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        std::fputs(app_.help("", CLI::AppFormatMode::All).c_str(), stdout);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // The innermost subcommand that was chosen names the command in the message.
        std::string command = app_.get_name();
        for (const CLI::App* sub = &app_; !sub->get_subcommands().empty();) {
            sub = sub->get_subcommands().front();
            command += " " + sub->get_name();
        }
        if (args.empty()) {
            // Nothing given at all: the whole usage says more than the first thing missing.
            std::fprintf(stderr, "%s: %s\n\n%s", command.c_str(), e.what(), app_.help().c_str());
            return kExitUsage;
        }
        return ReportUsageError(command, e.what());
    }
}

int ReportUsageError(std::string_view command, std::string_view problem) {
    const std::string c(command), p(problem);
    std::fprintf(stderr, "%s: %s\nRun \"%s --help\" for the usage.\n", c.c_str(), p.c_str(), c.c_str());
    return kExitUsage;
}

TOutputFile::TOutputFile(const std::string& name) : name_(name) {
    if (IsStandardOutput(name)) {
        file_ = stdout;
        return;
    }
    file_ = std::fopen(name.c_str(), "wb");
    if (!file_) throw EUsageError("cannot write " + name + ": " + std::strerror(errno));
}

TOutputFile::~TOutputFile() {
    if (file_ && file_ != stdout) std::fclose(file_);
}

void TOutputFile::Write(std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

void TOutputFile::Close() {
    if (!file_) return;
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    if (file_ != stdout) ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok) throw std::runtime_error("cannot write " + (IsStandardOutput(name_) ? std::string("standard output") : name_));
}

} // namespace ruvo::tools
