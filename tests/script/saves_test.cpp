// Saved games through "save.dat": the requests carried out after the script step (load first), the
// game entry with its sections at every version they tell apart, titles, the status data, damaged and
// too old entries (the running game untouched), and a writer killed while writing.
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/serializer.hpp"
#include "interpreter_fixture.hpp"
#include "objects/world/savedworld.hpp"
#include "script/savedgames.hpp"
#include "support/tempdir.hpp"

namespace ruvo::testing {
namespace {

namespace fs = std::filesystem;

const std::string kUnusable = "このセーブデータは使用できません\r\n終了してください";

class Saves : public InterpreterFixture {
protected:
    Saves() {
        context.History = &history;
        context.ReadMarks = &readMarks;
        context.Tables = &tables;
        saves.Open(project.Settings);
    }

    TGameParts Parts() { return TGameParts{context, worldSaver, history, cm, vars, tables}; }
    TStatusParts StatusParts() { return TStatusParts{vars, readMarks, images, tables}; }

    // Frames as the player runs them: the script step, then the requested load and save.
    int RunFrames(int n) {
        int loads = 0;
        for (int i = 0; i < n && !terminating; ++i) {
            clock += 16;
            cm.RunFrame();
            loads += saves.ProcessPending() ? 1 : 0;
        }
        return loads;
    }

    fs::path SaveFile() const { return dir / "save.dat"; }

    std::vector<uint8_t> EntryAt(int32_t version, const std::string& title = "old") {
        TMemoryStream out;
        WriteGameEntry(out, TSaveRequest{1, Utf8ToSjis(title), "", 0}, Parts(), version);
        return out.Bytes();
    }

    void PutEntry(const std::string& name, const std::vector<uint8_t>& bytes) {
        TSaveArchive archive(SaveFile());
        TMemoryStream content(bytes);
        archive.Replace(name, content);
        archive.Store(SaveFile());
    }

    // A game state that touches every section: a call in progress with a local, a result and
    // arguments, an object with a queued event, history, a game and a status table, a status variable.
    void PlayUntilSaved() {
        Page("main.rsb",
             "VarNew \"g\", int, 1, 0\n"
             "VarNew \"ret\", int, 0, 0\n"
             "Call \"sub.rsb\", 0, \"ret\", TRUE, [2]\n"
             "Calc g = g + ret\n"
             "Wait\n");
        Page("sub.rsb",
             "%return int\n"
             "VarNew \"loc\", int, 40, 2\n"
             "GameSave 1, \"\", 0, \"スロット1\"\n"
             "Calc @Result = loc + Int(@ParamStr[0])\n");
        Page("click.rsb", "VarNew \"who\", str, @Sender, 0\n");
        vars.Declare("st", 1, TVarScope::Status).Value().SetInt(7);
        history.Entries = {{"a.rsb", 3, 0, 640, 120}};
        tables.Tables.push_back(std::make_unique<TDBTable>());
        tables.Tables.back()->Name = "Items";
        tables.Active = 0;
        TRuvoObject& button = Add("btn");
        Start();
        clock += 16;
        cm.RunFrame();  // up to the GameSave in sub.rsb
        world.Events().Queue(button.Id(), "click.rsb", {}, 36);
        ASSERT_FALSE(saves.ProcessPending());
    }

    TempDir dir;
    TRuvoNewHistory history;
    TRuvoReadList readMarks;
    TLayeredImageSettings images;
    TDBManager tables;
    TSavedWorld worldSaver{world};
    TSavedGames saves{TSaveSetup{dir.Path(), {}, dir / "data"}, project, Parts(), StatusParts()};
};

TEST_F(Saves, ALoadedGameGoesOnWhereItWasSavedWithEverySection) {
    PlayUntilSaved();
    EXPECT_EQ(saves.TitleOf(1), Utf8ToSjis("スロット1"));
    RunFrames(3);
    EXPECT_EQ(Var("g"), "43");
    EXPECT_EQ(Var("who"), "btn");
    // The game changes; then slot 1 comes back.
    vars.Find("g")->Value().SetInt(-5);
    vars.Find("st")->Value().SetInt(8);
    history.Entries.clear();
    tables.Tables.clear();
    world.Events().Clear();
    saves.LoadGame(1);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(cm.CurrentPage->FileName, "sub.rsb");
    EXPECT_EQ(cm.Stack.Count(), 1);
    EXPECT_EQ(vars.Depth(), 1);
    EXPECT_EQ(Var("loc"), "40");  // the call's local, at the call's depth
    EXPECT_EQ(Var("g"), "1");
    EXPECT_EQ(Var("st"), "8");  // status variables are not part of a saved game
    ASSERT_EQ(history.Entries.size(), 1u);
    EXPECT_EQ(history.Entries[0].CommandIndex, 3);
    ASSERT_EQ(tables.Tables.size(), 1u);
    EXPECT_EQ(tables.Active, 0);
    ASSERT_EQ(world.Events().Count(), 1);
    EXPECT_EQ(vars.Find("who"), nullptr);  // made after the save
    RunFrames(3);
    EXPECT_EQ(Var("who"), "btn");  // the event's sender, found by name in the loaded world
    EXPECT_EQ(Var("g"), "43");     // the call returned its result as before
}

TEST_F(Saves, ALoadAndASaveInOneFrameLoadFirstThenSaveTheLoadedGame) {
    PlayUntilSaved();
    RunFrames(3);
    // A handler runs without frame breaks: both requests are made in one frame.
    Page("both.rsb",
         "Calc g = 500\n"
         "GameSave 2, \"\", 0, \"two\"\n"
         "GameLoad 1\n");
    world.Events().Queue(world.FindObject("btn")->Id(), "both.rsb", {}, 36);
    EXPECT_EQ(RunFrames(1), 1);
    EXPECT_EQ(Var("g"), "1");  // slot 1's game
    EXPECT_EQ(saves.TitleOf(2), "two");
    vars.Find("g")->Value().SetInt(77);
    saves.LoadGame(2);
    EXPECT_EQ(Var("g"), "1");  // slot 2 holds the game loaded in that frame, not the one that asked
    EXPECT_EQ(cm.CurrentPage->FileName, "sub.rsb");
}

TEST_F(Saves, ASlotSavedTwiceIsOneEntryWithOneTitle) {
    Page("main.rsb",
         "GameSave 3, \"\", 0, \"first\"\n"
         "GameSave 3, \"\", 0, \"second\"\n"
         "GameSave 4, \"\", 0, \"\"\n"
         "Wait\n");
    Start();
    RunFrames(4);
    const TSaveArchive archive(SaveFile());
    EXPECT_EQ(archive.Names(), (std::vector<std::string>{"GAMESAVEDATA3", "STATUSSAVEDATA"}));  // no title: no save
    ASSERT_EQ(saves.SaveTitles().size(), 1u);
    EXPECT_EQ(saves.TitleOf(3), "second");
    // A new run finds the same titles; the functions show them.
    TSavedGames again{TSaveSetup{dir.Path(), {}, dir / "data"}, project, Parts(), StatusParts()};
    again.Open(project.Settings);
    EXPECT_EQ(again.TitleOf(3), "second");
    Global("c", 4);
    Global("n", 1);
    Global("caps", 4);
    Global("c2", 4);
    Global("slots", 1);
    Page("f.rsb", "Calc c = GetSaveCaption(3)\nCalc n = ListSaveCaption(caps, slots)\nCalc c2 = GetSaveCaption(5)\n");
    cm.ResetTo("f.rsb");
    RunFrames(1);
    EXPECT_EQ(Var("c"), "second");
    EXPECT_EQ(Var("n"), "1");
    EXPECT_EQ(vars.Find("slots")->Value().GetIntAt(0), 3);
    EXPECT_EQ(Var("caps"), "second");
}

TEST_F(Saves, OnlyEntriesNamedWithANumberAreSavedGames) {
    Page("main.rsb", "Wait\n");
    Start();
    const std::vector<uint8_t> entry = EntryAt(kSaveVersion, "seven");
    for (const char* name : {"GAMESAVEDATAx", "GAMESAVEDATA", "GAMESAVEDATA7", "GAMESAVEDATA1x", "GAMESAVEDATA99999999999"})
        PutEntry(name, entry);
    saves.Open(project.Settings);
    ASSERT_EQ(saves.SaveTitles().size(), 1u);
    EXPECT_EQ(saves.TitleOf(7), "seven");
}

TEST_F(Saves, WithWriteStatusClearedTheFileKeepsTheStatusItHad) {
    Page("main.rsb", "GameSave 1, \"\", 0, \"t\"\nWait\n");
    vars.Declare("st", 1, TVarScope::Status).Value().SetInt(1);
    saves.SaveStatus();
    vars.Find("st")->Value().SetInt(2);
    project.Settings.WriteStatus = false;
    Start();
    RunFrames(2);
    saves.SaveStatus();  // not written either
    const TSaveArchive archive(SaveFile());
    EXPECT_TRUE(archive.Has("GAMESAVEDATA1"));
    TMemoryStream status;
    archive.Read("STATUSSAVEDATA", status);
    TParamCollection fresh;
    TRuvoReadList marks;
    TLayeredImageSettings settings;
    TDBManager freshTables;
    TLoadedStatus loaded(status, TStatusParts{fresh, marks, settings, freshTables});
    ASSERT_EQ(loaded.Variables.size(), 1u);
    EXPECT_EQ(loaded.Variables[0]->Value().AsInt(), 1);
}

TEST_F(Saves, EachVersionOfAGameReadsTheSectionsItHas) {
    Page("main.rsb", "VarNew \"g\", int, 5, 0\nWait\n");
    Start();
    RunFrames(1);
    history.Capacity = 9;
    vars.SetTempName("g");
    cm.Level = 3;
    tables.Tables.push_back(std::make_unique<TDBTable>());
    tables.Tables.back()->Name = "Saved";
    struct Case {
        int32_t version;
        int32_t level;      // kept from 116
        int32_t capacity;   // history capacity from 113
        const char* temp;   // "@Temp" from 121
        const char* table;  // game tables above 122
    } cases[] = {
        {107, 2, 0, "", "Running"}, {113, 2, 9, "", "Running"}, {116, 3, 9, "", "Running"},
        {120, 3, 9, "", "Running"}, {121, 3, 9, "g", "Running"}, {123, 3, 9, "g", "Saved"},
        {134, 3, 9, "g", "Saved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        PutEntry("GAMESAVEDATA1", EntryAt(c.version));
        // The running game the entry replaces.
        vars.Find("g")->Value().SetInt(0);
        vars.SetTempName("");
        history.Capacity = 0;
        cm.Level = 2;
        auto running = std::make_unique<TDBTable>();
        running->Name = "Running";
        tables.Tables.clear();
        tables.Tables.push_back(std::move(running));
        saves.LoadGame(1);
        ASSERT_TRUE(warnings.empty()) << warnings.front();
        EXPECT_EQ(Var("g"), "5");
        EXPECT_EQ(cm.Level, c.level);
        EXPECT_EQ(history.Capacity, c.capacity);
        EXPECT_EQ(vars.TempName(), c.temp);
        ASSERT_EQ(tables.Tables.size(), 1u);
        EXPECT_EQ(tables.Tables[0]->Name, c.table);
        // Put back what the next case writes.
        history.Capacity = 9;
        vars.SetTempName("g");
        cm.Level = 3;
        vars.Find("g")->Value().SetInt(5);
        tables.Tables[0]->Name = "Saved";
    }
}

TEST_F(Saves, AResumePageRunsFirstThenTheRestoredGameGoesOn) {
    Page("resume.rsb", "Calc n = 100\n*go\nCalc n = n + 10\n");
    Page("main.rsb",
         "VarNew \"n\", int, 0, 0\n"
         "GameSave 1, \"resume.rsb\", 1, \"t\"\n"
         "Calc n = n + 1\n"
         "Wait\n");
    Start();
    RunFrames(3);
    EXPECT_EQ(Var("n"), "1");
    saves.LoadGame(1);
    EXPECT_EQ(cm.CurrentPage->FileName, "resume.rsb");
    EXPECT_EQ(cm.Stack.Count(), 1);
    RunFrames(3);
    EXPECT_EQ(Var("n"), "11");  // from *go, then back to main where the game was saved
}

class DamagedSaves : public Saves {
protected:
    // Loads the entry; the running game (g = 5 in main.rsb) must stay as it was.
    void ExpectUnusable(const std::vector<uint8_t>& entry, const std::string& what) {
        SCOPED_TRACE(what);
        PutEntry("GAMESAVEDATA1", entry);
        saves.LoadGame(1);
        EXPECT_TRUE(terminating);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0], kUnusable);
        EXPECT_EQ(Var("g"), "5");
        EXPECT_EQ(cm.CurrentPage->FileName, "main.rsb");
        warnings.clear();
        terminating = false;
    }
    void SetUp() override {
        Page("main.rsb", "VarNew \"g\", int, 5, 0\nWait\n");
        Start();
        RunFrames(1);
        good = EntryAt(kSaveVersion);
    }
    std::vector<uint8_t> good;
};

TEST_F(DamagedSaves, TooOldTooNewAndTruncatedEntriesAreUnusable) {
    std::vector<uint8_t> old = EntryAt(106), newer = good;
    newer[0] = 135;
    ExpectUnusable(old, "version 106");
    ExpectUnusable(newer, "version 135");
    ExpectUnusable({}, "empty");
    ExpectUnusable(std::vector<uint8_t>(good.begin(), good.end() - 1), "one byte short");
}

TEST_F(DamagedSaves, EveryTruncationAndCorruptionIsRefusedOrReadWhole) {
    // Straight to the reader: the archive's CRC would catch these before.
    for (size_t n = 0; n < good.size(); ++n) {
        TMemoryStream in(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(n)));
        EXPECT_THROW({ TLoadedGame loaded(in, Parts()); }, ERuvoError) << n;
    }
    std::mt19937 random(18);
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < 1 + i % 4; ++k) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        TMemoryStream in(bytes);
        try {
            TLoadedGame loaded(in, Parts());
        } catch (const ERuvoError&) {
        }
    }
    EXPECT_EQ(Var("g"), "5");
    EXPECT_EQ(cm.CurrentPage->FileName, "main.rsb");
}

TEST_F(DamagedSaves, AnEntryWhoseBytesChangedInTheFileIsUnusable) {
    PutEntry("GAMESAVEDATA1", good);
    std::string file = ReadFile(SaveFile());
    file[file.size() - 3] ^= 0x40;  // inside the entry's stored bytes
    WriteFile(SaveFile(), file);
    saves.LoadGame(1);
    EXPECT_TRUE(terminating);
    EXPECT_EQ(warnings, std::vector<std::string>{kUnusable});
    EXPECT_EQ(Var("g"), "5");
    // A file that is no archive at all: the same.
    warnings.clear();
    WriteFile(SaveFile(), "no archive here");
    saves.LoadGame(1);
    EXPECT_EQ(warnings, std::vector<std::string>{kUnusable});
}

TEST_F(DamagedSaves, ACorruptedFileLoadsTheWholeGameOrNothing) {
    vars.Find("g")->Value().SetInt(6);
    saves.SaveGame(TSaveRequest{1, "one", "", 0});
    vars.Find("g")->Value().SetInt(5);
    const std::string file = ReadFile(SaveFile());
    std::mt19937 random(7);
    int loaded = 0, refused = 0;
    for (int i = 0; i < 400; ++i) {
        std::string bytes = file;
        for (int k = 0; k < 1 + i % 3; ++k) bytes[random() % bytes.size()] ^= static_cast<char>(1 + random() % 255);
        if (i % 5 == 0) bytes.resize(random() % bytes.size());
        WriteFile(SaveFile(), bytes);
        saves.Open(project.Settings);
        saves.LoadGame(1);
        if (terminating) {
            ++refused;
            EXPECT_EQ(warnings, std::vector<std::string>{kUnusable});
            EXPECT_EQ(Var("g"), "5");  // nothing of the slot arrived
        } else if (Var("g") == "6") {
            ++loaded;  // the bytes that changed were not the slot's (or the slot's name went)
        } else {
            EXPECT_EQ(Var("g"), "5");
            EXPECT_TRUE(warnings.empty());
        }
        vars.Find("g")->Value().SetInt(5);
        warnings.clear();
        terminating = false;
    }
    EXPECT_GT(refused, 100);
    EXPECT_GT(loaded, 0);
}

TEST_F(DamagedSaves, AMissingSlotOrFileDoesNothing) {
    saves.LoadGame(1);
    PutEntry("GAMESAVEDATA2", good);
    saves.LoadGame(1);
    EXPECT_FALSE(terminating);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(Saves, StatusDataComesBackWithEveryVersionAndIsIgnoredWhenDamaged) {
    Page("main.rsb", "Wait\n");
    Start();
    vars.Declare("st", 4, TVarScope::Status).Value().SetStr("kept");
    readMarks.SetPending("mes", "a.rsb", 0, 4);
    readMarks.CommitPending("mes");
    images.Dither = true;
    tables.Tables.push_back(std::make_unique<TDBTable>());
    tables.Tables.back()->Name = "Seen";
    tables.Tables.back()->Status = 1;
    TMemoryStream written;
    WriteStatusEntry(written, StatusParts());
    const std::vector<uint8_t> entry = written.Bytes();
    ASSERT_EQ(std::string(entry.begin(), entry.begin() + 9), "Status103");

    auto entryAt = [&](int32_t version) {
        TMemoryStream s;
        WriteStatusEntry(s, StatusParts(), version);
        return s.Bytes();
    };
    // An entry without the tag is version 0: variables and settings, no read marks, no tables.
    TMemoryStream v0;
    vars.SaveStatus(v0);
    WriteByte(v0, 1);
    ASSERT_EQ(entryAt(0), v0.Bytes());
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool read, table;
    } cases[] = {
        {"103", entry, true, true},
        {"102", entryAt(102), true, false},
        {"100", entryAt(100), true, false},
        {"0", entryAt(0), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TParamCollection fresh;
        TRuvoReadList marks;
        TLayeredImageSettings settings;
        TDBManager freshTables;
        const TStatusParts parts{fresh, marks, settings, freshTables};
        TMemoryStream in(c.bytes);
        TLoadedStatus loaded(in, parts);
        EXPECT_EQ(in.Remaining(), 0);
        loaded.Commit(parts);
        EXPECT_EQ(fresh.Find("st")->Value().AsStr(), "kept");
        EXPECT_EQ(marks.IsRead("a.rsb", 4, 0), c.read);
        EXPECT_TRUE(settings.Dither);
        EXPECT_EQ(freshTables.FindTable("Seen") == 0, c.table);
    }

    // Damaged status data is ignored as a whole: nothing of it arrives, and the titles still do.
    PutEntry("GAMESAVEDATA1", EntryAt(kSaveVersion, "one"));
    for (size_t n = 0; n < entry.size(); ++n) {
        PutEntry("STATUSSAVEDATA", std::vector<uint8_t>(entry.begin(), entry.begin() + static_cast<ptrdiff_t>(n)));
        TParamCollection fresh;
        TRuvoReadList marks;
        TLayeredImageSettings settings;
        TDBManager freshTables;
        TSavedGames other{TSaveSetup{dir.Path(), {}, dir / "data"}, project, Parts(),
                          TStatusParts{fresh, marks, settings, freshTables}};
        other.Open(project.Settings);
        EXPECT_EQ(fresh.Find("st"), nullptr) << n;
        EXPECT_FALSE(settings.Dither) << n;
        EXPECT_EQ(other.TitleOf(1), "one");
    }
    EXPECT_TRUE(warnings.empty());
}

// Saves slot 3 in a child process that may write only part of the file: with SIGXFSZ ignored the
// write fails (a full disk), otherwise the child is killed in the middle of writing.
int SaveInChild(TSavedGames& saves, size_t limit, bool killed, std::vector<std::string>& warnings) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &r);
        saves.SaveGame(TSaveRequest{3, "three", "", 0});
        ::_exit(warnings.size() == 1 && warnings[0].find("セーブデータを書き込めませんでした") == 0 ? 3 : 0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST_F(Saves, AWriterThatFailsOrIsKilledLeavesEverySlotLoadable) {
    Page("main.rsb", "VarNew \"g\", int, 0, 0\nWait\n");
    Start();
    RunFrames(1);
    for (int slot = 1; slot <= 2; ++slot) {
        vars.Find("g")->Value().SetInt(slot * 10);
        saves.SaveGame(TSaveRequest{slot, "slot " + std::to_string(slot), "", 0});
    }
    const std::string before = ReadFile(SaveFile());
    // The new file would be far larger than the old one: a long string.
    vars.Find("g")->Value().SetInt(30);
    std::mt19937 random(3);
    std::string noise(1 << 20, ' ');
    for (char& c : noise) c = static_cast<char>('A' + random() % 26);  // does not deflate to nothing
    vars.Declare("big", 4, TVarScope::Global).Value().SetStr(noise);
    EXPECT_EQ(SaveInChild(saves, before.size() + 4096, false, warnings), 3);
    EXPECT_EQ(SaveInChild(saves, before.size() + 4096, true, warnings), -SIGXFSZ);
    EXPECT_EQ(ReadFile(SaveFile()), before);
    for (int slot = 1; slot <= 2; ++slot) {
        saves.LoadGame(slot);
        EXPECT_TRUE(warnings.empty());
        EXPECT_EQ(Var("g"), std::to_string(slot * 10));
    }
    EXPECT_EQ(saves.TitleOf(3), "");
}

TEST_F(Saves, ResetClearsTheHistoryWithItsLimitAndTheGameTables) {
    history.Entries = {{"a.rsb", 1, 0, 0, 0}};
    history.Capacity = 5;
    for (uint8_t status : {0, 1}) {
        tables.Tables.push_back(std::make_unique<TDBTable>());
        tables.Tables.back()->Status = status;
    }
    Page("main.rsb", "Reset \"main2.rsb\", 0\n");
    Page("main2.rsb", "Wait\n");
    Start();
    RunFrames(1);
    EXPECT_EQ(history.Count(), 0);
    EXPECT_EQ(history.Capacity, 0);
    ASSERT_EQ(tables.Tables.size(), 1u);
    EXPECT_EQ(tables.Tables[0]->Status, 1);
}

TEST(SaveLocation, TheGameFolderTheUsersDataOrTheChosenFolder) {
    const auto writable = [](const fs::path& p) { return p != "/disc/game"; };
    struct Case {
        fs::path game, saveDir;
        fs::path read, fallback, write;
    } cases[] = {
        {"/home/u/game", "", "/home/u/game/save.dat", "", "/home/u/game/save.dat"},
        {"/disc/game", "", "/data/ruvoplay/id/save.dat", "/disc/game/save.dat", "/data/ruvoplay/id/save.dat"},
        {"/disc/game", "/mine", "/mine/save.dat", "", "/mine/save.dat"},
    };
    for (const auto& c : cases) {
        const TSaveLocation l = ResolveSaveLocation(c.game, c.saveDir, "/data", "id", writable);
        EXPECT_EQ(l.ReadFile, c.read);
        EXPECT_EQ(l.FallbackReadFile, c.fallback);
        EXPECT_EQ(l.WriteFile, c.write);
    }
    // The user's own file is read once it exists; until then the game folder's.
    TempDir dir;
    const TSaveLocation l{dir / "own" / "save.dat", dir / "save.dat", dir / "own" / "save.dat"};
    EXPECT_EQ(l.FileToRead(), dir / "save.dat");
    WriteFile(dir / "own" / "save.dat", "");
    EXPECT_EQ(l.FileToRead(), dir / "own" / "save.dat");
}

TEST(SaveLocation, TheGameIdIsItsTitleFitForAFileNameAndAChecksum) {
    TProjectFile p;
    p.Title = Utf8ToSjis("夢/の:ゲーム");
    p.RegistryKey = "Maker\\Game";
    const std::string id = SaveGameId(p);
    EXPECT_EQ(id.substr(0, id.size() - 9), "夢_の_ゲーム");
    EXPECT_EQ(id.size() - id.rfind('-'), 9u);
    TProjectFile other = p;
    other.RegistryKey = "Maker\\Other";
    EXPECT_NE(SaveGameId(other), id);
    p.Title = "..";
    EXPECT_EQ(SaveGameId(p).substr(0, 5), "game-");
}

} // namespace
} // namespace ruvo::testing
