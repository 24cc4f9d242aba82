#include "archive/serializer.hpp"
#include "interpreter_fixture.hpp"

namespace ruvo::testing {
namespace {

using Interpreter = InterpreterFixture;

TEST_F(Interpreter, ContinuingCommandsRunToThePageEndInOneFrameAndTheScriptEnds) {
    Global("n", 1);
    Page("main.rsb",
         "Calc n = n + 1\n"
         "Calc n = n + 1\n"
         "Calc n = n + 1\n");
    Start();
    Frames(1);
    EXPECT_EQ(Var("n"), "3");
    EXPECT_EQ(cm.CurrentPage, nullptr);
    EXPECT_FALSE(cm.Cont);
    Frames(3);  // an ended script stays ended
    EXPECT_EQ(Var("n"), "3");
}

TEST_F(Interpreter, DoEventAndWaitEndTheFrame) {
    Global("n", 1);
    Global("started", 1);
    Global("done", 1);
    Page("main.rsb",
         "Calc n = n + 1\n"
         "DoEvent\n"
         "Calc n = n + 1\n"
         "Calc started = @TickCount\n"
         "[cont] Wait time: 100\n"
         "Calc done = @TickCount\n");
    Start();
    Frames(1);
    EXPECT_EQ(Var("n"), "1");
    Frames(1);
    EXPECT_EQ(Var("n"), "2");
    Frames(20);
    // 100 ms at 16 ms a frame: the frame it starts in does not count, 100 - 6 * 16 = 4 > 0, so the
    // wait ends in the seventh frame after the one it started in.
    EXPECT_EQ(std::stoi(Var("done")) - std::stoi(Var("started")), 7 * 16);
}

TEST_F(Interpreter, IfElseifElseChains) {
    const char* chain =
        "If a == 1\n"
        "    Calc r = \"if\"\n"
        "Elseif a == 2\n"
        "    Calc r = \"elseif\"\n"
        "Elseif a == 3\n"
        "    Calc r = \"elseif2\"\n"
        "Else\n"
        "    Calc r = \"else\"\n"
        "Calc after = after + 1\n"
        "If a == 1\n"
        "    Calc only = \"one\"\n"
        "Calc tail = tail + 1\n"
        "If a == 99\n";  // a false If as the last command ends the page
    const struct {
        int a;
        const char* r;
        const char* only;
    } cases[] = {{1, "if", "one"}, {2, "elseif", ""}, {3, "elseif2", ""}, {4, "else", ""}};
    for (const auto& c : cases) {
        vars.Reset();
        Global("a", 1).SetInt(c.a);
        Global("r", 4);
        Global("only", 4);
        Global("after", 1);
        Global("tail", 1);
        Page("main.rsb", chain);
        Start();
        Frames(1);
        EXPECT_EQ(Var("r"), c.r) << c.a;
        EXPECT_EQ(Var("only"), c.only) << c.a;
        EXPECT_EQ(Var("after"), "1") << c.a;  // the rest of the chain is passed over once
        EXPECT_EQ(Var("tail"), "1") << c.a;
        EXPECT_EQ(cm.CurrentPage, nullptr) << c.a;
    }
}

TEST_F(Interpreter, WhileWithBreakAndContinue) {
    Global("sum", 1);
    Global("i", 1);
    Global("after", 1);
    Page("main.rsb",
         "WhileInit i = 0\n"
         "While i < 10\n"
         "    Continue i == 3\n"
         "    Break i == 7\n"
         "    Calc sum = sum + i\n"
         "    WhileLoop i = i + 1\n"
         "Calc after = 1\n");
    Start();
    Frames(1);  // a loop of continuing commands runs within one frame
    EXPECT_EQ(Var("sum"), "18");  // 0+1+2+4+5+6
    EXPECT_EQ(Var("i"), "7");
    EXPECT_EQ(Var("after"), "1");
}

TEST_F(Interpreter, CallsPassArgumentsReturnResultsAndDropTheirLocals) {
    Global("res", 1);
    Global("q", 1);
    Global("pc", 1);
    Global("p1", 4);
    Global("seenLocal", 1);
    Page("main.rsb",
         "Call \"sub.rsb\", 0, \"res\", TRUE, [10, q = 5, \"c\"]\n"
         "Calc back = 1\n");
    Page("sub.rsb",
         "%return int\n"
         "VarNew \"loc\", int, 5, 1\n"
         "Calc pc = @ParamCount\n"
         "Calc p1 = @ParamStr[1]\n"
         "Calc seenLocal = loc\n"
         "Calc @Result = 37 + loc\n");
    Global("back", 1);
    Start();
    Frames(1);
    EXPECT_EQ(Var("pc"), "2");  // the argument that yields nothing is left out ...
    EXPECT_EQ(Var("p1"), "c");  // ... and the later ones move up
    EXPECT_EQ(Var("q"), "5");
    EXPECT_EQ(Var("seenLocal"), "5");
    EXPECT_EQ(Var("res"), "42");
    EXPECT_EQ(Var("loc"), "(none)");  // discarded when the call returned
    EXPECT_EQ(Var("back"), "1");
    EXPECT_EQ(cm.Stack.Count(), 0);
}

TEST_F(Interpreter, AClickHandlerRunsWholeInTheFrameOfTheClickWithItsSender) {
    Global("a", 1);
    Global("b", 4);
    Global("c", 1);
    Global("mainSender", 4);
    Page("main.rsb",
         "Calc mainSender = \"[\" ++ @Sender ++ \"]\"\n"
         "Wait\n");
    Page("handler.rsb",
         "Calc a = 99\n"
         "*go\n"
         "[endframe] Calc a = 1\n"
         "[endframe] Calc b = @Sender\n"
         "[endframe] Calc c = c + 1\n");
    Start();
    Frames(2);
    TRuvoObject& button = Add("btn");
    Click(button, "handler.xyz:go");
    Frames(1);
    EXPECT_EQ(Var("a"), "1");
    EXPECT_EQ(Var("b"), "btn");
    EXPECT_EQ(Var("c"), "1");
    EXPECT_EQ(Var("mainSender"), "[]");
    EXPECT_EQ(world.Events().Count(), 0);  // removed when the handler returned
    EXPECT_EQ(cm.State, 0);
    EXPECT_EQ(trace.back().substr(11), "main.rsb(2)");
    bool sawEvent = false;
    for (const auto& line : trace) sawEvent |= line.find("<Event>handler.rsb(2)") != std::string::npos;
    EXPECT_TRUE(sawEvent);
    // A missing label starts at the top of the page.
    Click(button, "handler.rsb:nowhere");
    Frames(1);
    EXPECT_EQ(Var("c"), "2");
}

TEST_F(Interpreter, AYieldingHandlerLetsTheNextEventRunNestedFirst) {
    Global("log", 4);
    Page("main.rsb", "Wait\n");
    Page("h1.rsb",
         "Calc log = log ++ \"1a\"\n"
         "Wait time: 50\n"
         "Calc log = log ++ \"1b\"\n");
    Page("h2.rsb", "Calc log = log ++ \"2\"\n");
    Start();
    Frames(1);
    TRuvoObject& one = Add("one");
    TRuvoObject& two = Add("two");
    Click(one, "h1.rsb");
    Click(two, "h2.rsb");
    Frames(1);
    EXPECT_EQ(Var("log"), "1a");
    Frames(1);
    EXPECT_EQ(Var("log"), "1a2");  // dispatched at level 2 while the first handler waits
    Frames(10);
    EXPECT_EQ(Var("log"), "1a21b");
    EXPECT_EQ(cm.State, 0);
    EXPECT_EQ(cm.Stack.Count(), 0);
    EXPECT_EQ(world.Events().Count(), 0);
}

TEST_F(Interpreter, AnEventWhosePageIsMissingWaitsAndHoldsUpLaterOnes) {
    Global("log", 4);
    Page("main.rsb", "Wait\n");
    Page("h2.rsb", "Calc log = log ++ \"2\"\n");
    Start();
    TRuvoObject& o = Add("o");
    Click(o, "missing.rsb");
    Click(o, "h2.rsb");
    Frames(3);
    EXPECT_EQ(Var("log"), "");
    EXPECT_EQ(world.Events().Count(), 2);
}

TEST_F(Interpreter, PCResetInAHandlerRestartsTheMainFlowOnceTheHandlerEnds) {
    Global("phase", 4);
    Global("handlerDone", 1);
    Page("main.rsb",
         "Calc phase = \"main\"\n"
         "Wait\n");
    Page("target.rsb",
         "Calc phase = phase ++ \"-target\"\n"
         "Wait\n");
    Page("handler.rsb",
         "PCReset \"target.rsb\", 0, FALSE\n"
         "Calc handlerDone = 1\n");
    Start();
    Frames(1);
    Click(Add("b"), "handler.rsb");
    Frames(1);
    EXPECT_EQ(Var("handlerDone"), "1");
    EXPECT_EQ(Var("phase"), "main-target");
    ASSERT_NE(cm.CurrentPage, nullptr);
    EXPECT_EQ(cm.CurrentPage->FileName, "target.rsb");
    EXPECT_EQ(world.Events().Count(), 0);
}

TEST_F(Interpreter, PCResetWithClearAllEmptiesStackAndQueue) {
    Global("phase", 4);
    Page("main.rsb", "Call \"sub.rsb\"\n");
    Page("sub.rsb", "Wait\n");
    Page("target.rsb",
         "Calc phase = \"target\"\n"
         "Wait\n");
    Page("handler.rsb", "PCReset \"target.rsb\", 0, TRUE\n");
    Start();
    Frames(1);
    EXPECT_EQ(cm.Stack.Count(), 1);
    TRuvoObject& b = Add("b");
    Click(b, "handler.rsb");
    Click(b, "missing.rsb");
    Frames(1);
    EXPECT_EQ(Var("phase"), "target");
    EXPECT_EQ(cm.Stack.Count(), 0);
    EXPECT_EQ(cm.State, 0);
    EXPECT_EQ(world.Events().Count(), 0);
}

TEST_F(Interpreter, ResetClearsTheGameAndStartsAgain) {
    Global("count", 1);
    Page("main.rsb",
         "Calc count = count + 1\n"
         "Reset \"second.rsb\", 1\n");
    Page("second.rsb",
         "Calc skipped = 1\n"
         "VarNew \"after\", int, 7, 0\n");
    Start();
    Frames(1);
    EXPECT_EQ(Var("count"), "(none)");
    EXPECT_EQ(Var("skipped"), "(none)");
    EXPECT_EQ(Var("after"), "7");
}

TEST_F(Interpreter, AFailingCommandIsTriedAgainInLaterFrames) {
    Global("x", 1);
    Page("main.rsb",
         "VarNew \"\", int, 1, 0\n"
         "Calc x = 1\n");
    Start();
    Frames(3);
    EXPECT_EQ(Var("x"), "0");
    ASSERT_NE(cm.CurrentPage, nullptr);
    EXPECT_EQ(cm.Index, 0);
}

TEST_F(Interpreter, TerminateStopsTheFrameWithoutMoving) {
    Global("x", 1);
    Page("main.rsb",
         "Terminate\n"
         "Calc x = 1\n");
    Start();
    Frames(1);
    EXPECT_TRUE(terminating);
    EXPECT_EQ(Var("x"), "0");
    EXPECT_EQ(cm.Index, 0);
}

TEST_F(Interpreter, SavedStateResumesAWaitInsideACallIdentically) {
    Global("res", 1);
    Global("after", 1);
    Page("main.rsb",
         "Call \"sub.rsb\", 0, \"res\", TRUE, [\"x\"]\n"
         "Calc after = res\n"
         "Wait\n");
    Page("sub.rsb",
         "Wait time: 64\n"
         "Calc @Result = 9\n");
    Start();
    Frames(2);
    TMemoryStream saved;
    cm.SaveTo(saved);
    Frames(10);
    EXPECT_EQ(Var("after"), "9");

    Global("after", 1).SetInt(0);
    Global("res", 1).SetInt(0);
    saved.SetPosition(0);
    cm.LoadFrom(saved, 134);
    EXPECT_EQ(saved.Remaining(), 0);
    TMemoryStream again;
    cm.SaveTo(again);
    EXPECT_EQ(again.Bytes(), saved.Bytes());  // what was loaded saves back byte for byte
    EXPECT_EQ(cm.Arg(0), "x");
    Frames(3);
    EXPECT_EQ(Var("after"), "0");  // the wait goes on where it was
    Frames(10);
    EXPECT_EQ(Var("after"), "9");
}

TEST_F(Interpreter, SavedGamesBefore116CarryNoDispatchLevel) {
    Page("main.rsb", "Calc x = 1\n");
    Start();
    cm.Level = 5;
    TMemoryStream saved;
    cm.SaveTo(saved);  // not started: the level is the last field
    auto bytes = saved.Bytes();
    TMemoryStream current(bytes);
    cm.LoadFrom(current, 134);
    EXPECT_EQ(cm.Level, 5);
    bytes.resize(bytes.size() - 4);
    TMemoryStream old(bytes);
    cm.LoadFrom(old, 115);
    EXPECT_EQ(cm.Level, 2);
    EXPECT_EQ(old.Remaining(), 0);
    // The one description writes exactly that record when asked for version 115.
    cm.Level = 5;
    TMemoryStream written;
    TSerializer writer = TSerializer::Writer(written, 115);
    cm.Sync(writer);
    EXPECT_EQ(written.Bytes(), bytes);
}

TEST_F(Interpreter, DamagedSavedStateIsRefusedCleanly) {
    Page("main.rsb", "Wait\n");
    Start();
    Frames(1);
    TMemoryStream saved;
    cm.SaveTo(saved);
    auto bytes = saved.Bytes();
    // Cut anywhere: an exception, never a crash or a huge allocation.
    for (size_t cut = 0; cut + 1 < bytes.size(); cut += 3) {
        TMemoryStream part(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        EXPECT_ANY_THROW(cm.LoadFrom(part, 134)) << cut;
    }
    // An absurd argument count.
    TMemoryStream hostile;
    WriteStr(hostile, "main.rsb");
    WriteInt(hostile, 0);
    WriteByte(hostile, 0);
    WriteByte(hostile, 0);
    WriteInt(hostile, 0);
    WriteStr(hostile, "");
    WriteInt(hostile, 0x7FFFFFFF);
    hostile.SetPosition(0);
    EXPECT_ANY_THROW(cm.LoadFrom(hostile, 134));
}

} // namespace
} // namespace ruvo::testing

namespace ruvo::testing {
namespace {

using Interpreter = InterpreterFixture;

TEST_F(Interpreter, AHandlerReturningAfterTheScriptEndedEndsTheFrame) {
    Global("n", 1);
    Page("main.rsb", "Calc n = 1\n");  // the start page simply ends
    Page("click.rsb", "Calc n = n + 1\n");
    Start();
    Frames(1);
    EXPECT_EQ(cm.CurrentPage, nullptr);
    TRuvoObject& button = Add("button");
    Click(button, "click.rsb");
    Frames(1);  // used to loop for ever: no page, and the continue flag left on
    EXPECT_EQ(Var("n"), "2");
    EXPECT_EQ(cm.State, 0);
    EXPECT_FALSE(cm.Cont);
    Click(button, "click.rsb");
    Frames(2);
    EXPECT_EQ(Var("n"), "3");
}

TEST_F(Interpreter, ASenderDestroyedWhileItsHandlerRunsIsNotMistakenForANewObject) {
    Global("who", 4);
    Page("main.rsb", "Wait\n");
    Page("h.rsb", "Wait time: 16\nCalc who = \"[\" ++ @Sender ++ \"]\"\n");
    Start();
    Frames(1);
    TRuvoObject& old = Add("old");
    Click(old, "h.rsb");
    Frames(1);  // the handler has started
    world.Destroy(old);
    Add("new");  // may well take the freed memory
    Frames(2);
    EXPECT_EQ(Var("who"), "[]");  // the handler ends, without a sender
}

TEST_F(Interpreter, AnEventWaitingForItsTurnGoesWithItsSender) {
    Global("ran", 1);
    Page("main.rsb", "Wait\n");
    Page("h.rsb", "Calc ran = 1\n");
    Start();
    Frames(1);
    TRuvoObject& old = Add("old");
    Click(old, "h.rsb");
    world.Destroy(old);
    Frames(2);
    EXPECT_EQ(Var("ran"), "0");
    EXPECT_EQ(world.Events().Count(), 0);
}

TEST_F(Interpreter, AFailingCommandIsTracedOnceWithItsError) {
    Page("main.rsb", "VarNew \"\", int, 1, 0\n");
    Start();
    Frames(5);
    int errors = 0;
    for (const auto& line : trace)
        if (line.find("<Error>main.rsb(1) 変数名がありません") != std::string::npos) ++errors;
    EXPECT_EQ(errors, 1) << ::testing::PrintToString(trace);
}

TEST_F(Interpreter, VarDelLeavesSystemVariablesAlone) {
    Global("kept", 3);
    Page("main.rsb",
         "VarDel \"@TextDelay\"\n"
         "VarDel \"@result\"\n"
         "Calc kept = VarExists(\"@TextDelay\") & VarExists(\"@Result\")\n");
    Start();
    Frames(1);
    EXPECT_EQ(Var("kept"), "TRUE");
    EXPECT_EQ(vars.Count(), 49 + 1);
}

TEST_F(Interpreter, GameSaveAndGameLoadLeaveTheirRequestsWithTheProject) {
    Page("main.rsb",
         "GameSave 3, \"resume.rsb\", 7, \"Chapter \" ++ IntToStr(2)\n"
         "GameLoad 1 + 1\n");
    Start();
    Frames(2);
    ASSERT_TRUE(project.PendingSave.has_value());
    EXPECT_EQ(project.PendingSave->Slot, 3);
    EXPECT_EQ(project.PendingSave->Title, "Chapter 2");
    EXPECT_EQ(project.PendingSave->ResumePage, "resume.rsb");
    EXPECT_EQ(project.PendingSave->ResumeIndex, 7);
    EXPECT_EQ(project.PendingLoad, 2);
}

TEST_F(Interpreter, SendersAreSavedByNameAndFoundAgainByName) {
    Page("main.rsb", "Wait\n");
    Page("h.rsb", "Wait time: 1000\n");
    Start();
    Frames(1);
    TRuvoObject& button = Add("button");
    Click(button, "h.rsb");
    Frames(2);
    ASSERT_EQ(cm.SenderName(), "button");
    TMemoryStream saved;
    cm.SaveTo(saved);
    world.Destroy(button);
    TRuvoObject& again = Add("button");
    saved.SetPosition(0);
    cm.LoadFrom(saved, 134);
    EXPECT_EQ(cm.Sender, again.Id());
    EXPECT_EQ(cm.SenderName(), "button");
}

} // namespace
} // namespace ruvo::testing
