// Flow commands: branches, loops, jumps, calls, exits and waits. Blocks are runs of deeper commands; the
// commands find their ends by comparing depths, or jump to indexes their records carry.
#include "params/values.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

void ExecIf(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComIf&>(c);
    TCallMan& cm = *ctx.Interpreter;
    const int depth = command.Depth;
    ++cm.Index;
    if (ctx.Holds(command.Condition)) return;
    const int count = cm.CurrentPage->Count();
    while (cm.Index < count) {
        TCommand& next = *cm.CurrentPage->Items(cm.Index);
        if (next.Depth > depth) {
            ++cm.Index;
        } else if (next.Depth < depth) {
            return;
        } else if (next.Code() == TComElseif::kCode) {
            ++cm.Index;
            if (ctx.Holds(static_cast<TComElseif&>(next).Condition)) return;
        } else if (next.Code() == TComElse::kCode) {
            ++cm.Index;
            return;
        } else {
            return;
        }
    }
}

// Reached from the end of the previous branch: the rest of the chain is passed over.
void ExecSkipBranch(TCommand& c, TRunContext& ctx) {
    TCallMan& cm = *ctx.Interpreter;
    const int count = cm.CurrentPage->Count();
    do ++cm.Index;
    while (cm.Index < count && cm.CurrentPage->Items(cm.Index)->Depth > c.Depth);
}

void ExecWhile(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComWhile&>(c);
    TCallMan& cm = *ctx.Interpreter;
    ++cm.Index;
    if (!ctx.Holds(command.Condition)) cm.Index = command.ExitIndex;
}

void ExecWhileInit(TCommand& c, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    ctx.Evaluate(static_cast<TComWhileInit&>(c).Expression);
}

void ExecWhileLoop(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComWhileLoop&>(c);
    ctx.Interpreter->Index = command.LoopIndex;
    ctx.Evaluate(command.Expression);
}

void ExecJump(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComJump&>(c);
    TCallMan& cm = *ctx.Interpreter;
    ++cm.Index;
    if (!ctx.Holds(command.Condition) || !ctx.FileAvailable(command.PageName)) return;
    cm.CurrentPage = cm.GetPage(command.PageName);
    cm.Index = command.Index;
}

void ExecCall(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComCall&>(c);
    TCallMan& cm = *ctx.Interpreter;
    ++cm.Index;
    if (!ctx.Holds(command.Condition) || !ctx.FileAvailable(command.PageName)) return;
    std::vector<std::string> args;
    for (auto& arg : command.Args)
        if (const TCustomParam* v = ctx.Evaluate(*arg)) args.push_back(v->AsStr());
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

void ExecExit(TCommand& c, TRunContext& ctx) {
    TCallMan& cm = *ctx.Interpreter;
    if (ctx.Holds(static_cast<TComExit&>(c).Condition)) cm.CurrentPage = nullptr;
    else ++cm.Index;
}

// Break and Continue: a negative target ends the page.
void ExecLoopJump(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComLoopJump&>(c);
    TCallMan& cm = *ctx.Interpreter;
    if (!ctx.Holds(command.Condition)) {
        ++cm.Index;
    } else if (command.Target >= 0) {
        cm.Index = command.Target;
    } else {
        cm.CurrentPage = nullptr;
    }
}

void BeginWait(TCommand& c, TRunContext& ctx) {
    auto& w = static_cast<TComWait&>(c);
    const TCustomParam* time = ctx.Evaluate(w.Time);
    w.Remaining = time ? time->AsInt() : 0;
    w.FirstFrame = 1;
    const TCustomParam* blocks = ctx.Evaluate(w.BlocksEventsExpr);
    w.BlocksEventsState = blocks && blocks->AsFlag();
}

void ExecWait(TCommand& c, TRunContext& ctx) {
    auto& w = static_cast<TComWait&>(c);
    TCallMan& cm = *ctx.Interpreter;
    const TCustomParam* condition = ctx.Evaluate(w.Condition);
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
        w.Remaining -= ctx.Services.FrameTime();
        if (w.Remaining > 0) cm.Cont = false;
        else ++cm.Index;
    }
}

} // namespace ruvo
