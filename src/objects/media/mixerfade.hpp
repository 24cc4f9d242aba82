#pragma once
// The fades of a sound object's volume (TRuvoMixer): a fade-in from silence to the object's volume and a
// fade-out from the current volume to silence, stepped once a frame by their owner on the game clock.
// Attenuations (every item but MIDI) move only through the upper half of the range: a fade-in starts
// half-way, a fade-out falls silent from half-way; a MIDI item's linear volume moves through all of it.
#include <cstdint>

namespace ruvo {

class TDMediaItem;

class TRuvoMixer {
public:
    TRuvoMixer(TDMediaItem& item, int32_t to, int32_t duration, bool midi) : Item(item), To(to), Duration(duration), midi_(midi) {}
    virtual ~TRuvoMixer() = default;
    // One frame's step at game clock `now`; true when the fade has finished.
    virtual bool Step(int32_t now) = 0;
    virtual bool FadesOut() const { return false; }
    // The volume at game clock t.
    int32_t ValueAt(int32_t t) const;

    int32_t StartTime = 0;
    int32_t From = 0;
    TDMediaItem& Item;
    int32_t To;
    int32_t Duration;
    bool Started = false;

protected:
    bool Elapsed(int32_t now) const;

private:
    bool midi_;
};

class TRuvoMixerFadein final : public TRuvoMixer {
public:
    using TRuvoMixer::TRuvoMixer;
    bool Step(int32_t now) override;
};

class TRuvoMixerFadeout final : public TRuvoMixer {
public:
    TRuvoMixerFadeout(TDMediaItem& item, int32_t duration, bool midi) : TRuvoMixer(item, -10000, duration, midi) {}
    bool Step(int32_t now) override;
    bool FadesOut() const override { return true; }
};

} // namespace ruvo
