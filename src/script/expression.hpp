#pragma once
// The expressions held by command records are the evaluator's compiled expressions. Besides their
// stored form, pages and tools need to tell an empty one and to show one as readable infix text.
#include <string>

#include "params/expr.hpp"

namespace ruvo {

using TExpression = TRuvoParser;

inline bool IsEmptyExpression(const TExpression& e) noexcept { return e.Empty(); }
// Readable infix text (Shift-JIS), rebuilt from the operation list: assignments as "a = ...",
// the value of the whole expression as its own text; several statements are joined by "; ".
std::string ExpressionText(const TExpression& e);

} // namespace ruvo
