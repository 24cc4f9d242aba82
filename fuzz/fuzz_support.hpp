#pragma once
// What the fuzz targets share: the input as a stream, the rule that readers may refuse input only with
// ERuvoError (anything else is a finding), the check that writing what was read is stable, and the
// player-wide objects expressions and the interpreter need.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "params/expr.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/quietservices.hpp"
#include "script/runcontext.hpp"

namespace ruvo::fuzz {

inline TMemoryStream InputStream(const uint8_t* data, size_t size) {
    return TMemoryStream(std::vector<uint8_t>(data, data + size));
}

inline std::string Bytes(TMemoryStream& s) {
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// Runs fn; a refusal with the reader's own error is a fine answer to hostile input.
template <class Fn>
bool Refused(Fn&& fn) {
    try {
        fn();
        return false;
    } catch (const ERuvoError&) {
        return true;
    }
}

// rewrite(stream, again) reads a record and answers it written again ("" when there is nothing to
// write); again is set for the second pass, over the first pass's output. The input may be refused,
// but what the writer wrote must be read back without complaint and written to the same bytes.
template <class Rewrite>
void CheckRewrite(TStream& input, Rewrite&& rewrite, const char* what) {
    std::string first;
    if (Refused([&] { first = rewrite(input, false); }) || first.empty()) return;
    TMemoryStream again(std::vector<uint8_t>(first.begin(), first.end()));
    const std::string second = rewrite(again, true);
    if (first == second) return;
    std::fprintf(stderr, "%s: writing what was read back changed %zu bytes into %zu\n", what, first.size(),
                 second.size());
    std::abort();
}

// A variable set with two variables (int "a", string "s") and the system functions, as scripts see them.
struct TVariables {
    TVariables() {
        vars.Declare("a", 1, TVarScope::Global);
        vars.Declare("s", 4, TVarScope::Global);
    }
    // Evaluates; every temporary the evaluation made must be gone afterwards.
    void Evaluate(TRuvoParser& parser) {
        parser.Evaluate(vars, funcs);
        if (vars.TemporaryCount() != 0) std::abort();
    }

    TParamCollection vars;
    TSysFuncMan funcs{vars};
};

// An interpreter whose page opener serves the same page bytes under every name.
struct TInterpreter {
    explicit TInterpreter(std::string pageBytes) : page(std::move(pageBytes)) {}

    std::string page;
    TQuietServices services;
    TVariables variables;
    TRunContext context{services, variables.vars, variables.funcs};
    TCallMan interpreter{context, [this](const std::string&) {
                             return std::make_unique<TMemoryStream>(std::vector<uint8_t>(page.begin(), page.end()));
                         }};
};

} // namespace ruvo::fuzz
