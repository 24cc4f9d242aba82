#include "params/valuetext.hpp"

#include "archive/sjis.hpp"
#include "params/values.hpp"

namespace ruvo {

std::string TextLineUtf8(const std::string& sjis) {
    std::string out;
    for (char c : SjisToUtf8Lossy(sjis)) {
        if (c == '\\') out += "\\\\";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string ValueTextUtf8(const TCustomParam& v) {
    if (v.Dims().empty()) return TextLineUtf8(v.AsStr());
    std::string text = "[";
    for (int i = 0; i < v.Count(); ++i) {
        if (i) text += ',';
        text += TextLineUtf8(v.GetStrAt(i));
    }
    return text + "]";
}

} // namespace ruvo
