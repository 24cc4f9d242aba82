#include "archive/sjis.hpp"

#include <cerrno>
#include <iconv.h>

namespace ruvo {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in; on an unconvertible or incomplete character either throws or, when lossy, puts
    // replacement and skips one character of the input.
    std::string Run(std::string_view in, bool lossy, std::string_view replacement, bool inputIsSjis) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(in.size() * 3 / 2 + 4);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[4096];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, dst - buf);
            if (r != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            size_t pos = in.size() - srcLeft;
            if (!lossy)
                throw EConvertError("cannot convert the character at byte " + std::to_string(pos) +
                                        (inputIsSjis ? " from Shift-JIS" : " to Shift-JIS"),
                                    pos);
            out += replacement;
            size_t skip = inputIsSjis ? CharLength(in, pos) : Utf8Length(static_cast<uint8_t>(*src));
            skip = std::min(skip, srcLeft);
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    static size_t Utf8Length(uint8_t c) {
        if (c >= 0xF0) return 4;
        if (c >= 0xE0) return 3;
        if (c >= 0xC0) return 2;
        return 1;
    }
    iconv_t cd_;
};

// One converter per direction and thread; iconv descriptors carry state.
Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}
Converter& ToSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<uint8_t>(c) >= 0x80) return false;
    return true;
}

} // namespace

size_t CharCount(std::string_view s) noexcept {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i)) ++n;
    return n;
}

std::string SjisToUtf8(std::string_view sjis) {
    if (IsAscii(sjis)) return std::string(sjis);
    return ToUtf8().Run(sjis, false, {}, true);
}

std::string Utf8ToSjis(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return ToSjis().Run(utf8, false, {}, false);
}

std::string SjisToUtf8Lossy(std::string_view sjis) noexcept {
    try {
        if (IsAscii(sjis)) return std::string(sjis);
        return ToUtf8().Run(sjis, true, "?", true);
    } catch (...) {
        return std::string();
    }
}

std::string Utf8ToSjisLossy(std::string_view utf8) noexcept {
    try {
        if (IsAscii(utf8)) return std::string(utf8);
        return ToSjis().Run(utf8, true, "?", false);
    } catch (...) {
        return std::string();
    }
}

std::string LowerSjis(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i = NextCharPos(out, i))
        if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] + ('a' - 'A'));
    return out;
}

bool SameTextSjis(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        size_t n = CharLength(a, i);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else {
            char x = a[i], y = b[i];
            if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
            if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
            if (x != y) return false;
        }
        i += n;
    }
    return true;
}

namespace {
char UpperAsciiChar(char c) noexcept { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char LowerAsciiChar(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
} // namespace

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = UpperAsciiChar(c);
    return out;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAsciiChar(c);
    return out;
}

bool SameTextAscii(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) return false;
    return true;
}

} // namespace ruvo
