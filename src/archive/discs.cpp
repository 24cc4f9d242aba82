#include "archive/discs.hpp"

#include <fstream>
#include <sstream>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace {

// Mount points escape blanks and backslashes as three octal digits.
std::string UnescapeMountField(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view d = field.substr(i + 1, 3);
            if (d.size() == 3 && d[0] >= '0' && d[0] <= '3' && d[1] >= '0' && d[1] <= '7' && d[2] >= '0' &&
                d[2] <= '7') {
                out += static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string UpperSjis(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); i = NextCharPos(out, i))
        if (CharLength(out, i) == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
    return out;
}

// True when the last character is a "\" (not the second byte of a two-byte character).
bool EndsWithSeparator(std::string_view s) {
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i)) last = i;
    return last != std::string_view::npos && CharLength(s, last) == 1 && s[last] == '\\';
}

std::string WithSeparator(std::string_view s) {
    std::string out(s);
    if (!EndsWithSeparator(out)) out += '\\';
    return out;
}

} // namespace

std::vector<std::filesystem::path> ParseOpticalMounts(std::string_view mountTable) {
    std::vector<std::filesystem::path> roots;
    std::istringstream lines{std::string(mountTable)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        if (type == "iso9660" || type == "udf") roots.emplace_back(UnescapeMountField(mountPoint));
    }
    return roots;
}

std::vector<std::filesystem::path> TMountTableDiscRoots::Roots() {
    std::ifstream in(mountTable_);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseOpticalMounts(text.str());
}

TDiscTexts DefaultDiscTexts() {
    return TDiscTexts{Utf8ToSjis("情報"), Utf8ToSjis("ディスク%dを入れてから[OK]をクリックしてください"),
                      Utf8ToSjis("終了します")};
}

std::string FormatDiscPrompt(std::string_view text, int disc) {
    std::string out;
    bool numbered = false;
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        if (n == 1 && text[i] == '%' && i + 1 < text.size()) {
            if (text[i + 1] == 'd' && !numbered) {
                out += std::to_string(disc);
                numbered = true;
                i += 2;
                continue;
            }
            if (text[i + 1] == '%') {
                out += '%';
                i += 2;
                continue;
            }
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

void TFolderDiskList::ReadFrom(TStream& stream) {
    items_.clear();
    const int32_t count = ReadInt(stream);
    // Each pair takes at least 8 bytes: a string length and a disc number.
    if (count < 0 || count > stream.Remaining() / 8)
        throw std::move(ERuvoError::FromUtf8("読み込みエラー")
                            .AddContext("folder-to-disc map: count " + std::to_string(count) + " runs past the end"));
    for (int32_t i = 0; i < count; ++i) {
        std::string folder = ReadStr(stream);
        const int32_t disc = ReadInt(stream);
        items_.emplace_back(std::move(folder), disc);
    }
}

void TFolderDiskList::WriteTo(TStream& stream) const {
    WriteInt(stream, static_cast<int32_t>(items_.size()));
    for (const auto& [folder, disc] : items_) {
        WriteStr(stream, folder);
        WriteInt(stream, disc);
    }
}

int TFolderDiskList::DiscOf(std::string_view fileName) const {
    std::string name = UpperSjis(fileName);
    while (!name.empty()) {
        const std::string wanted = WithSeparator(name);
        for (const auto& [folder, disc] : items_)
            if (SameTextSjis(WithSeparator(folder), wanted)) return disc;
        size_t cut = 0;
        for (size_t i = 0; i < name.size(); i = NextCharPos(name, i))
            if (CharLength(name, i) == 1 && name[i] == '\\') cut = i;
        name.resize(cut);
    }
    return 0;
}

} // namespace ruvo
