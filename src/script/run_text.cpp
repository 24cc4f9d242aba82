// Text commands: message text into windows and out of them, the message history and the read marks.
#include <algorithm>
#include <array>

#include "objects/text/history.hpp"
#include "objects/text/mes.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/world/world.hpp"
#include "params/values.hpp"
#include "params/varset.hpp"
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

void ExecCallHist(TCommand& c, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    auto& command = static_cast<TComCallHist&>(c);
    TRuvoMes* window = FindWindow(ctx, ctx.EvaluateStr(command.Window));
    const TCustomParam* start = ctx.Evaluate(command.First);
    if (!window || !start || !ctx.History) return;
    const int64_t first = std::max<int64_t>(start->AsInt(), 0);
    const TCustomParam* countValue = ctx.Evaluate(command.Count);
    int64_t count = countValue ? countValue->AsInt() : 1;
    // Reaching past the end shows what is there; the sums do not overflow for any values.
    count = std::min<int64_t>(count, ctx.History->Count() - first);
    if (count > 0) window->ShowHistory(*ctx.History, static_cast<int32_t>(first), static_cast<int32_t>(count));
}

void ExecClrHist(TCommand&, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    if (ctx.History) ctx.History->Clear();
}

void ExecClrRead(TCommand&, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    if (ctx.ReadMarks) ctx.ReadMarks->Clear();
}

void ExecFormatHist(TCommand& c, TRunContext& ctx) {
    ++ctx.Interpreter->Index;
    const std::string name = ctx.EvaluateStr(static_cast<TComEntryHist&>(c).Window);
    TRuvoObject* object = ctx.World && !name.empty() ? ctx.World->FindObject(name) : nullptr;
    if (!object) return;
    // The values the history lays its pages out with, kept with the variables.
    std::array<int32_t, 6>& format = ctx.Vars.HistoryFormat();
    const int ids[] = {PR_FONTHEIGHT, PR_FONTBORDER, PR_FONTSHADOW, PR_WIDTH, PR_HEIGHT, PR_LINESPACE};
    for (size_t i = 0; i < format.size(); ++i) format[i] = GetIntProperty(*object, ids[i]);
}

} // namespace ruvo
