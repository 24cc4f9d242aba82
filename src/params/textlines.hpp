#pragma once
// The lines of a text as the player's string lists take them: split at CR LF, LF or CR; a last line
// without an end counts, and a final line break adds no empty line.
#include <string_view>

namespace ruvo {

template <class Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        fn(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) fn(text.substr(start));
}

} // namespace ruvo
