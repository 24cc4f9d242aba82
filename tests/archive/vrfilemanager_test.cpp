#include "archive/vrfilemanager.hpp"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "archive/errors.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class FixedDiscRoots : public IDiscRoots {
public:
    explicit FixedDiscRoots(std::vector<fs::path>& roots) : roots_(roots) {}
    std::vector<fs::path> Roots() override { return roots_; }

private:
    std::vector<fs::path>& roots_;
};

std::string Text(size_t size, char seed) {
    std::string s;
    for (size_t i = 0; s.size() < size; ++i) s += std::string(1, seed) + std::to_string(i % 1000) + ",";
    s.resize(size);
    return s;
}

// Writes an archive of memory entries.
void WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& entries) {
    TVrFileCollection c;
    for (const auto& [name, content] : entries)
        c.AddMemoryFile(name).Data->Write(content.data(), static_cast<int64_t>(content.size()));
    TGxBigFileStream out(path, bigmode::Create);
    ASSERT_TRUE(c.WriteTo(out));
}

std::string Loaded(TVrFileManager& m, std::string_view name) {
    TMemoryStream s;
    m.Load(s, name);
    EXPECT_EQ(s.Position(), 0);
    const auto bytes = s.Bytes();
    return std::string(bytes.begin(), bytes.end());
}

std::string ReadAll(TStream& s) {
    std::string out(static_cast<size_t>(s.Size()), '\0');
    s.SetPosition(0);
    out.resize(static_cast<size_t>(s.Read(out.data(), static_cast<int64_t>(out.size()))));
    return out;
}

class VrFileManagerTest : public ::testing::Test {
protected:
    VrFileManagerTest() {
        fs::create_directories(dir_ / "game");
        fs::create_directories(dir_ / "tmp");
        manager_ = std::make_unique<TVrFileManager>(deletions_, std::make_unique<FixedDiscRoots>(discRoots_),
                                                    dir_ / "tmp");
        manager_->SetBaseFolder(dir_ / "game");
    }
    TVrFileManager& M() { return *manager_; }

    TempDir dir_;
    std::vector<fs::path> discRoots_;
    TDeletionList deletions_;
    std::unique_ptr<TVrFileManager> manager_;
};

TEST_F(VrFileManagerTest, LooseFilesWinOverArchiveEntriesEverywhere) {
    WriteArchive(dir_ / "game" / "game.dat", {{"bg\\sky.png", "from archive"}, {"only.txt", "entry"}});
    testing::WriteFile(dir_ / "game" / "BG" / "Sky.png", "loose");
    ASSERT_EQ(M().AddArchive(dir_ / "game" / "game.dat"), 0);

    EXPECT_EQ(Loaded(M(), "bg\\sky.png"), "loose");
    EXPECT_EQ(M().GetRealPath("bg\\sky.png"), dir_ / "game" / "BG" / "Sky.png");
    auto range = M().OpenRange("BG\\SKY.PNG");
    EXPECT_EQ(ReadAll(*range), "loose");
    EXPECT_EQ(Loaded(M(), "ONLY.txt"), "entry");
    EXPECT_EQ(M().FindEntry("only.txt"), M().Collection(0).Find("only.txt"));
}

TEST_F(VrFileManagerTest, ExistsAndMissingNames) {
    WriteArchive(dir_ / "a.dat", {{"in.txt", "x"}});
    M().AddArchive(dir_ / "a.dat");
    testing::WriteFile(dir_ / "game" / "loose.txt", "l");
    discRoots_ = {dir_ / "cd"};
    testing::WriteFile(dir_ / "cd" / "disc.txt", "d");
    M().RefreshDiscRoots();

    EXPECT_FALSE(M().Exists(""));
    EXPECT_TRUE(M().Exists("IN.TXT"));
    EXPECT_TRUE(M().Exists("loose.txt"));
    EXPECT_TRUE(M().Exists("disc.txt"));
    EXPECT_FALSE(M().Exists("nothing.txt"));
    EXPECT_FALSE(M().Exists("..\\a.dat"));  // names never leave their folder
    EXPECT_EQ(Loaded(M(), "disc.txt"), "d");
    EXPECT_EQ(M().FindEntry("nothing.txt"), nullptr);
    EXPECT_EQ(M().GetRealPath("nothing.txt"), fs::path("nothing.txt"));
    try {
        Loaded(M(), "nothing.txt");
        FAIL() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), Utf8ToSjis("nothing.txt:ファイルがありません"));
    }
    EXPECT_THROW(M().OpenRange("nothing.txt"), ERuvoError);
}

TEST_F(VrFileManagerTest, CacheKeepsRecentContentsWithinItsBudget) {
    const std::string big = Text(6 << 20, 'b');
    WriteArchive(dir_ / "a.dat", {{"big.bmp", big}, {"one.txt", Text(1000, '1')}, {"two.txt", Text(2000, '2')},
                             {"three.txt", Text(3000, '3')}});
    M().AddArchive(dir_ / "a.dat");

    EXPECT_EQ(Loaded(M(), "one.txt"), Text(1000, '1'));
    EXPECT_EQ(Loaded(M(), "two.txt"), Text(2000, '2'));
    EXPECT_EQ(M().Cache().Count(), 2);
    EXPECT_EQ(Loaded(M(), "ONE.TXT"), Text(1000, '1'));  // a hit moves it to the front
    EXPECT_EQ(M().Cache().Items().front()->Name, "one.txt");

    // The newest entry is kept however large; the next miss frees every older entry, itself included.
    EXPECT_EQ(Loaded(M(), "big.bmp"), big);
    EXPECT_EQ(M().Cache().Count(), 3);
    EXPECT_EQ(M().Cache().TotalSize(), static_cast<int64_t>(big.size()) + 3000);
    EXPECT_EQ(Loaded(M(), "three.txt"), Text(3000, '3'));
    EXPECT_EQ(M().Cache().Count(), 1);
    EXPECT_EQ(M().Cache().TotalSize(), 3000);
}

TEST_F(VrFileManagerTest, MemoryFilesAreServedFreshAndNeverCached) {
    ASSERT_EQ(M().AddArchive(""), 0);  // the memory-file collection
    TVrFile& shot = M().Collection(0).AddMemoryFile("mem:shot1");
    shot.Data->Write("first", 5);
    EXPECT_TRUE(M().Exists("MEM:shot1"));
    EXPECT_EQ(Loaded(M(), "mem:shot1"), "first");
    shot.Data->SetSize(0);
    shot.Data->Write("second!", 7);
    EXPECT_EQ(Loaded(M(), "mem:shot1"), "second!");
    EXPECT_EQ(M().Cache().Count(), 0);
}

TEST_F(VrFileManagerTest, DamagedEntryIsNeverServedFromTheCache) {
    WriteArchive(dir_ / "a.dat", {{"page.rsb", Text(5000, 'p')}});
    {
        // Damage the deflated bytes near the end of the file.
        TFileStream f(dir_ / "a.dat", FileOpen::ReadWrite);
        f.Seek(-20, SeekOrigin::End);
        const char junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        f.WriteBuffer(junk, 8);
    }
    M().AddArchive(dir_ / "a.dat");
    EXPECT_THROW(Loaded(M(), "page.rsb"), ERuvoError);
    EXPECT_THROW(Loaded(M(), "page.rsb"), ERuvoError);
}

TEST_F(VrFileManagerTest, TemporaryCopiesAreSharedNamedAndDeletedAtTheEnd) {
    WriteArchive(dir_ / "a.dat", {{"movie\\op.wmv", "video"}, {"cur.ani", "cursor"}, {"se.wav", "wave"}});
    M().AddArchive(dir_ / "a.dat");

    const fs::path first = M().GetRealPath("movie\\op.wmv");
    EXPECT_EQ(first, dir_ / "tmp" / "~rv00000000.wmv");
    EXPECT_EQ(testing::ReadFile(first), "video");
    EXPECT_EQ(M().GetRealPath("movie\\op.wmv"), first);
    ASSERT_EQ(M().Locks().Count(), 1);
    EXPECT_EQ(M().Locks()[0].UseCount, 2);

    EXPECT_EQ(M().GetRealPath("cur.ani"), dir_ / "tmp" / "~rv00000001.ani");
    // A name someone else holds is skipped and left alone.
    testing::WriteFile(dir_ / "tmp" / "~rv00000002.wav", "not ours");
    EXPECT_EQ(M().GetRealPath("se.wav"), dir_ / "tmp" / "~rv00000003.wav");
    EXPECT_EQ(testing::ReadFile(dir_ / "tmp" / "~rv00000002.wav"), "not ours");

    manager_.reset();
    ASSERT_EQ(deletions_.Files().size(), 3u);
    deletions_.DeleteAll();
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(dir_ / "tmp" / "~rv00000003.wav"));
    EXPECT_TRUE(fs::exists(dir_ / "tmp" / "~rv00000002.wav"));
}

TEST_F(VrFileManagerTest, WithoutATemporaryFolderNoCopyIsMadeAnywhere) {
    WriteArchive(dir_ / "a.dat", {{"movie\\op.wmv", "video"}});
    TVrFileManager manager(deletions_, nullptr, fs::path());
    manager.AddArchive(dir_ / "a.dat");
    const fs::path before = fs::current_path();
    fs::current_path(dir_.Path());
    try {
        manager.GetRealPath("movie\\op.wmv");
        ADD_FAILURE() << "no exception";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), SysMessage("作業用ファイルが作れません"));
    }
    fs::current_path(before);
    EXPECT_FALSE(fs::exists(dir_ / "~rv00000000.wmv"));
}

TEST_F(VrFileManagerTest, ArchivesAreRegisteredInOrderAndFoldersOnce) {
    WriteArchive(dir_ / "a.dat", {{"x.txt", "from a"}});
    WriteArchive(dir_ / "b.dat", {{"x.txt", "from b"}, {"y.txt", "only b"}});
    EXPECT_EQ(M().AddArchive(dir_ / "a.dat"), 0);
    EXPECT_EQ(M().AddArchive(dir_ / "b.dat"), 1);
    EXPECT_EQ(M().AddArchive(dir_ / "folder"), 2);
    EXPECT_EQ(M().AddArchive(dir_ / "folder"), -1);  // that folder is registered already
    EXPECT_EQ(Loaded(M(), "x.txt"), "from a");        // registration order is search order
    EXPECT_EQ(Loaded(M(), "y.txt"), "only b");
    M().RemoveArchive(0);
    M().Cache().Forget("x.txt");
    EXPECT_EQ(Loaded(M(), "x.txt"), "from b");
}

TEST(VrFileManagerFolderOf, Table) {
    const std::string sjisTable = Utf8ToSjis("表");  // 0x95 0x5C: its second byte is no separator
    const struct {
        std::string name, folder;
    } cases[] = {
        {"bg\\title.png", "bg\\"},
        {"a\\b\\c.txt", "a\\b\\"},
        {"c.txt", ""},
        {"C:x.txt", "C:"},
        {"C:\\games\\x.txt", "C:\\games\\"},
        {"\\\\server\\share\\f.txt", "\\\\server\\share\\"},
        {sjisTable + ".png", ""},
        {sjisTable + "\\a.png", sjisTable + "\\"},
    };
    for (const auto& k : cases) EXPECT_EQ(TVrFileManager::FolderOf(k.name), k.folder) << k.name;
}

// ---- discs

class ScriptedPrompt : public IDiscPrompt {
public:
    std::deque<bool> answers;
    std::vector<std::string> texts;
    std::function<void()> onAsk;
    bool gaveUp = false;
    bool OkCancel(const std::string& caption, const std::string& text) override {
        EXPECT_EQ(caption, "Game");
        texts.push_back(text);
        if (onAsk) onAsk();
        if (answers.empty()) throw std::runtime_error("the prompt was shown more often than scripted");
        const bool ok = answers.front();
        answers.pop_front();
        return ok;
    }
    void GiveUp() override { gaveUp = true; }
};

void MakeDisc(const fs::path& root, const std::string& title, int index, const std::string& entry) {
    fs::create_directories(root);
    WriteArchive(root / "GAME.DAT", {{entry, "on disc " + std::to_string(index + 1)}});
    TRuvoInstallSet install;
    install.Title = title;
    install.DiscIndex = index;
    install.SaveToFile(root / "INSTALL.DAT");
}

TEST_F(VrFileManagerTest, MountDiscAddsOnlyTheRightGamesDisc) {
    discRoots_ = {dir_ / "cd1", dir_ / "cd2", dir_ / "cd3"};
    MakeDisc(dir_ / "cd1", "Other", 1, "a.txt");
    MakeDisc(dir_ / "cd2", "Game", 0, "a.txt");
    MakeDisc(dir_ / "cd3", "Game", 1, "b.txt");
    testing::WriteFile(dir_ / "cd1" / "INSTALL.DAT", "is1");  // damaged: that disc is skipped
    EXPECT_TRUE(M().MountDisc(1, "Game"));
    ASSERT_EQ(M().Count(), 1);
    EXPECT_EQ(Loaded(M(), "b.txt"), "on disc 2");
    EXPECT_FALSE(M().MountDisc(5, "Game"));
}

TEST_F(VrFileManagerTest, RequestDiscAsksUntilTheDiscIsThere) {
    discRoots_ = {dir_ / "cd"};
    MakeDisc(dir_ / "cd", "Game", 0, "one.txt");
    M().RefreshDiscRoots();
    ASSERT_TRUE(M().MountDisc(0, "Game"));
    const TDiscTexts texts{"Game", "Insert disc %d (100%%)", "Quit?"};

    ScriptedPrompt prompt;
    // OK without the disc, Cancel then Cancel on the quit box, then the disc goes in and OK.
    prompt.answers = {true, false, false, true};
    prompt.onAsk = [&] {
        if (prompt.texts.size() == 4) {
            fs::remove_all(dir_ / "cd");
            MakeDisc(dir_ / "cd", "Game", 1, "two.txt");
        }
    };
    EXPECT_TRUE(M().RequestDisc(2, texts, prompt));
    EXPECT_EQ(prompt.texts, (std::vector<std::string>{"Insert disc 2 (100%)", "Insert disc 2 (100%)", "Quit?",
                                                      "Insert disc 2 (100%)"}));
    ASSERT_EQ(M().Count(), 1);  // the first disc's archive was dropped
    EXPECT_TRUE(M().Exists("two.txt"));
    EXPECT_FALSE(M().Exists("one.txt"));
    EXPECT_FALSE(prompt.gaveUp);

    ScriptedPrompt giveUp;
    giveUp.answers = {false, true};
    EXPECT_FALSE(M().RequestDisc(3, texts, giveUp));
    EXPECT_TRUE(giveUp.gaveUp);
}

TEST_F(VrFileManagerTest, EnsureAvailablePromptsOnlyForFilesOnOtherDiscs) {
    discRoots_ = {dir_ / "cd"};
    TFolderDiskList folders;
    folders.Add("Data2", 2);
    const TDiscTexts texts{"Game", "disc %d", "quit"};
    ScriptedPrompt prompt;
    prompt.answers = {false, true};  // give up
    EXPECT_FALSE(M().EnsureAvailable("data2\\voice.ogg", folders, ".wav.wma.ogg.mid", texts, prompt));
    EXPECT_TRUE(prompt.texts.empty());  // streamed media never prompt
    EXPECT_FALSE(M().EnsureAvailable("data1\\bg.png", folders, ".wav.wma.ogg.mid", texts, prompt));
    EXPECT_TRUE(prompt.texts.empty());  // not on a listed disc
    EXPECT_FALSE(M().EnsureAvailable("DATA2\\bg.png", folders, ".wav.wma.ogg.mid", texts, prompt));
    EXPECT_EQ(prompt.texts.size(), 2u);
    testing::WriteFile(dir_ / "game" / "data2" / "bg.png", "x");
    M().InvalidateLooseFiles();
    EXPECT_TRUE(M().EnsureAvailable("DATA2\\bg.png", folders, ".wav.wma.ogg.mid", texts, prompt));
}

} // namespace
} // namespace ruvo
