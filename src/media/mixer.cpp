#include "media/mixer.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "media/mixrate.hpp"

namespace ruvo {

TMixer::TMixer(bool threaded) : threaded_(threaded) {
    voices_.reserve(64);
    if (threaded_) worker_ = std::thread([this] { Work(); });
}

TMixer::~TMixer() {
    if (worker_.joinable()) {
        {
            std::lock_guard g(wakeLock_);
            stop_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }
}

int64_t TMixer::VoiceCapacity() const noexcept { return threaded_ ? 32768 : 8192; }

void TMixer::Add(std::shared_ptr<TVoice> voice) {
    {
        std::lock_guard g(lock_);
        voices_.push_back(std::move(voice));
    }
    Wake();
}

void TMixer::Remove(const TVoice* voice) {
    std::shared_ptr<TVoice> gone;
    {
        std::lock_guard g(lock_);
        const auto it = std::find_if(voices_.begin(), voices_.end(), [&](const auto& v) { return v.get() == voice; });
        if (it == voices_.end()) return;
        gone = std::move(*it);
        voices_.erase(it);
    }
}

size_t TMixer::VoiceCount() const {
    std::lock_guard g(lock_);
    return voices_.size();
}

void TMixer::Wake() {
    if (!threaded_) return;
    {
        std::lock_guard g(wakeLock_);
        woken_ = true;
    }
    wake_.notify_one();
}

void TMixer::Work() {
    std::vector<std::shared_ptr<TVoice>> voices;
    for (;;) {
        {
            std::unique_lock g(wakeLock_);
            // Rings hold about 0.75 s; looking every 20 ms keeps them well filled.
            wake_.wait_for(g, std::chrono::milliseconds(20), [this] { return stop_ || woken_; });
            if (stop_) return;
            woken_ = false;
        }
        {
            std::lock_guard g(lock_);
            voices = voices_;
        }
        for (const auto& v : voices) v->Feed(v->Capacity());
        voices.clear();  // the last owner of a removed voice frees it here, not in the callback
    }
}

void TMixer::ToPcm16(const float* in, int16_t* out, int64_t samples) noexcept {
    // Rounded half away from zero by hand: lrintf is a library call unless errno is given up.
    for (int64_t i = 0; i < samples; ++i) {
        const float v = std::clamp(in[i], -1.0f, 1.0f) * 32767.0f;
        out[i] = static_cast<int16_t>(v + (v < 0 ? -0.5f : 0.5f));
    }
}

void TMixer::Mix(int16_t* out, int64_t frames, float* scratch) {
    std::fill(scratch, scratch + frames * kMixChannels, 0.0f);
    {
        std::lock_guard g(lock_);
        for (const auto& v : voices_) v->MixInto(scratch, frames, underruns_);
    }
    ToPcm16(scratch, out, frames * kMixChannels);
}

void TMixer::MixNow(int16_t* out, int64_t frames) {
    std::vector<std::shared_ptr<TVoice>> voices;
    {
        std::lock_guard g(lock_);
        voices = voices_;
    }
    if (syncScratch_.size() < static_cast<size_t>(frames * kMixChannels)) syncScratch_.resize(static_cast<size_t>(frames * kMixChannels));
    std::fill(syncScratch_.begin(), syncScratch_.begin() + frames * kMixChannels, 0.0f);
    // A voice takes at most its ring's worth at a time.
    for (const auto& v : voices) {
        for (int64_t done = 0; done < frames;) {
            const int64_t part = std::min(frames - done, v->Capacity());
            v->Feed(part);
            v->MixInto(syncScratch_.data() + done * kMixChannels, part, underruns_);
            done += part;
        }
    }
    ToPcm16(syncScratch_.data(), out, frames * kMixChannels);
}

} // namespace ruvo
