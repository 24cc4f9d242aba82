#pragma once
// Half-width and full-width forms (Shift-JIS): ASCII 0x20..0x7E and the half-width katakana
// 0xA1..0xDF against their JIS X 0208 full-width characters.
#include <string>
#include <string_view>

namespace ruvo {

// A half-width kana followed by the (semi-)voiced mark becomes one voiced full-width kana where one
// exists; double-byte characters are copied.
std::string HanToZen(std::string_view s);
// The inverse for the same sets: a voiced full-width kana becomes the kana and its mark.
std::string ZenToHan(std::string_view s);

} // namespace ruvo
