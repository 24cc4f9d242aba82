// Saved games: GameSave and GameLoad only record a request; the frame loop carries it out between the
// script step and drawing.
#include "params/values.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/gameproject.hpp"
#include "script/runcontext.hpp"

namespace ruvo {

void ExecGameSave(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComGameSave&>(c);
    ++ctx.Interpreter->Index;
    if (!ctx.Project) return;
    const TCustomParam* slot = ctx.Evaluate(command.Slot);
    const TCustomParam* title = ctx.Evaluate(command.Title);
    ctx.Project->PendingSave = TSaveRequest{slot ? slot->AsInt() : 0, title ? title->AsStr() : std::string(),
                                            command.ResumePage, command.ResumeIndex};
}

void ExecGameLoad(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComGameLoad&>(c);
    ++ctx.Interpreter->Index;
    if (!ctx.Project) return;
    const TCustomParam* slot = ctx.Evaluate(command.Slot);
    ctx.Project->PendingLoad = slot ? slot->AsInt() : 0;
}

} // namespace ruvo
