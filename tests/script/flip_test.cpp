// The Flip command run by the interpreter against a display world: which objects it carries, the
// snapshot of the old picture, how long it takes, clearing the old screen, holding events back, a reset
// ending it, and a flip in progress written into a saved game and read back.
#include <algorithm>

#include "archive/streams.hpp"
#include "interpreter_fixture.hpp"
#include "objects/base/control.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/snapshot.hpp"

namespace ruvo::testing {
namespace {

// The old screen holds bg, chara, mes and a cabinet; the back screen the new background.
constexpr const char* kScene =
    "BoxNew PR_NAME = \"bg\", PR_WIDTH = 50, PR_HEIGHT = 50, PR_COLOR = $0000FF\n"
    "BoxNew PR_NAME = \"chara\", PR_WIDTH = 10, PR_HEIGHT = 10\n"
    "BoxNew PR_NAME = \"mes\", PR_WIDTH = 10, PR_HEIGHT = 10\n"
    "BoxNew PR_NAME = \"newbg\", PR_PARENT = \"\x01\", PR_WIDTH = 50, PR_HEIGHT = 50, PR_COLOR = $FF0000\n";

class Flip : public InterpreterFixture {
protected:
    Flip() { world.SetSize(50, 50); }

    // A fresh world running a page of its own (a page once loaded stays cached under its name).
    void Play(const std::string& page, const std::string& source) {
        world.Reset();
        Page(page, source);
        Start(page);
    }

    // The names on a screen, in drawing order; the snapshot as "#".
    std::string On(TRuvoBase& screen) {
        std::string out;
        for (const TRuvoControl* c : screen.Children())
            out += (out.empty() ? "" : " ") + (c->Name == TRuvoSnapshot::SnapshotName() ? std::string("#") : c->Name);
        return out;
    }
    uint32_t Shown() { return world.Surface().GetPixel(25, 25) & 0xFFFFFF; }
    static constexpr uint32_t kOld = 0xFF0000, kNew = 0x0000FF;  // red and blue as pixels
};

TEST_F(Flip, CarriesTheListedObjectsOrTheOthersAndLeavesASnapshot) {
    struct Case {
        const char* args;
        const char* front;  // while the transition runs
        const char* back;
    };
    const Case cases[] = {
        {"carry: 1, names: [\"bg\\nchara\"]", "mes #", "bg chara newbg"},
        {"carry: 1, names: [\"chara\", \"mes\"]", "bg #", "chara mes newbg"},
        {"carry: 0, names: [\"bg\\nchara\"]", "bg chara #", "mes newbg"},
        {"carry: 1, names: [\"ch\", \"bg chara\"]", "bg chara mes #", "newbg"},  // whole lines only
        {"carry: 2, names: [\"bg\"]", "bg chara mes #", "newbg"},
        {"", "bg chara mes", "newbg"},  // no carry mode: no snapshot
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Play("case" + std::to_string(&c - cases) + ".rsb", std::string(kScene) + "Flip 1, 160, " + c.args + "\nWait\n");
        Run(1);
        EXPECT_EQ(On(world.ActiveScreen()), c.front);
        EXPECT_EQ(On(world.BackScreen()), c.back);
        EXPECT_TRUE(world.InTransition());
        EXPECT_EQ(Shown(), kOld);  // the carried objects still show in the old picture
        if (TRuvoObject* snapshot = world.FindObject(TRuvoSnapshot::SnapshotName())) {
            EXPECT_EQ(snapshot->AsControl()->MouseMode, 1);
            EXPECT_EQ(snapshot->AsControl()->Width, 50);
        }
        Run(20);
        EXPECT_FALSE(world.InTransition());
        EXPECT_EQ(world.ActiveIndex(), 1);
        EXPECT_EQ(world.FindObject(TRuvoSnapshot::SnapshotName()), nullptr);
        EXPECT_EQ(Shown(), kNew);
    }
}

TEST_F(Flip, RunsForItsDurationFromTheFrameAfterItBegan) {
    Global("done", 3);
    Page("main.rsb", std::string(kScene) + "[cont] Flip 1, 100\nCalc done = TRUE\nWait\n");  // waiting ends the frame all the same
    Start();
    Run(1);  // begins: the old picture
    EXPECT_EQ(world.TransitionDuration(), 100);
    EXPECT_EQ(Shown(), kOld);
    Run(1);  // the transition starts counting here
    const int32_t started = clock;
    int frames = 0;
    while (world.InTransition() && frames < 100) {
        Run(1);
        ++frames;
        if (world.InTransition()) {
            EXPECT_LT(clock - started, 100);
        }
    }
    EXPECT_EQ(frames, 7);  // the first frame at or after 100 ms
    EXPECT_EQ(Var("done"), "TRUE");
    EXPECT_EQ(Shown(), kNew);
}

TEST_F(Flip, WithoutTimeOrTransitionItStillFlips) {
    struct Case {
        const char* args;
        int frames;  // until the back screen shows
    };
    const Case cases[] = {
        {"1, 0, carry: 1, names: [\"mes\"]", 1},  // no transition: done when it first runs
        {"1, carry: 0", 1},                       // no duration either
        {"0, 500", 3},                            // type 0: begins, starts, finishes
        {"99, 500", 3},                           // beyond the table: as 0
        {"1, 0", 3},                              // at least 1 ms
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Play("case" + std::to_string(&c - cases) + ".rsb", std::string(kScene) + "Flip " + c.args + "\nWait\n");
        Run(c.frames - 1);
        EXPECT_EQ(world.ActiveIndex(), 0);
        Run(1);
        EXPECT_EQ(world.ActiveIndex(), 1);
        EXPECT_FALSE(world.InTransition());
        EXPECT_EQ(world.FindObject(TRuvoSnapshot::SnapshotName()), nullptr);
        EXPECT_EQ(Shown(), kNew);
    }
}

TEST_F(Flip, ClearsTheOldScreenButKeepsCabinets) {
    Page("main.rsb", std::string(kScene) +
                         "BoxNew PR_NAME = \"kept\", PR_PARENT = \"\x01\"\n"
                         "SaveCabinet PR_NAME = \"cab\", FALSE, [\"kept\"]\n"
                         "Flip 1, 50, carry: 1, names: [\"mes\"], clear: TRUE\nWait\n");
    Start();
    Run(10);
    EXPECT_EQ(world.ActiveIndex(), 1);
    EXPECT_EQ(On(world.Screen(0)), "cab");
    EXPECT_EQ(On(world.Screen(1)), "mes newbg");
    EXPECT_EQ(world.FindObject("bg"), nullptr);
}

TEST_F(Flip, AResetClearingEverythingEndsTheFlipCabinetsAndAll) {
    Page("main.rsb", std::string(kScene) +
                         "BoxNew PR_NAME = \"kept\", PR_PARENT = \"\x01\"\n"
                         "SaveCabinet PR_NAME = \"cab\", FALSE, [\"kept\"]\n"
                         "BoxNew PR_NAME = \"ticker\", PR_PARENT = \"\x01\", PR_ONIDLE = \"reset.rsb\"\n"
                         "Flip 1, 5000, carry: 1, names: [\"mes\"], clear: TRUE\nWait\n");
    Page("reset.rsb", "ObjDel \"ticker\"\nPCReset \"after.rsb\", 0, 1\n");
    Page("after.rsb", "Wait\n");
    Start();
    Run(4);
    EXPECT_EQ(world.ActiveIndex(), 1);
    EXPECT_FALSE(world.InTransition());
    EXPECT_EQ(On(world.Screen(0)), "");
    EXPECT_EQ(world.FindObject("cab"), nullptr);
    EXPECT_EQ(world.FindObject(TRuvoSnapshot::SnapshotName()), nullptr);
    EXPECT_EQ(cm.CurrentPage->FileName, "after.rsb");
    EXPECT_EQ(Shown(), kNew);
}

TEST_F(Flip, ARestartOfTheMainFlowUnderAHandlerEndsItsFlipKeepingCabinets) {
    Page("main.rsb", std::string(kScene) +
                         "BoxNew PR_NAME = \"kept\", PR_PARENT = \"\x01\"\n"
                         "SaveCabinet PR_NAME = \"cab\", FALSE, [\"kept\"]\n"
                         "BoxNew PR_NAME = \"ticker\", PR_PARENT = \"\x01\", PR_ONIDLE = \"restart.rsb\"\n"
                         "Flip 1, 5000, carry: 1, names: [\"mes\"], clear: TRUE\nWait\n");
    Page("restart.rsb", "ObjDel \"ticker\"\nPCReset \"after.rsb\", 0, 0\n");
    Page("after.rsb", "Wait\n");
    Start();
    Run(5);
    EXPECT_EQ(cm.CurrentPage->FileName, "after.rsb");
    EXPECT_EQ(world.ActiveIndex(), 1);
    EXPECT_FALSE(world.InTransition());
    EXPECT_EQ(On(world.Screen(0)), "cab");
    EXPECT_EQ(Shown(), kNew);
}

TEST_F(Flip, BlocksEventsOnlyWhenAskedAndYieldsInAHandler) {
    TCustomParam& ticks = Global("ticks", 1);
    Page("tick.rsb", "Calc ticks = ticks + 1\n");
    for (const bool blocks : {true, false}) {
        SCOPED_TRACE(blocks);
        ticks.SetInt(0);
        Play(blocks ? "blocking.rsb" : "open.rsb", std::string("BoxNew PR_NAME = \"t\", PR_ONIDLE = \"tick.rsb\"\n") +
                                                      "Flip 1, 200, blocks: " + (blocks ? "TRUE" : "FALSE") + "\nWait\n");
        Run(6);
        EXPECT_TRUE(world.InTransition());
        EXPECT_EQ(Var("ticks") == "0", blocks) << Var("ticks");
    }
    // Flipping from a handler hands the frame back while the flip takes time.
    world.Reset();
    Global("after", 3);
    Page("idle.rsb", "Wait\n");
    Page("h.rsb", "Flip 1, 100\n[cont] Calc after = TRUE\n");
    Start("idle.rsb");
    Click(Add("s"), "h.rsb");
    Run(2);
    EXPECT_TRUE(world.InTransition());
    EXPECT_EQ(Var("after"), "FALSE");
    Run(10);
    EXPECT_EQ(Var("after"), "TRUE");
}

TEST_F(Flip, AFlipInProgressWrittenIntoASavedGameFinishesAfterLoading) {
    for (const bool freshCommand : {false, true}) {
        SCOPED_TRACE(freshCommand);
        const std::string page = freshCommand ? "fresh.rsb" : "stale.rsb";
        Play(page, std::string(kScene) + "Flip 1, 1000, carry: 1, names: [\"mes\"], clear: TRUE, blocks: TRUE\nWait\n");
        Run(5);
        ASSERT_TRUE(world.InTransition());
        TMemoryStream worldBytes, scriptBytes;
        world.SaveToStream(worldBytes);
        cm.SaveTo(scriptBytes);
        // Another game plays meanwhile.
        Page("other.rsb", "BoxNew PR_NAME = \"elsewhere\"\nWait\n");
        world.Reset();
        cm.ResetTo("other.rsb");
        Run(1);
        auto& flip = static_cast<TComFlip&>(*cm.GetPage(page)->Items(4));
        if (freshCommand) flip.Phase = 0, flip.BlocksEventsState = false, flip.ClearOldState = false;
        worldBytes.SetPosition(0);
        scriptBytes.SetPosition(0);
        world.LoadFromStream(worldBytes, kSaveVersion);
        cm.LoadFrom(scriptBytes, kSaveVersion);
        EXPECT_TRUE(flip.BlocksEventsState);
        EXPECT_TRUE(flip.ClearOldState);
        EXPECT_EQ(world.ActiveIndex(), 0);
        Run(3);
        EXPECT_EQ(world.ActiveIndex(), 1);
        EXPECT_EQ(On(world.Screen(1)), "mes newbg");
        EXPECT_EQ(On(world.Screen(0)), "");
        EXPECT_EQ(Shown(), kNew);
        EXPECT_EQ(cm.Index, 5);
    }
}

} // namespace
} // namespace ruvo::testing
