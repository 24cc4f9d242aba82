#pragma once
// The expression compiler: rewrites infix source text (Shift-JIS) into a list of three-address
// operations by cutting out the innermost construct again and again and putting a temporary's name in
// its place; WriteTo classifies the operands and resolves function names into the stored form.
#include <string>
#include <string_view>
#include <vector>

#include "params/expr.hpp"

namespace ruvo {

class TStream;

// An operation while compiling: operands are source text; for ocFunc the first is the function name.
struct TBuildOpeData {
    TOpeCode code = ocNone;
    std::string dest;
    std::vector<std::string> operands;
};

class TBuildRuvoParser {
public:
    // Empties the list and compiles text; syntax problems throw ERuvoError ("構文エラー",
    // "配列の添え字が不正です"). Temporaries are numbered from firstTemporary (0 for stored expressions;
    // run-time compilations nested in an evaluation start higher so their names stay apart).
    void Compile(std::string_view text, int firstTemporary = 0);
    const std::vector<TBuildOpeData>& Operations() const noexcept { return ops_; }

    // The stored form. Unknown function names and wrong argument counts throw here.
    void WriteTo(TStream& s) const;
    // WriteTo followed by loading, as a page stores and reloads it.
    TRuvoParser Build() const;

private:
    class Rewriter;
    std::vector<TBuildOpeData> ops_;
};

// Compiles, writes and loads in one step: source text (Shift-JIS) to an evaluable expression.
TRuvoParser CompileExpression(std::string_view text, int firstTemporary = 0);

} // namespace ruvo
