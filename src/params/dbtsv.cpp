#include "params/dbtsv.hpp"

#include <algorithm>

#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "params/dbtable.hpp"
#include "params/limits.hpp"
#include "params/textlines.hpp"

namespace ruvo {

namespace {

// Without leading and trailing characters up to space (control characters included).
std::string_view Trimmed(std::string_view s) noexcept {
    while (!s.empty() && static_cast<uint8_t>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<uint8_t>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// The text before the first space, and the text after it (empty without a space).
std::pair<std::string_view, std::string_view> CutAtSpace(std::string_view s) noexcept {
    const size_t space = s.find(' ');
    if (space == std::string_view::npos) return {s, {}};
    return {s.substr(0, space), s.substr(space + 1)};
}

int TypeOfWord(std::string_view word) noexcept {
    if (word == "int") return kDBInteger;
    if (word == "float") return kDBFloat;
    if (word == "bool") return kDBFlag;
    return kDBString;
}

} // namespace

void SplitTsvLine(std::string_view line, std::vector<std::string_view>& parts) {
    parts.clear();
    size_t start = 0;
    for (size_t i = 0; i < line.size(); i = NextCharPos(line, i)) {
        if (line[i] != '\t') continue;
        parts.push_back(line.substr(start, i - start));
        start = i + 1;
    }
    if (start < line.size()) parts.push_back(line.substr(start));
}

std::string_view UnescapeTsvLine(std::string_view line, std::string& buffer) {
    if (line.find('\\') == std::string_view::npos) return line;
    buffer.clear();
    for (size_t i = 0; i < line.size();) {
        const size_t n = CharLength(line, i);
        if (n == 1 && line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[i + 1];
            if (next == '"' || next == '\\') {
                buffer += next;
                i += 2;
                continue;
            }
            if (next == 'n') {
                buffer += "\r\n";
                i += 2;
                continue;
            }
        }
        buffer.append(line, i, n);
        i += n;
    }
    return buffer;
}

TTsvField ParseTsvField(std::string_view part) {
    TTsvField field;
    const auto [name, afterName] = CutAtSpace(part);
    field.name = Trimmed(name);
    const auto [type, rest] = CutAtSpace(Trimmed(afterName));
    field.type = TypeOfWord(Trimmed(type));
    field.maxLength = TextToIntDef(Trimmed(rest), kTsvDefaultLength);
    return field;
}

std::string TsvFieldText(const TDBField& field) {
    switch (field.Type) {
    case kDBInteger: return field.Name + " int";
    case kDBFloat: return field.Name + " float";
    case kDBFlag: return field.Name + " bool";
    default: return field.Name + " str " + std::to_string(std::max(field.Size - 1, 0));
    }
}

TTsvLoad TDBCustomTable::LoadTsv(std::string_view text) {
    Clear();
    TTsvLoad result;
    int32_t lineNumber = 0;
    std::vector<std::string_view> parts;
    std::string buffer;
    const auto fail = [&](std::string problem) {
        if (result.line == 0) {
            Clear();
            result.line = lineNumber;
            result.problem = std::move(problem);
        }
    };
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (result.line != 0) return;
        if (line.size() > kMaxStringLength) return fail("a line of " + std::to_string(line.size()) + " bytes");
        if (lineNumber == 1) {
            SplitTsvLine(line, parts);
            for (size_t i = 0; i < parts.size(); ++i) {
                const TTsvField f = ParseTsvField(parts[i]);
                const std::string which = "field " + std::to_string(i + 1);
                if (f.name.empty()) return fail(which + " has no name");
                if (Fields.Count() >= kMaxDBFields) return fail("more than " + std::to_string(kMaxDBFields) + " fields");
                if (f.type == kDBString && f.maxLength > static_cast<int64_t>(kMaxStringLength))
                    return fail(which + ": a max length of " + std::to_string(f.maxLength) + " bytes");
                if (Fields.AddField(f.name, f.type, f.maxLength) < 0) return fail("records pass the size of a table");
            }
            return;
        }
        if (line.empty()) return;
        SplitTsvLine(UnescapeTsvLine(line, buffer), parts);
        if (!Append()) return fail("the records pass the size of a table");
        const size_t n = std::min(parts.size(), static_cast<size_t>(Fields.Count()));
        for (size_t i = 0; i < n; ++i) SetText(RecNo(), static_cast<int>(i), parts[i]);
    });
    result.loaded = result.line == 0;
    return result;
}

} // namespace ruvo
