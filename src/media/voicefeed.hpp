#pragma once
// A source brought to the mixer's format: stereo float at 44,100 Hz, resampled by libswresample when the
// file has another rate or more channels; mono is doubled and stereo at the mixer's rate is passed
// through untouched.
#include <cstdint>
#include <memory>
#include <vector>

#include "media/pcmsource.hpp"

struct SwrContext;

namespace ruvo {

class TVoiceFeed {
public:
    explicit TVoiceFeed(std::unique_ptr<TPcmSource> source);
    ~TVoiceFeed();
    TVoiceFeed(const TVoiceFeed&) = delete;
    TVoiceFeed& operator=(const TVoiceFeed&) = delete;

    TPcmSource& Source() noexcept { return *source_; }
    // The length in output frames.
    int64_t Frames() const noexcept { return frames_; }
    // Up to `frames` stereo frames; 0 once the source has nothing more.
    int64_t Read(float* out, int64_t frames);
    // To an output frame; false when the source cannot seek.
    bool Seek(int64_t frame);

private:
    int64_t ReadResampled(float* out, int64_t frames);

    std::unique_ptr<TPcmSource> source_;
    int64_t frames_ = 0;
    SwrContext* resampler_ = nullptr;  // null when the source is at the mixer's rate with 1 or 2 channels
    int resampledChannels_ = 2;        // mono stays mono through the resampler, then goes to both sides
    std::vector<float> input_;
    bool flushed_ = false;
};

} // namespace ruvo
