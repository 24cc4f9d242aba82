#include "media/voice.hpp"

#include <algorithm>

#include "media/mixrate.hpp"

namespace ruvo {

namespace {
constexpr int64_t kFeedBlock = 4096;
}

TVoice::TVoice(std::unique_ptr<TVoiceFeed> feed, int64_t capacity)
    : capacity_(std::max<int64_t>(capacity, kFeedBlock)),
      frames_(feed->Frames()),
      ring_(static_cast<size_t>(capacity_ * kMixChannels)),
      feed_(std::move(feed)),
      scratch_(static_cast<size_t>(kFeedBlock * kMixChannels)) {}

void TVoice::Play() {
    bool restart;
    {
        std::lock_guard g(lock_);
        restart = ended_;
        started_ = true;
        paused_ = false;
    }
    if (restart) SetPosition(0);
}

void TVoice::Pause() {
    std::lock_guard g(lock_);
    paused_ = true;
}

void TVoice::Stop() {
    std::lock_guard g(lock_);
    started_ = paused_ = false;
}

bool TVoice::Playing() const {
    std::lock_guard g(lock_);
    return started_ && !paused_ && !ended_;
}

bool TVoice::Paused() const {
    std::lock_guard g(lock_);
    return paused_;
}

bool TVoice::Ended() const {
    std::lock_guard g(lock_);
    return ended_;
}

void TVoice::SetLoop(bool on) {
    std::lock_guard g(lock_);
    loop_ = on;
}

bool TVoice::Loop() const {
    std::lock_guard g(lock_);
    return loop_;
}

void TVoice::SetGains(float left, float right) {
    std::lock_guard g(lock_);
    gainLeft_ = left;
    gainRight_ = right;
}

void TVoice::SetPosition(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, frames_);
    std::lock_guard g(lock_);
    head_ = count_ = 0;
    mixed_ = pushed_ = passPushed_ = 0;
    passFrame_ = frame;
    marks_ = 0;
    ++generation_;
    seekTo_ = frame;
    sourceDone_ = ended_ = false;
}

int64_t TVoice::Position() const {
    std::lock_guard g(lock_);
    return ended_ ? frames_ : std::min(passFrame_ + (mixed_ - passPushed_), frames_);
}

void TVoice::Push(const float* frames, int64_t count) {
    const int64_t tail = (head_ + count_) % capacity_;
    const int64_t first = std::min(count, capacity_ - tail);
    std::copy(frames, frames + first * kMixChannels, ring_.begin() + tail * kMixChannels);
    std::copy(frames + first * kMixChannels, frames + count * kMixChannels, ring_.begin());
    count_ += count;
    pushed_ += count;
}

void TVoice::MarkLoopStart() {
    if (marks_ < static_cast<int>(loopMarks_.size())) loopMarks_[static_cast<size_t>(marks_++)] = pushed_;
}

bool TVoice::Feed(int64_t wanted) {
    bool worked = false;
    for (;;) {
        uint64_t generation;
        int64_t seekTo, room;
        bool loop;
        {
            std::lock_guard g(lock_);
            generation = generation_;
            seekTo = seekTo_;
            seekTo_ = -1;
            loop = loop_;
            room = std::min(wanted, capacity_) - count_;
            if (seekTo < 0 && (sourceDone_ || room <= 0)) return worked;
        }
        worked = true;
        if (seekTo >= 0) {
            feed_->Seek(seekTo);
            passRead_ = seekTo;
            rewind_ = false;
        }
        if (rewind_) {
            feed_->Seek(0);
            rewind_ = false;
            passRead_ = 0;
        }
        if (room <= 0) continue;
        const int64_t got = feed_->Read(scratch_.data(), std::min(room, kFeedBlock));
        std::lock_guard g(lock_);
        if (generation != generation_) continue;  // a new position was asked for meanwhile
        if (got > 0) {
            Push(scratch_.data(), got);
            passRead_ += got;
            continue;
        }
        // The end of the source: start over when looping (unless a whole pass gave nothing), else done.
        if (loop && passRead_ > 0 && marks_ < static_cast<int>(loopMarks_.size())) {
            MarkLoopStart();
            rewind_ = true;
        } else if (!loop || passRead_ == 0) {
            sourceDone_ = true;
        } else {
            return worked;  // loops queue up faster than they are mixed; wait for the mix
        }
    }
}

void TVoice::MixInto(float* out, int64_t frames, std::atomic<uint64_t>& underruns) {
    std::lock_guard g(lock_);
    if (!started_ || paused_ || ended_) return;
    const int64_t n = std::min(frames, count_);
    const float left = gainLeft_, right = gainRight_;
    // The ring's frames in at most two runs, each a plain loop the compiler vectorises.
    int64_t at = head_;
    float* o = out;
    for (int64_t rest = n; rest > 0;) {
        const int64_t run = std::min(rest, capacity_ - at);
        const float* r = ring_.data() + at * kMixChannels;
        for (int64_t i = 0; i < run; ++i) {
            o[2 * i] += r[2 * i] * left;
            o[2 * i + 1] += r[2 * i + 1] * right;
        }
        o += run * kMixChannels;
        at = (at + run) % capacity_;
        rest -= run;
    }
    head_ = at;
    count_ -= n;
    mixed_ += n;
    while (marks_ > 0 && mixed_ >= loopMarks_[0]) {
        passPushed_ = loopMarks_[0];
        passFrame_ = 0;
        std::copy(loopMarks_.begin() + 1, loopMarks_.begin() + marks_, loopMarks_.begin());
        --marks_;
    }
    if (n < frames) {
        if (sourceDone_ && count_ == 0) ended_ = true;
        else if (mixed_ > 0) underruns.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace ruvo
