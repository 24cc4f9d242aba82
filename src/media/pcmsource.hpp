#pragma once
// A decoder of one sound: interleaved float samples at the file's own rate and channel count, with the
// length known up front and seeking by sample frame. Each back end (Ogg Vorbis, WAV and the other
// libsndfile formats, Windows Media and MP3 through FFmpeg, MIDI through a synthesizer, audio CD
// sectors) implements it; the voice that plays it resamples to the mixer's rate (voicefeed.hpp).
//
// Sources are used by one thread at a time: created on the main thread, then read and sought only by
// whoever feeds the voice.
#include <cstdint>
#include <memory>
#include <string>

namespace ruvo {

class TPcmSource {
public:
    virtual ~TPcmSource() = default;
    // A short name of the format, as "ruvotool sound info" shows it ("Ogg Vorbis", "WAV (IMA ADPCM)").
    virtual std::string Format() const = 0;
    virtual int Rate() const = 0;      // frames a second, > 0
    virtual int Channels() const = 0;  // 1..8
    // The length in frames; what a damaged file really yields may be less.
    virtual int64_t Frames() const = 0;
    // Reads up to `frames` frames into out (frames × Channels() floats); 0 at the end or when nothing
    // more can be decoded. Never throws.
    virtual int64_t Read(float* out, int64_t frames) = 0;
    // Moves to a frame (clamped to the length); false when the file cannot seek there.
    virtual bool Seek(int64_t frame) = 0;

    int64_t LengthMs() const { return Rate() > 0 ? Frames() * 1000 / Rate() : 0; }
};

// Channel counts a source may report; more are refused when the file is opened.
constexpr int kMaxSourceChannels = 8;

} // namespace ruvo
