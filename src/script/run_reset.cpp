// Restarting the script (PCReset, Reset) and ending the player (Terminate).
#include "objects/text/history.hpp"
#include "objects/world/world.hpp"
#include "params/datatables.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

// Ends the command a main-flow frame was running, which the reset leaves for good (only a flip acts:
// the screens would otherwise stay in its transition). everything: the whole game is being cleared.
void AbortFrameCommand(TCallMan& cm, const TStack& f, TRunContext& ctx, bool everything) {
    if (f.Sender || !f.Started || f.PageName.empty()) return;
    TPage* page = cm.GetPage(f.PageName);
    if (f.Index >= 0 && f.Index < page->Count()) page->Items(f.Index)->Abort(ctx, everything);
}

} // namespace

void ExecPCReset(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComPCReset&>(c);
    TCallMan& cm = *ctx.Interpreter;
    TStackList& stack = cm.Stack;
    ctx.Vars.DeleteFrame(stack.Count());
    TRuvoBaseList* world = ctx.World;
    if (command.ClearAll) {
        for (int i = stack.Count() - 1; i >= 0; --i) {
            ctx.Vars.DeleteFrame(i);
            AbortFrameCommand(cm, stack[i], ctx, true);
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
    if (withSender < 0 && cm.Sender && world && world->Lookup(cm.Sender)) withSender = stack.Count();
    int target = -1;
    for (int i = withSender - 1; i >= 0 && target < 0; --i)
        if (!stack[i].Sender) target = i;
    if (target >= 0) {
        ctx.Vars.DeleteFrame(target);
        TStack& f = stack[target];
        AbortFrameCommand(cm, f, ctx, false);
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

// Clears the game, then starts again at the record's page and index.
void ExecReset(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComReset&>(c);
    if (ctx.World) ctx.World->Reset();
    ctx.Vars.Reset();
    if (ctx.Tables) ctx.Tables->ClearGameTables();
    if (ctx.History) {
        ctx.History->Clear();
        ctx.History->Capacity = 0;
    }
    TCallMan& cm = *ctx.Interpreter;
    cm.ResetTo(command.PageName);
    cm.Index = command.Index;
}

void ExecTerminate(TCommand&, TRunContext& ctx) { ctx.Services.Terminate(); }

} // namespace ruvo
