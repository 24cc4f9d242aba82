#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

TEST(GamePath, SplitRefusesNamesThatLeaveTheGameFolder) {
    EXPECT_EQ(SplitGamePath("bgm\\Title.ogg"), (std::vector<std::string>{"bgm", "Title.ogg"}));
    EXPECT_EQ(SplitGamePath("\\a//b\\.\\c"), (std::vector<std::string>{"a", "b", "c"}));
    // 表 (0x95 0x5C) ends in the separator's byte but is one character.
    EXPECT_EQ(SplitGamePath("\x95\x5c\\x"), (std::vector<std::string>{"\x95\x5c", "x"}));
    for (const char* bad : {"..\\secret", "a\\..\\..\\b", "C:\\Windows\\x", "a/../../etc/passwd", "..", "con:",
                            "a\tb", "\x1f"})
        EXPECT_THROW(SplitGamePath(bad), ERuvoError) << bad;
    EXPECT_THROW(SplitGamePath(std::string("a\0b", 3)), ERuvoError);
    EXPECT_EQ(JoinGamePath("save", "a.dat"), "save\\a.dat");
    EXPECT_EQ(JoinGamePath("save\\", "a.dat"), "save\\a.dat");
    EXPECT_EQ(JoinGamePath("\x95\x5c", "a"), "\x95\x5c\\a");
    EXPECT_EQ(JoinGamePath("", "a"), "a");
}

TEST(GamePath, NewNamesMustExtractToAFileOfTheirOwn) {
    for (const char* good : {"a.txt", "bg\\title.png", "sub/x.rsb", "\x95\x5c\\x", "a..b", ".hidden"})
        EXPECT_EQ(NewGameNameFault(good), std::nullopt) << good;
    const struct {
        std::string name;
        const char* fault;
    } bad[] = {
        {"x\\..\\..\\..\\evil.txt", "\"..\" part"},
        {"..", "\"..\" part"},
        {"a\\.\\b", "\".\" part"},
        {"", "empty"},
        {"\\rooted", "empty part"},
        {"a\\\\b", "empty part"},
        {"a\\", "empty part"},
        {"C:\\evil", "drive"},
        {"a\tb", "control bytes"},
        {std::string("a\0b", 3), "control bytes"},
    };
    for (const auto& k : bad) {
        const auto fault = NewGameNameFault(k.name);
        ASSERT_TRUE(fault) << k.name;
        EXPECT_NE(fault->find(k.fault), std::string::npos) << k.name << ": " << *fault;
    }
    // The folder where a name lands is always below the one given.
    EXPECT_EQ(PathUnder("/out", "bg\\\x89\xe6.png"), std::filesystem::path("/out/bg/画.png"));
    for (const char* escape : {"..\\x", "a\\..\\..\\x", "\\", "C:x"})
        EXPECT_THROW(PathUnder("/out", escape), ERuvoError) << escape;
}

TEST(GamePath, FindsFilesWhateverTheCaseAndTheEncodingOnDisk) {
    TempDir dir;
    WriteFile(dir / "BGM" / "Title.OGG", "x");
    WriteFile(dir / "画像" / "背景.png", "y");      // UTF-8 on disk
    WriteFile(dir / "\x83\x41.txt", "z");            // Shift-JIS bytes on disk (ア.txt)
    TGamePathResolver r(dir.Path());
    EXPECT_EQ(r.Find("bgm\\title.ogg"), dir / "BGM" / "Title.OGG");
    EXPECT_EQ(r.Find("\x89\xe6\x91\x9c\\\x94\x77\x8c\x69.PNG"), dir / "画像" / "背景.png");
    EXPECT_EQ(r.Find("\x83\x41.TXT"), dir / "\x83\x41.txt");
    EXPECT_FALSE(r.Find("\x83\x61.txt"));  // another character whose trail byte is 'a'
    EXPECT_FALSE(r.Find("bgm\\missing.ogg"));
    EXPECT_EQ(r.Find("bgm"), dir / "BGM");
    EXPECT_THROW(r.Find("..\\outside"), ERuvoError);
}

TEST(GamePath, WritePathsReuseExistingFoldersAndSpellNewPartsInUtf8) {
    TempDir dir;
    WriteFile(dir / "Save" / "old.dat", "");
    TGamePathResolver r(dir.Path());
    EXPECT_EQ(r.PathForWrite("save\\OLD.dat"), dir / "Save" / "old.dat");
    EXPECT_EQ(r.PathForWrite("save\\\x90\x56.dat"), dir / "Save" / "新.dat");
    EXPECT_EQ(r.PathForWrite("new\\x.dat"), dir / "new" / "x.dat");
    WriteFile(dir / "Save" / "later.dat", "");
    EXPECT_FALSE(r.Find("save\\later.dat"));  // listings are cached ...
    r.Invalidate();
    EXPECT_TRUE(r.Find("save\\later.dat"));   // ... until invalidated
}

} // namespace
} // namespace ruvo
