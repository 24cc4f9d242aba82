// String functions (byte and Shift-JIS character variants), half- and full-width forms, file names.
#include <algorithm>
#include <cstdio>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "params/funcs_impl.hpp"
#include "params/kana.hpp"
#include "params/limits.hpp"

namespace ruvo::funcs {

namespace {

// Byte offsets of the character starts of s, plus s.size() at the end.
std::vector<size_t> CharStarts(std::string_view s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i)) starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

// Unit = bytes, or characters when the string is split by CharStarts.
struct Units {
    explicit Units(std::string_view s, bool chars) : text(s) {
        if (chars) starts = CharStarts(s);
    }
    size_t Count() const { return starts.empty() ? text.size() : starts.size() - 1; }
    size_t Offset(size_t unit) const { return starts.empty() ? unit : starts[unit]; }
    std::string_view text;
    std::vector<size_t> starts;
};

// Delphi-style Copy on units: 1-based index below 1 counts from 1, counts clamp to what is left.
std::string CopyUnits(std::string_view s, int32_t index, int64_t count, bool chars) {
    const Units u(s, chars);
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<size_t>(index) > u.Count()) return {};
    const size_t from = static_cast<size_t>(index) - 1;
    const size_t to = std::min<size_t>(u.Count(), from + static_cast<size_t>(std::min<int64_t>(count, INT32_MAX)));
    return std::string(s.substr(u.Offset(from), u.Offset(to) - u.Offset(from)));
}

std::string DeleteUnits(std::string_view s, int32_t index, int64_t count, bool chars) {
    const Units u(s, chars);
    if (index < 1 || static_cast<size_t>(index) > u.Count() || count <= 0) return std::string(s);
    const size_t from = static_cast<size_t>(index) - 1;
    const size_t to = std::min<size_t>(u.Count(), from + static_cast<size_t>(std::min<int64_t>(count, INT32_MAX)));
    std::string out(s.substr(0, u.Offset(from)));
    out += s.substr(u.Offset(to));
    return out;
}

std::string InsertUnits(std::string_view source, std::string_view s, int32_t index, bool chars) {
    const Units u(s, chars);
    size_t at = index < 1 ? 0 : std::min<size_t>(static_cast<size_t>(index) - 1, u.Count());
    std::string out(s.substr(0, u.Offset(at)));
    out += source;
    out += s.substr(u.Offset(at));
    return out;
}

// 1-based position of sub in s (in bytes, or in characters matching only at character starts), 0 when absent.
int32_t PosUnits(std::string_view sub, std::string_view s, bool chars) {
    if (sub.empty()) return 0;
    if (!chars) {
        const size_t p = s.find(sub);
        return p == std::string_view::npos ? 0 : static_cast<int32_t>(p + 1);
    }
    int32_t n = 1;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i), ++n)
        if (s.substr(i, sub.size()) == sub) return n;
    return 0;
}

int32_t CompareBytes(std::string_view a, std::string_view b, bool ignoreCase) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int x = static_cast<uint8_t>(a[i]), y = static_cast<uint8_t>(b[i]);
        if (ignoreCase) {
            if (x >= 'a' && x <= 'z') x -= 32;
            if (y >= 'a' && y <= 'z') y -= 32;
        }
        if (x != y) return x - y;
    }
    return static_cast<int32_t>(a.size()) - static_cast<int32_t>(b.size());
}

std::string TrimControl(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<uint8_t>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<uint8_t>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

// Removes spaces and full-width spaces at both ends, at character boundaries.
std::string JTrim(std::string_view s) {
    auto starts = CharStarts(s);
    size_t b = 0, e = starts.size() - 1;
    auto blank = [&](size_t unit) {
        const std::string_view c = s.substr(starts[unit], starts[unit + 1] - starts[unit]);
        return c == " " || c == "\x81\x40";
    };
    while (b < e && blank(b)) ++b;
    while (e > b && blank(e - 1)) --e;
    return std::string(s.substr(starts[b], starts[e] - starts[b]));
}

std::string FixStr(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && NextCharPos(s, i) < s.size()) i = NextCharPos(s, i);
    // i is the start of the last character; a lone lead byte there is cut off.
    if (!s.empty() && i == s.size() - 1 && IsLeadByte(s[i])) return std::string(s.substr(0, i));
    return std::string(s);
}

std::string MapCase(std::string_view s, bool upper) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i = NextCharPos(out, i)) {
        char& c = out[i];
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

std::string StringReplace(std::string_view s, std::string_view from, std::string_view to, bool all, bool ignoreCase) {
    if (from.empty()) return std::string(s);
    const std::string hay = ignoreCase ? MapCase(s, true) : std::string(s);
    const std::string needle = ignoreCase ? MapCase(from, true) : std::string(from);
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        if (hay.compare(i, needle.size(), needle) == 0) {
            out += to;
            CheckStringLength(out.size());
            i += needle.size();
            if (!all) {
                out += s.substr(i);
                return out;
            }
            continue;
        }
        const size_t next = NextCharPos(s, i);
        out += s.substr(i, next - i);
        i = next;
    }
    return out;
}

std::string Repeat(std::string_view s, int32_t n) {
    if (n <= 0 || s.empty()) return {};
    CheckStringLength(s.size() * static_cast<size_t>(n));
    std::string out;
    out.reserve(s.size() * static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) out += s;
    return out;
}

std::string FormatInt(int32_t value, int32_t digits) {
    digits = std::clamp(digits, 0, 1024);
    char buf[1100];
    std::snprintf(buf, sizeof buf, "%.*d", static_cast<int>(digits), static_cast<int>(value));
    return buf;
}

std::string FormatHex(int32_t value, int32_t digits) {
    digits = std::clamp(digits, 0, 1024);
    char buf[1100];
    std::snprintf(buf, sizeof buf, "%.*X", static_cast<int>(digits), static_cast<unsigned>(value));
    return buf;
}

// 1-based byte position of the last single-byte character of s found in delims, 0 when none.
size_t LastDelimiter(std::string_view delims, std::string_view s) {
    size_t found = 0;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i))
        if (CharLength(s, i) == 1 && delims.find(s[i]) != std::string_view::npos) found = i + 1;
    return found;
}

// The byte at 1-based position i of s is a single-byte character found in delims.
bool IsDelimiterAt(std::string_view delims, std::string_view s, int32_t i) {
    if (i < 1 || static_cast<size_t>(i) > s.size()) return false;
    const size_t pos = static_cast<size_t>(i) - 1;
    size_t start = 0;
    while (NextCharPos(s, start) <= pos) start = NextCharPos(s, start);
    return start == pos && CharLength(s, pos) == 1 && delims.find(s[pos]) != std::string_view::npos;
}

std::string ExtractFileExt(std::string_view s) {
    const size_t i = LastDelimiter(".\\:", s);
    if (i == 0 || s[i - 1] != '.') return {};
    return std::string(s.substr(i - 1));
}

std::string ChangeFileExt(std::string_view s, std::string_view ext) {
    size_t i = LastDelimiter(".\\:", s);
    if (i == 0 || s[i - 1] != '.') i = s.size() + 1;
    return std::string(s.substr(0, i - 1)) + std::string(ext);
}

const TBuiltInFunction kTextFunctions[] = {
    {sfIntToStr, [](const TFuncCall& c) { c.dest.SetStr(c.Has(1) ? FormatInt(c.Int(0), c.Int(1)) : IntToText(c.Int(0))); }},
    {sfIntToHex, [](const TFuncCall& c) { c.dest.SetStr(FormatHex(c.Int(0), c.Int(1))); }},
    {sfLength, [](const TFuncCall& c) { c.dest.SetInt(static_cast<int32_t>(c.Str(0).size())); }},
    {sfJLength, [](const TFuncCall& c) { c.dest.SetInt(static_cast<int32_t>(CharCount(c.Str(0)))); }},
    {sfCopy, [](const TFuncCall& c) { c.dest.SetStr(CopyUnits(c.Str(0), c.Int(1), c.IntOr(2, INT32_MAX), false)); }},
    {sfJCopy, [](const TFuncCall& c) { c.dest.SetStr(CopyUnits(c.Str(0), c.Int(1), c.IntOr(2, INT32_MAX), true)); }},
    {sfDelete, [](const TFuncCall& c) { WriteStr(*c.args[0], DeleteUnits(c.Str(0), c.Int(1), c.IntOr(2, INT32_MAX), false)); }},
    {sfJDelete, [](const TFuncCall& c) { WriteStr(*c.args[0], DeleteUnits(c.Str(0), c.Int(1), c.IntOr(2, INT32_MAX), true)); }},
    {sfInsert, [](const TFuncCall& c) { WriteStr(*c.args[1], InsertUnits(c.Str(0), c.Str(1), c.Int(2), false)); }},
    {sfJInsert, [](const TFuncCall& c) { WriteStr(*c.args[1], InsertUnits(c.Str(0), c.Str(1), c.Int(2), true)); }},
    {sfCompareStr, [](const TFuncCall& c) { c.dest.SetInt(CompareBytes(c.Str(0), c.Str(1), false)); }},
    {sfCompareText, [](const TFuncCall& c) { c.dest.SetInt(CompareBytes(c.Str(0), c.Str(1), true)); }},
    {sfPos, [](const TFuncCall& c) { c.dest.SetInt(PosUnits(c.Str(0), c.Str(1), false)); }},
    {sfJPos, [](const TFuncCall& c) { c.dest.SetInt(PosUnits(c.Str(0), c.Str(1), true)); }},
    {sfTrim, [](const TFuncCall& c) { c.dest.SetStr(TrimControl(c.Str(0))); }},
    {sfJTrim, [](const TFuncCall& c) { c.dest.SetStr(JTrim(c.Str(0))); }},
    {sfFixStr, [](const TFuncCall& c) { c.dest.SetStr(FixStr(c.Str(0))); }},
    {sfLowerCase, [](const TFuncCall& c) { c.dest.SetStr(MapCase(c.Str(0), false)); }},
    {sfUpperCase, [](const TFuncCall& c) { c.dest.SetStr(MapCase(c.Str(0), true)); }},
    {sfExtractFilePath, [](const TFuncCall& c) {
         const std::string s = c.Str(0);
         c.dest.SetStr(s.substr(0, LastDelimiter("\\:", s)));
     }},
    {sfExtractFileName, [](const TFuncCall& c) {
         const std::string s = c.Str(0);
         c.dest.SetStr(s.substr(LastDelimiter("\\:", s)));
     }},
    {sfExtractFileExt, [](const TFuncCall& c) { c.dest.SetStr(ExtractFileExt(c.Str(0))); }},
    {sfIsPathDelimiter, [](const TFuncCall& c) { c.dest.SetFlag(IsDelimiterAt("\\", c.Str(0), c.Int(1))); }},
    {sfAddBackSlash, [](const TFuncCall& c) {
         std::string s = c.Str(0);
         if (!IsDelimiterAt("\\", s, static_cast<int32_t>(s.size()))) s += '\\';
         c.dest.SetStr(std::move(s));
     }},
    {sfChangeFileExt, [](const TFuncCall& c) { c.dest.SetStr(ChangeFileExt(c.Str(0), c.Str(1))); }},
    {sfIsDelimiter, [](const TFuncCall& c) { c.dest.SetFlag(IsDelimiterAt(c.Str(0), c.Str(1), c.Int(2))); }},
    {sfStringOfChar, [](const TFuncCall& c) { c.dest.SetStr(Repeat(c.Str(0), c.Int(1))); }},
    {sfStringReplace, [](const TFuncCall& c) {
         c.dest.SetStr(StringReplace(c.Str(0), c.Str(1), c.Str(2), c.FlagOr(3, false), c.FlagOr(4, false)));
     }},
    {sfHanToZen, [](const TFuncCall& c) { c.dest.SetStr(HanToZen(c.Str(0))); }},
    {sfZenToHan, [](const TFuncCall& c) { c.dest.SetStr(ZenToHan(c.Str(0))); }},
    {sfAddDelimiter, [](const TFuncCall& c) {
         const std::string s = c.Str(1);
         c.dest.SetStr(s.empty() ? std::string() : s + c.Str(0));
     }},
    {sfStrToIntDef, [](const TFuncCall& c) { c.dest.SetInt(TextToIntDef(c.Str(0), c.Int(1))); }},
    {sfStrToFloatDef, [](const TFuncCall& c) { c.dest.SetFloat(TextToRealDef(c.Str(0), c.Float(1))); }},
};

} // namespace

std::span<const TBuiltInFunction> TextFunctions() { return kTextFunctions; }

} // namespace ruvo::funcs
