#include <gtest/gtest.h>

#include "archive/errors.hpp"
#include "script/project.hpp"
#include "bytes.hpp"

namespace ruvo {
namespace {

using testing::Bytes;

// A project file of the given version with every field the version carries.
Bytes ProjectBytes(int32_t version) {
    Bytes b;
    b.i32(version).str("Title").i32(800).i32(600).i32(1024).i32(768).str("start.rsb");
    if (version >= 110) b.str("exit.rsb");
    b.str("Key").i32(77);
    if (version >= 104) b.u8(0);
    if (version >= 106) b.u8(1);
    if (version >= 109) b.str(".ogg");
    b.str("disc %d").str("quit");
    // variables: int, float 1.5, flag, string, and a type byte without a value
    b.i32(5).u8(1).str("n").i32(-3);
    b.u8(2).str("f").raw(std::string("\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F", 10));
    b.u8(3).str("g").u8(1).u8(4).str("s").str("text").u8(9).str("odd");
    b.i32(2).str("bgm").i32(2).str("movie").i32(3);
    return b;
}

TEST(ProjectFile, FieldsFollowTheirVersions) {
    struct Case {
        int32_t version;
        const char* exitPage;
        uint8_t writeStatus, idleSleep;
        const char* exts;
    } cases[] = {
        {103, "", 1, 0, ".wav.wma.ogg.mid"}, {104, "", 0, 0, ".wav.wma.ogg.mid"},
        {106, "", 0, 1, ".wav.wma.ogg.mid"}, {108, "", 0, 1, ".wav.wma.ogg.mid"},
        {109, "", 0, 1, ".ogg"},             {110, "exit.rsb", 0, 1, ".ogg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Bytes bytes = ProjectBytes(c.version);
        TMemoryStream s = bytes.Stream();
        TProjectFile p;
        ASSERT_TRUE(p.LoadFromStream(s));
        EXPECT_EQ(s.Remaining(), 0);
        EXPECT_EQ(p.Title, "Title");
        EXPECT_EQ(p.FullScreenHeight, 768);
        EXPECT_EQ(p.ExitPage, c.exitPage);
        EXPECT_EQ(p.ImageKey, 77);
        EXPECT_EQ(p.WriteStatus, c.writeStatus);
        EXPECT_EQ(p.IdleSleep, c.idleSleep);
        EXPECT_EQ(p.StreamedExts, c.exts);
        EXPECT_EQ(p.QuitPrompt, "quit");
        ASSERT_EQ(p.Variables.size(), 5u);
        EXPECT_EQ(p.Variables[0].IntValue, -3);
        EXPECT_EQ(p.Variables[1].RealValue, 1.5L);
        EXPECT_EQ(p.Variables[2].FlagValue, 1);
        EXPECT_EQ(p.Variables[3].StringValue, "text");
        EXPECT_EQ(p.Variables[4].Type, 9);
        ASSERT_EQ(p.FolderDisks.Count(), 2);
        EXPECT_EQ(p.FolderDisks[1], (std::pair<std::string, int>{"movie", 3}));

        TMemoryStream out;
        p.SaveToStream(out);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), out.Size()), bytes.b);
    }
}

TEST(ProjectFile, EmptyNewerAndHostileFiles) {
    TProjectFile p;
    TMemoryStream empty;
    try {
        p.LoadFromStream(empty);
        FAIL();
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), SysMessage("プロジェクトがありません"));
    }

    TMemoryStream newer = Bytes().i32(111).str("x").Stream();
    p.Title = "kept";
    EXPECT_FALSE(p.LoadFromStream(newer));
    EXPECT_EQ(p.Title, "kept");

    Bytes absurd;
    absurd.i32(110).str("t").i32(1).i32(1).i32(1).i32(1).str("s").str("").str("").i32(0).u8(1).u8(1).str("").str("").str("");
    TMemoryStream vars = Bytes(absurd).i32(0x7FFFFFFF).Stream();
    EXPECT_THROW(p.LoadFromStream(vars), ERuvoError);
    TMemoryStream disks = Bytes(absurd).i32(0).i32(0x7FFFFFFF).Stream();
    EXPECT_THROW(p.LoadFromStream(disks), ERuvoError);
    EXPECT_EQ(p.Title, "kept");  // a failed read leaves the record alone
}

TEST(ProjectFile, OriginalFileSuppliesOnlyTheDiscMap) {
    TFolderDiskList map;
    map.Add("old", 1);
    TMemoryStream original = ProjectBytes(105).Stream();
    ASSERT_TRUE(ReadFolderDisks(original, map));
    ASSERT_EQ(map.Count(), 2);
    EXPECT_EQ(map[0].first, "bgm");

    TMemoryStream newer = Bytes().i32(200).Stream();
    EXPECT_FALSE(ReadFolderDisks(newer, map));
    EXPECT_EQ(map.Count(), 2);
}

} // namespace
} // namespace ruvo
