#include "objects/motion/propmotion.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "archive/serializer.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "params/values.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

// Properties a motion cannot move: none at all, or ones that cannot be written.
bool Movable(int id) {
    const TPropertyInfo* info = PropertyInfo(id);
    return info && !info->readOnly && id != PR_APPEARX && id != PR_APPEARY;
}

} // namespace

void TRuvoPropMotion::SetTargetName(std::string name) {
    TargetName = std::move(name);
    target_ = 0;
}

Real TRuvoPropMotion::ValueNow() const {
    if (Elapsed == 0) return StartValue;
    if (Elapsed >= int64_t{Duration} - 1) return TargetValue;
    const Real d = TargetValue - StartValue, t = Elapsed, total = Duration;
    constexpr Real kQuarter = std::numbers::pi_v<Real> / 2;
    switch (Mode) {
    case MT_INC: return TargetValue - d * std::sin((total - t - 1) * kQuarter / total);
    case MT_DEC: return StartValue + d * std::sin(t * kQuarter / total);
    default: return StartValue + d * t / total;
    }
}

bool TRuvoPropMotion::Update() {
    if (Paused || !Owner) return false;
    TRuvoObject* target = target_ ? Owner->Lookup(target_) : nullptr;
    if (target_ && !target) return true;
    if (!target) {
        target = TargetName.empty() ? nullptr : Owner->FindObject(TargetName);
        if (!target || !Movable(PropId)) return true;
        target_ = target->Id();
        // A motion loaded from a saved game half way keeps the start it had.
        if (Elapsed == 0) {
            TParamFloat start;
            StoreProperty(start, GetProperty(*target, PropId));
            StartValue = start.AsFloat();
        }
    }
    const Real v = ValueNow();
    const bool finished = Elapsed != 0 && Elapsed >= int64_t{Duration} - 1;
    SetProperty(*target, PropId, ReadAsProperty(TParamFloat(v), PropId));
    Elapsed = static_cast<int32_t>(
        std::min<int64_t>(int64_t{Elapsed} + Owner->Services().FrameTime(), std::numeric_limits<int32_t>::max()));
    return finished;
}

const TPropertyMap& TRuvoPropMotion::ClassProperties() {
    static const TPropertyMap map = [] {
        using P = TRuvoPropMotion;
        TPropertyMap m(TRuvoObject::ClassProperties());
        m.Flag<P>(PR_PAUSED, [](P& p) { return p.Paused; }, [](P& p, bool v) { p.Paused = v; });
        return m;
    }();
    return map;
}

void TRuvoPropMotion::Sync(TSerializer& s) {
    TRuvoObject::Sync(s);
    std::string target = TargetName;
    if (!s.Loading() && target_ && Owner && !Owner->Lookup(target_)) target.clear();
    s.Str(target);
    int32_t id = PropId, mode = Mode;
    s.Int(id);
    auto real = [&](Real& v) {
        if (s.Loading()) v = ReadReal(s.Stream());
        else WriteReal(s.Stream(), v);
    };
    real(TargetValue);
    s.Int(Duration);
    s.Int(mode);
    real(StartValue);
    s.Int(Elapsed);
    s.Bool(Paused, 126);
    if (s.Loading()) {
        SetTargetName(std::move(target));
        SetPropId(id);
        Mode = static_cast<uint8_t>(mode);
    }
}

} // namespace ruvo
