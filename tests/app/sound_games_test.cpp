// Whole games with sounds, run headless with --audio-out: the level of every 16 ms frame of the
// recording is held against the volume, pan and fade rules, and the events, the focus and the sound
// switch against what the script and the input did. The sound played is a constant signal written by
// the test, so that each frame's level is its gain.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "support/tempdir.hpp"

namespace ruvo {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr int kRate = 44100;
constexpr int16_t kLevel = 16384;  // the test signal: half of full scale on both channels

// A 16-bit stereo WAV of constant samples.
std::string ConstantWav(double seconds) {
    const uint32_t frames = static_cast<uint32_t>(seconds * kRate);
    const uint32_t bytes = frames * 4;
    std::string wav = "RIFF";
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) wav += char(v >> (8 * i)); };
    auto u16 = [&](uint16_t v) { wav += char(v & 0xFF); wav += char(v >> 8); };
    u32(36 + bytes);
    wav += "WAVEfmt ";
    u32(16), u16(1), u16(2), u32(kRate), u32(kRate * 4), u16(4), u16(16);
    wav += "data";
    u32(bytes);
    for (uint32_t i = 0; i < frames * 2; ++i) u16(static_cast<uint16_t>(kLevel));
    return wav;
}

// The gain of each channel in each 16 ms frame of a recording, as an attenuation in 1/100 dB
// (-10000 for silence).
struct FrameLevels {
    std::vector<int> left, right;
};

FrameLevels ReadLevels(const std::string& wav) {
    FrameLevels levels;
    size_t at = 12;
    while (at + 8 <= wav.size() && std::memcmp(wav.data() + at, "data", 4) != 0) {
        uint32_t size;
        std::memcpy(&size, wav.data() + at + 4, 4);
        at += 8 + size + (size & 1);
    }
    if (at + 8 > wav.size()) return levels;
    const int16_t* samples = reinterpret_cast<const int16_t*>(wav.data() + at + 8);
    const long long frames = static_cast<long long>(wav.size() - at - 8) / 4;
    auto level = [](double sum, long long n) {
        const double gain = sum / n / kLevel;
        return gain < 1e-4 ? -10000 : static_cast<int>(std::lround(2000 * std::log10(gain)));
    };
    for (long long k = 0;; ++k) {
        const long long first = k * 16 * kRate / 1000, end = (k + 1) * 16 * kRate / 1000;
        if (end > frames) break;
        double l = 0, r = 0;
        for (long long i = first; i < end; ++i) {
            l += std::abs(samples[2 * i]);
            r += std::abs(samples[2 * i + 1]);
        }
        levels.left.push_back(level(l, end - first));
        levels.right.push_back(level(r, end - first));
    }
    return levels;
}

// How far a level read from 16-bit samples may be from the exact one: rounding a sample moves a low
// level by more hundredths of a decibel than a high one.
double Slack(int expected) {
    const double amplitude = kLevel * std::pow(10.0, expected / 2000.0);
    return 2 + 2000 * std::log10(1 + 1 / amplitude);
}

int FirstSounding(const std::vector<int>& channel, int from = 0) {
    for (int k = from; k < static_cast<int>(channel.size()); ++k)
        if (channel[static_cast<size_t>(k)] > -10000) return k;
    return -1;
}

struct SoundGame {
    const char* name;
    const char* script;  // the start page after its label
    const char* input;   // scripted input, or ""
    std::function<void(const FrameLevels&)> check;
};

class SoundGames : public ::testing::TestWithParam<SoundGame> {
protected:
    FrameLevels Play(const SoundGame& g) {
        WriteFile(dir / "src" / "project.rvp", "title = \"音\"\nscreen = 32, 24\nstart = \"main.rsb\"\nvar int ends = 0\n");
        WriteFile(dir / "src" / "main.rvs", std::string("*start\n") + g.script +
                                                   "\nWait time: 10000\nExit\n*ended\nCalc ends = ends + 1\nExit\n");
        WriteFile(dir / "src" / "dc.wav", ConstantWav(3));
        WriteFile(dir / "src" / "click.wav", ConstantWav(0.1));
        WriteFile(dir / "input.txt", g.input);
        const std::string log = (dir / "log.txt").string();
        EXPECT_EQ(Run(std::string(RUVO_TOOL_PATH) + " build " + (dir / "src").string() + " -o " + (dir / "game").string() +
                      " > " + log + " 2>&1"),
                  0)
            << ReadFile(dir / "log.txt");
        EXPECT_EQ(Run(std::string(RUVO_PLAYER_PATH) + " --headless --frames 200 --input " + (dir / "input.txt").string() +
                      " --audio-out " + (dir / "out.wav").string() + " --dump-vars " + (dir / "vars.txt").string() + " " +
                      (dir / "game").string() + " > " + log + " 2>&1"),
                  0)
            << ReadFile(dir / "log.txt");
        return ReadLevels(ReadFile(dir / "out.wav"));
    }
    static int Run(const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    TempDir dir;
};

TEST_P(SoundGames, FollowTheRulesFrameByFrame) {
    const FrameLevels levels = Play(GetParam());
    ASSERT_EQ(levels.left.size(), 200u) << "200 frames of 16 ms";
    GetParam().check(levels);
    if (::testing::Test::HasFailure()) ADD_FAILURE() << "player said: " << ReadFile(dir / "log.txt");
}

// "ref" plays on the left only and marks the frame the sounds start in; the sound under test plays on
// the right only.
const SoundGame kGames[] = {
    {"FadeInStartsSilentThenRisesThroughTheUpperHalf",
     "Sound PR_NAME = \"ref\", PR_SOURCE = \"dc.wav\", PR_BALANCE = -10000\n"
     "Sound PR_NAME = \"s\", PR_SOURCE = \"dc.wav\", PR_BALANCE = 10000, PR_DELAY = 1000\n"
     "Wait time: 2000",
     "",
     [](const FrameLevels& l) {
         const int k0 = FirstSounding(l.left);
         ASSERT_GE(k0, 0);
         EXPECT_EQ(l.right[k0], -10000) << "the first frame of a fade-in is silent";
         for (int j = 1; j < 70; ++j) {
             const int e = 16 * j;
             const int expected = e < 1000 ? -5000 + 5 * e : 0;
             EXPECT_NEAR(l.right[k0 + j], expected, Slack(expected)) << "at " << e << " ms";
         }
     }},
    {"FadeOutFallsToHalfThenTheSoundGoes",
     "Sound PR_NAME = \"ref\", PR_SOURCE = \"dc.wav\", PR_BALANCE = -10000\n"
     "Sound PR_NAME = \"s\", PR_SOURCE = \"dc.wav\", PR_BALANCE = 10000\n"
     "Wait time: 320\nMovieStop \"s\", 1000\nWait time: 1500",
     "",
     [](const FrameLevels& l) {
         const int k0 = FirstSounding(l.left);
         int k1 = k0;
         while (k1 + 1 < static_cast<int>(l.right.size()) && l.right[k1 + 1] > -3) ++k1;
         EXPECT_NEAR(k1 - k0, 20, 1) << "the fade begins after the 320 ms wait";
         for (int j = 1; j < 63; ++j) EXPECT_NEAR(l.right[k1 + j], -80 * j, Slack(-80 * j)) << "at " << 16 * j << " ms";
         EXPECT_NEAR(l.right[k1 + 31], -2480, 2) << "about -2500 at 500 ms";
         EXPECT_EQ(l.right[k1 + 63], -10000) << "gone once the fade time has passed";
         EXPECT_EQ(l.left[k1 + 63], 0) << "the other sound plays on";
     }},
    {"VolumesMapToTheUpperHalfOfTheRange",
     "Sound PR_NAME = \"a\", PR_SOURCE = \"dc.wav\", PR_VOLUME = 1, PR_BALANCE = -10000\n"
     "Sound PR_NAME = \"b\", PR_SOURCE = \"dc.wav\", PR_VOLUME = 500, PR_BALANCE = 10000\n"
     "Wait time: 200\nSetProp \"b\", PR_VOLUME, 0\nWait time: 1000",
     "",
     [](const FrameLevels& l) {
         const int k0 = FirstSounding(l.left);
         EXPECT_NEAR(l.left[k0 + 3], -4995, Slack(-4995));
         EXPECT_NEAR(l.right[k0 + 3], -2500, 2);
         EXPECT_EQ(l.right[k0 + 30], -10000) << "volume 0 is silence";
     }},
    {"PanLowersTheOtherSide",
     "Sound PR_NAME = \"a\", PR_SOURCE = \"dc.wav\", PR_BALANCE = 2000\nWait time: 200\n"
     "SetProp \"a\", PR_BALANCE, -600\nWait time: 1000",
     "",
     [](const FrameLevels& l) {
         const int k0 = FirstSounding(l.left);
         EXPECT_NEAR(l.left[k0 + 2], -2000, 2);
         EXPECT_NEAR(l.right[k0 + 2], 0, 2);
         EXPECT_NEAR(l.left[k0 + 30], 0, 2);
         EXPECT_NEAR(l.right[k0 + 30], -600, 2);
     }},
    {"FocusLossPausesAndTheSwitchSilences",
     "Sound PR_NAME = \"a\", PR_SOURCE = \"dc.wav\", PR_REPEAT = TRUE\nWait time: 1600\n"
     "Calc @SoundON = FALSE\nWait time: 320\nCalc @SoundON = TRUE\nWait time: 1000",
     "20 focus out\n40 focus in\n",
     [](const FrameLevels& l) {
         std::vector<int> silentRuns;
         int run = 0;
         for (size_t k = static_cast<size_t>(FirstSounding(l.left)); k < l.left.size(); ++k) {
             if (l.left[k] == -10000) ++run;
             else if (run > 0) silentRuns.push_back(run), run = 0;
         }
         ASSERT_EQ(silentRuns.size(), 2u) << "one gap for the focus, one for @SoundON";
         EXPECT_EQ(silentRuns[0], 20);
         EXPECT_NEAR(silentRuns[1], 20, 1);
         EXPECT_EQ(l.left[19], 0);
         EXPECT_EQ(l.left[20], -10000);
         EXPECT_EQ(l.left[40], 0);
     }},
};

INSTANTIATE_TEST_SUITE_P(Levels, SoundGames, ::testing::ValuesIn(kGames), [](const auto& info) { return std::string(info.param.name); });

class SoundEvents : public SoundGames {};

TEST_F(SoundEvents, AnEndedSoundRaisesItsEventOnceOrGoesWithAutoScrap) {
    const SoundGame game{"events",
                         "Sound PR_NAME = \"plain\", PR_SOURCE = \"click.wav\", PR_ONPLAYEND = \"main.rsb:ended\"\n"
                         "Sound PR_NAME = \"auto\", PR_SOURCE = \"click.wav\", PR_AUTOSCRAP = TRUE, PR_ONPLAYEND = \"main.rsb:ended\"\n"
                         "Sound PR_NAME = \"loop\", PR_SOURCE = \"click.wav\", PR_REPEAT = TRUE, PR_ONPLAYEND = \"main.rsb:ended\"\n"
                         "Sound PR_NAME = \"none\", PR_SOURCE = \"missing.ogg\"\n"
                         "Sound PR_NAME = \"text\", PR_SOURCE = \"main.rsb\"\n"
                         "Wait time: 1000\n"
                         "VarNew \"plainThere\", flag, Exists(\"plain\"), 0\nVarNew \"autoThere\", flag, Exists(\"auto\"), 0\n"
                         "VarNew \"noneThere\", flag, Exists(\"none\") & Exists(\"text\"), 0\nWait time: 100",
                         "", nullptr};
    Play(game);
    const std::string vars = ReadFile(dir / "vars.txt");
    EXPECT_NE(vars.find("ends=1\n"), std::string::npos) << vars;
    EXPECT_NE(vars.find("plainThere=TRUE"), std::string::npos) << vars;
    EXPECT_NE(vars.find("autoThere=FALSE"), std::string::npos) << vars;
    EXPECT_NE(vars.find("noneThere=TRUE"), std::string::npos) << "a missing file leaves a silent object" << vars;
    EXPECT_EQ(ReadFile(dir / "log.txt").find("missing.ogg"), std::string::npos) << "nothing said of a file not there";
}

} // namespace
} // namespace ruvo
