#include "objects/motion/timer.hpp"

#include "archive/serializer.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {
constexpr uint8_t kNotify = PR_ONNOTIFY;
}

TRuvoTimer::TRuvoTimer(TRuvoBaseList* owner) : TRuvoComponent(owner) {
    if (Owner) LastTick = Owner->Services().GameClock();
}

void TRuvoTimer::Restart() {
    if (!Owner) return;
    Owner->Events().RemovePendingOf(Id());
    LastTick = Owner->Services().GameClock();
}

bool TRuvoTimer::Update() {
    if (!Owner) return false;
    const bool queued = Owner->Events().IndexOfPending(Id(), kNotify) >= 0;
    if (Fired && AutoScrap) return !queued;
    if (Delay < 0 || Paused) return false;
    const int64_t now = Owner->Services().GameClock();
    if (Delay > 0 && now - LastTick < Delay) return false;
    LastTick += Delay;
    if (!queued) {
        Raise(kNotify);
        Fired = true;
    }
    return false;
}

const TPropertyMap& TRuvoTimer::ClassProperties() {
    static const TPropertyMap map = [] {
        using T = TRuvoTimer;
        TPropertyMap m(TRuvoObject::ClassProperties());
        m.Int<T>(PR_DELAY, [](T& t) { return t.Delay; }, [](T& t, int32_t v) {
            t.Delay = v;
            t.Restart();
        });
        m.Flag<T>(PR_PAUSED, [](T& t) { return t.Paused; }, [](T& t, bool v) {
            t.Paused = v;
            t.Restart();
        });
        m.Str<T>(PR_ONNOTIFY, [](T& t) { return t.OnNotify; }, [](T& t, std::string v) {
            t.OnNotify = std::move(v);
            t.Restart();
        });
        m.Flag<T>(PR_AUTOSCRAP, [](T& t) { return t.AutoScrap; }, [](T& t, bool v) { t.AutoScrap = v; });
        return m;
    }();
    return map;
}

void TRuvoTimer::Sync(TSerializer& s) {
    TRuvoObject::Sync(s);
    s.Str(OnNotify);
    s.Int(Delay);
    s.Bool(Paused);
    s.Bool(AutoScrap, 104);
    s.Bool(Fired, 104);
    if (s.Loading() && Owner) LastTick = Owner->Services().GameClock();
}

} // namespace ruvo
