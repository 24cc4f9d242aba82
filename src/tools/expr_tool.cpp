// ruvotool expr: compiles expressions the way the builder stores them, reloads and evaluates them
// against declared variables, and prints the variables afterwards.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/valuetext.hpp"
#include "params/varset.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/exprdiag.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

int TypeCodeOf(const std::string& type) { return ValueTypeFromSourceName(type).value_or(0); }

// Sets a declared scalar from its UTF-8 text; false when the text is not a value of that type.
bool SetInitial(TCustomParam& v, int type, const std::string& utf8) {
    const std::string text = Utf8ToSjis(utf8);
    switch (type) {
    case 1: {
        auto n = TryTextToInt(text);
        if (!n) return false;
        v.SetInt(*n);
        return true;
    }
    case 2: {
        auto r = TryTextToReal(text);
        if (!r) return false;
        v.SetFloat(*r);
        return true;
    }
    case 3:
        if (text == "TRUE" || text == "FALSE") v.SetFlag(text == "TRUE");
        else if (text == "1" || text == "0") v.SetFlag(text == "1");
        else return false;
        return true;
    default: v.SetStr(text); return true;
    }
}

// A declaration of the command line, "NAME[=V]" or for arrays "NAME=TYPE:D1xD2...", into vars.
// Throws EUsageError for a bad one.
std::string Declare(TParamCollection& vars, const std::string& kind, const std::string& decl) {
    const size_t eq = decl.find('=');
    const std::string name = SourceToSjis(decl.substr(0, eq));
    try {
        TParamCollection::CheckName(name);
    } catch (const ERuvoError& e) {
        throw EUsageError(SjisToUtf8Lossy(e.Message()));
    }
    if (kind == "array") {
        const size_t colon = eq == std::string::npos ? std::string::npos : decl.find(':', eq);
        if (colon == std::string::npos) throw EUsageError("--array needs NAME=TYPE:D1xD2...");
        const int type = TypeCodeOf(decl.substr(eq + 1, colon - eq - 1));
        if (type == 0) throw EUsageError("unknown array type in " + decl);
        std::vector<int32_t> sizes;
        const std::string rest = decl.substr(colon + 1);
        for (size_t start = 0;;) {
            const size_t x = rest.find('x', start);
            const auto d = TryTextToInt(rest.substr(start, x == std::string::npos ? std::string::npos : x - start));
            if (!d) throw EUsageError("bad dimensions in " + decl);
            sizes.push_back(*d);
            if (x == std::string::npos) break;
            start = x + 1;
        }
        TParamCollectionItem& item = vars.Declare(name, type, TVarScope::Global);
        try {
            item.Value().SetDims(sizes);
        } catch (const ERuvoError& e) {
            throw EUsageError(SjisToUtf8Lossy(e.Message()));
        }
        return name;
    }
    const int type = TypeCodeOf(kind);
    TParamCollectionItem& item = vars.Declare(name, type, TVarScope::Global);
    if (eq != std::string::npos && !SetInitial(item.Value(), type, decl.substr(eq + 1)))
        throw EUsageError("bad " + kind + " value in " + decl);
    return name;
}

// True when the expression ends by handing its value out rather than assigning it to a variable.
bool YieldsValue(const TRuvoParser& parser) {
    return !parser.Empty() && parser.Operations().back().code == ocTo && parser.Operations().back().destIsResult;
}

} // namespace

int RunExpr(const Args& args) {
    TVerbCommandLine line("ruvotool expr",
                          "Compiles expressions the way the builder stores them, evaluates them in order against the "
                          "declared variables, and prints the value of each expression that assigns nothing as "
                          "\"= VALUE\", then every declared variable as NAME=VALUE.");
    CLI::App& app = line.App();
    bool showOps = false, verbose = false;
    std::vector<std::string> expressions;
    const char* const kinds[] = {"int", "float", "flag", "str", "array"};
    std::map<std::string, std::vector<std::string>> declarations;
    std::map<const CLI::Option*, std::string> kindOf;
    app.add_flag("--ops", showOps, "list the compiled operations of each expression");
    app.add_flag("--verbose", verbose, "say on standard error where an evaluation stopped and what it gave");
    for (const char* kind : kinds) {
        const std::string what = std::string(kind) == "array" ? "NAME=TYPE:D1xD2..."
                                                              : std::string("NAME[=VALUE]");
        CLI::Option* option = app.add_option(std::string("--") + kind, declarations[kind],
                                             std::string("declare ") + (std::string(kind) == "array"
                                                                            ? "an array (TYPE: int, float, flag, str)"
                                                                            : std::string("a variable of type ") + kind))
                                  ->type_name(what)
                                  ->allow_extra_args(false);
        kindOf[option] = kind;
    }
    app.add_option("EXPR", expressions, "expressions in the player's infix language (\"--\" before one starting with -)")
        ->required();
    if (auto exit = line.Parse(args)) return *exit;

    TParamCollection vars;
    TSysFuncMan funcs(vars);
    // Declarations take effect in the order given, whatever their kinds.
    std::vector<std::string> declared;  // Shift-JIS names, in declaration order
    std::map<std::string, size_t> used;
    for (const CLI::Option* option : app.parse_order()) {
        auto kind = kindOf.find(option);
        if (kind == kindOf.end()) continue;
        declared.push_back(Declare(vars, kind->second, declarations[kind->second][used[kind->second]++]));
    }

    for (const std::string& source : expressions) {
        TRuvoParser parser;
        try {
            parser = CompileExpression(Utf8ToSjis(source));
        } catch (const ERuvoError& e) {
            std::fprintf(stderr, "%s\n", DescribeCompileError(SjisToUtf8Lossy(e.Message()), source).c_str());
            return kExitFailure;
        } catch (const EConvertError& e) {
            std::fprintf(stderr, "ruvotool expr: %s\n", e.what());
            return kExitFailure;
        }
        if (showOps) {
            std::printf("# %s\n%s", source.c_str(), SjisToUtf8Lossy(parser.Listing()).c_str());
        }
        parser.Evaluate(vars, funcs);
        if (verbose) {
            const auto& stop = parser.LastStop();
            if (stop.operation >= 0)
                std::fprintf(stderr, "stopped at operation %d (%s): %s\n", stop.operation,
                             SjisToUtf8Lossy(TRuvoParser::DescribeOperation(parser.Operations()[static_cast<size_t>(stop.operation)])).c_str(),
                             SjisToUtf8Lossy(stop.message).c_str());
            if (const TCustomParam* result = parser.Result()) {
                const char* type = ValueTypeSourceName(result->TypeCode());
                std::fprintf(stderr, "result: %s (%s)\n", ValueTextUtf8(*result).c_str(), type ? type : "?");
            }
        }
        if (YieldsValue(parser))
            std::printf("= %s\n", parser.Result() ? ValueTextUtf8(*parser.Result()).c_str() : "(nothing)");
    }

    for (const std::string& name : declared) {
        const TParamCollectionItem* item = vars.Find(name);
        std::printf("%s=%s\n", SjisToUtf8Lossy(name).c_str(), item ? ValueTextUtf8(item->Value()).c_str() : "(none)");
    }
    return kExitOk;
}

} // namespace ruvo::tools
