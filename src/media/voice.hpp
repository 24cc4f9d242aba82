#pragma once
// One playing sound as the mixer sees it: a ring of decoded stereo frames at the mixer's rate, filled by
// whoever feeds it (the mixer's worker thread, or the caller of a synchronous mix), emptied by the mix,
// with the play state, the loop and the gains. The main thread controls it; positions and the end follow
// the frames actually mixed. Every lock is held only for a copy or a few assignments.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "media/voicefeed.hpp"

namespace ruvo {

class TVoice {
public:
    // capacity: frames the ring holds.
    TVoice(std::unique_ptr<TVoiceFeed> feed, int64_t capacity);

    // ---- the main thread
    int64_t Frames() const noexcept { return frames_; }
    // Starts or continues; an ended voice starts again from the beginning.
    void Play();
    void Pause();
    // Neither playing nor paused (a new voice, before Play).
    void Stop();
    bool Playing() const;  // started, not paused, not ended
    bool Paused() const;
    bool Ended() const;
    void SetLoop(bool on);
    bool Loop() const;
    // Gains of the left and right channels (1 = unchanged).
    void SetGains(float left, float right);
    // The next frame to be mixed; clears the end (a started voice goes on from there).
    void SetPosition(int64_t frame);
    int64_t Position() const;

    // ---- the feeder
    // Decodes until the ring holds `wanted` frames (or as much as fits) or the source is done; false
    // when there was nothing to do.
    bool Feed(int64_t wanted);
    // Frames a feeder should keep ready.
    int64_t Capacity() const noexcept { return capacity_; }

    // ---- the mix (the audio thread, or the synchronous mix)
    // Adds up to `frames` frames to out (stereo); counts a dry ring of a sounding voice in underruns.
    void MixInto(float* out, int64_t frames, std::atomic<uint64_t>& underruns);

private:
    void Push(const float* frames, int64_t count);  // under the lock
    void MarkLoopStart();                          // under the lock

    const int64_t capacity_;
    int64_t frames_ = 0;
    mutable std::mutex lock_;
    // Under lock_:
    std::vector<float> ring_;
    int64_t head_ = 0, count_ = 0;
    bool started_ = false, paused_ = false, ended_ = false, loop_ = false;
    bool sourceDone_ = false;
    float gainLeft_ = 1, gainRight_ = 1;
    // Positions: frames mixed and pushed since the last SetPosition; the current pass began at
    // pushed index passPushed_ with source frame passFrame_; later passes (loops) begin at the marks.
    int64_t mixed_ = 0, pushed_ = 0, passPushed_ = 0, passFrame_ = 0;
    std::array<int64_t, 16> loopMarks_{};
    int marks_ = 0;
    uint64_t generation_ = 0;  // raised by SetPosition: frames decoded before it are dropped
    int64_t seekTo_ = -1;
    // Only the feeder's:
    std::unique_ptr<TVoiceFeed> feed_;
    std::vector<float> scratch_;
    int64_t passRead_ = 0;  // frames read since the source last started over
    bool rewind_ = false;
};

} // namespace ruvo
