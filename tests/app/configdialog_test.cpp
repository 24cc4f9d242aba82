// The sound settings dialog: its keys and clicks, the enabling rule, what it writes into "game.ini", and
// the dialog run headless by the player with scripted input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

#include "app/configdialog.hpp"
#include "app/gameini.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Focus = TConfigDialog::TFocus;

struct KeyCase {
    const char* name;
    TGameIni start;
    std::vector<int> keys;  // virtual-key codes; 18 (Alt) makes the next letter a mnemonic
    bool closed, accepted, directSound;
    int position;
    Focus focus;
};

TEST(ConfigDialog, KeysAsInADialog) {
    const KeyCase cases[] = {
        {"opens as the file says", {true, 200}, {}, false, false, true, 2, Focus::CheckBox},
        {"Tab skips the greyed track bar", {true, 500}, {9}, false, false, true, 5, Focus::Ok},
        {"Shift+Tab goes back", {true, 500}, {16, 9}, false, false, true, 5, Focus::Cancel},
        {"Alt+S unticks, Tab reaches the track bar", {true, 500}, {18, 'S', 9}, false, false, false, 5, Focus::TrackBar},
        {"Alt+D does nothing while greyed", {true, 300}, {18, 'D', 37}, false, false, true, 3, Focus::CheckBox},
        {"Alt+D then the arrows", {false, 300}, {18, 'D', 37, 37, 37, 39}, false, false, false, 2, Focus::TrackBar},
        {"Home and End", {false, 300}, {18, 'D', 35}, false, false, false, 5, Focus::TrackBar},
        {"a letter without Alt is nothing", {true, 300}, {'S'}, false, false, true, 3, Focus::CheckBox},
        {"Space ticks the focused box", {false, 300}, {32}, false, false, true, 3, Focus::CheckBox},
        {"ticking leaves the track bar", {false, 300}, {18, 'D', 18, 'S'}, false, false, true, 3, Focus::CheckBox},
        {"Enter is OK", {false, 100}, {13}, true, true, false, 1, Focus::CheckBox},
        {"Enter on キャンセル cancels", {true, 500}, {16, 9, 13}, true, false, true, 5, Focus::Cancel},
        {"Escape cancels", {true, 500}, {27, 13}, true, false, true, 5, Focus::CheckBox},
        {"Space on OK", {true, 500}, {9, 32}, true, true, true, 5, Focus::Ok},
    };
    for (const KeyCase& c : cases) {
        TConfigDialog d(c.start);
        for (int key : c.keys) {
            d.KeyDown(key);
            if (key != 16) d.KeyUp(key);
        }
        EXPECT_EQ(d.Closed(), c.closed) << c.name;
        EXPECT_EQ(d.Accepted(), c.accepted) << c.name;
        EXPECT_EQ(d.DirectSound(), c.directSound) << c.name;
        EXPECT_EQ(d.Position(), c.position) << c.name;
        EXPECT_EQ(d.Focus(), c.focus) << c.name;
        EXPECT_EQ(d.DelayEnabled(), !c.directSound) << c.name;
    }
}

TEST(ConfigDialog, ClicksAndTheValueLabel) {
    TConfigDialog d(ParseGameIni("[Sound]\nDelayTime=250\nDirectSound=0\n"));
    EXPECT_EQ(d.Position(), 2);
    EXPECT_EQ(d.ValueText(), "200ms");
    d.Click(236, 92);  // the track bar's right end
    EXPECT_EQ(d.Position(), 5);
    EXPECT_EQ(d.ValueText(), "500ms");
    d.Click(25, 28);  // the check box: the track bar greys and ignores clicks
    EXPECT_TRUE(d.DirectSound());
    d.Click(34, 92);
    EXPECT_EQ(d.Position(), 5);
    d.Click(130, 150);  // OK
    EXPECT_TRUE(d.Accepted());
    EXPECT_EQ(d.Result().delayTime, 500);
    EXPECT_TRUE(d.Result().directSound);
}

TEST(ConfigDialog, WritingKeepsTheRestOfTheFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "[Sound]\r\nDirectSound=0\r\nDelayTime=200\r\n"},
        {"[Sound]\r\nDelayTime=250\r\n", "[Sound]\r\nDelayTime=200\r\nDirectSound=0\r\n"},
        {"; mine\n[other]\na=1\n", "; mine\r\n[other]\r\na=1\r\n[Sound]\r\nDirectSound=0\r\nDelayTime=200\r\n"},
        {"[sound]\ndirectsound = true\n[x]\nb=2\n", "[sound]\r\ndirectsound=0\r\nDelayTime=200\r\n[x]\r\nb=2\r\n"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(UpdateGameIni(before, {false, 200}), after) << before;
        const TGameIni read = ParseGameIni(UpdateGameIni(before, {false, 200}));
        EXPECT_FALSE(read.directSound);
        EXPECT_EQ(read.delayTime, 200);
    }
}

// The player's --config run: headless, with the keys scripted.
TEST(ConfigDialog, RunsHeadlessAndWritesOnlyOnOk) {
    TempDir dir;
    auto run = [&](const std::string& input, const std::string& option) {
        WriteFile(dir / "in.txt", input);
        const std::string command = std::string(RUVO_PLAYER_PATH) + " --headless " + option + " --frames 30 --input " +
                                    (dir / "in.txt").string() + " --screenshot " + (dir / "shot.png").string() + " " +
                                    dir.Path().string() + " 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("1 key 27\n", "--config"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "game.ini")) << "Escape writes nothing";
    EXPECT_EQ(run("1 key 13\n", "--config"), 0);
    EXPECT_EQ(ReadFile(dir / "game.ini"), "[Sound]\r\nDirectSound=1\r\nDelayTime=500\r\n") << "OK creates the file";
    EXPECT_EQ(run("1 key 18\n2 key 83\n3 key 18\n4 key 68\n5 key 37\n6 key 37\n7 key 13\n", "/config"), 0);
    EXPECT_EQ(ReadFile(dir / "game.ini"), "[Sound]\r\nDirectSound=0\r\nDelayTime=300\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
}

} // namespace
} // namespace ruvo
