#pragma once
// A media item: one sound that a sound object plays, obtained from the media manager of its kind and
// given back to it. Volumes are attenuations in hundredths of a decibel, 0 (full) to -10000 (silent);
// pans run from -10000 (left only) to 10000 (right only); positions and lengths are milliseconds.
#include <cstdint>
#include <memory>

namespace ruvo {

class TMediaManager;
class TMixer;
class TVoice;

// How an item turns its volume into a gain: attenuations in hundredths of a decibel (gain 10^(A/2000)),
// or the MIDI scale, linear in the attenuation (gain (A + 10000) / 10000).
enum class TGainScale { Decibels, Linear };

class TDMediaItem {
public:
    explicit TDMediaItem(TMediaManager& manager) : manager_(manager) {}
    virtual ~TDMediaItem() = default;
    TDMediaItem(const TDMediaItem&) = delete;
    TDMediaItem& operator=(const TDMediaItem&) = delete;

    // The fifteen operations every item answers, in their fixed order.
    virtual bool GetAutoRepeat() const = 0;
    virtual void SetAutoRepeat(bool on) = 0;
    virtual int32_t GetPan() const = 0;
    virtual int32_t GetVol() const = 0;
    virtual void SetPan(int32_t pan) = 0;
    virtual void SetVol(int32_t volume) = 0;
    virtual int32_t GetPosition() const = 0;
    virtual void SetPosition(int32_t ms) = 0;
    virtual int32_t GetLen() const = 0;
    virtual bool IsEnd() const = 0;
    // The owner saw the end (IsEnd) and dealt with it.
    virtual void AcknowledgeEnd() {}
    virtual bool IsPlaying() const = 0;
    virtual bool IsPaused() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;

    TMediaManager& Manager() const noexcept { return manager_; }
    // How the item's volume becomes a gain: the MIDI items' linear scale, or decibels.
    TGainScale Scale() const noexcept;
    // Set by the manager's PauseAll for the items it paused.
    bool PausedByManager = false;

private:
    TMediaManager& manager_;
};

// The one kind of item of this player: a voice of the mixer fed by a decoder of the file.
class TVoiceItem final : public TDMediaItem {
public:
    TVoiceItem(TMediaManager& manager, TMixer& mixer, std::shared_ptr<TVoice> voice, TGainScale scale);
    ~TVoiceItem() override;

    bool GetAutoRepeat() const override;
    void SetAutoRepeat(bool on) override;
    int32_t GetPan() const override { return pan_; }
    int32_t GetVol() const override { return volume_; }
    void SetPan(int32_t pan) override;
    void SetVol(int32_t volume) override;
    int32_t GetPosition() const override;
    void SetPosition(int32_t ms) override;
    int32_t GetLen() const override;
    bool IsEnd() const override;
    void AcknowledgeEnd() override { endSeen_ = true; }
    bool IsPlaying() const override;
    bool IsPaused() const override;
    void Play() override;
    void Pause() override;

    // The gains of the left and right channels for a volume and a pan on a scale.
    static void Gains(int32_t volume, int32_t pan, TGainScale scale, float& left, float& right);

private:
    void ApplyGains();

    TMixer& mixer_;
    std::shared_ptr<TVoice> voice_;
    TGainScale scale_;
    int32_t volume_ = 0, pan_ = 0;
    // Play asked while the manager holds everything paused: the item starts when the manager resumes.
    bool held_ = false;
    // The owner has seen the end: IsEnd answers false until the item plays again.
    bool endSeen_ = false;
};

} // namespace ruvo
