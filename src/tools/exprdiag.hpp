#pragma once
// Where an expression that does not compile goes wrong. The compiler rewrites its text as it goes and
// can only say "構文エラー"; this reads the author's text once more to name the token and its column.
#include <string>
#include <string_view>

namespace ruvo::tools {

// For UTF-8 expression text: a description such as `"==" at column 3 has no value on its right`, or
// "" when nothing suspicious is found. Columns count characters from 1.
std::string DiagnoseExpression(std::string_view utf8);

// The compiler's message (UTF-8) followed by the expression and, where found, the diagnosis.
std::string DescribeCompileError(std::string_view message, std::string_view utf8Expression);

} // namespace ruvo::tools
