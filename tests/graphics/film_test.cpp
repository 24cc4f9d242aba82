// Frame lists: the file of every version and track kind, start-time chaining, easing, sounds and the
// base swaps of transition tracks, and what a damaged file does.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "film_helpers.hpp"
#include "graphics/film/filmease.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/film/filmsound.hpp"
#include "graphics/film/filmtransition.hpp"

namespace ruvo::test {
namespace {

// Little-endian record bytes written by hand, independent of the writer under test.
struct TBytes {
    std::vector<uint8_t> b;
    TBytes& Text(const char* s) {
        b.insert(b.end(), s, s + std::strlen(s));
        return *this;
    }
    TBytes& Int(int32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
        return *this;
    }
    TBytes& Byte(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    TBytes& Str(const char* s) { return Int(int32_t(std::strlen(s))).Text(s); }
    // kind, parent, length, priority, start, loop, mouse, three flags
    TBytes& Common(uint8_t kind, int32_t parent, int32_t length, int32_t start, int32_t loop = 0) {
        return Byte(kind).Int(parent).Int(length).Int(0).Int(start).Int(loop).Int(0).Byte(0).Byte(0).Byte(0);
    }
    // A sound record after the common part.
    TBytes& Sound(const char* name, int32_t volume, int32_t pan) {
        return Str(name).Int(volume).Int(pan).Int(0).Int(0).Byte(0).Byte(1);
    }
};

// Header of a motion file of that version, with `tracks` tracks following.
TBytes Header(int version, int32_t tracks, int32_t loopStart = 0) {
    TBytes h;
    h.Text(("RuvoMotion" + std::to_string(version)).c_str()).Int(640).Int(480).Int(-1);
    if (version > 101)
        h.Byte(1);
    if (version > 103)
        h.Int(5).Int(6);
    if (version > 105)
        h.Int(loopStart);
    return h.Int(tracks);
}

TEST(FilmFile, EveryKindAndVersionRoundTrips) {
    for (int version = kFilmMinVersion; version <= kFilmMaxVersion; ++version)
        for (const TFilmTrackKind& kind : FilmTrackKinds()) {
            SCOPED_TRACE(std::string(kind.Word) + " at version " + std::to_string(version));
            TFilmManager film;
            film.Version = version;
            film.Cinema = version % 2 == 0;
            TFilmFiller header(version, 7);
            film.SyncHeader(header);
            for (int i = 0; i < 2; ++i) {
                auto track = kind.Create();
                track->KindByte = kind.Kind | (i ? 0x80 : 0);  // the high bit is kept as it is
                TFilmFiller fill(version, i + 1);
                track->Sync(fill);
                film.AddTrack(std::move(track));
            }
            const std::vector<uint8_t> bytes = FilmBytes(film);
            TFilmManager again;
            ASSERT_TRUE(ReadFilm(again, bytes));
            EXPECT_EQ(again.Version, version);
            EXPECT_EQ(again.Cinema, film.Cinema);
            ASSERT_EQ(again.Count(), 2);
            for (int i = 0; i < 2; ++i) {
                TFilmCollector a(version), b(version);
                film.Track(i).Sync(a);
                again.Track(i).Sync(b);
                EXPECT_EQ(a.Lines, b.Lines);
                EXPECT_EQ(again.Track(i).KindByte, film.Track(i).KindByte);
            }
            TFilmCollector ha(version), hb(version);
            film.SyncHeader(ha);
            again.SyncHeader(hb);
            EXPECT_EQ(ha.Lines, hb.Lines);
            EXPECT_EQ(FilmBytes(again), bytes);
        }
}

TEST(FilmFile, HalfRateVersionsDoubleTimes) {
    // Version 106 stores time in units of two frames: length 30 is 60 frames; 107 stores frames.
    for (int version : {100, 105, 106, 107, 108}) {
        SCOPED_TRACE(version);
        TBytes file = Header(version, 1, 7);
        file.Common(4, -1, 30, 10, 4).Sound("a.wav", 0, 0);
        TFilmManager film;
        ASSERT_TRUE(ReadFilm(film, file.b));
        const int factor = version <= 106 ? 2 : 1;
        EXPECT_EQ(film.Track(0).Length, 30 * factor);
        EXPECT_EQ(film.Track(0).Start(), 10 * factor);
        EXPECT_EQ(film.Track(0).LoopPeriod, 4 * factor);
        EXPECT_EQ(film.LoopStart, version >= 106 ? 7 * factor : 0);
        EXPECT_EQ(film.Length(), 40 * factor);
        EXPECT_EQ(FilmBytes(film), file.b) << "written back as read";
    }
}

TEST(FilmFile, HeaderFieldsFollowTheVersion) {
    TFilmManager film;
    ASSERT_TRUE(ReadFilm(film, Header(103, 0).b));
    EXPECT_EQ(film.PositionRelative, 1);
    EXPECT_EQ(film.OffsetX, 0) << "the offset comes with version 104";
    ASSERT_TRUE(ReadFilm(film, Header(104, 0).b));
    EXPECT_EQ(film.OffsetX, 5);
    EXPECT_EQ(film.OffsetY, 6);
    ASSERT_TRUE(ReadFilm(film, Header(101, 0).b));
    EXPECT_EQ(film.PositionRelative, 0) << "the flag comes with version 102";
    EXPECT_EQ(film.StageWidth, 640);
}

TEST(FilmFile, OlderSoundValuesAreConverted) {
    for (int version : {107, 108}) {
        TBytes file = Header(version, 1);
        file.Common(4, -1, 10, 0).Sound("a.wav", -3000, 5000);
        TFilmManager film;
        ASSERT_TRUE(ReadFilm(film, file.b));
        const auto& sound = static_cast<const TSoundFrameList&>(film.Track(0));
        if (version == 107) {
            EXPECT_EQ(sound.Volume(), 700);
            EXPECT_EQ(sound.Pan(), 1500);
        } else {
            EXPECT_EQ(sound.Volume(), -3000);
        }
        EXPECT_EQ(FilmBytes(film), file.b);
    }
}

TEST(FilmFile, ZoomYBeforeVersion105IsTheZoomX) {
    TFilmManager film;
    film.Version = 104;
    auto track = NewTrack(0, 0, 10);
    auto& image = static_cast<TImageFrameList&>(*track);
    image.StartZoomX = 2, image.EndZoomX = 3, image.EaseZoomX = 1;
    image.StartZoomY = 9;  // not stored before 105
    film.AddTrack(std::move(track));
    TFilmManager again;
    ASSERT_TRUE(ReadFilm(again, FilmBytes(film)));
    const auto& read = static_cast<const TImageFrameList&>(again.Track(0));
    EXPECT_EQ(read.StartZoomY, 2);
    EXPECT_EQ(read.EndZoomY, 3);
    EXPECT_EQ(read.EaseZoomY, 1);
}

TEST(FilmFile, TimesAHalfRateVersionCannotHoldAreRefused) {
    TFilmManager film;
    film.Version = 106;
    film.AddTrack(NewTrack(4, 0, 31));
    TMemoryStream out;
    EXPECT_THROW(film.SaveToStream(out), ERuvoError);
    film.Version = 109;
    EXPECT_THROW(film.SaveToStream(out), ERuvoError);
}

TEST(FilmFile, OtherSignaturesLoadNothing) {
    const std::vector<std::string> signatures = {"RuvoMovie0108", "RuvoMotion10x", "RuvoMotion099", "RuvoMotion109",
                                                 "ruvomotion108", "RuvoMot"};
    for (const std::string& sig : signatures) {
        TFilmManager film;
        film.AddTrack(NewTrack(0, 0, 1));
        std::vector<uint8_t> bytes(sig.begin(), sig.end());
        const std::vector<uint8_t> rest = Header(108, 0).b;
        bytes.insert(bytes.end(), rest.begin() + 13, rest.end());
        EXPECT_FALSE(ReadFilm(film, bytes)) << sig;
        EXPECT_EQ(film.Count(), 0) << sig;
    }
}

TEST(FilmFile, DamageIsAClearErrorAndLeavesTheManagerEmpty) {
    TFilmManager good;
    for (const TFilmTrackKind& kind : FilmTrackKinds()) {
        auto track = kind.Create();
        track->KindByte = kind.Kind;
        TFilmFiller fill(kFilmMaxVersion, kind.Kind + 1);
        track->Sync(fill);
        good.AddTrack(std::move(track));
    }
    const std::vector<uint8_t> bytes = FilmBytes(good);
    // Every truncation past the signature is an error; within it the signature is unknown.
    for (size_t n = 0; n < bytes.size(); ++n) {
        TFilmManager film;
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + ptrdiff_t(n));
        if (n < 13) {
            EXPECT_FALSE(ReadFilm(film, cut));
        } else {
            try {
                ReadFilm(film, cut);
                ADD_FAILURE() << "a file cut at " << n << " of " << bytes.size() << " bytes was read";
            } catch (const ERuvoError& e) {
                EXPECT_NE(std::string(e.what()).find("anim\\test.rmt"), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(film.Count(), 0);
    }
    // Random corruption: an error or a frame list, never a crash or a hang (the sanitizers watch).
    std::mt19937 rng(17);
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bad = bytes;
        for (int k = 0; k < 1 + round % 4; ++k)
            bad[13 + rng() % (bad.size() - 13)] = uint8_t(rng());
        TFilmManager film;
        try {
            ReadFilm(film, bad);
            film.Update(int32_t(rng() % 1000));
        } catch (const ERuvoError&) {
            EXPECT_EQ(film.Count(), 0);
        }
    }
}

TEST(FilmFile, CountsAndKindsTheFileCannotHoldAreDamage) {
    TFilmManager film;
    EXPECT_THROW(ReadFilm(film, Header(108, 1 << 30).b), ERuvoError);
    EXPECT_THROW(ReadFilm(film, Header(108, -1).b), ERuvoError);
    TBytes unknown = Header(108, 1);
    unknown.Common(9, -1, 10, 0).Int(0).Int(0);
    try {
        ReadFilm(film, unknown.b);
        ADD_FAILURE();
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("unknown kind 9"), std::string::npos) << e.what();
    }
    // A half-rate time that doubles beyond 32 bits.
    TBytes huge = Header(106, 1);
    huge.Common(4, -1, 0x7FFFFFFF, 0).Sound("", 0, 0);
    EXPECT_THROW(ReadFilm(film, huge.b), ERuvoError);
}

// --- Timing ---

TEST(FilmTiming, ParentsChainStartTimes) {
    struct Case {
        const char* what;
        std::vector<std::pair<int32_t, int32_t>> tracks;  // (start, parent); every length is 40
        std::vector<int32_t> starts;
    };
    const Case cases[] = {
        {"a chain", {{0, -1}, {500, 0}, {7, 1}}, {0, 40, 80}},
        {"out of range parents are none", {{3, 5}, {9, -7}}, {3, 9}},
        {"a track is not its own parent", {{11, 0}}, {11}},
        {"a cycle is no parent for its tracks", {{1, 1}, {2, 0}, {3, 1}}, {1, 2, 42}},
        {"a track hanging off a cycle keeps it", {{1, 1}, {2, 0}, {3, 0}}, {1, 2, 41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFilmManager film;
        for (auto [start, parent] : c.tracks)
            film.AddTrack(NewTrack(4, start, 40, parent));
        film.Resolve();
        for (size_t i = 0; i < c.starts.size(); ++i)
            EXPECT_EQ(film.Track(int(i)).Start(), c.starts[i]) << "track " << i;
    }
}

TEST(FilmTiming, ALongChainResolvesWithoutDeepRecursion) {
    TFilmManager film;
    const int n = 200000;
    for (int i = 0; i < n; ++i)
        film.AddTrack(NewTrack(4, 0, 1, i - 1));
    film.Resolve();
    EXPECT_EQ(film.Track(n - 1).Start(), n - 1);
    EXPECT_EQ(film.Length(), n);
}

TEST(FilmTiming, EasingRules) {
    // (b, e, n, d, ease) -> value
    struct Case {
        int32_t b, e, n, d;
        uint8_t ease;
        int32_t want;
    };
    const Case cases[] = {
        {0, 100, 11, 0, EASE_LINEAR, 0},        {0, 100, 11, 5, EASE_LINEAR, 50},
        {0, 100, 11, 10, EASE_LINEAR, 100},     {0, 100, 3, 1, EASE_LINEAR, 50},
        {0, 7, 4, 2, EASE_LINEAR, 4},           {100, 0, 11, 9, EASE_LINEAR, 10},
        {0, 100, 10, 9, EASE_ACCELERATE, 100},  {0, 100, 10, 9, EASE_DECELERATE, 100},
        {0, 100, 10, 0, EASE_DECELERATE, 0},    {0, 100, 10, 0, EASE_ACCELERATE, 1},   // 100 - rnd(100 sin(81 deg))
        {0, 100, 10, 5, EASE_ACCELERATE, 41},   {0, 100, 10, 5, EASE_DECELERATE, 71},
        {5, 9, 1, 0, EASE_LINEAR, 9},           {5, 9, 0, 0, EASE_ACCELERATE, 9},      // no division by zero
        {5, 9, -3, 0, EASE_DECELERATE, 9},      {0, 100, 11, 5, 77, 50},                // unknown: linear
        {INT32_MIN, INT32_MAX, 3, 1, EASE_LINEAR, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EaseInt(c.b, c.e, c.n, c.d, c.ease), c.want)
            << c.b << " -> " << c.e << " over " << c.n << " at " << c.d << " ease " << int(c.ease);
    EXPECT_DOUBLE_EQ(EaseReal(1.0, 2.0, 5, 2, EASE_LINEAR), 1.5);
    EXPECT_DOUBLE_EQ(EaseReal(1.0, 2.0, 5, 4, EASE_ACCELERATE), 2.0);
    EXPECT_DOUBLE_EQ(EaseReal(1.0, 2.0, 0, 0, EASE_LINEAR), 2.0);
}

TEST(FilmTiming, TrackStepsCountOneMoreWhenAnotherFollows) {
    TFilmManager film;
    auto first = NewTrack(0, 0, 10);
    static_cast<TImageFrameList&>(*first).EndX = 100;
    film.AddTrack(std::move(first));
    auto second = NewTrack(0, 0, 10, 0);
    static_cast<TImageFrameList&>(*second).EndX = 300;
    film.AddTrack(std::move(second));
    film.Resolve();
    const auto& a = static_cast<const TImageFrameList&>(film.Track(0));
    const auto& b = static_cast<const TImageFrameList&>(film.Track(1));
    EXPECT_EQ(a.Steps(), 11);
    film.Update(9);
    EXPECT_EQ(a.CurX, 90) << "the first never shows the end value the second starts from";
    EXPECT_FALSE(b.Active());
    film.Update(10);
    EXPECT_FALSE(a.Active());
    EXPECT_EQ(b.CurX, 100) << "the second starts from the first's end";
    film.Update(19);
    EXPECT_EQ(b.CurX, 300) << "the last track reaches its end value exactly";
    film.Update(20);
    EXPECT_FALSE(b.Active());
}

TEST(FilmTiming, HoldingTracksKeepTheirEndState) {
    TFilmManager film;
    auto track = NewTrack(0, 5, 10);
    track->Hold = 1;
    static_cast<TImageFrameList&>(*track).EndX = 40;
    film.AddTrack(std::move(track));
    film.Resolve();
    const auto& t = static_cast<const TImageFrameList&>(film.Track(0));
    film.Update(4);
    EXPECT_FALSE(t.Active());
    film.Update(1000);
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.CurX, 40);
}

class TRecordingStage final : public TFilmStage {
public:
    std::vector<std::string> Calls;
    void ShowBase(int base) override { Calls.push_back("base " + std::to_string(base)); }
    void ShowTransition(const TWipeFrameList&, int from, int32_t elapsed, bool restart) override {
        Calls.push_back("wipe from " + std::to_string(from) + " at " + std::to_string(elapsed) + (restart ? " new" : ""));
    }
};

TEST(FilmTiming, TransitionTracksSwapTheBases) {
    TFilmManager film;
    film.AddTrack(NewTrack(3, 50, 50));   // frames 50..99
    film.AddTrack(NewTrack(3, 150, 0));   // no length: swaps at its start
    film.AddTrack(NewTrack(2, 0, 500));   // before the first: base 0
    film.AddTrack(NewTrack(2, 60, 500));  // begun during the first: base 1
    film.AddTrack(NewTrack(2, 150, 10));  // after both: base 0
    film.Resolve();
    EXPECT_EQ(film.Track(2).Base(), 0);
    EXPECT_EQ(film.Track(3).Base(), 1);
    EXPECT_EQ(film.Track(4).Base(), 0);
    TRecordingStage stage;
    film.SetStage(&stage);
    const std::vector<std::pair<int32_t, std::string>> steps = {
        {49, "base 0"}, {50, "wipe from 0 at 0 new"}, {98, "wipe from 0 at 48"}, {99, "wipe from 0 at 49"},
        {100, "base 1"}, {149, "base 1"}, {150, "base 0"}, {99, "wipe from 0 at 49 new"}, {10, "base 0"}};
    for (auto [time, call] : steps) {
        film.Update(time);
        EXPECT_EQ(stage.Calls.back(), call) << "at " << time;
        EXPECT_EQ(film.BaseIndex(), time >= 150 ? 0 : time >= 99 ? 1 : 0) << "at " << time;
    }
    // Inside a cinema the manager leaves the stage alone.
    stage.Calls.clear();
    film.PartOfCinema = true;
    film.Update(60);
    EXPECT_TRUE(stage.Calls.empty());
}

class TRecordingSounds final : public TFilmSoundOutput {
public:
    std::vector<std::string> Calls;
    void StartSound(const TSoundFrameList&, const std::string& name) override { Calls.push_back("start " + name); }
    void StopSound(const TSoundFrameList& t) override { Calls.push_back("stop " + t.Name); }
};

TEST(FilmTiming, SoundTracksStartWhenReached) {
    TFilmManager film;
    auto a = NewTrack(4, 10, 20);
    static_cast<TSoundFrameList&>(*a).Name = "..\\se\\a.wav";
    static_cast<TSoundFrameList&>(*a).StopAtEnd = 1;
    film.AddTrack(std::move(a));
    auto b = NewTrack(4, 40, 5);
    static_cast<TSoundFrameList&>(*b).Name = "b.wav";
    film.AddTrack(std::move(b));
    TMemoryStream bytes;
    film.SaveToStream(bytes);
    bytes.SetPosition(0);
    ASSERT_TRUE(film.LoadFromStream(bytes, "anim\\x.rmt"));
    TRecordingSounds sounds;
    film.SetSoundOutput(&sounds);
    for (int32_t t : {0, 9, 10, 15, 29, 30, 41, 50, 12, 60})
        film.Update(t);
    const std::vector<std::string> want = {"start se\\a.wav", "stop ..\\se\\a.wav", "start anim\\b.wav",
                                           "start se\\a.wav", "stop ..\\se\\a.wav"};
    EXPECT_EQ(sounds.Calls, want);
}

// --- Names ---

TEST(FilmNames, ResolveWithinTheGame) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"anim\\", "a.png", "anim\\a.png"},
        {"anim\\", "..\\bg\\x.png", "bg\\x.png"},
        {"anim\\sub\\", "..\\..\\..\\..\\x.png", "x.png"},
        {"anim\\", "\\bg\\x.png", "bg\\x.png"},
        {"anim\\", "C:\\bg\\..\\..\\x.png", "x.png"},
        {"", "./a/./b.png", "a\\b.png"},
        {"anim\\", "\x83\x5C\\a.png", "anim\\\x83\x5C\\a.png"},  // a trail byte 0x5C parts nothing
        {"anim\\", "", ""},
    };
    for (const auto& [folder, stored, want] : cases)
        EXPECT_EQ(ResolveFilmName(folder, stored), want) << folder << " + " << stored;
}

TEST(FilmNames, WrittenRelativeToTheFilesFolder) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"anim\\", "anim\\a.png", "a.png"},
        {"ANIM\\sub\\", "anim\\b.png", "..\\b.png"},
        {"anim\\sub\\", "bg\\x.png", "..\\..\\bg\\x.png"},
        {"", "bg\\x.png", "bg\\x.png"},
        {"anim\\", "anim.png", "..\\anim.png"},
    };
    for (const auto& [folder, game, want] : cases) {
        EXPECT_EQ(RelativeFilmName(folder, game), want) << folder << " + " << game;
        EXPECT_TRUE(SameTextSjis(ResolveFilmName(folder, want), game)) << "and back";
    }
}

} // namespace
} // namespace ruvo::test
