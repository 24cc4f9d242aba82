// Sound files: the first byte picks the decoder (Ogg Vorbis, WAV and the other libsndfile formats,
// Windows Media through FFmpeg, MIDI), the rest is the file; it is decoded to its end (at most a minute
// of sound) through the resampling feed, with a seek half-way. The decoders refuse input with
// std::runtime_error; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "archive/streams.hpp"
#include "media/mediaset.hpp"
#include "media/midisource.hpp"
#include "media/mixrate.hpp"
#include "media/voicefeed.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const kExtensions[] = {".ogg", ".wav", ".wma", ".mid"};
    static const std::filesystem::path font = ruvo::FindSoundFont();
    const char* ext = kExtensions[data[0] % 4];
    try {
        auto stream = std::make_unique<ruvo::TMemoryStream>(std::vector<uint8_t>(data + 1, data + size));
        ruvo::TVoiceFeed feed(ruvo::OpenSoundStream(ext, std::move(stream), font));
        std::vector<float> out(2 * 4096);
        int64_t total = 0;
        for (int64_t got; total < ruvo::MixFrameAt(60000) && (got = feed.Read(out.data(), 4096)) > 0;) total += got;
        feed.Seek(feed.Frames() / 2);
        feed.Read(out.data(), 4096);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
