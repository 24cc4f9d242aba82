// ruvotool expr: compiles expressions the way the builder stores them, reloads and evaluates them
// against declared variables, and prints the variables afterwards.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/valuetext.hpp"
#include "params/varset.hpp"
#include "tools/commands.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

constexpr const char* kUsage =
    "usage: ruvotool expr [--ops] [--verbose] [DECL...] [--] EXPR...\n"
    "  DECL: --int NAME[=V] | --float NAME[=V] | --flag NAME[=V] | --str NAME[=V]\n"
    "        --array NAME=TYPE:D1xD2... (TYPE: int, float, flag, str)\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "ruvotool expr: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

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

} // namespace

int RunExpr(const Args& args) {
    TParamCollection vars;
    TSysFuncMan funcs(vars);

    bool showOps = false, verbose = false, optionsDone = false;
    std::vector<std::string> declared;  // Shift-JIS names, in declaration order
    std::vector<std::string> expressions;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            expressions.push_back(a);
            continue;
        }
        if (a == "--") { optionsDone = true; continue; }
        if (a == "--ops") { showOps = true; continue; }
        if (a == "--verbose") { verbose = true; continue; }
        const std::string kind = a.substr(2);
        const int scalarType = TypeCodeOf(kind == "flag" || kind == "str" || kind == "int" || kind == "float" ? kind : "");
        if (scalarType == 0 && kind != "array") return Usage("unknown option " + a);
        if (i + 1 >= args.size()) return Usage(a + " needs a declaration");
        const std::string decl = args[++i];
        const size_t eq = decl.find('=');
        const std::string name = Utf8ToSjis(decl.substr(0, eq));
        try {
            TParamCollection::CheckName(name);
        } catch (const ERuvoError& e) {
            return Usage(e.what());
        }
        if (kind == "array") {
            const size_t colon = eq == std::string::npos ? std::string::npos : decl.find(':', eq);
            if (colon == std::string::npos) return Usage("--array needs NAME=TYPE:D1xD2...");
            const int type = TypeCodeOf(decl.substr(eq + 1, colon - eq - 1));
            if (type == 0) return Usage("unknown array type in " + decl);
            std::vector<int32_t> sizes;
            std::string rest = decl.substr(colon + 1);
            for (size_t start = 0;;) {
                const size_t x = rest.find('x', start);
                const auto d = TryTextToInt(rest.substr(start, x == std::string::npos ? std::string::npos : x - start));
                if (!d) return Usage("bad dimensions in " + decl);
                sizes.push_back(*d);
                if (x == std::string::npos) break;
                start = x + 1;
            }
            TParamCollectionItem& item = vars.Declare(name, type, TVarScope::Global);
            try {
                item.Value().SetDims(sizes);
            } catch (const ERuvoError& e) {
                return Usage(e.what());
            }
        } else {
            TParamCollectionItem& item = vars.Declare(name, scalarType, TVarScope::Global);
            if (eq != std::string::npos && !SetInitial(item.Value(), scalarType, decl.substr(eq + 1)))
                return Usage("bad " + kind + " value in " + decl);
        }
        declared.push_back(name);
    }

    for (const std::string& source : expressions) {
        TRuvoParser parser;
        try {
            parser = CompileExpression(Utf8ToSjis(source));
        } catch (const ERuvoError& e) {
            std::fprintf(stderr, "%s\n", SjisToUtf8Lossy(e.Message()).c_str());
            return 1;
        } catch (const EConvertError& e) {
            std::fprintf(stderr, "ruvotool expr: %s\n", e.what());
            return 1;
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
    }

    for (const std::string& name : declared) {
        const TParamCollectionItem* item = vars.Find(name);
        std::printf("%s=%s\n", SjisToUtf8Lossy(name).c_str(), item ? ValueTextUtf8(item->Value()).c_str() : "(none)");
    }
    return 0;
}

} // namespace ruvo::tools
