#pragma once
// The timer (LT_TIMER): raises PR_ONNOTIFY every PR_DELAY milliseconds of game time (every frame for 0,
// never for a negative delay), never while the last one is still queued or running. A timer that fell
// behind fires at consecutive frames until it has caught up. With PR_AUTOSCRAP it goes once its first
// event has been handled.
#include <string>

#include "objects/base/ruvoobject.hpp"

namespace ruvo {

class TRuvoTimer : public TRuvoComponent {
public:
    explicit TRuvoTimer(TRuvoBaseList* owner);

    uint8_t GetCompoType() const override { return 15; }
    bool IsPaused() const override { return Paused; }
    bool Update() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the object part: the handler, the delay, paused; from 104 auto-scrap and fired. The
    // count starts again at the time of loading.
    void Sync(TSerializer& s) override;

    std::string OnNotify;
    int32_t Delay = 0;
    bool Paused = false;
    bool AutoScrap = false;
    bool Fired = false;
    int32_t LastTick = 0;  // game clock of the last tick

private:
    // Setting the handler, the delay or the pause drops the queued event and starts counting anew.
    void Restart();
};

} // namespace ruvo
