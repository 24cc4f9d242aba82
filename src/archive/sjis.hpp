#pragma once
// Shift-JIS (code page 932) helpers. Strings inside the player are Shift-JIS bytes; UTF-8 appears only
// at the edges (terminal, window title, file names on disk, source files of the builder).
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ruvo {

// Raised when text cannot be converted; names the byte position of the offending character in the input.
class EConvertError : public std::runtime_error {
public:
    EConvertError(const std::string& what, size_t position)
        : std::runtime_error(what), position_(position) {}
    size_t Position() const noexcept { return position_; }

private:
    size_t position_;
};

// First byte of a two-byte character.
constexpr bool IsLeadByte(uint8_t c) noexcept {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool IsLeadByte(char c) noexcept { return IsLeadByte(static_cast<uint8_t>(c)); }

// Bytes taken by the character at pos: 2 for a lead byte followed by another byte, else 1.
inline size_t CharLength(std::string_view s, size_t pos) noexcept {
    return (pos + 1 < s.size() && IsLeadByte(s[pos])) ? 2 : 1;
}
// Position of the character after the one at pos.
inline size_t NextCharPos(std::string_view s, size_t pos) noexcept { return pos + CharLength(s, pos); }
// Number of characters (a two-byte character counts once).
size_t CharCount(std::string_view s) noexcept;

std::string SjisToUtf8(std::string_view sjis);   // throws EConvertError
std::string Utf8ToSjis(std::string_view utf8);   // throws EConvertError
// For logs and messages: unconvertible characters become '?', never throws.
std::string SjisToUtf8Lossy(std::string_view sjis) noexcept;
std::string Utf8ToSjisLossy(std::string_view utf8) noexcept;

// Case folding that leaves two-byte characters alone (their second byte may fall in 'A'..'Z').
std::string LowerSjis(std::string_view s);
bool SameTextSjis(std::string_view a, std::string_view b) noexcept;
// Case folding of ASCII text (file extensions, command names), byte by byte.
std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b) noexcept;

} // namespace ruvo
