#include "archive/installset.hpp"

#include <gtest/gtest.h>

#include "archive/errors.hpp"

namespace ruvo {
namespace {

using Bytes = std::vector<uint8_t>;

#define I32(v) uint8_t((v) & 0xFF), uint8_t(((v) >> 8) & 0xFF), uint8_t(((v) >> 16) & 0xFF), uint8_t(((v) >> 24) & 0xFF)
#define I64(v) I32(v), 0, 0, 0, 0

const Bytes kV107 = {
    'i', 's', '1', '0', '7',  // signature and version
    I32(1),                   // disc index
    I32(4), 'G', 'a', 'm', 'e',  // title
    I32(1), 'a', I32(1), 'b', I32(0),  // three strings
    0x07,                     // byte
    I32(0),                   // string
    0x09,                     // byte
    I32(1),                   // M = 1 group
    I32(2), 'x', 'y',         // string
    I32(12),                  // int32
    0x0D, 0x0E,               // two bytes
    I32(0), I32(1), 'z',      // two strings
    I64(1), I64(2), I64(3), I64(4),  // the group: four 8-byte values
    I64(5), I64(6), I64(7), I64(8),  // four 8-byte values
    0x13,                     // byte
    0x14,                     // byte (101)
    I32(1), I32(8), 's', 'a', 'v', 'e', '.', 'd', 'a', 't',  // created files (102)
    0x01,                     // installed whole (103)
    0x17,                     // byte (104)
    0x18,                     // byte (105)
    I32(1), I32(1), 'q',      // string list (106)
    I32(3), 'e', 'n', 'd',    // string (107)
};

// Version 0: no signature, 4-byte values, nothing after the byte of item 19.
const Bytes kV0 = {
    I32(0),                         // disc index
    I32(1), 'T',                    // title
    I32(0), I32(0), I32(0),         // three strings
    0x00, I32(0), 0x00,             // byte, string, byte
    I32(1),                         // M = 1
    I32(0), I32(0), 0x00, 0x00,     // string, int32, two bytes
    I32(0), I32(0),                 // two strings
    I32(1), I32(2), I32(3), I32(4), // the group: 4-byte values
    I32(5), I32(6), I32(7), I32(8), // 4-byte values
    0x01,                           // byte
};

TRuvoInstallSet Read(const Bytes& bytes) {
    TMemoryStream s{Bytes(bytes)};
    TRuvoInstallSet set;
    set.LoadFromStream(s);
    return set;
}

Bytes Written(const TRuvoInstallSet& set) {
    TMemoryStream s;
    set.SaveToStream(s);
    return s.Bytes();
}

TEST(InstallSet, Version107FieldsAndWriteBack) {
    const TRuvoInstallSet set = Read(kV107);
    EXPECT_EQ(set.Version, 107);
    EXPECT_EQ(set.DiscIndex, 1);
    EXPECT_EQ(set.Title, "Game");
    EXPECT_EQ(set.Texts4to6[1], "b");
    EXPECT_EQ(set.Text11, "xy");
    ASSERT_EQ(set.Groups17.size(), 1u);
    EXPECT_EQ(set.Groups17[0][3], 4);
    EXPECT_EQ(set.Values18[0], 5);
    EXPECT_EQ(set.CreatedFiles, std::vector<std::string>{"save.dat"});
    EXPECT_TRUE(set.InstalledWhole);
    EXPECT_EQ(set.Texts25, std::vector<std::string>{"q"});
    EXPECT_EQ(set.Text26, "end");
    EXPECT_EQ(Written(set), kV107);  // unused fields survive a write-back
}

TEST(InstallSet, OlderAndNewerVersions) {
    const TRuvoInstallSet v0 = Read(kV0);
    EXPECT_EQ(v0.Version, 0);
    EXPECT_EQ(v0.Title, "T");
    EXPECT_EQ(v0.Groups17[0][2], 3);
    EXPECT_EQ(v0.Values18[3], 8);
    EXPECT_FALSE(v0.InstalledWhole);
    EXPECT_EQ(Written(v0), kV0);

    // A newer record keeps what follows the known fields.
    Bytes v108 = kV107;
    v108[4] = '8';
    v108.push_back(0xAB);
    v108.push_back(0xCD);
    const TRuvoInstallSet newer = Read(v108);
    EXPECT_EQ(newer.Text26, "end");
    EXPECT_EQ(newer.Tail, (Bytes{0xAB, 0xCD}));
    EXPECT_EQ(Written(newer), v108);
}

TEST(InstallSet, EmptyCreatedFileNamesAreSkipped) {
    TRuvoInstallSet set = Read(kV107);
    set.CreatedFiles.clear();
    TMemoryStream s;
    set.SaveToStream(s);
    // Rewrite item 21 by hand as two names, the first empty.
    TRuvoInstallSet withEmpty = set;
    withEmpty.CreatedFiles = {"", "shot.png"};
    const TRuvoInstallSet back = Read(Written(withEmpty));
    EXPECT_EQ(back.CreatedFiles, std::vector<std::string>{"shot.png"});
}

TEST(InstallSet, DamagedRecordsFailCleanly) {
    for (size_t n = 0; n < kV107.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_THROW(Read(Bytes(kV107.begin(), kV107.begin() + static_cast<long>(n))), ERuvoError);
    }
    Bytes hugeGroups = kV0;
    hugeGroups[4 + 5 + 12 + 6] = 0xFF;  // M's high byte: a negative count
    EXPECT_THROW(Read(hugeGroups), ERuvoError);
    Bytes badDigits = kV107;
    badDigits[3] = 'x';
    EXPECT_THROW(Read(badDigits), ERuvoError);
}

} // namespace
} // namespace ruvo
