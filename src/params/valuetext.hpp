#pragma once
// A variable's value as a line of text for people and test files: the string form in UTF-8 with
// backslash, CR and LF escaped; a holder with dimensions as "[v0,v1,...]" in flat order.
#include <string>

namespace ruvo {

class TCustomParam;

std::string ValueTextUtf8(const TCustomParam& value);
// A Shift-JIS text as one line of UTF-8, backslash, CR and LF escaped as in a value's text.
std::string TextLineUtf8(const std::string& sjis);

} // namespace ruvo
