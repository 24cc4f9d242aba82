#pragma once
// Where the player's mix goes: to the platform's sound device, whose thread pulls it (the mixer then
// decodes on a worker thread), or, headless, into a recording or nowhere, mixed on the main thread
// after every frame so that every sound's timing follows game time exactly. "DirectSound" on in
// "game.ini" asks for a short device buffer (about 23 ms, twice over in SDL); off, a buffer of
// "DelayTime" ms (as a power of two of frames).
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/gameini.hpp"
#include "media/wavwriter.hpp"
#include "platform/platform.hpp"

namespace ruvo {

class TMixer;

class TSoundOutput {
public:
    // useDevice: a sound device is asked for (a window without --audio-out); audioOut: the recording,
    // or empty. Throws std::runtime_error when the recording cannot be created.
    TSoundOutput(platform::TPlatform& platform, const TGameIni& ini, bool useDevice, const std::filesystem::path& audioOut);
    ~TSoundOutput();

    // A device pulls the mix: the mixer must be a threaded one.
    bool DevicePulls() const noexcept { return device_ != nullptr; }
    // The device's buffer in frames, from the settings.
    static int BufferFramesFor(const TGameIni& ini);
    // From now on the mix comes from this mixer; game time 0 is `ticks`.
    void Attach(TMixer& mixer, uint32_t ticks);
    // Stops pulling from the mixer (before it goes).
    void Detach();
    // Without a device: mixes everything up to platform time `ticks`.
    void Advance(uint32_t ticks);
    // Finishes the recording; throws std::runtime_error when it cannot be written.
    void Finish();
    uint64_t DeviceUnderruns() const;

private:
    std::unique_ptr<platform::TAudioDevice> device_;
    std::atomic<TMixer*> pulled_{nullptr};
    std::vector<float> deviceScratch_;
    TMixer* mixer_ = nullptr;
    std::unique_ptr<TWavWriter> recording_;
    uint32_t startTicks_ = 0;
    int64_t mixed_ = 0;
    std::vector<int16_t> block_;
};

} // namespace ruvo
