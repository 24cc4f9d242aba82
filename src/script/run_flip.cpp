// Flip: the script composes the next picture on the back screen, then flips it in through a transition.
// The flip may first carry objects over from the front screen (a message window that stays, say),
// leaving a snapshot of the old picture on the front screen so that they do not vanish from it while
// the transition runs. At the end the back screen becomes the front one and the old screen may be
// cleared.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/errors.hpp"
#include "graphics/images/picture.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/snapshot.hpp"
#include "objects/world/world.hpp"
#include "params/sysfuncs.hpp"
#include "params/values.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/gameproject.hpp"
#include "script/runcontext.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

constexpr int kLastTransitionType = 38;

std::optional<int32_t> EvaluateInt(TRunContext& ctx, TExpression& e) {
    const TCustomParam* v = ctx.Evaluate(e);
    return v ? std::optional<int32_t>(v->AsInt()) : std::nullopt;
}

// Whether the name is a whole line of one of the lists (lines end in CR LF or LF).
bool IsListed(const std::string& name, const std::vector<std::string>& lists) {
    for (const std::string& list : lists) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r')) line.remove_suffix(1);
            if (line == name) return true;
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }
    return false;
}

// Mode 1 carries the listed objects to the back screen, mode 0 the others; other modes carry nothing.
void CarryObjects(TRuvoBaseList& world, int32_t mode, const std::vector<std::string>& lists) {
    if (mode != 0 && mode != 1) return;
    const std::vector<TRuvoControl*> children = world.ActiveScreen().Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TRuvoControl& child = **it;
        if (child.Name == TRuvoSnapshot::SnapshotName()) continue;
        if (IsListed(child.Name, lists) == (mode == 1)) child.SetParent(&world.BackScreen());
    }
}

// The rule picture a transition may follow, by its game name: the first frame of the picture. A name
// the game does not have, or a picture that cannot be read, leaves the transition without one (it then
// treats the rule as white) rather than holding the script on this line.
struct TRulePicture {
    TPicture Picture;
    std::unique_ptr<TDIBX> Frame;

    TRulePicture(TRunContext& ctx, const std::string& name) {
        if (name.empty() || !ctx.Project || !ctx.FileAvailable(name)) return;
        try {
            Picture = LoadPicture(ctx.Project->Files(), name, static_cast<uint32_t>(ctx.Project->Settings.ImageKey), 32);
        } catch (const ERuvoError&) {
            return;
        }
        if (Picture.Found && !Picture.Frames.empty()) Frame = Picture.Frames.front().ColourSurface();
    }
};

// The front screen's picture as it is now, above everything on it.
void TakeSnapshot(TRuvoBaseList& world) {
    world.Paint();
    TRuvoBase& front = world.ActiveScreen();
    TRuvoControl* snapshot = world.Adopt(std::make_unique<TRuvoSnapshot>(&world, *world.SurfaceOf(front))).AsControl();
    snapshot->SetParent(&front);
    snapshot->Invalidate();
}

// The back screen becomes the front one; the snapshot goes, and with the old screen cleared everything
// on it (cabinets only when everything is reset).
void FinishFlip(TComFlip& flip, TRuvoBaseList& world, bool cabinetsToo) {
    world.SetActive(1 - world.ActiveIndex(), true);
    if (TRuvoObject* snapshot = world.FindObject(TRuvoSnapshot::SnapshotName())) world.Destroy(*snapshot);
    if (!flip.ClearOldState) return;
    const std::vector<TRuvoControl*> old = world.BackScreen().Children();
    for (TRuvoControl* child : old)
        if (cabinetsToo || !child->IsCabinet()) world.Destroy(*child);
}

} // namespace

void BeginFlip(TCommand& c, TRunContext& ctx) {
    auto& flip = static_cast<TComFlip&>(c);
    flip.Phase = 0;
    int type = EvaluateInt(ctx, flip.Type).value_or(0);
    if (type < 0 || type > kLastTransitionType) type = 0;
    const std::optional<int32_t> duration = EvaluateInt(ctx, flip.Duration);
    flip.LastDuration = duration.value_or(0);
    const bool reverse = ctx.Holds(flip.Reverse);
    flip.BlocksEventsState = ctx.Holds(flip.BlocksEventsExpr);
    flip.ClearOldState = ctx.Holds(flip.ClearOld);
    const std::optional<int32_t> carry = EvaluateInt(ctx, flip.CarryMode);
    std::vector<std::string> lists;
    for (auto& e : flip.NameLists)
        if (e)
            if (const TCustomParam* v = ctx.Evaluate(*e)) lists.push_back(v->AsStr());
    if (!ctx.World) return;
    TRuvoBaseList& world = *ctx.World;
    if (carry) {
        // Without a time the carried objects simply change screens with the flip.
        if (duration.value_or(0) > 0) TakeSnapshot(world);
        else flip.Phase = 3;
        CarryObjects(world, *carry, lists);
    }
    if (flip.Phase == 3) return;
    TWipeSettings settings{.Type = type, .Duration = std::max(duration.value_or(1), 1), .Reverse = reverse};
    settings.Param0 = EvaluateInt(ctx, flip.Param1);
    settings.Param1 = EvaluateInt(ctx, flip.Param2);
    const TCustomParam* ruleName = ctx.Evaluate(flip.Text);
    const TRulePicture rule(ctx, ruleName ? ruleName->AsStr() : std::string());
    settings.Rule = rule.Frame.get();
    TSysFuncMan& funcs = ctx.Funcs;
    world.SetActive(world.ActiveIndex(), settings, [&funcs](int32_t n) { return funcs.Random(n); }, true, 0);
}

void ExecFlip(TCommand& c, TRunContext& ctx) {
    auto& flip = static_cast<TComFlip&>(c);
    TCallMan& cm = *ctx.Interpreter;
    if (!ctx.World) {
        ++cm.Index;
        return;
    }
    TRuvoBaseList& world = *ctx.World;
    // Waiting ends the frame whatever the record's continue flag says, or a flip that continues would
    // run again and again within one frame while no time passes.
    switch (flip.Phase) {
    case 0:  // the frame the flip began in does not count
        flip.Phase = 1;
        cm.Cont = false;
        return;
    case 1:
        flip.StartTime = ctx.Services.GameClock();
        flip.Phase = 2;
        cm.Cont = false;
        return;
    default: {
        // A transition that no longer exists (a saved game loaded meanwhile) ends the flip too.
        const int32_t elapsed = ctx.Services.GameClock() - flip.StartTime;
        if (flip.Phase == 2 && elapsed < world.TransitionDuration()) {
            world.SetTransitionElapsed(elapsed);
            cm.Cont = false;
            return;
        }
        FinishFlip(flip, world, false);
        ++cm.Index;
    }
    }
}

void TComFlip::Abort(TRunContext& ctx, bool everything) {
    if (ctx.World) FinishFlip(*this, *ctx.World, everything);
}

} // namespace ruvo
