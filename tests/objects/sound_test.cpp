// The sound object: play modes, fades on the game clock, the end of playback, names freed when a sound
// fades out, lengths measured without keeping an item, and the saved form with its loading rules. The
// media play WAV files the test writes, mixed by hand after each frame as the headless player does.
#include <gtest/gtest.h>

#include <fstream>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/vrfilemanager.hpp"
#include "media/mediaitem.hpp"
#include "media/mediaset.hpp"
#include "media/mixrate.hpp"
#include "graphics/film/filmsound.hpp"
#include "objects/media/filmsounds.hpp"
#include "objects/media/sound.hpp"
#include "support/tempdir.hpp"
#include "world_fixture.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

class TNoDiscs final : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

// A 16-bit stereo WAV of constant samples at the mix rate.
void WriteConstantWav(const fs::path& file, int ms) {
    const uint32_t frames = static_cast<uint32_t>(MixFrameAt(ms)), bytes = frames * 4;
    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out << "RIFF";
    u32(36 + bytes);
    out << "WAVEfmt ";
    u32(16), u16(1), u16(2), u32(kMixRate), u32(kMixRate * 4), u16(4), u16(16);
    out << "data";
    u32(bytes);
    for (uint32_t i = 0; i < frames * 2; ++i) u16(8192);
}

class SoundObjects : public testing::WorldFixture {
protected:
    SoundObjects() {
        WriteConstantWav(dir / "music.wav", 5000);
        WriteConstantWav(dir / "effect.wav", 2000);
        WriteConstantWav(dir / "click.wav", 50);
        files.SetBaseFolder(dir.Path());
        world.SetMedia(&media);
    }
    ~SoundObjects() override { world.Reset(); }  // the sounds give their items back while the media exist

    TRuvoSound& NewSound(const std::string& name, const std::string& source, int delay = 0) {
        auto& s = static_cast<TRuvoSound&>(*world.CreateByType(17));
        s.SetName(name);
        SetProperty(s, PR_SOURCE, source);
        SetProperty(s, PR_DELAY, delay);
        s.SetPlayMode(delay != 0 ? 1 : 0);
        return s;
    }
    TRuvoSound* Sound(const std::string& name) { return dynamic_cast<TRuvoSound*>(Find(name)); }
    // A frame, then its 16 ms of sound mixed.
    void Step(int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            Frame();
            std::vector<int16_t> out(2 * 706);
            media.Mixer().MixNow(out.data(), MixFrameAt(clock) - MixFrameAt(clock - 16));
        }
    }
    size_t Items() const { return media.Manager(TMediaKind::Ogg).Count(); }

    testing::TempDir dir;
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<TNoDiscs>(), dir.Path()};
    TMediaSet media{{}, files, nullptr};
};

TEST_F(SoundObjects, VolumeAttenuations) {
    const std::tuple<int, bool, int> cases[] = {
        {1000, false, 0}, {1, false, -4995}, {0, false, -10000}, {-5, false, -10000}, {500, false, -2500},
        {2000, false, 0}, {1000, true, 0}, {500, true, -5000}, {0, true, -10000}, {1, true, -9990},
    };
    for (const auto& [volume, midi, attenuation] : cases)
        EXPECT_EQ(TRuvoSound::Attenuation(volume, midi), attenuation) << volume << (midi ? " MIDI" : "");
}

TEST_F(SoundObjects, FadeValuesOnTheGameClock) {
    TDMediaItem& item = *media.Manager(TMediaKind::Ogg).Add("music.wav");
    struct Case {
        bool in, midi;
        int32_t from, to, e, value;
    } cases[] = {
        {true, false, -10000, 0, 0, -5000},   {true, false, -10000, 0, 500, -2500}, {true, false, -10000, 0, 1000, 0},
        {true, true, -10000, 0, 500, -5000},  {true, true, -10000, 0, 16, -9840},  {true, false, -10000, -2500, 500, -4375},
        {false, false, 0, -10000, 500, -2500}, {false, false, 0, -10000, 999, -4995}, {false, true, 0, -10000, 500, -5000},
        {false, false, -2000, -10000, 500, -4000},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TRuvoMixer> m;
        if (c.in) m = std::make_unique<TRuvoMixerFadein>(item, c.to, 1000, c.midi);
        else m = std::make_unique<TRuvoMixerFadeout>(item, 1000, c.midi);
        m->From = c.from;
        m->To = c.to;
        m->StartTime = 100000;
        EXPECT_EQ(m->ValueAt(100000 + c.e), c.value) << (c.in ? "in " : "out ") << c.from << ">" << c.to << " at " << c.e;
    }
}

TEST_F(SoundObjects, PlayModesAndTheirItems) {
    TRuvoSound& s = NewSound("bgm", "music.wav");
    ASSERT_NE(s.Item(), nullptr);
    Step(3);
    EXPECT_TRUE(GetFlagProperty(s, PR_PLAYING));
    EXPECT_NEAR(GetIntProperty(s, PR_INDEX), 48, 1);  // three frames mixed
    EXPECT_EQ(GetIntProperty(s, PR_COUNT), 5000);
    // A fade-in asked for with no delay starts at once, at the full volume.
    TRuvoSound& now = NewSound("now", "music.wav");
    now.FadeTime = 0;
    now.SetPlayMode(1);
    EXPECT_EQ(now.PlayMode, 0);
    EXPECT_EQ(now.Item()->GetVol(), 0);
    // Mode 2: the item goes back and so does the object, its name at once.
    now.SetPlayMode(2);
    EXPECT_EQ(Find("now"), nullptr);
    EXPECT_EQ(Items(), 1u);
    // Nothing plays for a name no manager takes, or a file that is not there; the fields stay.
    TRuvoSound& text = NewSound("text", "readme.txt");
    TRuvoSound& gone = NewSound("gone", "missing.wav");
    EXPECT_EQ(text.Item(), nullptr);
    EXPECT_EQ(gone.Item(), nullptr);
    SetProperty(gone, PR_VOLUME, 300);
    EXPECT_EQ(GetIntProperty(gone, PR_VOLUME), 300);
    EXPECT_EQ(GetIntProperty(gone, PR_COUNT), 0);
    EXPECT_FALSE(GetFlagProperty(gone, PR_PLAYING));
}

TEST_F(SoundObjects, AFadeOutFreesTheNameAtOnceAndEndsTheObject) {
    NewSound("bgm", "music.wav");
    Step(2);
    TRuvoSound& old = *Sound("bgm");
    old.FadeTime = 160;
    old.SetPlayMode(3);
    EXPECT_EQ(Find("bgm"), nullptr);
    EXPECT_EQ(old.Name, std::string("\x01SCRAP_bgm"));
    TRuvoSound& next = NewSound("bgm", "effect.wav");  // in the same frame
    EXPECT_EQ(Sound("bgm"), &next);
    Step(1);
    EXPECT_EQ(old.Item()->GetVol(), 0);  // the fade's first step takes the volume as it is
    Step(5);
    EXPECT_EQ(old.Item()->GetVol(), -2500);
    Step(5);
    EXPECT_EQ(Find(std::string("\x01SCRAP_bgm")), nullptr);
    EXPECT_EQ(Items(), 1u);
}

TEST_F(SoundObjects, TheEndRaisesOneEventOrScrapsTheObject) {
    TRuvoSound& plain = NewSound("plain", "click.wav");
    SetProperty(plain, PR_ONPLAYEND, std::string("p.rsb:end"));
    TRuvoSound& scrap = NewSound("scrap", "click.wav");
    SetProperty(scrap, PR_AUTOSCRAP, true);
    SetProperty(scrap, PR_ONPLAYEND, std::string("p.rsb:end"));
    TRuvoSound& loop = NewSound("loop", "click.wav");
    SetProperty(loop, PR_REPEAT, true);
    SetProperty(loop, PR_ONPLAYEND, std::string("p.rsb:end"));
    Step(6);
    EXPECT_EQ(Events(), std::vector<std::string>{"plain:43"});
    HandleAll();
    Step(6);
    EXPECT_TRUE(Events().empty());
    EXPECT_TRUE(plain.Ended);
    EXPECT_EQ(Find("scrap"), nullptr);
    EXPECT_TRUE(GetFlagProperty(loop, PR_PLAYING));
    // Repeat turned on after the end starts the sound again.
    SetProperty(plain, PR_REPEAT, true);
    EXPECT_FALSE(plain.Ended);
    Step(1);
    EXPECT_TRUE(GetFlagProperty(plain, PR_PLAYING));
}

TEST_F(SoundObjects, PauseSilencesAndResumesAndCountingKeepsNoItem) {
    TRuvoSound& s = NewSound("s", "music.wav");
    Step(2);
    SetProperty(s, PR_PAUSED, true);
    EXPECT_EQ(s.Item()->GetVol(), -10000);
    const int32_t at = GetIntProperty(s, PR_INDEX);
    Step(5);
    EXPECT_EQ(GetIntProperty(s, PR_INDEX), at);
    s.ResumePlayback();
    EXPECT_FALSE(s.Paused);
    EXPECT_EQ(s.Item()->GetVol(), 0);
    Step(1);
    EXPECT_EQ(GetIntProperty(s, PR_INDEX), at + 16);

    auto& idle = static_cast<TRuvoSound&>(*world.CreateByType(17));
    SetProperty(idle, PR_SOURCE, std::string("effect.wav"));
    EXPECT_EQ(GetIntProperty(idle, PR_COUNT), 2000);
    EXPECT_EQ(idle.Item(), nullptr);
    EXPECT_EQ(Items(), 1u);
}

TEST_F(SoundObjects, FrameListSoundTracksStartFadeAndStopTheirSounds) {
    TRuvoBox& player = Box("film", 0, 0, 10, 10);
    TSoundFrameList music, effect, missing;
    music.Name = "music.wav";
    music.StoredVolume = 500;
    music.StoredPan = 1500;
    music.Repeat = 1;
    music.FadeOut = 160;
    effect.Name = "effect.wav";
    effect.FadeIn = 160;
    missing.Name = "missing.wav";
    {
        TFilmSounds sounds(player);
        sounds.StartSound(music, music.Name);
        sounds.StartSound(missing, missing.Name);
        ASSERT_EQ(sounds.Playing(), 1u);
        EXPECT_EQ(sounds.ItemOf(missing), nullptr);
        sounds.StartSound(music, music.Name);  // the timeline came back: once more from the start
        EXPECT_EQ(Items(), 1u);
        const TDMediaItem* m = sounds.ItemOf(music);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->GetVol(), -2500);
        EXPECT_EQ(m->GetPan(), 5000);
        EXPECT_TRUE(m->GetAutoRepeat());
        EXPECT_TRUE(m->IsPlaying());
        sounds.StartSound(effect, effect.Name);
        EXPECT_EQ(Items(), 2u);
        EXPECT_EQ(sounds.ItemOf(effect)->GetVol(), -10000) << "a fade-in starts silent";
        for (int i = 0; i < 11; ++i) {
            Step(1);
            sounds.Step();
        }
        EXPECT_EQ(sounds.ItemOf(effect)->GetVol(), 0);
        sounds.StopSound(music);  // fades out over its 160 ms, then goes
        EXPECT_EQ(Items(), 2u);
        for (int i = 0; i < 12; ++i) {
            Step(1);
            sounds.Step();
        }
        EXPECT_EQ(Items(), 1u);
        EXPECT_EQ(sounds.ItemOf(music), nullptr);
        EXPECT_EQ(sounds.Playing(), 1u);
    }
    EXPECT_EQ(Items(), 0u) << "the sounds go with their player";
    EXPECT_EQ(TFilmSounds::TrackPan(1500), 5000);
    EXPECT_EQ(TFilmSounds::TrackPan(0), -10000);
}

struct LoadCase {
    const char* name;
    const char* source;
    bool repeat, rewind, mute, fadingOut;
    bool playsAfterLoad;
    int32_t volumeAfterLoad;
};

class SavedSounds : public SoundObjects, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(SavedSounds, LoadByTheirRules) {
    const LoadCase& c = GetParam();
    TRuvoSound& s = NewSound("s", c.source);
    SetProperty(s, PR_REPEAT, c.repeat);
    SetProperty(s, PR_REWINDONLOAD, c.rewind);
    SetProperty(s, PR_MUTEONLOAD, c.mute);
    SetProperty(s, PR_VOLUME, 800);
    Step(10);
    if (c.fadingOut) {
        // As a game stored while its music faded out: mode 3 under the sound's own name.
        s.FadeTime = 400;
        s.PlayMode = 3;
    }
    SaveAndReload();
    // A fading sound is renamed as it starts its fade again.
    TRuvoSound* loaded = Sound(c.fadingOut ? std::string("\x01SCRAP_s") : std::string("s"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(GetFlagProperty(*loaded, PR_PLAYING), c.playsAfterLoad);
    EXPECT_EQ(GetIntProperty(*loaded, PR_VOLUME), c.volumeAfterLoad);
    if (c.playsAfterLoad && !c.fadingOut) {
        EXPECT_NEAR(GetIntProperty(*loaded, PR_INDEX), c.rewind ? 0 : 160, 1);
    }
    if (c.fadingOut) {
        EXPECT_EQ(Find("s"), nullptr);
        ASSERT_NE(loaded->Mixer(), nullptr);
        EXPECT_TRUE(loaded->Mixer()->FadesOut());
        EXPECT_EQ(loaded->FadeTime, 400);
        Step(30);
        EXPECT_EQ(Items(), 0u) << "faded out again after loading";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SavedSounds,
    ::testing::Values(LoadCase{"ShortEffectStaysStopped", "effect.wav", false, false, false, false, false, 800},
                      LoadCase{"LongMusicPlaysOn", "music.wav", false, false, false, false, true, 800},
                      LoadCase{"RepeatingEffectPlaysOn", "effect.wav", true, false, false, false, true, 800},
                      LoadCase{"RewoundOnLoad", "music.wav", true, true, false, false, true, 800},
                      LoadCase{"MutedOnLoad", "music.wav", true, false, true, false, true, 0},
                      LoadCase{"FadeOutRestarted", "music.wav", true, false, false, true, true, 800}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace ruvo
