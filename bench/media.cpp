// Sound: Ogg Vorbis decoded through a voice of the mixer beside libvorbisfile's own ov_read loop over the
// same file, and the mix of 32 playing voices with volume and pan (real-time factor as a counter).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sndfile.h>
#include <unistd.h>
#include <vector>
#include <vorbis/vorbisfile.h>

#include "archive/streams.hpp"
#include "media/mediaitem.hpp"
#include "media/mediaset.hpp"
#include "media/mixer.hpp"
#include "media/mixrate.hpp"
#include "media/voice.hpp"

namespace {

namespace fs = std::filesystem;
using namespace ruvo;

constexpr int kSeconds = 10;

// A 10-second stereo file made once: an Ogg Vorbis tune, or 16-bit PCM.
class SoundFile {
public:
    explicit SoundFile(int format) {
        std::string pattern = (fs::temp_directory_path() / "ruvobench-XXXXXX").string();
        ::close(::mkstemp(pattern.data()));
        path_ = pattern;
        SF_INFO info{};
        info.samplerate = kMixRate;
        info.channels = 2;
        info.format = format;
        SNDFILE* f = sf_open(path_.c_str(), SFM_WRITE, &info);
        std::vector<float> frames(2 * kMixRate);
        for (int s = 0; s < kSeconds; ++s) {
            for (int i = 0; i < kMixRate; ++i)
                frames[2 * i] = frames[2 * i + 1] = 0.3f * std::sin(float(2 * M_PI * (220 + 20 * s) * i / kMixRate));
            sf_writef_float(f, frames.data(), kMixRate);
        }
        sf_close(f);
    }
    ~SoundFile() { fs::remove(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

const SoundFile& Ogg() {
    static SoundFile file(SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    return file;
}
const SoundFile& Pcm() {
    static SoundFile file(SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    return file;
}

std::shared_ptr<TVoice> NewVoice(const fs::path& file, const char* ext, TMixer& mixer) {
    auto source = OpenSoundStream(ext, std::make_unique<TFileStream>(file, FileOpen::Read), {});
    return std::make_shared<TVoice>(std::make_unique<TVoiceFeed>(std::move(source)), mixer.VoiceCapacity());
}

// libvorbisfile by itself: 16-bit samples into a buffer until the end.
void BM_OggOvReadLoop(benchmark::State& state) {
    for (auto _ : state) {
        OggVorbis_File vf;
        ov_fopen(Ogg().Path().c_str(), &vf);
        char buffer[4096 * 4];
        int section = 0;
        long total = 0;
        for (long got; (got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0;) total += got;
        ov_clear(&vf);
        benchmark::DoNotOptimize(total);
    }
    state.counters["x_realtime"] = benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OggOvReadLoop)->Unit(benchmark::kMillisecond);

// The same file through the player's path: the Ogg source, the feed, a voice's ring and the mix.
void BM_OggThroughAVoice(benchmark::State& state) {
    std::vector<int16_t> out(2 * 4096);
    for (auto _ : state) {
        TMixer mixer(false);
        auto voice = NewVoice(Ogg().Path(), ".ogg", mixer);
        mixer.Add(voice);
        voice->Play();
        while (!voice->Ended()) mixer.MixNow(out.data(), 4096);
        mixer.Remove(voice.get());
    }
    state.counters["x_realtime"] = benchmark::Counter(kSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OggThroughAVoice)->Unit(benchmark::kMillisecond);

// 32 looping voices, each with its own volume and pan, mixed 1024 frames at a time.
void BM_Mix32Voices(benchmark::State& state) {
    TMixer mixer(false);
    std::vector<std::shared_ptr<TVoice>> voices;
    for (int i = 0; i < 32; ++i) {
        voices.push_back(NewVoice(Pcm().Path(), ".wav", mixer));
        float left, right;
        TVoiceItem::Gains(-100 * i, 600 * (i - 16), TGainScale::Decibels, left, right);
        voices.back()->SetGains(left, right);
        voices.back()->SetLoop(true);
        voices.back()->Play();
        mixer.Add(voices.back());
    }
    std::vector<int16_t> out(2 * 1024);
    for (auto _ : state) mixer.MixNow(out.data(), 1024);
    state.counters["x_realtime"] = benchmark::Counter(1024.0 / kMixRate * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Mix32Voices);

} // namespace
