// Object commands: creating objects from property expressions, deleting them, reading and writing their
// properties, property motions, media and menus by name, and cabinets.
#include <algorithm>
#include <array>
#include <set>

#include "archive/errors.hpp"
#include "objects/base/control.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/media/sound.hpp"
#include "objects/motion/propmotion.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/values.hpp"
#include "params/varset.hpp"
#include "script/callman.hpp"
#include "script/commandrun.hpp"
#include "script/commands.hpp"
#include "script/runcontext.hpp"

namespace ruvo {

namespace {

// What a creating command does after the properties.
enum class TLastStep : uint8_t {
    None,
    PlayAfterDelay,  // media: play mode 1 (fade in over PR_DELAY) when PR_DELAY is set, else 0
    Open,            // menus: play mode 1
};

struct TCreation {
    uint8_t command;
    uint8_t type;
    TLastStep last = TLastStep::None;
    // Expressions the object keeps for itself before the properties are applied (-1: none).
    std::array<int16_t, 3> kept = {-1, -1, -1};
};

constexpr TCreation kCreations[] = {
    {8, 2},                                    // BoxNew
    {9, 8, TLastStep::None, {PR_DELAY, -1, -1}},  // ImgNew: the last frame's wait
    {10, 13},                                  // MesNew
    {11, 15},                                  // Timer
    {12, 16, TLastStep::PlayAfterDelay},       // Movie
    {23, 4},                                   // Cinema
    {24, 9},                                   // Caption
    {25, 12, TLastStep::Open},                 // Menu
    {30, 3},                                   // Button
    {36, 14, TLastStep::None, {PR_APPEARX, PR_APPEARY, PR_DELAY}},  // ParticleNew: where and how often
    {37, 6},                                   // FireNew
    {42, 17, TLastStep::PlayAfterDelay},       // Sound
    {43, 5},                                   // EditNew
    {44, 11},                                  // MemoNew
    {48, 18},                                  // MapImgNew
    {49, 19},                                  // WaveNew
    {50, 20},                                  // TileNew
    {51, 21},                                  // SliderNew
    {52, 22},                                  // ScrollbarNew
    {53, 23},                                  // GaugeNew
    {54, 24},                                  // CGCaption
    {56, 25},                                  // PrevMenuNew
};

const TCreation& CreationOf(uint8_t command) {
    for (const TCreation& c : kCreations)
        if (c.command == command) return c;
    throw ERuvoError::FromUtf8("不正なコマンド");
}

// The order the properties are applied in: the name, the parent and the source first, zoom before
// size, size before place, and so on.
const std::array<int, kPropertyCount>& CreationOrder() {
    static const std::array<int, kPropertyCount> order = [] {
        std::vector<int> ids = {0, 1, 2, 7, 132, 100, 5, 6, 3, 4, 8, 157, 9, 10, 11, 12, 13, 14, 159, 160};
        auto run = [&](int from, int to) {
            for (int id = from; id <= to; ++id) ids.push_back(id);
        };
        run(15, 24);
        run(153, 156);
        run(25, 79);
        ids.push_back(161);
        run(80, 99);
        run(101, 131);
        run(133, 152);
        ids.push_back(158);
        std::array<int, kPropertyCount> a{};
        std::copy(ids.begin(), ids.end(), a.begin());
        return a;
    }();
    return order;
}

// Read-only ones, the emitter's position and the displacements are never applied at creation.
bool AppliedAtCreation(int id) {
    switch (id) {
    case PR_CARETX: case PR_CARETY: case PR_APPEARX: case PR_APPEARY: case PR_PLAYING:
    case PR_COMPOTYPE: case PR_PLUSX: case PR_PLUSY: case PR_CARETHEIGHT: return false;
    default: return true;
    }
}

// The property identifier of a property command; a command without one is malformed.
int PropertyIdOf(TRunContext& ctx, TExpression& e) {
    const TCustomParam* v = ctx.Evaluate(e);
    if (!v) throw ERuvoError::FromUtf8("プロパティ指定が不正です");
    return v->AsInt();
}

// Applies the record's property expressions in the creation order, as SetProp would, except that a
// control is always placed: on the control PR_PARENT names, else on the front screen.
void ApplyProperties(TComComponent& command, TRuvoObject& object, TRunContext& ctx) {
    TRuvoBaseList& world = *ctx.World;
    for (const int id : CreationOrder()) {
        TExpression* e = command.Property(id);
        if (id == PR_PARENT) {
            if (TRuvoControl* control = object.AsControl()) {
                const std::string name = e ? ctx.EvaluateStr(*e) : std::string();
                TRuvoControl* parent = name.empty() ? nullptr : world.FindParent(name);
                control->SetParent(parent ? parent : &world.ActiveScreen());
            }
            continue;
        }
        if (!e || !AppliedAtCreation(id)) continue;
        const TCustomParam* v = ctx.Evaluate(*e);
        TPropValue value = v ? ReadAsProperty(*v, id) : CreationDefault(id);
        // Font styles keep only bold, italic, underline and strike-out.
        if (id == PR_FONTSTYLE || id == PR_FONTHOVERSTYLE) value = std::get<int32_t>(value) & 0xF;
        SetProperty(object, id, value);
    }
}

// The names one of the name expressions gives; with invert, every name but those.
class TNameTest {
public:
    TNameTest(TRunContext& ctx, TComCabinet& command) : invert_(ctx.Holds(command.Invert)) {
        for (auto& e : command.Names)
            if (e) names_.insert(ctx.EvaluateStr(*e));
    }
    bool operator()(const TRuvoObject& o) const { return names_.contains(o.Name) != invert_; }

private:
    bool invert_;
    std::set<std::string> names_;
};

// Moves the children of `from` that pass the test to `to`, from the last to the first.
void MoveChildren(TRuvoControl& from, TRuvoControl& to, const TNameTest& takesPart) {
    const std::vector<TRuvoControl*> children = from.Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (takesPart(**it)) (*it)->SetParent(&to);
}

// The cabinet a SaveCabinet or LoadCabinet names in its PR_NAME expression.
std::string CabinetName(TRunContext& ctx, TComCabinet& command) {
    TExpression* e = command.Property(PR_NAME);
    return e ? ctx.EvaluateStr(*e) : std::string();
}

TRuvoControl* CabinetNamed(TRuvoBaseList& world, const std::string& name) {
    TRuvoObject* o = name.empty() ? nullptr : world.FindObject(name);
    TRuvoControl* c = o ? o->AsControl() : nullptr;
    return c && c->IsCabinet() ? c : nullptr;
}

} // namespace

void ExecCreateObject(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComComponent&>(c);
    ++ctx.Interpreter->Index;
    if (!ctx.World) return;
    const TCreation& creation = CreationOf(command.Code());
    TRuvoObject* object = ctx.World->CreateByType(creation.type);
    if (!object) return;
    for (const int16_t id : creation.kept)
        if (id >= 0)
            if (const TExpression* e = command.Property(id)) object->TakeCreationExpression(id, *e);
    ApplyProperties(command, *object, ctx);
    if (TRuvoControl* control = object->AsControl()) control->Invalidate();
    switch (creation.last) {
    case TLastStep::PlayAfterDelay: object->SetPlayMode(GetIntProperty(*object, PR_DELAY) != 0 ? 1 : 0); break;
    case TLastStep::Open: object->SetPlayMode(1); break;
    case TLastStep::None: break;
    }
}

void ExecObjDel(TCommand& c, TRunContext& ctx) {
    const std::string name = ctx.EvaluateStr(static_cast<TComObjDel&>(c).ObjectName);
    if (ctx.World && !name.empty())
        if (TRuvoObject* o = ctx.World->FindObject(name)) ctx.World->ScheduleDelete(*o);
    ++ctx.Interpreter->Index;
}

void ExecGetProp(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComGetProp&>(c);
    TRuvoObject* o = ctx.World ? ctx.World->FindObject(ctx.EvaluateStr(command.ObjectName)) : nullptr;
    if (o) {
        const int id = PropertyIdOf(ctx, command.PropertyId);
        if (TParamCollectionItem* var = command.VarName.empty() ? nullptr : ctx.Vars.Find(command.VarName))
            StoreProperty(var->Value(), GetProperty(*o, id));
    }
    ++ctx.Interpreter->Index;
}

void ExecSetProp(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComSetProp&>(c);
    TRuvoObject* o = ctx.World ? ctx.World->FindObject(ctx.EvaluateStr(command.ObjectName)) : nullptr;
    if (o) {
        const int id = PropertyIdOf(ctx, command.PropertyId);
        if (const TCustomParam* v = ctx.Evaluate(command.Value)) SetProperty(*o, id, ReadAsProperty(*v, id));
    }
    ++ctx.Interpreter->Index;
}

void ExecPropMotion(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComPropMotion&>(c);
    const TCustomParam* name = ctx.Evaluate(command.MotionName);
    const std::string motionName = name ? name->AsStr() : std::string();
    const TCustomParam* target = ctx.Evaluate(command.TargetName);
    const std::string targetName = target ? target->AsStr() : std::string();
    const int id = PropertyIdOf(ctx, command.PropertyId);
    ++ctx.Interpreter->Index;
    if (!ctx.World) return;
    auto* motion = static_cast<TRuvoPropMotion*>(ctx.World->CreateByType(26));
    motion->SetName(motionName);
    if (target) motion->SetTargetName(targetName);
    motion->SetPropId(id);
    if (const TCustomParam* v = ctx.Evaluate(command.TargetValue)) motion->TargetValue = v->AsFloat();
    if (const TCustomParam* v = ctx.Evaluate(command.Duration)) motion->Duration = v->AsInt();
    if (const TCustomParam* v = ctx.Evaluate(command.Mode)) motion->Mode = static_cast<uint8_t>(v->AsInt());
    if (const TCustomParam* v = ctx.Evaluate(command.Paused)) motion->Paused = v->AsFlag();
}

// Stops a sound at once, or with a fade-out over the given time that may be waited for. A fade needs a
// sound that plays (mode 0 or 1) from a file that is there (or a CD track).
void BeginMovieStop(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComMovieStop&>(c);
    TObjectWaitState& state = command.Running;
    state = TObjectWaitState{};
    state.BlocksEvents = ctx.Holds(command.BlocksEventsExpr);
    const std::string name = ctx.EvaluateStr(command.ObjectName);
    TRuvoObject* target = ctx.World && !name.empty() ? ctx.World->FindObject(name) : nullptr;
    if (!target) return;
    const TCustomParam* fadeValue = ctx.Evaluate(command.FadeTime);
    const int32_t fade = fadeValue ? fadeValue->AsInt() : 0;
    auto* sound = dynamic_cast<TRuvoSound*>(target);
    if (fade > 0) {
        const std::string source = GetStrProperty(*target, PR_SOURCE);
        const bool playing = sound && sound->PlayMode <= 1;
        if ((source.rfind("CD_", 0) == 0 || ctx.FileAvailable(source)) && playing) {
            SetProperty(*target, PR_DELAY, fade);
            target->SetPlayMode(3);
            // A fading sound goes under a name of its own: it is waited for by that name.
            if (ctx.World->IsRegistered(target) && !target->Name.empty()) state.Name = target->Name;
        }
    } else {
        target->SetPlayMode(2);
        if (ctx.World->IsRegistered(target)) ctx.World->ScheduleDelete(*target);
    }
    if (const TCustomParam* wait = ctx.Evaluate(command.Wait)) state.Waiting = wait->AsFlag();
}

void ExecMovieStop(TCommand& c, TRunContext& ctx) {
    const TObjectWaitState& state = static_cast<TComMovieStop&>(c).Running;
    const bool targetThere = ctx.World && !state.Name.empty() && ctx.World->FindObject(state.Name);
    if (targetThere && state.Waiting) return;
    ++ctx.Interpreter->Index;
}

void ExecMediaPlay(TCommand& c, TRunContext& ctx) {
    const std::string name = ctx.EvaluateStr(static_cast<TComMediaPlay&>(c).ObjectName);
    if (ctx.World && !name.empty())
        if (TRuvoObject* o = ctx.World->FindObject(name)) o->ResumePlayback();
    ++ctx.Interpreter->Index;
}

// Waits on its line until the menu exists.
void ExecMenuClose(TCommand& c, TRunContext& ctx) {
    const std::string name = ctx.EvaluateStr(static_cast<TComMenuClose&>(c).ObjectName);
    TRuvoObject* o = ctx.World && !name.empty() ? ctx.World->FindObject(name) : nullptr;
    if (!o) return;
    o->SetPlayMode(3);
    ++ctx.Interpreter->Index;
}

void ExecSaveCabinet(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComCabinetSave&>(c);
    ++ctx.Interpreter->Index;
    if (!ctx.World) return;
    TRuvoBaseList& world = *ctx.World;
    const std::string name = CabinetName(ctx, command);
    const TNameTest takesPart(ctx, command);
    TRuvoControl* cabinet = CabinetNamed(world, name);
    if (!cabinet) {
        cabinet = world.CreateByType(27)->AsControl();
        cabinet->SetName(name);
        cabinet->SetParent(&world.Screen(0));
    }
    MoveChildren(world.BackScreen(), *cabinet, takesPart);
    if (cabinet->Children().empty()) world.ScheduleDelete(*cabinet);
}

void ExecLoadCabinet(TCommand& c, TRunContext& ctx) {
    auto& command = static_cast<TComCabinetLoad&>(c);
    ++ctx.Interpreter->Index;
    if (!ctx.World) return;
    TRuvoBaseList& world = *ctx.World;
    TRuvoControl* cabinet = CabinetNamed(world, CabinetName(ctx, command));
    if (!cabinet) return;
    MoveChildren(*cabinet, world.BackScreen(), TNameTest(ctx, command));
    if (cabinet->Children().empty()) world.ScheduleDelete(*cabinet);
}

} // namespace ruvo
