#include "media/mediaitem.hpp"

#include <algorithm>
#include <cmath>

#include "media/mediamanager.hpp"
#include "media/mixer.hpp"
#include "media/mixrate.hpp"
#include "media/voice.hpp"

namespace ruvo {

namespace {
int64_t MsToFrames(int64_t ms) { return ms * kMixRate / 1000; }
int32_t FramesToMs(int64_t frames) { return static_cast<int32_t>(std::min<int64_t>(frames * 1000 / kMixRate, INT32_MAX)); }
float DecibelGain(int32_t attenuation) { return attenuation <= -10000 ? 0.0f : std::pow(10.0f, attenuation / 2000.0f); }
} // namespace

TGainScale TDMediaItem::Scale() const noexcept { return manager_.Scale(); }

TVoiceItem::TVoiceItem(TMediaManager& manager, TMixer& mixer, std::shared_ptr<TVoice> voice, TGainScale scale)
    : TDMediaItem(manager), mixer_(mixer), voice_(std::move(voice)), scale_(scale) {
    ApplyGains();
    mixer_.Add(voice_);
}

TVoiceItem::~TVoiceItem() { mixer_.Remove(voice_.get()); }

void TVoiceItem::Gains(int32_t volume, int32_t pan, TGainScale scale, float& left, float& right) {
    volume = std::clamp(volume, -10000, 0);
    pan = std::clamp(pan, -10000, 10000);
    const float gain = scale == TGainScale::Linear ? (volume + 10000) / 10000.0f : DecibelGain(volume);
    // A pan to the right lowers the left channel by that many hundredths of a decibel, and the other way.
    left = gain * (pan > 0 ? DecibelGain(-pan) : 1.0f);
    right = gain * (pan < 0 ? DecibelGain(pan) : 1.0f);
}

void TVoiceItem::ApplyGains() {
    float left, right;
    Gains(volume_, pan_, scale_, left, right);
    voice_->SetGains(left, right);
}

bool TVoiceItem::GetAutoRepeat() const { return voice_->Loop(); }
void TVoiceItem::SetAutoRepeat(bool on) { voice_->SetLoop(on); }

void TVoiceItem::SetPan(int32_t pan) {
    pan_ = std::clamp(pan, -10000, 10000);
    ApplyGains();
}

void TVoiceItem::SetVol(int32_t volume) {
    volume_ = std::clamp(volume, -10000, 0);
    ApplyGains();
}

int32_t TVoiceItem::GetPosition() const { return FramesToMs(voice_->Position()); }

void TVoiceItem::SetPosition(int32_t ms) {
    endSeen_ = false;
    voice_->SetPosition(MsToFrames(std::max(ms, 0)));
    mixer_.Wake();
}

int32_t TVoiceItem::GetLen() const { return FramesToMs(voice_->Frames()); }
bool TVoiceItem::IsEnd() const { return !endSeen_ && voice_->Ended(); }
bool TVoiceItem::IsPlaying() const { return held_ || voice_->Playing(); }
bool TVoiceItem::IsPaused() const { return !held_ && voice_->Paused(); }

void TVoiceItem::Play() {
    if (Manager().Suspended()) {
        held_ = true;
        PausedByManager = true;
        return;
    }
    held_ = false;
    endSeen_ = false;
    voice_->Play();
    mixer_.Wake();
}

void TVoiceItem::Pause() {
    if (held_) {
        held_ = false;
        PausedByManager = false;
    }
    voice_->Pause();
}

} // namespace ruvo
