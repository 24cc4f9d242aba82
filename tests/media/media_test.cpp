// The decoders, the resampling feed, voices and the mixer, media items and managers, and the CD track
// rules, on sound files the tests make themselves.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <random>
#include <thread>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "media/cdaudio.hpp"
#include "media/mediaitem.hpp"
#include "media/mediamanager.hpp"
#include "media/mediaset.hpp"
#include "media/miditimeline.hpp"
#include "media/midisource.hpp"
#include "media/mixer.hpp"
#include "media/mixrate.hpp"
#include "media/voice.hpp"
#include "media/voicefeed.hpp"
#include "media_fixtures.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::MidiFile;
using testing::TempDir;
using testing::Tempo;
using testing::WriteWav;

class TNoDiscs final : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

std::unique_ptr<TPcmSource> Open(const fs::path& file) {
    return OpenSoundStream(file.extension().string(), std::make_unique<TFileStream>(file, FileOpen::Read), FindSoundFont());
}

void WriteBytes(const fs::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A half-second MIDI tune: middle C, then E, a quarter note each at 120 beats a minute.
std::vector<uint8_t> ShortTune() {
    return MidiFile({{0, {0xC0, 0x00}}, {0, {0x90, 60, 100}}, {480, {0x80, 60, 0}}, {0, {0x90, 64, 100}}, {480, {0x80, 64, 0}}});
}

// ---- decoders

struct DecoderCase {
    const char* file;
    int subFormat;  // 0: not a WAV written here
    int rate, channels;
    const char* format;  // part of Format()
    bool exactLevel;     // lossless: every decoded sample is the written value
    int padMs = 30;      // what the format may add at the end (ADPCM fills its last block)
};

class Decoders : public ::testing::TestWithParam<DecoderCase> {
protected:
    TempDir dir;
};

TEST_P(Decoders, TellTheirFormatAndLengthAndDecodeEverySampleAtTheMixRate) {
    const DecoderCase& c = GetParam();
    const fs::path file = dir.Path() / c.file;
    const int64_t frames = c.rate * 3 / 4;  // 750 ms
    WriteWav(file, c.rate, c.channels, frames, 0.5f, c.subFormat);
    auto source = Open(file);
    EXPECT_NE(source->Format().find(c.format), std::string::npos) << source->Format();
    EXPECT_EQ(source->Rate(), c.rate);
    EXPECT_EQ(source->Channels(), c.channels);
    EXPECT_NEAR(source->LengthMs(), 750 + c.padMs / 2, c.padMs / 2 + 1);

    TVoiceFeed feed(std::move(source));
    std::vector<float> out(2 * 4096);
    int64_t total = 0, off = 0;
    for (int64_t got; (got = feed.Read(out.data(), 4096)) > 0; total += got)
        for (int64_t i = 0; i < got * 2; ++i)
            if (c.exactLevel && total + i / 2 > 64 && total + i / 2 < MixFrameAt(700) && std::fabs(out[i] - 0.5f) > 0.002f) ++off;
    EXPECT_NEAR(total, MixFrameAt(750 + c.padMs / 2), MixFrameAt(c.padMs / 2 + 1));
    EXPECT_EQ(off, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Decoders,
                         ::testing::Values(DecoderCase{"pcm.wav", SF_FORMAT_PCM_16, 44100, 2, "PCM 16-bit", true},
                                           DecoderCase{"mono22.wav", SF_FORMAT_PCM_16, 22050, 1, "WAV", true},
                                           DecoderCase{"u8.wav", SF_FORMAT_PCM_U8, 11025, 1, "PCM 8-bit", false},
                                           DecoderCase{"ima.wav", SF_FORMAT_IMA_ADPCM, 22050, 2, "IMA ADPCM", false, 100},
                                           DecoderCase{"ms.wav", SF_FORMAT_MS_ADPCM, 22050, 1, "MS ADPCM", false, 100},
                                           DecoderCase{"float48.wav", SF_FORMAT_FLOAT, 48000, 2, "float", true},
                                           DecoderCase{"six.wav", SF_FORMAT_PCM_16, 44100, 6, "WAV", false}),
                         [](const auto& info) { return std::string(fs::path(info.param.file).stem()); });

TEST(OggDecoder, PlaysAVorbisFileInPlaceAndSeeks) {
    TempDir dir;
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    const fs::path file = dir.Path() / "tone.ogg";
    SNDFILE* f = sf_open(file.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> tone(32000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.4f * static_cast<float>(std::sin(2 * M_PI * 440 * i / 32000.0));
    sf_writef_float(f, tone.data(), 32000);
    sf_close(f);

    auto source = Open(file);
    EXPECT_EQ(source->Format(), "Ogg Vorbis");
    EXPECT_EQ(source->Rate(), 32000);
    EXPECT_EQ(source->LengthMs(), 1000);
    TVoiceFeed feed(std::move(source));
    ASSERT_TRUE(feed.Seek(MixFrameAt(500)));
    std::vector<float> out(2 * 44100);
    int64_t total = 0;
    double energy = 0;
    for (int64_t got; (got = feed.Read(out.data() , 4096)) > 0; total += got)
        for (int64_t i = 0; i < got * 2; ++i) energy += out[i] * out[i];
    EXPECT_NEAR(total, MixFrameAt(500), 64);  // the second half only
    EXPECT_NEAR(std::sqrt(energy / (2 * total)), 0.4 / std::sqrt(2.0), 0.02);  // a sine's RMS, kept through resampling
}

TEST(MidiDecoder, LastsAsTheFileSaysAndSoundsWithAFont) {
    TempDir dir;
    WriteBytes(dir.Path() / "tune.mid", ShortTune());
    auto source = Open(dir.Path() / "tune.mid");
    EXPECT_EQ(source->LengthMs(), 1000);
    EXPECT_EQ(source->Rate(), kMixRate);
    std::vector<float> out(2 * 4096);
    int64_t total = 0;
    float peak = 0;
    for (int64_t got; (got = source->Read(out.data(), 4096)) > 0; total += got)
        for (int64_t i = 0; i < got * 2; ++i) peak = std::max(peak, std::fabs(out[i]));
    EXPECT_EQ(total, MixFrameAt(1000));
    if (!FindSoundFont().empty()) {
        EXPECT_GT(peak, 0.01f) << "the synthesizer played nothing";
    }
    // Without a font the same file is silence of the same length.
    auto silent = OpenMidiSource(ShortTune(), "");
    std::vector<float> none(2 * 1024, 1.0f);
    EXPECT_EQ(silent->Read(none.data(), 1024), 1024);
    EXPECT_EQ(*std::max_element(none.begin(), none.end()), 0.0f);
}

struct TimelineCase {
    const char* name;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> events;
    int64_t lengthMs;
    int64_t tickAt750ms;
};

TEST(MidiTimeline, FollowsTempoChanges) {
    const TimelineCase cases[] = {
        {"default 120 bpm", {{960, {0x90, 60, 1}}}, 1000, 720},
        {"60 bpm from the start", {{0, Tempo(1000000)}, {960, {0x90, 60, 1}}}, 2000, 360},
        {"60 bpm after a beat", {{480, Tempo(1000000)}, {480, {0x90, 60, 1}}}, 1500, 600},
        {"running status", {{0, {0x90, 60, 1}}, {480, {62, 1}}, {480, {64, 0}}}, 1000, 720},
        {"sysex and meta skipped", {{0, {0xF0, 3, 1, 2, 0xF7}}, {0, {0xFF, 0x01, 2, 'h', 'i'}}, {480, {0x80, 60, 0}}}, 500, 720},
    };
    for (const TimelineCase& c : cases) {
        const std::vector<uint8_t> file = MidiFile(c.events);
        const TMidiTimeline t(file);
        EXPECT_EQ(t.LengthMs(), c.lengthMs) << c.name;
        EXPECT_EQ(t.MsToTick(750), c.tickAt750ms) << c.name;
        EXPECT_EQ(t.TickToMs(t.MsToTick(750)), 750) << c.name;
    }
}

// Damaged files play what can be decoded or nothing: an error naming the problem, never a crash or a
// loop that does not end.
TEST(DamagedSounds, DecodeToAnEndOrAreRefused) {
    TempDir dir;
    WriteWav(dir.Path() / "ok.wav", 22050, 2, 22050, 0.3f, SF_FORMAT_IMA_ADPCM, 300);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* f = sf_open((dir.Path() / "ok.ogg").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    std::vector<float> noise(2 * 44100);
    std::mt19937 random(7);
    for (float& v : noise) v = std::uniform_real_distribution<float>(-0.3f, 0.3f)(random);
    sf_writef_float(f, noise.data(), 44100);
    sf_close(f);
    WriteBytes(dir.Path() / "ok.mid", ShortTune());
    int refused = 0, decoded = 0;
    for (const char* name : {"ok.wav", "ok.ogg", "ok.mid"}) {
        const std::vector<uint8_t> whole = ReadBytes(dir.Path() / name);
        const std::string ext = fs::path(name).extension().string();
        std::vector<std::vector<uint8_t>> damaged;
        for (size_t cut : {size_t{4}, size_t{30}, whole.size() / 3, whole.size() - 5}) damaged.emplace_back(whole.begin(), whole.begin() + cut);
        for (int seed = 0; seed < 6; ++seed) {
            std::vector<uint8_t> flipped = whole;
            std::mt19937 r(seed);
            for (int i = 0; i < 40; ++i) flipped[r() % flipped.size()] ^= static_cast<uint8_t>(1 + r() % 255);
            damaged.push_back(flipped);
        }
        for (const std::string& other : {std::string(".wma"), ext}) {
            for (const auto& bytes : damaged) {
                try {
                    auto source = OpenSoundStream(other, std::make_unique<TMemoryStream>(bytes), "");
                    TVoiceFeed feed(std::move(source));
                    std::vector<float> out(2 * 4096);
                    int64_t total = 0;
                    for (int64_t got; (got = feed.Read(out.data(), 4096)) > 0;) total += got;
                    EXPECT_LE(total, MixFrameAt(60 * 60 * 1000)) << name;
                    ++decoded;
                } catch (const std::runtime_error&) {
                    ++refused;
                }
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(decoded, 0);
}

// ---- gains and the mix

TEST(Gains, AttenuationsInHundredthsOfADecibelAndPans) {
    struct Case {
        int32_t volume, pan;
        TGainScale scale;
        float left, right;
    } cases[] = {
        {0, 0, TGainScale::Decibels, 1, 1},
        {-2000, 0, TGainScale::Decibels, 0.1f, 0.1f},
        {-600, 0, TGainScale::Decibels, 0.5012f, 0.5012f},
        {-10000, 0, TGainScale::Decibels, 0, 0},
        {-20000, 0, TGainScale::Decibels, 0, 0},  // clamped
        {0, 2000, TGainScale::Decibels, 0.1f, 1},
        {0, -4000, TGainScale::Decibels, 1, 0.01f},
        {0, 30000, TGainScale::Decibels, 0.00001f, 1},  // clamped to 10000
        {-5000, 0, TGainScale::Linear, 0.5f, 0.5f},
        {-2500, 2000, TGainScale::Linear, 0.075f, 0.75f},
    };
    for (const Case& c : cases) {
        float left, right;
        TVoiceItem::Gains(c.volume, c.pan, c.scale, left, right);
        EXPECT_NEAR(left, c.left, 1e-4) << c.volume << " " << c.pan;
        EXPECT_NEAR(right, c.right, 1e-4) << c.volume << " " << c.pan;
    }
}

class Voices : public ::testing::Test {
protected:
    Voices() { WriteWav(dir.Path() / "k.wav", kMixRate, 2, 1000, 0.5f); }
    std::shared_ptr<TVoice> NewVoice() {
        auto v = std::make_shared<TVoice>(std::make_unique<TVoiceFeed>(Open(dir.Path() / "k.wav")), mixer.VoiceCapacity());
        mixer.Add(v);
        return v;
    }
    // Frames mixed now, and how many of them sound.
    int64_t Mix(int64_t frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames * 2));
        mixer.MixNow(out.data(), frames);
        return std::count_if(out.begin(), out.end(), [](int16_t s) { return s != 0; }) / 2;
    }
    TempDir dir;
    TMixer mixer{false};
};

TEST_F(Voices, PositionAndEndFollowTheFramesMixed) {
    auto v = NewVoice();
    EXPECT_EQ(Mix(100), 0);  // not started
    v->Play();
    EXPECT_EQ(Mix(600), 600);
    EXPECT_EQ(v->Position(), 600);
    EXPECT_FALSE(v->Ended());
    EXPECT_EQ(Mix(600), 400);
    EXPECT_TRUE(v->Ended());
    EXPECT_FALSE(v->Playing());
    EXPECT_EQ(v->Position(), 1000);
    v->Play();  // an ended voice starts over
    EXPECT_EQ(Mix(300), 300);
    EXPECT_EQ(v->Position(), 300);
    v->Pause();
    EXPECT_EQ(Mix(300), 0);
    EXPECT_EQ(v->Position(), 300);
    v->SetPosition(900);
    v->Play();
    EXPECT_EQ(Mix(300), 100);
    EXPECT_TRUE(v->Ended());
    EXPECT_EQ(mixer.Underruns(), 0u);
}

TEST_F(Voices, LoopsWithoutAGapAndPositionsWrap) {
    auto v = NewVoice();
    v->SetLoop(true);
    v->Play();
    EXPECT_EQ(Mix(2500), 2500);
    EXPECT_EQ(v->Position(), 500);
    EXPECT_FALSE(v->Ended());
    v->SetLoop(false);
    EXPECT_EQ(Mix(2000), 500 + 1000 * 0);  // the pass under way (and any already decoded) plays out
    EXPECT_TRUE(v->Ended());
}

TEST_F(Voices, SumWithTheirGainsAndClip) {
    auto a = NewVoice(), b = NewVoice(), c = NewVoice();
    a->SetGains(1, 0);
    b->SetGains(0.5f, 0.25f);
    for (auto& v : {a, b}) v->Play();
    std::vector<int16_t> out(2 * 10);
    mixer.MixNow(out.data(), 10);
    EXPECT_NEAR(out[0], 0.75 * 32767, 2);
    EXPECT_NEAR(out[1], 0.125 * 32767, 2);
    c->Play();  // 0.5 + 0.25 + 0.5 passes full scale on the left
    mixer.MixNow(out.data(), 10);
    EXPECT_EQ(out[2], 32767);
}

TEST_F(Voices, AThreadedMixerDecodesAheadOnItsWorker) {
    TMixer threaded(true);
    auto v = std::make_shared<TVoice>(std::make_unique<TVoiceFeed>(Open(dir.Path() / "k.wav")), threaded.VoiceCapacity());
    threaded.Add(v);
    v->Play();
    std::vector<int16_t> out(2 * 256);
    std::vector<float> scratch(2 * 256);
    int64_t sounding = 0;
    // The device's side: take 256 frames at a time until the voice has ended.
    for (int i = 0; i < 2000 && !v->Ended(); ++i) {
        threaded.Mix(out.data(), 256, scratch.data());
        sounding += std::count_if(out.begin(), out.end(), [](int16_t s) { return s != 0; }) / 2;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(v->Ended());
    EXPECT_EQ(sounding, 1000);
    threaded.Remove(v.get());
    EXPECT_EQ(threaded.VoiceCount(), 0u);
}

// ---- managers

class Managers : public ::testing::Test {
protected:
    Managers() {
        WriteWav(dir.Path() / "long.wav", kMixRate, 2, kMixRate, 0.5f);
        WriteWav(dir.Path() / "short.wav", kMixRate, 2, 100, 0.5f);
    }
    TempDir dir;
    TMixer mixer{false};
    std::vector<std::string> reported;
    TMediaManager manager{"Ogg", mixer, TGainScale::Decibels,
                          [this](const std::string& name) -> std::unique_ptr<TPcmSource> {
                              if (name == "nothing") return nullptr;
                              return Open(dir.Path() / name);
                          },
                          [this](const std::string& name, const std::string&) { reported.push_back(name); }};
    void Mix(int64_t frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames * 2));
        mixer.MixNow(out.data(), frames);
    }
};

TEST_F(Managers, PauseOnlyWhatPlaysAndResumeOnlyWhatTheyPaused) {
    TDMediaItem* music = manager.Add("long.wav");
    TDMediaItem* ended = manager.Add("short.wav");
    TDMediaItem* paused = manager.Add("long.wav");
    ASSERT_TRUE(music && ended && paused);
    for (TDMediaItem* i : {music, ended, paused}) i->Play();
    paused->Pause();
    Mix(200);
    ASSERT_TRUE(ended->IsEnd());
    manager.PauseAll();
    EXPECT_TRUE(music->IsPaused());
    EXPECT_TRUE(music->PausedByManager);
    EXPECT_FALSE(ended->PausedByManager);
    EXPECT_FALSE(paused->PausedByManager);
    const int32_t at = music->GetPosition();
    Mix(4410);
    EXPECT_EQ(music->GetPosition(), at);
    manager.ResumeAll();
    EXPECT_TRUE(music->IsPlaying());
    EXPECT_TRUE(paused->IsPaused());
    EXPECT_TRUE(ended->IsEnd());
    Mix(4410);
    EXPECT_EQ(music->GetPosition(), at + 100);
}

TEST_F(Managers, ASwitchedOffManagerHoldsEvenNewSoundsUntilItIsOnAgain) {
    TDMediaItem* music = manager.Add("long.wav");
    music->Play();
    manager.SetEnabled(false);
    manager.SetEnabled(false);
    TDMediaItem* later = manager.Add("long.wav");
    later->Play();
    EXPECT_TRUE(later->IsPlaying());  // as far as the script can tell
    manager.PauseAll();              // the focus goes: nothing changes while off
    manager.ResumeAll();
    Mix(4410);
    EXPECT_EQ(music->GetPosition(), 0);
    EXPECT_EQ(later->GetPosition(), 0);
    manager.SetEnabled(true);
    Mix(4410);
    EXPECT_EQ(music->GetPosition(), 100);
    EXPECT_EQ(later->GetPosition(), 100);
}

TEST_F(Managers, NamesThatCannotPlayGiveNoItemAndAreToldOnce) {
    EXPECT_EQ(manager.Add("nothing"), nullptr);
    EXPECT_EQ(manager.Add("missing.wav"), nullptr);
    EXPECT_EQ(reported, std::vector<std::string>{"missing.wav"});
    TDMediaItem* item = manager.Add("long.wav");
    manager.Remove(item);
    EXPECT_EQ(manager.Count(), 0u);
    EXPECT_EQ(mixer.VoiceCount(), 0u);
}

TEST_F(Managers, EndsAreSeenOnceAndRepeatsDoNotEnd) {
    TDMediaItem* click = manager.Add("short.wav");
    click->Play();
    Mix(200);
    EXPECT_TRUE(click->IsEnd());
    click->AcknowledgeEnd();
    EXPECT_FALSE(click->IsEnd());
    click->SetAutoRepeat(true);
    click->SetPosition(0);
    Mix(1000);
    EXPECT_FALSE(click->IsEnd());
    EXPECT_EQ(click->GetLen(), 2);
}

TEST(MediaChoice, ByExtensionAndTheCdPrefix) {
    TempDir dir;
    TDeletionList deletions;
    TVrFileManager files(deletions, std::make_unique<TNoDiscs>(), dir.Path());
    TMediaSet media({}, files, nullptr);
    const std::pair<const char*, const TMediaManager*> cases[] = {
        {"bgm\\a.OGG", &media.Manager(TMediaKind::Ogg)},
        {"se.wav", &media.Manager(TMediaKind::Ogg)},
        {"m.Mid", &media.Manager(TMediaKind::Midi)},
        {"seg.sgt", &media.Manager(TMediaKind::Midi)},
        {"v.wma", &media.Manager(TMediaKind::WindowsMedia)},
        {"v.asf", &media.Manager(TMediaKind::WindowsMedia)},
        {"v.wmv", &media.Manager(TMediaKind::WindowsMedia)},
        {"CD_05", &media.Manager(TMediaKind::CdAudio)},
        {"CD_05.ogg", &media.Manager(TMediaKind::Ogg)},
        {"cd_05", nullptr},
        {"a.mp3", nullptr},
        {"noext", nullptr},
    };
    for (const auto& [name, manager] : cases) EXPECT_EQ(media.ManagerFor(name), manager) << name;
}

TEST(CdAudio, RippedTracksByNumberInTheFirstFolderThatHasOne) {
    TempDir dir;
    fs::create_directories(dir.Path() / "cd");
    for (const char* name : {"cd/Track05.flac", "cd/CD_05.OGG", "cd/track2.wav", "cd/cd_07.txt", "Track07.mp3", "track1.wav"})
        std::ofstream(dir.Path() / name) << "x";
    const std::vector<fs::path> folders = {dir.Path() / "cd", dir.Path()};
    const std::pair<int, const char*> cases[] = {
        {5, "cd/CD_05.OGG"}, {2, "cd/track2.wav"}, {7, "Track07.mp3"}, {1, "track1.wav"}, {3, nullptr},
    };
    for (const auto& [track, expected] : cases) {
        const auto found = FindRippedTrack(folders, track);
        if (expected) {
            EXPECT_EQ(found, dir.Path() / expected) << track;
        } else {
            EXPECT_FALSE(found) << track;
        }
    }
    EXPECT_EQ(CdTrackOf("CD_05"), 5);
    EXPECT_EQ(CdTrackOf("cd_12.xyz"), 12);
    EXPECT_FALSE(CdTrackOf("CD_"));
    EXPECT_FALSE(CdTrackOf("CD_a1"));
    EXPECT_FALSE(CdTrackOf("track05"));
}

} // namespace
} // namespace ruvo
