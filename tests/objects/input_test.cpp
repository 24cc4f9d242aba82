// The mouse and the keys routed to objects: hit masks by mouse mode, presses and their capture, the
// pointer entering, moving and leaving, the wheel, right-click cancels, the cursor, the key focus and
// its events, key repeat, and the system variables that read them.
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Input : public WorldFixture {
protected:
    void Click(int x, int y, bool left = true) {
        world.MouseMove(x, y);
        world.MouseDown(left, x, y);
        world.MouseUp();
    }
    std::string Var(const std::string& name) { return Eval(name); }
    // The focus events queued so far, forgetting every event.
    std::vector<std::string> FocusEvents() {
        std::vector<std::string> out;
        for (const std::string& e : Codes())
            if (e.ends_with(":148") || e.ends_with(":149")) out.push_back(e);
        return out;
    }
    // A box with every handler that has the key focus, its first events handled.
    TRuvoBox& FocusedBox() {
        TRuvoBox& b = Box("b", 0, 0, 10, 10);
        HandleEverything(b);
        SetProperty(b, PR_HANDLEKEY, 1);
        Frame();
        HandleAll();
        return b;
    }
    std::vector<std::string> Codes() {
        std::vector<std::string> out = Events();
        HandleAll();
        return out;
    }
};

TEST_F(Input, PressesGoToTheTopmostObjectWhoseModeTakesThem) {
    // An image over a button: which of the two a press, a right press and hovering reach.
    struct Case {
        int topMode;
        const char* left;   // who gets the left press
        const char* right;  // who gets the right press
        const char* hover;  // who the pointer is over
    };
    const Case cases[] = {
        {0, "top", "top", "top"},          // IM_NONE: everything
        {1, "under", "under", "under"},    // IM_ALL: transparent
        {2, "under", "under", "top"},      // IM_CLICK: hover events only
        {3, "under", "top", "top"},        // IM_LCLICK: all but the left button
        {4, "top", "under", "top"},        // IM_RCLICK: all but the right button
        {5, "under", "under", "under"},    // 5..7 behave like IM_ALL
        {7, "under", "under", "under"},
    };
    for (const Case& c : cases) {
        world.Reset();
        TRuvoBox& under = Box("under", 10, 10, 50, 50);
        TRuvoBox& top = Box("top", 10, 10, 50, 50);
        SetProperty(top, PR_PRIORITY, 1);
        SetProperty(top, PR_IGNOREMOUSE, c.topMode);
        TRuvoBase& screen = world.ActiveScreen();
        auto name = [&](TRuvoControl* t) { return t ? t->Name : std::string("(none)"); };
        EXPECT_EQ(name(screen.HitTest(20, 20, kLeftPressMask)), c.left) << c.topMode;
        EXPECT_EQ(name(screen.HitTest(20, 20, kRightPressMask)), c.right) << c.topMode;
        EXPECT_EQ(name(screen.HitTest(20, 20, kHoverMask)), c.hover) << c.topMode;
        (void)under;
    }
}

TEST_F(Input, HitTestingLeavesOutTheRightAndBottomEdgesAndHiddenObjects) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    TRuvoBase& screen = world.ActiveScreen();
    EXPECT_EQ(screen.HitTest(29, 29, kHoverMask), &b);
    EXPECT_EQ(screen.HitTest(30, 20, kHoverMask), &screen);
    EXPECT_EQ(screen.HitTest(20, 30, kHoverMask), &screen);
    SetProperty(b, PR_VISIBLE, false);
    EXPECT_EQ(screen.HitTest(20, 20, kHoverMask), &screen);
    EXPECT_EQ(screen.HitTest(-1, 20, kHoverMask), nullptr);
}

TEST_F(Input, ADragKeepsMovingTheCapturingObjectAndEndsWithItsRelease) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    HandleEverything(b);
    TRuvoBox& other = Box("other", 100, 10, 20, 20);
    HandleEverything(other);
    world.MouseMove(15, 16);
    Frame();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:103", "b:34"}));  // entered, moved
    world.MouseDown(true, 15, 16);
    Frame();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:36"}));
    EXPECT_EQ(world.Events().Count(), 0);
    world.MouseMove(110, 15);  // over the other object, still held
    Frame();
    std::vector<std::string> dragged = Events();
    EXPECT_EQ(dragged, (std::vector<std::string>{"b:34"}));  // no leaving, no entering
    EXPECT_EQ(world.Events()[0].Parameters, (std::vector<std::string>{"100", "5"}));
    HandleAll();
    world.MouseUp();
    Frame();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:37"}));
    Frame();  // no longer captured: now the pointer is over the other one
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:35", "other:103", "other:34"}));
}

TEST_F(Input, APressWhoseHandlerStillRunsRaisesNoSecondOne) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    HandleEverything(b);
    Click(15, 15);
    Frame();
    world.Events().RemovePendingOf(b.Id());
    Frame();  // the release
    ASSERT_EQ(Events(), (std::vector<std::string>{"b:37"}));
    world.Events().Clear();
    Click(15, 15);
    Frame();
    // The press is running (its state is the handler's level): further presses raise nothing.
    for (int i = 0; i < world.Events().Count(); ++i) const_cast<TTimerData&>(world.Events()[i]).State = 1;
    world.MouseUp();
    Frame();
    Click(15, 15);
    Frame();
    int presses = 0;
    for (const std::string& e : Events()) presses += e == "b:36";
    EXPECT_EQ(presses, 1);
}

TEST_F(Input, PressesOnNothingStayVisibleToTheScriptAndPressesOnObjectsAreTheirs) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    Click(100, 100);
    Frame();
    EXPECT_EQ(Var("@LClick"), "TRUE");
    EXPECT_EQ(Var("@LPush"), "FALSE");
    Frame();
    EXPECT_EQ(Var("@LClick"), "FALSE");
    Click(15, 15);
    Frame();
    EXPECT_EQ(Var("@LClick"), "FALSE");  // the box took it
    SetProperty(b, PR_IGNOREMOUSE, 1);
    Click(15, 15, false);
    Frame();
    EXPECT_EQ(Var("@RClick"), "TRUE");
    world.MouseDown(false, 15, 15);
    Frame();
    EXPECT_EQ(Var("@RPush"), "TRUE");
    EXPECT_EQ(Var("@MouseX"), "15");
    world.ReleaseAll();
    Frame();
    EXPECT_EQ(Var("@RPush"), "FALSE");
    Eval("@MouseY = 40");
    EXPECT_EQ(Var("@MouseY"), "40");
    ASSERT_FALSE(warps.empty());
    EXPECT_EQ(warps.back(), (std::pair<int, int>{15, 40}));
}

TEST_F(Input, TheWheelGoesToTheObjectUnderThePointerAndToTheKeyArrays) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    HandleEverything(b);
    SetProperty(b, PR_ONWHEELDOWN, std::string("w.rsb"));
    world.MouseMove(15, 15);
    Frame();
    HandleAll();
    world.Wheel(-1);
    Frame();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:40"}));
    EXPECT_EQ(Var("@WheelDown"), "TRUE");
    EXPECT_EQ(Var("@KeyPush[256]"), "TRUE");
    EXPECT_EQ(Var("@KeyClick[257]"), "FALSE");
    world.Wheel(1);
    Frame();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:41"}));
    EXPECT_EQ(Var("@WheelUp"), "TRUE");
    EXPECT_EQ(Var("@KeyRepeat[257]"), "TRUE");
    Frame();
    EXPECT_EQ(Var("@WheelUp"), "FALSE");
}

// A menu's stand-in: it takes a right click as a cancel when PR_RCLICKSCRAP is set.
class TCancelling : public TRuvoBox {
public:
    using TRuvoBox::TRuvoBox;
    static const TPropertyMap& ClassProperties() {
        static const TPropertyMap map = [] {
            TPropertyMap m(TRuvoBox::ClassProperties());
            m.Flag<TCancelling>(PR_RCLICKSCRAP, [](TCancelling& c) { return c.scrap; },
                                [](TCancelling& c, bool v) { c.scrap = v; });
            return m;
        }();
        return map;
    }
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    bool RightClickCancel() override {
        ++cancels;
        return true;
    }
    bool scrap = true;
    int cancels = 0;
};

TEST_F(Input, ARightClickCancelConsumesTheRightPress) {
    auto& menu = static_cast<TCancelling&>(world.Adopt(std::make_unique<TCancelling>(&world)));
    menu.SetParent(&world.ActiveScreen());
    menu.SetBounds(100, 100, 10, 10);
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    HandleEverything(b);
    world.AddRightClickTarget(menu);
    Click(15, 15, false);
    Frame();
    EXPECT_EQ(menu.cancels, 1);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:103", "b:34"}));  // no right press reached the box
    EXPECT_EQ(Var("@RClick"), "FALSE");
    menu.scrap = false;
    Click(15, 15, false);
    Frame();
    EXPECT_EQ(menu.cancels, 1);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"b:38"}));
    SetProperty(menu, PR_IGNOREMOUSE, 4);  // not a mode that takes right presses
    menu.scrap = true;
    world.MouseUp();
    Frame();
    HandleAll();
    Click(15, 15, false);
    Frame();
    EXPECT_EQ(menu.cancels, 1);
}

TEST_F(Input, TheCursorIsAskedForWhenItChanges) {
    TRuvoBox& b = Box("b", 10, 10, 20, 20);
    SetProperty(b, PR_CURSOR, std::string("hand.cur"));
    world.MouseMove(100, 100);
    Frame();
    EXPECT_TRUE(cursors.empty());  // the standard arrow was shown already
    world.MouseMove(15, 15);
    Frame();
    Frame();
    EXPECT_EQ(cursors, (std::vector<std::string>{"hand.cur"}));
    vars.SetCursorFile("default.cur");
    world.MouseMove(100, 100);
    Frame();
    EXPECT_EQ(cursors.back(), "default.cur");
}

TEST_F(Input, TheFocusGoesToTheLastControlThatTakesKeys) {
    TRuvoBox& a = Box("a", 0, 0, 10, 10);
    TRuvoBox& b = Box("b", 20, 0, 10, 10);
    TRuvoBox& inner = Box("inner", 0, 0, 5, 5, &b);
    for (TRuvoBox* c : {&a, &b, &inner}) {
        HandleEverything(*c);
        SetProperty(*c, PR_HANDLEKEY, 1);
    }
    SetProperty(a, PR_PRIORITY, -1);  // drawn first
    Frame();
    EXPECT_EQ(world.Focus(), &inner);  // the last control's children come before it
    EXPECT_EQ(Var("@ActiveCompo"), "inner");
    EXPECT_EQ(FocusEvents(), (std::vector<std::string>{"inner:148"}));
    SetProperty(b, PR_VISIBLE, false);
    Frame();
    EXPECT_EQ(world.Focus(), &a);
    EXPECT_EQ(FocusEvents(), (std::vector<std::string>{"inner:149", "a:148"}));
    Eval("@ActiveCompo = \"inner\"");  // hidden with its parent: refused
    EXPECT_EQ(world.Focus(), &a);
    SetProperty(b, PR_VISIBLE, true);
    Eval("@ActiveCompo = \"b\"");
    EXPECT_EQ(world.Focus(), &b);
    SetProperty(b, PR_HANDLEKEY, 0);  // the focus no longer takes keys: found again
    Frame();
    EXPECT_EQ(world.Focus(), &inner);
    HandleAll();
    world.Destroy(inner);  // gone without a focus-out event
    EXPECT_EQ(world.Focus(), nullptr);
    Frame();
    EXPECT_EQ(world.Focus(), &a);
    EXPECT_EQ(FocusEvents(), (std::vector<std::string>{"a:148"}));
}

TEST_F(Input, ClickingAControlThatTakesKeysGivesItTheFocus) {
    TRuvoBox& a = Box("a", 0, 0, 10, 10);
    TRuvoBox& b = Box("b", 20, 0, 10, 10);
    SetProperty(a, PR_HANDLEKEY, 1);
    SetProperty(b, PR_HANDLEKEY, 1);
    Frame();
    EXPECT_EQ(world.Focus(), &b);
    Click(5, 5);
    Frame();
    EXPECT_EQ(world.Focus(), &a);
}

TEST_F(Input, AHeldKeyRepeatsAfter300MsThenEvery50) {
    FocusedBox();
    world.KeyDown(65, false);
    std::vector<int> repeats, pulses;
    for (int frame = 0; frame < 40; ++frame) {
        world.KeyDown(65, true);  // the system's own repeats change nothing
        Frame();
        for (const std::string& e : Events()) {
            if (e == "b:146") repeats.push_back(frame);
            if (frame > 0) {
                EXPECT_NE(e, "b:144") << "at frame " << frame;  // only the first frame has the press
            }
        }
        if (Var("@KeyRepeat[65]") == "TRUE") pulses.push_back(frame);
        if (frame == 0) {
            EXPECT_EQ(Events(), (std::vector<std::string>{"b:144", "b:146"})) << "press and repeat at once";
            EXPECT_EQ(Var("@KeyClick[65]"), "TRUE");
        } else {
            EXPECT_EQ(Var("@KeyClick[65]"), "FALSE");
        }
        EXPECT_EQ(Var("@KeyPush[65]"), "TRUE");
        HandleAll();
    }
    // 300 ms is 18.75 frames of 16 ms: the countdown runs out at the end of frame 18 and the next frame
    // sees the pulse; then a pulse every 50 ms, 3 or 4 frames apart.
    const std::vector<int> expected = {0, 19, 22, 25, 29, 32, 35, 38};
    EXPECT_EQ(repeats, expected);
    EXPECT_EQ(pulses, expected);
    world.KeyUp(65);
    Frame();
    EXPECT_EQ(Events(), (std::vector<std::string>{"b:145"}));
    EXPECT_EQ(Var("@KeyPush[65]"), "FALSE");
}

TEST_F(Input, ARepeatStillQueuedBlocksTheNext) {
    FocusedBox();
    world.KeyDown(13, false);
    int repeats = 0;
    for (int frame = 0; frame < 60; ++frame) Frame();
    for (const std::string& e : Events()) repeats += e == "b:146";
    EXPECT_EQ(repeats, 1);
}

TEST_F(Input, KeysOutsideTheRangeAreIgnored) {
    world.KeyDown(256, false);
    world.KeyDown(-1, false);
    Frame();
    EXPECT_EQ(Var("@KeyPush[255]"), "FALSE");
    EXPECT_EQ(Var("@KeyPush"), "FALSE");
}

} // namespace
} // namespace ruvo::testing
