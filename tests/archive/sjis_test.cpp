#include <gtest/gtest.h>

#include "archive/sjis.hpp"

namespace ruvo {
namespace {

TEST(Sjis, ConvertsBothWaysIncludingBackslashAndHalfWidthKana) {
    const struct {
        const char* utf8;
        const char* sjis;
    } cases[] = {
        {"abc", "abc"},
        {"構文エラー", "\x8d\x5c\x95\xb6\x83\x47\x83\x89\x81\x5b"},
        {"表\\x", "\x95\x5c\x5cx"},  // 表's trail byte is 0x5C; the backslash stays a backslash
        {"ｱ", "\xb1"},
        {"～", "\x81\x60"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToSjis(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(SjisToUtf8(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Sjis, ConversionErrorNamesThePosition) {
    try {
        Utf8ToSjis("ab\xF0\x9F\x98\x80");  // an emoji has no Shift-JIS form
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Position(), 2u);
    }
    try {
        SjisToUtf8("x\x81");  // a lead byte with nothing after it
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Position(), 1u);
    }
    EXPECT_EQ(Utf8ToSjisLossy("a\xF0\x9F\x98\x80z"), "a?z");
    EXPECT_EQ(SjisToUtf8Lossy("a\x81"), "a?");
}

TEST(Sjis, CharacterSteppingTreatsTwoByteCharactersAsOne) {
    const std::string s = "a\x83\x41" "b\x81";  // a, ア, b, dangling lead byte
    EXPECT_EQ(CharLength(s, 0), 1u);
    EXPECT_EQ(CharLength(s, 1), 2u);
    EXPECT_EQ(NextCharPos(s, 1), 3u);
    EXPECT_EQ(CharLength(s, 4), 1u);  // the last byte has no partner
    EXPECT_EQ(CharCount(s), 4u);
    EXPECT_TRUE(IsLeadByte(uint8_t{0x81}));
    EXPECT_TRUE(IsLeadByte(uint8_t{0xFC}));
    EXPECT_FALSE(IsLeadByte(uint8_t{0xA0}));
    EXPECT_FALSE(IsLeadByte(uint8_t{0x80}));
}

TEST(Sjis, CaseFoldingLeavesTrailBytesAlone) {
    // ア is 0x83 0x41: its second byte is 'A' and must not become 'a' (0x83 0x61 is another character).
    EXPECT_EQ(LowerSjis("AB\x83\x41Z"), "ab\x83\x41z");
    EXPECT_TRUE(SameTextSjis("Game.DAT", "game.dat"));
    EXPECT_FALSE(SameTextSjis("\x83\x41", "\x83\x61"));
    EXPECT_FALSE(SameTextSjis("ab", "abc"));
}

} // namespace
} // namespace ruvo
