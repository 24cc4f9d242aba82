#pragma once
// Sound files the media tests make for themselves: WAV files of any libsndfile kind with a constant or
// sine signal, and Standard MIDI files from a list of events.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <sndfile.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace ruvo::testing {

// A WAV file of `frames` frames; every sample is `value` (or a sine of that amplitude when hz > 0).
inline void WriteWav(const std::filesystem::path& file, int rate, int channels, int64_t frames, float value,
                     int subFormat = SF_FORMAT_PCM_16, double hz = 0) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | subFormat;
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!f) throw std::runtime_error(std::string("cannot write the test WAV: ") + sf_strerror(nullptr));
    std::vector<float> samples(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<size_t>(i * channels + c)] =
                hz > 0 ? value * static_cast<float>(std::sin(2 * M_PI * hz * i / rate)) : value;
    sf_writef_float(f, samples.data(), frames);
    sf_close(f);
}

// A format-0 MIDI file with one track: 480 ticks a quarter note, the events given as (delta ticks,
// bytes), closed by the end-of-track event.
inline std::vector<uint8_t> MidiFile(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& events) {
    std::vector<uint8_t> track;
    auto vlq = [&](uint32_t v) {
        uint8_t bytes[4];
        int n = 0;
        do {
            bytes[n++] = v & 0x7F;
            v >>= 7;
        } while (v);
        for (int i = n - 1; i >= 0; --i) track.push_back(static_cast<uint8_t>(bytes[i] | (i ? 0x80 : 0)));
    };
    for (const auto& [delta, bytes] : events) {
        vlq(delta);
        track.insert(track.end(), bytes.begin(), bytes.end());
    }
    vlq(0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    const uint32_t n = static_cast<uint32_t>(track.size());
    file.insert(file.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// A tempo change to `us` microseconds a quarter note.
inline std::vector<uint8_t> Tempo(uint32_t us) {
    return {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)};
}

} // namespace ruvo::testing
