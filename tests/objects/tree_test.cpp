// Names, the tree, drawing order, visibility, deletion, and properties by identifier.
#include <climits>

#include "objects/base/cabinet.hpp"
#include "objects/motion/timer.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {
namespace {

class Tree : public WorldFixture {};

TEST_F(Tree, NewObjectsAreNamedObjectNWithTheFirstFreeCounter) {
    TRuvoObject* a = world.CreateByType(2);
    TRuvoObject* b = world.CreateByType(15);
    EXPECT_EQ(a->Name, "object0");
    EXPECT_EQ(b->Name, "object1");
    a->SetName("x");
    EXPECT_EQ(world.CreateByType(2)->Name, "object0");  // freed by the rename
    EXPECT_EQ(world.CreateByType(2)->Name, "object2");
    world.CreateByType(2)->SetName("object3");
    EXPECT_EQ(world.CreateByType(2)->Name, "object4");
}

TEST_F(Tree, RenamingAControlToATakenNameRenamesTheHolder) {
    struct Case {
        std::vector<std::string> existing;
        std::string renamed, to;
        std::string holderBecomes;
    };
    const Case cases[] = {
        {{"a", "b_3"}, "b_3", "a", "a_2"},       // no number of its own: counting starts at 2
        {{"a", "a_2", "c"}, "c", "a_2", "a_3"},  // the holder's number is the first tried, then the next
        {{"x_1", "y"}, "y", "x_1", "x_1_2"},     // 1 is not a count: the whole name is the base
        {{"p_7", "q"}, "q", "p_7", "p_8"},
        {{"_5", "q"}, "q", "_5", "_5_2"},        // the first character is never the separator
    };
    for (const Case& c : cases) {
        world.Reset();
        for (const auto& name : c.existing) Box(name, 0, 0, 1, 1);
        auto* holder = Find(c.to);
        Find(c.renamed)->SetName(c.to);
        EXPECT_EQ(holder->Name, c.holderBecomes) << c.to;
        EXPECT_EQ(Find(c.to), world.FindObject(c.to));
        EXPECT_NE(Find(c.to), holder);
    }
}

TEST_F(Tree, RenamingATimerToATakenNameDeletesTheHolder) {
    TRuvoBox& image = Box("picture", 0, 0, 10, 10);
    TRuvoObject& timer = *world.CreateByType(15);
    timer.SetName("picture");
    EXPECT_EQ(Find("picture"), &timer);
    EXPECT_TRUE(image.PendingDelete);
    EXPECT_EQ(image.Name, "");
    const TObjectId id = image.Id();
    Frame();
    EXPECT_EQ(world.Lookup(id), nullptr);
}

TEST_F(Tree, SiblingsAreOrderedByPriorityThenNameWithInternalObjectsFirstAndTheSnapshotLast) {
    TRuvoBox& y = Box("y", 0, 0, 1, 1);
    TRuvoBox& x = Box("x", 0, 0, 1, 1);
    TRuvoBox& z = Box("z", 0, 0, 1, 1);
    const std::string snapshotName = std::string(2, '\x01');
    TRuvoBox& snapshot = Box(snapshotName, 0, 0, 1, 1);
    TRuvoBox& internal = Box("\x01inner", 0, 0, 1, 1);
    SetProperty(y, PR_PRIORITY, 5);
    SetProperty(x, PR_PRIORITY, 5);
    SetProperty(z, PR_PRIORITY, 3);
    SetProperty(internal, PR_PRIORITY, 100);
    SetProperty(snapshot, PR_PRIORITY, -100);
    std::vector<std::string> order;
    for (const TRuvoControl* c : world.ActiveScreen().Children()) order.push_back(c->Name);
    EXPECT_EQ(order, (std::vector<std::string>{"\x01inner", "z", "x", "y", snapshotName}));
    // A priority change resets the motion's sub-priority and sorts again.
    z.SubPriority = 10;
    SetProperty(z, PR_PRIORITY, 9);
    EXPECT_EQ(z.SubPriority, 0);
    EXPECT_EQ(world.ActiveScreen().Children()[3], &z);
}

TEST_F(Tree, ExtremePrioritiesSortWithoutOverflow) {
    TRuvoBox& low = Box("low", 0, 0, 1, 1);
    TRuvoBox& high = Box("high", 0, 0, 1, 1);
    SetProperty(high, PR_PRIORITY, INT_MAX);
    SetProperty(low, PR_PRIORITY, INT_MIN);
    high.SubPriority = INT_MAX;  // a motion's own
    world.ActiveScreen().SortChildren();
    EXPECT_EQ(world.ActiveScreen().Children().front(), &low);
}

TEST_F(Tree, ParentChangesIgnoreCyclesUnknownNamesAndScreens) {
    TRuvoBox& a = Box("a", 0, 0, 50, 50);
    TRuvoBox& b = Box("b", 0, 0, 10, 10, &a);
    TRuvoBox& c = Box("c", 0, 0, 5, 5, &b);
    SetProperty(a, PR_PARENT, std::string("c"));  // into its own subtree
    EXPECT_EQ(a.Parent(), &world.ActiveScreen());
    SetProperty(a, PR_PARENT, std::string("a"));
    EXPECT_EQ(a.Parent(), &world.ActiveScreen());
    SetProperty(c, PR_PARENT, std::string("nobody"));
    EXPECT_EQ(c.Parent(), &b);
    SetProperty(world.ActiveScreen(), PR_PARENT, std::string("a"));
    EXPECT_EQ(world.ActiveScreen().Parent(), nullptr);
    SetProperty(c, PR_PARENT, std::string("\x01" "BASE1"));
    EXPECT_EQ(c.Parent(), &world.Screen(1));
    EXPECT_EQ(GetStrProperty(c, PR_PARENT), "\x01" "BASE1");
    EXPECT_EQ(b.Children().size(), 0u);
}

TEST_F(Tree, NestingStopsAtTheLimit) {
    TRuvoControl* parent = &world.ActiveScreen();
    std::vector<TRuvoBox*> chain;
    for (int i = 0; i < kMaxObjectNesting + 5; ++i) {
        TRuvoBox& b = *static_cast<TRuvoBox*>(world.CreateByType(2));
        b.SetParent(parent);
        chain.push_back(&b);
        parent = &b;
    }
    int onScreen = 0;
    for (TRuvoBox* b : chain) onScreen += b->GetBase() != nullptr;
    EXPECT_EQ(onScreen, kMaxObjectNesting);
    Frame();  // painting and hit testing the deep chain end
}

TEST_F(Tree, VisibilityNeedsTheOwnFlagAParentAndAVisibleParent) {
    TRuvoBox& lone = *static_cast<TRuvoBox*>(world.CreateByType(2));
    EXPECT_FALSE(GetFlagProperty(lone, PR_VISIBLE));  // registered, named, but on no screen
    EXPECT_EQ(world.FindObject(lone.Name), &lone);
    TRuvoBox& outer = Box("outer", 0, 0, 50, 50);
    TRuvoBox& inner = Box("inner", 0, 0, 5, 5, &outer);
    EXPECT_TRUE(GetFlagProperty(inner, PR_VISIBLE));
    SetProperty(outer, PR_VISIBLE, false);
    EXPECT_FALSE(GetFlagProperty(inner, PR_VISIBLE));
    EXPECT_TRUE(inner.OwnVisible);
    SetProperty(world.ActiveScreen(), PR_VISIBLE, false);
    SetProperty(outer, PR_VISIBLE, true);
    EXPECT_FALSE(GetFlagProperty(inner, PR_VISIBLE));
}

TEST_F(Tree, ADeletionRequestFreesTheNameAtOnceAndTheObjectAfterTheUpdate) {
    TRuvoBox& old = Box("hero", 0, 0, 10, 10);
    Box("child", 0, 0, 1, 1, &old);
    world.ScheduleDelete(old);
    EXPECT_EQ(Find("hero"), nullptr);
    TRuvoBox& fresh = Box("hero", 0, 0, 10, 10);
    EXPECT_EQ(fresh.Name, "hero");
    EXPECT_EQ(Find("hero"), &fresh);
    const TObjectId oldId = old.Id();
    Frame();
    EXPECT_EQ(world.Lookup(oldId), nullptr);
    EXPECT_EQ(Find("child"), nullptr);  // went with its parent
    EXPECT_EQ(world.Objects().size(), 1u);
}

TEST_F(Tree, ScreensAreFoundByTheirInternalNamesAndNeverDeleted) {
    world.SetActive(1);
    EXPECT_EQ(world.FindObject(""), &world.Screen(1));
    EXPECT_EQ(world.FindObject("\x01" "BASE0"), &world.Screen(1));  // the front screen
    EXPECT_EQ(world.FindObject("\x01"), &world.Screen(0));
    EXPECT_EQ(world.FindObject("\x01" "BASE1"), &world.Screen(0));
    EXPECT_EQ(world.FindParent("\x01" "BASE0"), &world.Screen(0));  // screens by number
    EXPECT_EQ(world.FindParent("\x01" "BASE1"), &world.Screen(1));
    EXPECT_EQ(world.FindParent("\x01"), &world.Screen(0));
    SetProperty(world.Screen(0), PR_NAME, std::string("renamed"));
    EXPECT_EQ(world.Screen(0).Name, "\x01" "BASE0");
    world.ScheduleDelete(world.Screen(0));
    world.Destroy(world.Screen(0));
    Frame();
    EXPECT_EQ(world.Lookup(world.Screen(0).Id()), &world.Screen(0));
}

TEST_F(Tree, FindParentSkipsComponentsOfThatName) {
    world.CreateByType(15)->SetName("t");
    EXPECT_NE(world.FindObject("t"), nullptr);
    EXPECT_EQ(world.FindParent("t"), nullptr);
}

TEST_F(Tree, PropertiesByIdentifierAnswerTheirClassOrTheDefault) {
    TRuvoBox& box = Box("b", 3, 4, 5, 6);
    TRuvoObject& timer = *world.CreateByType(15);
    EXPECT_THROW(GetProperty(box, 162), ERuvoError);
    EXPECT_THROW(GetProperty(box, -1), ERuvoError);
    EXPECT_THROW(SetProperty(box, 162, 0), ERuvoError);
    EXPECT_THROW(SetProperty(box, PR_APPEARX, 0), ERuvoError);
    EXPECT_THROW(SetProperty(box, PR_APPEARY, 0), ERuvoError);
    try {
        GetProperty(box, 200);
    } catch (const ERuvoError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()), "GetPropエラー");
    }
    EXPECT_EQ(GetIntProperty(box, PR_COLCOUNT), 0);
    EXPECT_EQ(GetIntProperty(timer, PR_COLCOUNT), 0);
    EXPECT_EQ(GetIntProperty(timer, PR_COLOR), 0xFFFFFF);  // a timer has no colour
    EXPECT_EQ(GetIntProperty(box, PR_ZOOMX), 256);
    EXPECT_EQ(GetIntProperty(box, PR_ZOOMY), 256);
    EXPECT_EQ(GetIntProperty(timer, PR_LEFT), 0);
    EXPECT_EQ(GetIntProperty(box, PR_COMPOTYPE), 2);
    EXPECT_EQ(GetIntProperty(timer, PR_COMPOTYPE), 15);
    SetProperty(box, PR_COMPOTYPE, 9);  // read-only: ignored
    SetProperty(box, PR_PLAYING, true);
    EXPECT_EQ(GetIntProperty(box, PR_COMPOTYPE), 2);
    EXPECT_FALSE(GetFlagProperty(box, PR_PLAYING));
    SetProperty(timer, PR_LEFT, 50);  // not a control: ignored
    EXPECT_EQ(GetIntProperty(timer, PR_LEFT), 0);
    // PR_HANDLEKEY is an integer that the controls keep as a flag.
    SetProperty(box, PR_HANDLEKEY, 7);
    EXPECT_EQ(GetIntProperty(box, PR_HANDLEKEY), 1);
    // The common setters store any integer; a negative size draws nothing and breaks nothing.
    SetProperty(box, PR_WIDTH, -40);
    SetProperty(box, PR_LEFT, INT_MAX);
    SetProperty(box, PR_PLUSX, INT_MAX);
    EXPECT_EQ(GetIntProperty(box, PR_WIDTH), -40);
    Frame();
}

TEST_F(Tree, TheNamedConstantsAreTheExpressionLanguagesOwn) {
    Box("b", 3, 4, 5, 6);
    EXPECT_EQ(Eval("PR_LEFT"), "3");
    EXPECT_EQ(Eval("PR_CARETHEIGHT + LT_CABINET"), "188");
    EXPECT_EQ(Eval("GetProp(\"b\", PR_TOP)"), "4");
    EXPECT_EQ(Eval("IM_RCLICK * 100 + MT_DEC * 10 + OT_VERTICAL"), "421");
    EXPECT_EQ(Eval("PM_TWISTER + HA_RIGHT"), "6");
    EXPECT_EQ(Eval("pr_left"), "(none)");  // not a constant: a variable nobody declared
}

TEST_F(Tree, CabinetsHideWhatTheyHoldAndKeepItStill) {
    auto& cabinet = static_cast<TRuvoCabinet&>(*world.CreateByType(27));
    cabinet.SetParent(&world.Screen(0));
    TRuvoBox& kept = Box("kept", 0, 0, 10, 10, &cabinet);
    SetProperty(kept, PR_ONIDLE, std::string("idle.rsb"));
    EXPECT_FALSE(kept.GetVisible());
    EXPECT_TRUE(kept.InsideCabinet());
    EXPECT_EQ(world.ActiveScreen().HitTest(5, 5, kHoverMask), &world.ActiveScreen());
    Frame();
    EXPECT_TRUE(Events().empty());
}

} // namespace
} // namespace ruvo::testing
