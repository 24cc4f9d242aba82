#include "objects/media/mixerfade.hpp"

#include "media/mediaitem.hpp"

namespace ruvo {

bool TRuvoMixer::Elapsed(int32_t now) const {
    const uint32_t e = static_cast<uint32_t>(now) - static_cast<uint32_t>(StartTime);
    return Duration <= 0 || e >= static_cast<uint32_t>(Duration);
}

int32_t TRuvoMixer::ValueAt(int32_t t) const {
    if (Elapsed(t)) return To;
    const int64_t e = static_cast<uint32_t>(t) - static_cast<uint32_t>(StartTime);
    const int64_t s = midi_ ? int64_t{To} - From : (int64_t{To} - From) / 2;
    const int64_t step = e * s / Duration;
    if (From > To || midi_) return static_cast<int32_t>(From + step);
    return static_cast<int32_t>(From + s + step);
}

bool TRuvoMixerFadein::Step(int32_t now) {
    if (!Started) {
        Item.SetVol(-10000);
        Item.Play();
        From = -10000;
        StartTime = now;
        Started = true;
        return false;
    }
    if (!Elapsed(now)) {
        Item.SetVol(ValueAt(now));
        return false;
    }
    Item.SetVol(To);
    return true;
}

bool TRuvoMixerFadeout::Step(int32_t now) {
    if (!Started) {
        From = Item.GetVol();
        To = -10000;
        StartTime = now;
        Started = true;
        return false;
    }
    if (Elapsed(now)) return true;  // the volume stays; the owner goes now
    Item.SetVol(ValueAt(now));
    return false;
}

} // namespace ruvo
