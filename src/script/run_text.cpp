// Text commands: message text into windows and out of them.
#include "objects/mes.hpp"
#include "objects/world.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/page.hpp"
#include "script/runcontext.hpp"

namespace ruvo {

namespace {

TRuvoMes* FindWindow(TRunContext& ctx, const std::string& name) {
    if (!ctx.World || name.empty()) return nullptr;
    return dynamic_cast<TRuvoMes*>(ctx.World->FindParent(name));
}

} // namespace

void BeginTextIns(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComTextIns&>(c);
    command.Running = TObjectWaitState{};
    command.Running.BlocksEvents = ctx.Holds(command.BlocksEventsExpr);
    if (command.GlyphText.empty() || !command.Page) return;
    TRuvoMes* window = FindWindow(ctx, ctx.EvaluateStr(command.Window));
    if (!window) return;
    // The window keeps where its text comes from, not the text, so that saved games and the history
    // can find it again.
    window->ShowScriptText(command.Page->FileName, command.Page->IndexOf(&command), ctx.Holds(command.RecordInHistory));
    command.Running.Name = window->Name;
    command.Running.Waiting = ctx.Holds(command.Wait);
}

void ExecTextIns(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComTextIns&>(c);
    const TRuvoMes* window = FindWindow(ctx, command.Running.Name);
    if (window && command.Running.Waiting && window->PageCount() != 0) return;
    ++ctx.Interpreter->Index;
}

void ExecTextClr(TCommand& c, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    if (TRuvoMes* window = FindWindow(ctx, ctx.EvaluateStr(static_cast<TComTextClr&>(c).Window))) window->ClearText();
}

} // namespace ruvo
