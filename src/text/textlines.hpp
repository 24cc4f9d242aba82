#pragma once
// Texts as lists of lines, the way strings and string lists of the script meet: a line ends at CR LF,
// LF or CR, and a final empty line (a text ending in a line break) is not a line.
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

std::vector<std::string> SplitLines(std::string_view text);
// Lines joined with CR LF, without a break after the last.
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace ruvo
