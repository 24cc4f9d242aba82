#pragma once
// Shared pieces of the built-in system functions, one file per family (text, numbers and dates,
// variables and arrays); each family lists its functions with their handlers.
#include <span>
#include <string>
#include <vector>

#include "params/sysfuncs.hpp"

namespace ruvo::funcs {

std::span<const TBuiltInFunction> TextFunctions();
std::span<const TBuiltInFunction> NumberFunctions();
std::span<const TBuiltInFunction> VariableFunctions();

// Whether the argument names a variable (a reference bound to a record).
bool IsVariable(const TCustomParam& arg) noexcept;
// The whole holder an argument refers to: the referenced variable's value, or the literal itself.
const TCustomParam& Whole(const TCustomParam& arg) noexcept;
// The variable an argument must name; a literal raises "<function>:変数が見つかりません".
TCustomParam& VariableArg(TArgs args, size_t i, const char* function);
// Writes into a variable argument; a write to a literal is lost (it must not change the constant).
void WriteStr(TCustomParam& arg, std::string value);
void WriteInt(TCustomParam& arg, int32_t value);
// The lines of a text (textlines.hpp).
std::vector<std::string> SplitLines(std::string_view s);
// target becomes a one-dimensional array of the strings, or an empty scalar when there are none.
void StoreStrings(TCustomParam& target, const std::vector<std::string>& items);

} // namespace ruvo::funcs
