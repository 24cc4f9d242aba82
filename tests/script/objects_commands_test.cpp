// The object commands run by the interpreter against a display world: creating objects from property
// expressions, deleting them, their properties, property motions, menus and media by name, cabinets,
// Reset, and the object functions.
#include "interpreter_fixture.hpp"
#include "objects/images/box.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/motion/propmotion.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/worldbindings.hpp"

namespace ruvo::testing {
namespace {

class ObjectCommands : public InterpreterFixture {
protected:
    TWorldBindings bindings{world, vars.SystemVars(), funcs};

    TRuvoBox& BoxNamed(const std::string& name) {
        TRuvoObject* o = world.FindObject(Utf8ToSjis(name));
        EXPECT_NE(o, nullptr) << name;
        auto* box = dynamic_cast<TRuvoBox*>(o);
        if (!box) throw std::runtime_error(name + " is not a box");
        return *box;
    }
    bool Traced(const std::string& text) {
        for (const auto& line : trace)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

TEST_F(ObjectCommands, EmptyExpressionsGiveTheCreationDefaultsAndMissingOnesTheClassDefaults) {
    Page("main.rsb",
         "BoxNew PR_NAME = \"given\", PR_COLOR =, PR_BORDERCOLOR =, PR_ALPHA =, PR_VISIBLE =, PR_ZOOMX =\n"
         "BoxNew PR_NAME = \"plain\"\n");
    Start();
    Run(1);
    TRuvoBox& given = BoxNamed("given");
    EXPECT_EQ(given.Color, -1);
    EXPECT_EQ(given.BorderColor, -1);
    EXPECT_EQ(given.Alpha, 255);
    EXPECT_TRUE(given.OwnVisible);
    TRuvoBox& plain = BoxNamed("plain");  // the page's mask holds the same slots, left empty
    EXPECT_EQ(plain.Color, -1);
    Page("bare.rsb", "BoxNew PR_NAME = \"bare\"\n");
    Start("bare.rsb");
    Run(1);
    TRuvoBox& bare = BoxNamed("bare");  // no slots at all: the class's own defaults
    EXPECT_EQ(bare.Color, 0);
    EXPECT_EQ(bare.BorderColor, 0);
    EXPECT_EQ(bare.Alpha, 255);
    EXPECT_EQ(bare.Parent(), &world.ActiveScreen());  // a creating command always places a control
}

TEST_F(ObjectCommands, PropertiesAreAppliedInTheCreationOrderAndSomeNever) {
    Global("o", 4);
    auto logged = [](const char* letter) {
        return std::string("Length(Calc(\"o = o ++ \\\"") + letter + "\\\"\"))";
    };
    Page("main.rsb", std::string("BoxNew PR_LEFT = ") + logged("l") + ", PR_TOP = " + logged("t") +
                         ", PR_WIDTH = " + logged("w") + ", PR_HEIGHT = " + logged("h") + ", PR_PLUSX = " +
                         logged("p") + ", PR_NAME = " + logged("n") + ", PR_PRIORITY = " + logged("r") + "\n");
    Start();
    Run(1);
    EXPECT_EQ(Var("o"), "nwhltr");  // PR_PLUSX is never applied at creation
}

TEST_F(ObjectCommands, AnEmptyOrUnknownParentIsTheFrontScreen) {
    Page("main.rsb",
         "BoxNew PR_NAME = \"outer\", PR_PARENT = \"\"\n"
         "BoxNew PR_NAME = \"inner\", PR_PARENT = \"outer\"\n"
         "BoxNew PR_NAME = \"lost\", PR_PARENT = \"nobody\"\n"
         "Timer PR_NAME = \"t\"\n"
         "BoxNew PR_NAME = \"notUnderATimer\", PR_PARENT = \"t\"\n"
         "BoxNew PR_NAME = \"back\", PR_PARENT = \"\x01\"\n");  // a raw 0x01: the back screen
    Start();
    Run(1);
    EXPECT_EQ(BoxNamed("outer").Parent(), &world.ActiveScreen());
    EXPECT_EQ(BoxNamed("inner").Parent(), &BoxNamed("outer"));
    EXPECT_EQ(BoxNamed("lost").Parent(), &world.ActiveScreen());
    EXPECT_EQ(BoxNamed("notUnderATimer").Parent(), &world.ActiveScreen());
    EXPECT_EQ(BoxNamed("back").Parent(), &world.BackScreen());
}

TEST_F(ObjectCommands, EveryCreatingCommandMakesAnObjectOfItsType) {
    Page("main.rsb",
         "BoxNew PR_NAME = \"a\"\nImgNew PR_NAME = \"b\"\nMesNew PR_NAME = \"c\"\nTimer PR_NAME = \"d\"\n"
         "Movie PR_NAME = \"e\"\nCinema PR_NAME = \"f\"\nCaption PR_NAME = \"g\"\nMenu PR_NAME = \"h\"\n"
         "Button PR_NAME = \"i\"\nParticleNew PR_NAME = \"j\", PR_APPEARX = 5\nFireNew PR_NAME = \"k\"\n"
         "Sound PR_NAME = \"l\"\nEditNew PR_NAME = \"m\"\nMemoNew PR_NAME = \"n\"\nMapImgNew PR_NAME = \"o\"\n"
         "WaveNew PR_NAME = \"p\"\nTileNew PR_NAME = \"q\"\nSliderNew PR_NAME = \"r\"\n"
         "ScrollbarNew PR_NAME = \"s\"\nGaugeNew PR_NAME = \"t\"\nCGCaption PR_NAME = \"u\"\n"
         "PrevMenuNew PR_NAME = \"v\"\n"
         "Calc types = \"\"\n");
    Global("types", 4);
    Start();
    Run(1);
    std::string types;
    for (char c = 'a'; c <= 'v'; ++c) {
        TRuvoObject* o = world.FindObject(std::string(1, c));
        ASSERT_NE(o, nullptr) << c;
        types += std::to_string(o->GetCompoType()) + " ";
    }
    EXPECT_EQ(types, "2 8 13 15 16 4 9 12 3 14 6 17 5 11 18 19 20 21 22 23 24 25 ");
}

TEST_F(ObjectCommands, ObjDelFreesTheNameAtOnceAndLeavesScreensAlone) {
    Global("there", 3);
    Page("main.rsb",
         "BoxNew PR_NAME = \"x\"\n"
         "ObjDel \"x\"\n"
         "Calc there = Exists(\"x\")\n"
         "BoxNew PR_NAME = \"x\", PR_LEFT = 7\n"
         "ObjDel \"\"\n"
         "ObjDel \"\x01" "BASE0\"\n"
         "ObjDel \"nobody\"\n");
    Start();
    Run(2);
    EXPECT_EQ(Var("there"), "FALSE");
    EXPECT_EQ(BoxNamed("x").Left, 7);
    EXPECT_EQ(world.Objects().size(), 1u);
    EXPECT_EQ(world.ActiveScreen().Children().size(), 1u);
}

TEST_F(ObjectCommands, GetPropAndSetProp) {
    Global("w", 1);
    Global("name", 4);
    Global("untouched", 1);
    Page("main.rsb",
         "BoxNew PR_NAME = \"b\", PR_WIDTH = 30\n"
         "GetProp \"b\", PR_WIDTH, \"w\"\n"
         "SetProp \"b\", PR_LEFT, \"12\"\n"
         "SetProp \"b\", PR_COMPOTYPE, 9\n"
         "GetProp \"\", PR_NAME, \"name\"\n"
         "Calc untouched = 5\n"
         "GetProp \"nobody\", PR_WIDTH, \"untouched\"\n"
         "GetProp \"b\", PR_WIDTH, \"undeclared\"\n"
         "SetProp \"nobody\", 9999, 1\n");
    Start();
    Run(1);
    EXPECT_EQ(Var("w"), "30");
    EXPECT_EQ(BoxNamed("b").Left, 12);
    EXPECT_EQ(BoxNamed("b").GetCompoType(), 2);
    EXPECT_EQ(Var("name"), "\x01" "BASE0");
    EXPECT_EQ(Var("untouched"), "5");
    EXPECT_EQ(Var("undeclared"), "(none)");
    EXPECT_EQ(cm.CurrentPage, nullptr);  // all of it ran
}

TEST_F(ObjectCommands, AMissingOrWrongPropertyIdentifierStopsTheLine) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"GetProp \"b\", , \"v\"\n", "プロパティ指定が不正です"},
        {"SetProp \"b\", , 1\n", "プロパティ指定が不正です"},
        {"GetProp \"b\", 162, \"v\"\n", "GetPropエラー"},
        {"SetProp \"b\", PR_APPEARX, 1\n", "SetPropエラー"},
        {"PropMotion \"m\", \"b\", , 1, 1, 0\n", "プロパティ指定が不正です"},
    };
    int page = 0;
    for (const Case& c : cases) {
        world.Reset();
        trace.clear();
        Global("v", 1);
        const std::string name = "case" + std::to_string(++page) + ".rsb";
        Page(name, std::string("BoxNew PR_NAME = \"b\"\n") + c.line + "Calc v = 1\n");
        Start(name);
        Run(3);
        EXPECT_TRUE(Traced("<Error>" + name + "(2) " + c.message)) << c.line << ::testing::PrintToString(trace);
        EXPECT_EQ(cm.Index, 1) << c.line;  // tried again in every frame
        EXPECT_EQ(world.Objects().size(), 1u) << c.line;
    }
}

TEST_F(ObjectCommands, PropMotionMovesAPropertyToItsTarget) {
    Global("done", 3);
    Page("main.rsb",
         "BoxNew PR_NAME = \"b\", PR_TOP = 10\n"
         "PropMotion \"m\", \"b\", PR_TOP, 90, 160, MT_DEC\n"
         "Wait time: 400\n"
         "Calc done = Not(Exists(\"m\"))\n");
    Start();
    Run(3);
    auto* m = dynamic_cast<TRuvoPropMotion*>(world.FindObject("m"));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Mode, TRuvoPropMotion::MT_DEC);
    EXPECT_EQ(m->PropId, PR_TOP);
    EXPECT_GT(BoxNamed("b").Top, 10);
    Run(30);
    EXPECT_EQ(BoxNamed("b").Top, 90);
    EXPECT_EQ(Var("done"), "TRUE");
}

TEST_F(ObjectCommands, MenuCloseWaitsOnItsLineUntilTheMenuExists) {
    Global("after", 1);
    Page("main.rsb",
         "MenuClose \"menu\"\n"
         "Calc after = 1\n");
    Start();
    Run(5);
    EXPECT_EQ(Var("after"), "0");
    EXPECT_EQ(cm.Index, 0);
    world.CreateByType(12)->SetName("menu");
    Run(2);
    EXPECT_EQ(Var("after"), "1");
}

TEST_F(ObjectCommands, CabinetsKeepObjectsOfTheBackScreenAndGiveThemBack) {
    Global("inPrimary", 3);
    Page("main.rsb",
         "BoxNew PR_NAME = \"a\", PR_PARENT = \"\x01\"\n"
         "BoxNew PR_NAME = \"b\", PR_PARENT = \"\x01\"\n"
         "BoxNew PR_NAME = \"c\", PR_PARENT = \"\x01\"\n"
         "SaveCabinet PR_NAME = \"cab\", invert: FALSE, names: [\"a\", \"b\"]\n"
         "Calc inPrimary = InPrimary(\"a\")\n"
         "Wait\n");
    Start();
    Run(1);
    TRuvoControl* cab = world.FindParent("cab");
    ASSERT_NE(cab, nullptr);
    EXPECT_EQ(cab->Parent(), &world.Screen(0));
    EXPECT_EQ(cab->Children().size(), 2u);
    EXPECT_EQ(BoxNamed("c").Parent(), &world.BackScreen());
    EXPECT_EQ(Var("inPrimary"), "FALSE");
    Page("load1.rsb", "LoadCabinet PR_NAME = \"cab\", TRUE, [\"a\"]\nWait\n");  // every one but a
    Start("load1.rsb");
    Run(1);
    EXPECT_EQ(BoxNamed("b").Parent(), &world.BackScreen());
    EXPECT_EQ(BoxNamed("a").Parent(), cab);
    Page("load2.rsb", "LoadCabinet PR_NAME = \"cab\", FALSE, [\"a\"]\nWait\n");
    Start("load2.rsb");
    Run(2);
    EXPECT_EQ(BoxNamed("a").Parent(), &world.BackScreen());
    EXPECT_EQ(world.FindObject("cab"), nullptr);  // left empty: deleted
    Page("save2.rsb", "SaveCabinet PR_NAME = \"none\", FALSE, [\"zzz\"]\nWait\n");
    Start("save2.rsb");
    Run(2);
    EXPECT_EQ(world.FindObject("none"), nullptr);
}

TEST_F(ObjectCommands, ResetClearsTheWorld) {
    Global("kept", 1);
    Page("main.rsb",
         "BoxNew PR_NAME = \"b\"\n"
         "Timer PR_NAME = \"t\", PR_DELAY = 0, PR_ONNOTIFY = \"main.rsb\"\n"
         "VarNew \"gone\", int, 1, 0\n"
         "Reset \"next.rsb\", 0\n");
    Page("next.rsb", "Wait\n");
    Start();
    Run(2);
    EXPECT_TRUE(world.Objects().empty());
    EXPECT_EQ(world.Events().Count(), 0);
    EXPECT_EQ(Var("gone"), "(none)");
    EXPECT_EQ(cm.CurrentPage->FileName, "next.rsb");
}

TEST_F(ObjectCommands, ObjectFunctions) {
    Global("n", 1);
    Global("list", 4);
    Global("children", 1);
    Global("timers", 1);
    Global("orphans", 1);
    Page("main.rsb",
         "BoxNew PR_NAME = \"p\"\n"
         "BoxNew PR_NAME = \"c1\", PR_PARENT = \"p\"\n"
         "BoxNew PR_NAME = \"c2\", PR_PARENT = \"p\"\n"
         "Timer PR_NAME = \"t\"\n"
         "Calc n = ListCompo(list)\n"
         "Calc children = ListCompo(list, 0, \"p\")\n"
         "Calc timers = ListCompo(list, LT_TIMER)\n"
         "Calc orphans = ListCompo(list, 99, \"nobody\")\n"
         "Calc e1 = Exists(\"c1\") & Not(Exists(\"\")) & Not(Exists(\"zz\"))\n"
         "Calc l = GetProp(\"c2\", PR_LEFT) ++ SetProp(\"c2\", PR_LEFT, 40) ++ GetProp(\"c2\", PR_LEFT)\n");
    Global("e1", 3);
    Global("l", 4);
    Start();
    Run(1);
    EXPECT_EQ(Var("n"), "4");
    EXPECT_EQ(Var("children"), "2");
    EXPECT_EQ(Var("timers"), "1");
    EXPECT_EQ(Var("orphans"), "1");  // the timer has no parent
    EXPECT_EQ(Var("list"), "t");
    EXPECT_EQ(Var("e1"), "TRUE");
    // Calls run from the last to the first: the last GetProp reads 0, then SetProp writes 40 (its result
    // is ""), then the first GetProp reads 40.
    EXPECT_EQ(Var("l"), "400");
}

} // namespace
} // namespace ruvo::testing
