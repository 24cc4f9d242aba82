#include "tools/sourcetext.hpp"

#include <algorithm>
#include <charconv>

#include "archive/sjis.hpp"

namespace ruvo::tools {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char kHexDigits[] = "0123456789abcdef";

} // namespace

std::string SourceToSjis(std::string_view utf8) {
    try {
        return Utf8ToSjis(utf8);
    } catch (const EConvertError& e) {
        size_t at = e.Position();
        size_t end = at + 1;
        while (end < utf8.size() && (static_cast<uint8_t>(utf8[end]) & 0xC0) == 0x80) ++end;
        throw std::runtime_error("the character \"" + std::string(utf8.substr(at, end - at)) +
                                 "\" has no Shift-JIS form");
    }
}

bool SjisToUtf8Exact(std::string_view sjis, std::string& utf8) {
    try {
        utf8 = SjisToUtf8(sjis);
        return Utf8ToSjis(utf8) == sjis;
    } catch (const EConvertError&) {
        return false;
    }
}

std::string PageNameFromSource(std::string_view literalSource) {
    std::string text(literalSource);
    // A "/" in source text is never part of an escape, so each one is a separator the author wrote.
    std::string escaped;
    for (char c : text) escaped += c == '/' ? std::string("\\\\") : std::string(1, c);
    return StringLiteralValue(escaped);
}

std::string FormatPageNameLiteral(std::string_view sjis) {
    std::string literal = FormatStringLiteral(sjis), out;
    for (char c : literal) out += c == '/' ? std::string("\\x2f") : std::string(1, c);
    return out;
}

std::string ParseStringLiteral(std::string_view text, size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') throw std::runtime_error("a string in double quotes is expected");
    std::string sjis, run;
    auto flush = [&] {
        sjis += SourceToSjis(run);
        run.clear();
    };
    for (size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            flush();
            pos = i + 1;
            return sjis;
        }
        if (c != '\\') {
            run += c;
            continue;
        }
        if (++i >= text.size()) break;
        switch (text[i]) {
        case '"': run += '"'; break;
        case '\\': run += '\\'; break;
        case 'n': run += '\n'; break;
        case 'r': run += '\r'; break;
        case 't': run += '\t'; break;
        case 'x': {
            int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) throw std::runtime_error("\\x needs two hexadecimal digits");
            flush();
            sjis += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: throw std::runtime_error(std::string("unknown escape \\") + text[i]);
        }
    }
    throw std::runtime_error("the string has no closing double quote");
}

std::string StringLiteralValue(std::string_view text) {
    text = Trim(text);
    size_t pos = 0;
    std::string value = ParseStringLiteral(text, pos);
    if (pos != text.size()) throw std::runtime_error("unexpected text after the string: " + std::string(text.substr(pos)));
    return value;
}

std::string FormatStringLiteral(std::string_view sjis) {
    std::string out = "\"";
    for (size_t i = 0; i < sjis.size();) {
        size_t n = CharLength(sjis, i);
        std::string_view ch = sjis.substr(i, n);
        unsigned char c = static_cast<unsigned char>(ch[0]);
        std::string utf8;
        if (n == 1 && c == '"') out += "\\\"";
        else if (n == 1 && c == '\\') out += "\\\\";
        else if (n == 1 && c == '\n') out += "\\n";
        else if (n == 1 && c == '\r') out += "\\r";
        else if (n == 1 && c == '\t') out += "\\t";
        else if ((n == 1 && (c < 0x20 || c == 0x7F)) || !SjisToUtf8Exact(ch, utf8)) {
            for (char b : ch) {
                out += "\\x";
                out += kHexDigits[static_cast<uint8_t>(b) >> 4];
                out += kHexDigits[static_cast<uint8_t>(b) & 15];
            }
        } else {
            out += utf8;
        }
        i += n;
    }
    return out + "\"";
}

std::string_view StripTrailingComment(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return Trim(line.substr(0, i));
        }
    }
    return line;
}

std::string_view Trim(std::string_view text) {
    size_t a = 0, b = text.size();
    while (a < b && (text[a] == ' ' || text[a] == '\t')) ++a;
    while (b > a && (text[b - 1] == ' ' || text[b - 1] == '\t' || text[b - 1] == '\r')) --b;
    return text.substr(a, b - a);
}

std::vector<std::string> SplitTopLevel(std::string_view text) {
    std::vector<std::string> parts;
    int depth = 0;
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == '[') {
            ++depth;
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        } else if (c == ',' && depth == 0) {
            parts.emplace_back(Trim(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    std::string_view last = Trim(text.substr(start));
    if (!last.empty() || !parts.empty()) parts.emplace_back(last);
    return parts;
}

std::string ToHex(std::string_view bytes) {
    std::string hex;
    for (char b : bytes) {
        hex += kHexDigits[static_cast<uint8_t>(b) >> 4];
        hex += kHexDigits[static_cast<uint8_t>(b) & 15];
    }
    return hex;
}

std::string FromHex(std::string_view hex) {
    std::string bytes;
    int high = -1;
    for (char c : hex) {
        if (c == ' ' || c == '\t') continue;
        int d = HexDigit(c);
        if (d < 0) throw std::runtime_error(std::string("not a hexadecimal digit: ") + c);
        if (high < 0) high = d;
        else bytes += static_cast<char>(high * 16 + d), high = -1;
    }
    if (high >= 0) throw std::runtime_error("odd number of hexadecimal digits");
    return bytes;
}

namespace {
constexpr const char* kValueTypeNames[] = {"int", "float", "flag", "str"};
} // namespace

const char* ValueTypeSourceName(int type) noexcept { return type >= 1 && type <= 4 ? kValueTypeNames[type - 1] : nullptr; }

std::optional<uint8_t> ValueTypeFromSourceName(std::string_view name) noexcept {
    for (uint8_t type = 1; type <= 4; ++type)
        if (name == kValueTypeNames[type - 1]) return type;
    return std::nullopt;
}

void ForEachSourceLine(std::string_view utf8Source, const std::string& file,
                       const std::function<void(std::string_view line)>& parse) {
    int number = 0;
    size_t start = 0;
    while (start <= utf8Source.size()) {
        const size_t end = std::min(utf8Source.find('\n', start), utf8Source.size());
        ++number;
        const std::string_view line = Trim(StripTrailingComment(utf8Source.substr(start, end - start)));
        start = end + 1;
        if (line.empty()) continue;
        try {
            parse(line);
        } catch (const ESourceError&) {
            throw;
        } catch (const std::exception& e) {
            throw ESourceError(file, number, e.what());
        }
    }
}

int32_t WholeNumber(std::string_view text) {
    int32_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw std::runtime_error("\"" + std::string(text) + "\" is not a whole number");
    return v;
}

} // namespace ruvo::tools
