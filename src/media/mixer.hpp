#pragma once
// The mixer: every voice summed in floating point with its gains, clipped to 16-bit stereo at 44,100 Hz.
//
// Two ways to run it. Threaded (a window): a worker thread keeps every voice's ring filled and the
// sound device's callback calls Mix, which reads no file, decodes nothing, allocates nothing and holds
// each voice's lock only while it adds that voice's frames. Synchronous (headless runs, tools,
// benchmarks): MixNow decodes what each voice needs, then mixes, on the caller's thread, so that the same
// game and input give the same samples.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "media/voice.hpp"

namespace ruvo {

class TMixer {
public:
    // threaded: start the worker that feeds the voices (the device's callback then calls Mix).
    explicit TMixer(bool threaded);
    ~TMixer();
    TMixer(const TMixer&) = delete;
    TMixer& operator=(const TMixer&) = delete;

    bool Threaded() const noexcept { return threaded_; }
    // The ring size of a new voice: about 0.75 s in a threaded mixer, less in a synchronous one.
    int64_t VoiceCapacity() const noexcept;
    void Add(std::shared_ptr<TVoice> voice);
    // The voice leaves the mix; it is destroyed outside the mixer's lock.
    void Remove(const TVoice* voice);
    // Wakes the worker (a voice was started or moved).
    void Wake();

    // The device's callback: frames of 16-bit stereo. `scratch` must hold 2 × frames floats.
    void Mix(int16_t* out, int64_t frames, float* scratch);
    // Decodes and mixes on this thread.
    void MixNow(int16_t* out, int64_t frames);

    uint64_t Underruns() const noexcept { return underruns_.load(std::memory_order_relaxed); }
    size_t VoiceCount() const;

    // Float to 16-bit with clipping.
    static void ToPcm16(const float* in, int16_t* out, int64_t samples) noexcept;

private:
    void Work();

    const bool threaded_;
    mutable std::mutex lock_;  // the voice list
    std::vector<std::shared_ptr<TVoice>> voices_;
    std::atomic<uint64_t> underruns_{0};
    std::vector<float> syncScratch_;
    // The worker.
    std::thread worker_;
    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool stop_ = false, woken_ = false;
};

} // namespace ruvo
