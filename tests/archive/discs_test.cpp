#include "archive/discs.hpp"

#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"

namespace ruvo {
namespace {

TEST(Discs, OpticalMountsFromTheMountTable) {
    const char* table =
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "/dev/sr0 /media/user/GAME\\040DISC iso9660 ro,nosuid 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sr1 /mnt/cd2 udf ro 0 0\n"
        "broken-line\n";
    EXPECT_EQ(ParseOpticalMounts(table),
              (std::vector<std::filesystem::path>{"/media/user/GAME DISC", "/mnt/cd2"}));
    EXPECT_TRUE(ParseOpticalMounts("").empty());
}

TEST(Discs, DiscPromptIsNeverAFormatString) {
    const struct {
        std::string text, expected;
    } cases[] = {
        {"Disc %d please", "Disc 3 please"},
        {"%d and %d", "3 and %d"},
        {"%s %n %x 100%%", "%s %n %x 100%"},
        {"no number", "no number"},
        {"trailing %", "trailing %"},
    };
    for (const auto& k : cases) EXPECT_EQ(FormatDiscPrompt(k.text, 3), k.expected) << k.text;
    const TDiscTexts defaults = DefaultDiscTexts();
    EXPECT_EQ(SjisToUtf8(FormatDiscPrompt(defaults.DiscPrompt, 2)), "ディスク2を入れてから[OK]をクリックしてください");
}

TEST(Discs, DiscOfTakesTheDeepestListedFolder) {
    TFolderDiskList list;
    list.Add("data", 1);
    list.Add("Data\\Bg\\", 2);
    list.Add(Utf8ToSjis("表"), 3);  // 0x95 0x5C
    EXPECT_EQ(list.DiscOf("Data\\Bg\\Sky.png"), 2);
    EXPECT_EQ(list.DiscOf("data\\se\\a.wav"), 1);
    EXPECT_EQ(list.DiscOf("DATA"), 1);
    EXPECT_EQ(list.DiscOf("other\\x.png"), 0);
    EXPECT_EQ(list.DiscOf(""), 0);
    EXPECT_EQ(list.DiscOf(Utf8ToSjis("表\\x.png")), 3);
    // The second byte of a two-byte character is not a folder separator.
    EXPECT_EQ(list.DiscOf(Utf8ToSjis("表x.png")), 0);
}

TEST(Discs, FolderDiskListStream) {
    TFolderDiskList list;
    list.Add("a", 1);
    list.Add("b\\c", 2);
    TMemoryStream s;
    list.WriteTo(s);
    s.SetPosition(0);
    TFolderDiskList back;
    back.ReadFrom(s);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back[1].first, "b\\c");
    EXPECT_EQ(back[1].second, 2);

    // A count that cannot fit in what follows fails before anything is allocated.
    TMemoryStream hostile(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0});
    EXPECT_THROW(back.ReadFrom(hostile), ERuvoError);
}

} // namespace
} // namespace ruvo
