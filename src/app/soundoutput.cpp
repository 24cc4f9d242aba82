#include "app/soundoutput.hpp"

#include <algorithm>
#include <cstring>

#include "media/mixer.hpp"
#include "media/mixrate.hpp"

namespace ruvo {

namespace {
constexpr int64_t kBlockFrames = 8192;
constexpr int64_t kMaxDeviceFrames = 65536;
} // namespace

int TSoundOutput::BufferFramesFor(const TGameIni& ini) {
    if (ini.directSound) return 1024;
    const int64_t wanted = int64_t{NormaliseDelayTime(ini.delayTime)} * kMixRate / 1000;
    int frames = 1024;
    while (frames * 2 <= wanted) frames *= 2;
    return frames;
}

TSoundOutput::TSoundOutput(platform::TPlatform& platform, const TGameIni& ini, bool useDevice,
                           const std::filesystem::path& audioOut) {
    if (!audioOut.empty()) recording_ = std::make_unique<TWavWriter>(audioOut);
    if (!useDevice || recording_) return;
    deviceScratch_.resize(static_cast<size_t>(kMaxDeviceFrames * kMixChannels));
    device_ = platform.OpenAudio(kMixRate, BufferFramesFor(ini), [this](int16_t* out, int frames) {
        TMixer* mixer = pulled_.load(std::memory_order_acquire);
        if (!mixer) {
            std::memset(out, 0, sizeof(int16_t) * static_cast<size_t>(frames) * kMixChannels);
            return;
        }
        for (int done = 0; done < frames;) {
            const int part = static_cast<int>(std::min<int64_t>(frames - done, kMaxDeviceFrames));
            mixer->Mix(out + done * kMixChannels, part, deviceScratch_.data());
            done += part;
        }
    });
}

TSoundOutput::~TSoundOutput() { Detach(); }

void TSoundOutput::Attach(TMixer& mixer, uint32_t ticks) {
    mixer_ = &mixer;
    startTicks_ = ticks;
    mixed_ = 0;
    if (device_) {
        pulled_.store(&mixer, std::memory_order_release);
        device_->Start();
    }
}

void TSoundOutput::Detach() {
    device_.reset();  // waits for a callback that runs
    pulled_.store(nullptr);
    mixer_ = nullptr;
}

void TSoundOutput::Advance(uint32_t ticks) {
    if (device_ || !mixer_) return;
    const int64_t target = MixFrameAt(static_cast<uint32_t>(ticks - startTicks_));
    block_.resize(static_cast<size_t>(kBlockFrames * kMixChannels));
    while (mixed_ < target) {
        const int64_t n = std::min(target - mixed_, kBlockFrames);
        mixer_->MixNow(block_.data(), n);
        if (recording_) recording_->Write(block_.data(), n);
        mixed_ += n;
    }
}

void TSoundOutput::Finish() {
    if (recording_) recording_->Close();
}

uint64_t TSoundOutput::DeviceUnderruns() const { return device_ ? device_->Underruns() : 0; }

} // namespace ruvo
