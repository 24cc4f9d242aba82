#include "media/voicefeed.hpp"

#include <algorithm>
#include <stdexcept>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "media/mixrate.hpp"

namespace ruvo {

namespace {

// Mono frames read into the second half of out (2 × frames floats), then spread over both channels.
template <class Reader>
int64_t SpreadMono(float* out, int64_t frames, Reader read) {
    const int64_t got = read(out + frames, frames);
    for (int64_t i = 0; i < got; ++i) out[2 * i] = out[2 * i + 1] = out[frames + i];
    return got;
}

} // namespace

TVoiceFeed::TVoiceFeed(std::unique_ptr<TPcmSource> source) : source_(std::move(source)) {
    const int rate = source_->Rate();
    const int channels = source_->Channels();
    frames_ = rate == kMixRate ? source_->Frames() : source_->Frames() * kMixRate / rate;
    if (rate == kMixRate && channels <= 2) return;
    // Mono is resampled as mono: a mono-to-stereo mix would lower it by 3 dB.
    resampledChannels_ = channels == 1 ? 1 : kMixChannels;
    AVChannelLayout in{}, out{};
    av_channel_layout_default(&in, channels);
    av_channel_layout_default(&out, resampledChannels_);
    if (swr_alloc_set_opts2(&resampler_, &out, AV_SAMPLE_FMT_FLT, kMixRate, &in, AV_SAMPLE_FMT_FLT, rate, 0, nullptr) < 0 ||
        swr_init(resampler_) < 0) {
        swr_free(&resampler_);
        throw std::runtime_error("the resampler cannot take this sound's format");
    }
}

TVoiceFeed::~TVoiceFeed() { swr_free(&resampler_); }

int64_t TVoiceFeed::Read(float* out, int64_t frames) {
    if (resampler_ && resampledChannels_ == 1)
        return SpreadMono(out, frames, [this](float* mono, int64_t n) { return ReadResampled(mono, n); });
    if (resampler_) return ReadResampled(out, frames);
    if (source_->Channels() == 2) return source_->Read(out, frames);
    return SpreadMono(out, frames, [this](float* mono, int64_t n) { return source_->Read(mono, n); });
}

int64_t TVoiceFeed::ReadResampled(float* out, int64_t frames) {
    const int channels = source_->Channels();
    const int rate = source_->Rate();
    int64_t done = 0;
    while (done < frames) {
        uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(out + done * resampledChannels_)};
        const int want = static_cast<int>(std::min<int64_t>(frames - done, 16384));
        // What the resampler still holds comes out first (a null input would flush it as at the end).
        static const float none[kMixChannels * 8] = {};
        const uint8_t* nothing[1] = {reinterpret_cast<const uint8_t*>(none)};
        int got = swr_convert(resampler_, outPlanes, want, nothing, 0);
        if (got < 0) break;
        if (got > 0) {
            done += got;
            continue;
        }
        if (flushed_) break;
        const int64_t inFrames = std::max<int64_t>(want * int64_t{rate} / kMixRate + 16, 64);
        input_.resize(static_cast<size_t>(inFrames * channels));
        const int64_t read = source_->Read(input_.data(), inFrames);
        const uint8_t* inPlanes[1] = {reinterpret_cast<const uint8_t*>(input_.data())};
        if (read <= 0) {
            flushed_ = true;
            got = swr_convert(resampler_, outPlanes, want, nullptr, 0);  // the tail of the last input
        } else {
            got = swr_convert(resampler_, outPlanes, want, inPlanes, static_cast<int>(read));
        }
        if (got < 0) break;
        done += got;
    }
    return done;
}

bool TVoiceFeed::Seek(int64_t frame) {
    frame = std::clamp<int64_t>(frame, 0, frames_);
    const int rate = source_->Rate();
    const int64_t sourceFrame = rate == kMixRate ? frame : frame * rate / kMixRate;
    if (!source_->Seek(sourceFrame)) return false;
    if (resampler_) {
        // Whatever the resampler held belonged to the old place.
        swr_close(resampler_);
        if (swr_init(resampler_) < 0) return false;
    }
    flushed_ = false;
    return true;
}

} // namespace ruvo
