#pragma once
// The sound object (LT_SOUND): plays one file, or one track of the game's CD, through a media item from
// the manager that suits its name; sets the item's volume, pan, loop and position from its properties;
// fades in and out; reports the end as PR_ONPLAYEND or removes itself (PR_AUTOSCRAP). It is a component:
// no place, no picture. A name that no manager plays leaves it silent, with every property still kept.
#include <memory>
#include <string>

#include "objects/base/ruvoobject.hpp"
#include "objects/media/mixerfade.hpp"

namespace ruvo {

class TDMediaItem;
class TMediaManager;

class TRuvoSound : public TRuvoComponent {
public:
    explicit TRuvoSound(TRuvoBaseList* owner);
    ~TRuvoSound() override;

    uint8_t GetCompoType() const override { return 17; }
    bool Update() override;
    // 0 play, 1 play with a fade-in over PR_DELAY, 2 stop at once, 3 stop with a fade-out.
    void SetPlayMode(int mode) override;
    // MediaPlay: the pause is lifted and the sound plays on (an ended one from the beginning).
    void ResumePlayback() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    void Sync(TSerializer& s) override;

    // The item's attenuation for a PR_VOLUME of 0..1000: linear over the whole range for MIDI, else the
    // upper half of it (1 gives -4995, 0 silence).
    static int32_t Attenuation(int32_t volume, bool midi) noexcept;

    // Property setters with their rules.
    void SetSource(const std::string& source);
    void SetVolume(int32_t volume);
    void SetBalance(int32_t balance);
    void SetRepeat(bool on);
    void SetPaused(bool paused, bool aniPaused);
    void SetIndex(int32_t ms);
    int32_t Index() const;
    int32_t Length();
    bool Playing() const;

    std::string Source;
    uint8_t PlayMode = 2;
    bool Repeat = false;
    bool Paused = false;
    bool AniPaused = false;
    int32_t Volume = 1000;
    int32_t Balance = 0;
    int32_t FadeTime = 0;
    int32_t StartPos = 0;
    bool AutoScrap = false;
    std::string OnPlayEnd;
    bool Ended = false;
    bool RewindOnLoad = false;
    bool MuteOnLoad = false;

    TDMediaItem* Item() const noexcept { return item_; }
    const TRuvoMixer* Mixer() const noexcept { return mixer_.get(); }

private:
    TMediaManager* ManagerForSource() const;
    bool Midi() const;
    int32_t A() const { return Attenuation(Volume, Midi()); }
    void ReleaseItem();
    void StartFadeIn();
    void ApplyPauseState();
    void ScheduleOwnDeletion();
    int32_t Now() const;

    TDMediaItem* item_ = nullptr;
    std::unique_ptr<TRuvoMixer> mixer_;
};

} // namespace ruvo
