#pragma once
// A variable set with its function manager (nothing else bound), and helpers to run expressions as a page does.
#include <gtest/gtest.h>

#include <string>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/exprbuild.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"

namespace ruvo::testing {

class ParamsFixture : public ::testing::Test {
protected:
    TParamCollection vars;
    TSysFuncMan funcs{vars};

    // Declares a global variable of the type (1..4) with an initial value given as text.
    TCustomParam& Declare(const std::string& name, int type, const std::string& value = {}) {
        TCustomParam& v = vars.Declare(name, type, TVarScope::Global).Value();
        if (!value.empty()) v.SetStr(Utf8ToSjis(value));
        return v;
    }
    // Compiles (UTF-8 source), stores, reloads and evaluates; returns the parser for Result/LastStop.
    TRuvoParser Run(const std::string& source) {
        TRuvoParser parser = CompileExpression(Utf8ToSjis(source));
        parser.Evaluate(vars, funcs);
        return parser;
    }
    // The value of the whole expression as a UTF-8 string, "(none)" when it yields nothing.
    std::string Value(const std::string& source) {
        TRuvoParser parser = Run(source);
        return parser.Result() ? SjisToUtf8(parser.Result()->AsStr()) : "(none)";
    }
    std::string Str(const std::string& name) {
        TParamCollectionItem* item = vars.Find(Utf8ToSjis(name));
        return item ? SjisToUtf8(item->Value().AsStr()) : "(none)";
    }
    // The message (UTF-8) of the error compiling and writing source throws, or "" when none.
    static std::string CompileError(const std::string& source) {
        try {
            CompileExpression(Utf8ToSjis(source));
        } catch (const ERuvoError& e) {
            return SjisToUtf8(e.Message());
        }
        return {};
    }
    // Number of variables besides the 49 system ones.
    int UserVariableCount() const { return vars.Count() - 49; }
};

// The UTF-8 text of the error fn throws.
template <class Fn>
std::string ErrorOf(Fn&& fn) {
    try {
        fn();
    } catch (const ERuvoError& e) {
        return SjisToUtf8(e.Message());
    }
    return {};
}

} // namespace ruvo::testing
