// ruvotool table: how a tab-separated file loads into a data table (as DBLoadTsvFile loads it): the
// fields and their types, the records, and the first line whose values do not go in as written.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "params/convert.hpp"
#include "params/dbtable.hpp"
#include "params/dbtsv.hpp"
#include "params/textlines.hpp"
#include "params/valuetext.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/gamefiles.hpp"
#include "tools/tablelisting.hpp"

namespace ruvo::tools {

namespace {

// What is wrong with one part of a record for its field, or nothing.
std::optional<std::string> PartProblem(const TDBField& f, std::string_view part) {
    const std::string quoted = "\"" + TextLineUtf8(std::string(part)) + "\"";
    switch (f.Type) {
    case kDBInteger:
        if (!TryTextToInt(part)) return quoted + " is no integer: field " + TextLineUtf8(f.Name) + " gets 0";
        break;
    case kDBFloat:
        if (!TryTextToReal(part)) return quoted + " is no number: field " + TextLineUtf8(f.Name) + " gets 0";
        break;
    case kDBFlag:
        if (part != "TRUE" && part != "FALSE")
            return quoted + " is neither TRUE nor FALSE: field " + TextLineUtf8(f.Name) + " gets FALSE";
        break;
    default:
        if (static_cast<int64_t>(part.size()) > f.Size - 1)
            return quoted + " has " + std::to_string(part.size()) + " bytes: field " + TextLineUtf8(f.Name) +
                   " keeps " + std::to_string(std::max(f.Size - 1, 0));
        break;
    }
    return std::nullopt;
}

// The first record line (1-based) whose parts do not fit the fields, with the reason.
std::optional<std::pair<int32_t, std::string>> FirstDoubtfulLine(const TDBCustomTable& table, std::string_view text) {
    std::optional<std::pair<int32_t, std::string>> found;
    int32_t number = 0;
    std::vector<std::string_view> parts;
    std::string buffer;
    ForEachLine(text, [&](std::string_view line) {
        if (++number == 1 || found || line.empty()) return;
        SplitTsvLine(UnescapeTsvLine(line, buffer), parts);
        const int fields = table.Fields.Count();
        if (static_cast<int>(parts.size()) != fields) {
            found.emplace(number, std::to_string(parts.size()) + " parts for " + std::to_string(fields) + " fields");
            return;
        }
        for (int i = 0; i < fields; ++i) {
            if (auto problem = PartProblem(table.Fields[i], parts[static_cast<size_t>(i)])) {
                found.emplace(number, *problem);
                return;
            }
        }
    });
    return found;
}

int Show(const std::string& input, int64_t maxRecords, const std::string& output) {
    const TInput in = ReadInput(input, nullptr);
    const std::string_view text(reinterpret_cast<const char*>(in.Bytes.data()), in.Bytes.size());
    TDBTable table("TSV", 0);
    const TTsvLoad load = table.LoadTsv(text);
    std::string out;
    if (!load.loaded) {
        out = "not loaded: line " + std::to_string(load.line) + ": " + load.problem + "\n";
    } else {
        out = ListTable(table, maxRecords);
        const auto doubtful = FirstDoubtfulLine(table, text);
        out += doubtful ? "first faulty line\t" + std::to_string(doubtful->first) + "\t" + doubtful->second + "\n"
                        : std::string("no faulty line\n");
    }
    TOutputFile file(output);
    file.Write(out);
    file.Close();
    return load.loaded ? kExitOk : kExitFailure;
}

} // namespace

int RunTable(const Args& args) {
    TVerbCommandLine line("ruvotool table",
                          "Shows how a tab-separated file loads into a data table, as DBLoadTsvFile loads it: the "
                          "fields (in the header form \"name int|float|bool|str LENGTH\"), the records, and the "
                          "first line whose values do not go in as written (a part count that differs from the "
                          "field count, a number that does not convert, a flag that is not TRUE or FALSE, a string "
                          "cut to its field's length). Exit code 1 when the file does not load (a field without a "
                          "name, too many fields, a table too large).");
    CLI::App& app = line.App();
    std::string input, output = "-";
    int64_t maxRecords = -1;
    app.add_option("INPUT", input, "FILE.tsv, or ARCHIVE:NAME.tsv (an entry of a game's archive)")->required();
    app.add_option("-n,--records", maxRecords, "show at most N records (default: all)")->type_name("N");
    app.add_option("-o,--output", output, "where to write (- for standard output, the default)")->type_name("FILE|-");
    if (auto exit = line.Parse(args)) return *exit;
    return Show(input, maxRecords, output);
}

} // namespace ruvo::tools
