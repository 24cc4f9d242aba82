#include "script/commandrun.hpp"

#include <array>

#include "archive/errors.hpp"
#include "params/expr.hpp"
#include "objects/timerlist.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/scripthost.hpp"

namespace ruvo {

namespace {

// An expression's value, or null when it yields nothing.
const TCustomParam* Evaluate(TExpression& e, TCallMan& cm) {
    if (e.Empty()) return nullptr;
    e.Evaluate(cm.Vars, cm.Funcs);
    return e.Result();
}

// A condition that yields nothing counts as false.
bool Holds(TExpression& e, TCallMan& cm) {
    const TCustomParam* v = Evaluate(e, cm);
    return v && v->AsFlag();
}

int Depth(const TCallMan& cm, int index) { return cm.CurrentPage->Items(index)->Depth; }

// ---- flow

void ExecIf(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComIf&>(c);
    const int depth = command.Depth;
    ++cm.Index;
    if (Holds(command.Condition, cm)) return;
    const int count = cm.CurrentPage->Count();
    while (cm.Index < count) {
        TCommand& next = *cm.CurrentPage->Items(cm.Index);
        if (next.Depth > depth) {
            ++cm.Index;
        } else if (next.Depth < depth) {
            return;
        } else if (next.Code() == TComElseif::kCode) {
            if (Holds(static_cast<TComElseif&>(next).Condition, cm)) {
                ++cm.Index;
                return;
            }
            ++cm.Index;
        } else if (next.Code() == TComElse::kCode) {
            ++cm.Index;
            return;
        } else {
            return;
        }
    }
}

// Reached from the end of the previous branch: the rest of the chain is passed over.
void ExecSkipBranch(TCommand& c, TCallMan& cm) {
    const int count = cm.CurrentPage->Count();
    do ++cm.Index;
    while (cm.Index < count && Depth(cm, cm.Index) > c.Depth);
}

void ExecStep(TCommand&, TCallMan& cm) { ++cm.Index; }

void ExecWhile(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComWhile&>(c);
    ++cm.Index;
    if (!Holds(command.Condition, cm)) cm.Index = command.ExitIndex;
}

void ExecWhileInit(TCommand& c, TCallMan& cm) {
    ++cm.Index;
    Evaluate(static_cast<TComWhileInit&>(c).Expression, cm);
}

void ExecWhileLoop(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComWhileLoop&>(c);
    cm.Index = command.LoopIndex;
    Evaluate(command.Expression, cm);
}

void ExecJump(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComJump&>(c);
    ++cm.Index;
    if (!Holds(command.Condition, cm) || !cm.Host.FileAvailable(command.PageName)) return;
    cm.CurrentPage = cm.GetPage(command.PageName);
    cm.Index = command.Index;
}

void ExecCall(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComCall&>(c);
    ++cm.Index;
    if (!Holds(command.Condition, cm) || !cm.Host.FileAvailable(command.PageName)) return;
    std::vector<std::string> args;
    for (auto& arg : command.Args)
        if (const TCustomParam* v = Evaluate(*arg, cm)) args.push_back(v->AsStr());
    // Load the callee before the frame exists, so that a page that cannot be read leaves no frame behind.
    TPage* callee = cm.GetPage(command.PageName);
    TStack& f = cm.Stack.Push();
    f.PageName = cm.CurrentPage->FileName;
    f.Index = cm.Index;
    f.ResultVar = command.ResultVar;
    f.Cont = cm.Cont;
    f.Sender = cm.Sender;
    f.Args = std::move(cm.Args);
    cm.Args = std::move(args);
    cm.CurrentPage = callee;
    cm.Index = command.Index;
    f.Result = NewParam(callee->ReturnType);
}

void ExecExit(TCommand& c, TCallMan& cm) {
    if (Holds(static_cast<TComExit&>(c).Condition, cm)) cm.CurrentPage = nullptr;
    else ++cm.Index;
}

// Break and Continue: a negative target ends the page.
void ExecLoopJump(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComLoopJump&>(c);
    if (!Holds(command.Condition, cm)) {
        ++cm.Index;
    } else if (command.Target >= 0) {
        cm.Index = command.Target;
    } else {
        cm.CurrentPage = nullptr;
    }
}

void BeginWait(TCommand& c, TCallMan& cm) {
    auto& w = static_cast<TComWait&>(c);
    const TCustomParam* time = Evaluate(w.Time, cm);
    w.Remaining = time ? time->AsInt() : 0;
    w.FirstFrame = 1;
    const TCustomParam* blocks = Evaluate(w.BlocksEventsExpr, cm);
    w.BlocksEventsState = blocks && blocks->AsFlag();
}

void ExecWait(TCommand& c, TCallMan& cm) {
    auto& w = static_cast<TComWait&>(c);
    const TCustomParam* condition = Evaluate(w.Condition, cm);
    if (condition && !condition->AsFlag()) {
        ++cm.Index;
        return;
    }
    if (w.Remaining == 0) {
        cm.Cont = false;
    } else if (w.FirstFrame > 0) {
        --w.FirstFrame;  // the frame in which the wait starts does not count
        cm.Cont = false;
    } else {
        w.Remaining -= cm.Host.FrameTime();
        if (w.Remaining > 0) cm.Cont = false;
        else ++cm.Index;
    }
}

// ---- variables

void ExecCalc(TCommand& c, TCallMan& cm) {
    Evaluate(static_cast<TComCalc&>(c).Expression, cm);
    ++cm.Index;
}

void ExecVarNew(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComVarNew&>(c);
    if (command.VarName.empty()) throw ERuvoError::FromUtf8("変数名がありません");
    cm.Vars.Declare(command.VarName, command.VarType, static_cast<TVarScope>(command.Scope), [&] {
        const TCustomParam* v = Evaluate(command.InitialValue, cm);
        return v ? v->Clone() : nullptr;
    });
    ++cm.Index;
}

void ExecVarDel(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComVarDel&>(c);
    if (!command.VarName.empty())
        if (TParamCollectionItem* item = cm.Vars.Find(command.VarName)) cm.Vars.DeleteItem(*item);
    ++cm.Index;
}

// ---- resets

void ExecPCReset(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComPCReset&>(c);
    TStackList& stack = cm.Stack;
    cm.Vars.DeleteFrame(stack.Count());
    TScriptWorld* world = cm.Host.World();
    if (command.ClearAll) {
        for (int i = stack.Count() - 1; i >= 0; --i) {
            cm.Vars.DeleteFrame(i);
            TStack& f = stack[i];
            if (f.Sender || !f.Started || f.PageName.empty()) continue;
            TPage* page = cm.GetPage(f.PageName);
            if (f.Index >= 0 && f.Index < page->Count()) page->Items(f.Index)->Abort();
        }
        cm.ResetTo(command.PageName);
        cm.Index = command.Index;
        if (world) world->Events().Clear();
        return;
    }
    // Restart the main flow underneath the running handler: the handler finishes, then returns there.
    int withSender = -1;
    for (int i = 0; i < stack.Count() && withSender < 0; ++i)
        if (stack[i].Sender) withSender = i;
    if (withSender < 0 && cm.Sender && world && world->Contains(cm.Sender)) withSender = stack.Count();
    int target = -1;
    for (int i = withSender - 1; i >= 0 && target < 0; --i)
        if (!stack[i].Sender) target = i;
    if (target >= 0) {
        cm.Vars.DeleteFrame(target);
        TStack& f = stack[target];
        f.PageName = command.PageName;
        f.Index = command.Index;
        f.Started = false;
        f.ResultVar.clear();
        f.Args.clear();
        f.State.reset();
        ++cm.Index;
    } else {
        cm.CurrentPage = cm.GetPage(command.PageName);
        cm.Index = command.Index;
    }
    if (world) world->Events().RemoveRunning();
}

void ExecReset(TCommand& c, TCallMan& cm) {
    auto& command = static_cast<TComReset&>(c);
    cm.Host.ResetGameState();
    cm.ResetTo(command.PageName);
    cm.Index = command.Index;
}

void ExecTerminate(TCommand&, TCallMan& cm) { cm.Host.Terminate(); }

void NoBegin(TCommand&, TCallMan&) {}

struct TBehaviour {
    void (*begin)(TCommand&, TCallMan&) = nullptr;
    void (*execute)(TCommand&, TCallMan&) = nullptr;
};

// One row per command code that has its behaviour.
constexpr std::array<std::pair<int, TBehaviour>, 21> kBehaviours = {{
    {TComIf::kCode, {NoBegin, ExecIf}},
    {TComElseif::kCode, {NoBegin, ExecSkipBranch}},
    {TComElse::kCode, {NoBegin, ExecSkipBranch}},
    {TComLabel::kCode, {NoBegin, ExecStep}},
    {TComComment::kCode, {NoBegin, ExecStep}},
    {TComJump::kCode, {NoBegin, ExecJump}},
    {TComCall::kCode, {NoBegin, ExecCall}},
    {TComExit::kCode, {NoBegin, ExecExit}},
    {TComWait::kCode, {BeginWait, ExecWait}},
    {TComCalc::kCode, {NoBegin, ExecCalc}},
    {TComVarNew::kCode, {NoBegin, ExecVarNew}},
    {TComVarDel::kCode, {NoBegin, ExecVarDel}},
    {TComWhile::kCode, {NoBegin, ExecWhile}},
    {TComWhileInit::kCode, {NoBegin, ExecWhileInit}},
    {TComWhileLoop::kCode, {NoBegin, ExecWhileLoop}},
    {TComBreak::kCode, {NoBegin, ExecLoopJump}},
    {TComContinue::kCode, {NoBegin, ExecLoopJump}},
    {TComPCReset::kCode, {NoBegin, ExecPCReset}},
    {TComReset::kCode, {NoBegin, ExecReset}},
    {TComTerminate::kCode, {NoBegin, ExecTerminate}},
    {TComDoEvent::kCode, {NoBegin, ExecStep}},
}};

const std::array<TBehaviour, 128>& Table() {
    static const std::array<TBehaviour, 128> table = [] {
        std::array<TBehaviour, 128> t{};
        for (const auto& [code, behaviour] : kBehaviours) t[static_cast<size_t>(code)] = behaviour;
        return t;
    }();
    return table;
}

} // namespace

void BeginCommand(TCommand& command, TCallMan& cm) {
    if (auto begin = Table()[command.Code() & 0x7F].begin) begin(command, cm);
}

void ExecuteCommand(TCommand& command, TCallMan& cm) {
    if (auto execute = Table()[command.Code() & 0x7F].execute) execute(command, cm);
    else ++cm.Index;  // its behaviour is not built yet: step over it
}

} // namespace ruvo
