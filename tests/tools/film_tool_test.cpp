// Frame lists in the tools: source built into ".rmt" and written back byte for byte (every kind and
// version), source errors, dump listings, and rmt render putting a sprite where its timeline says.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "archive/streams.hpp"
#include "graphics/film_helpers.hpp"
#include "graphics/film/filmimage.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/film/filmrect.hpp"
#include "graphics/images/pngfile.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"
#include "tools/filmsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {
namespace {

namespace fs = std::filesystem;
using ruvo::test::TFilmFiller;
using ruvo::testing::ReadFile;
using ruvo::testing::RunRuvotool;
using ruvo::testing::ToolRun;
using ruvo::testing::TempDir;
using ruvo::testing::WriteFile;

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

std::vector<uint8_t> Bytes(TFilmManager& film) {
    TMemoryStream s;
    film.SaveToStream(s);
    return s.Bytes();
}

TEST(FilmSource, EveryKindAndVersionComesBackByteForByte) {
    for (int version = kFilmMinVersion; version <= kFilmMaxVersion; ++version) {
        SCOPED_TRACE(version);
        TFilmManager film;
        film.Version = version;
        film.Cinema = version % 2 != 0;
        TFilmFiller header(version, 3);
        film.SyncHeader(header);
        for (const TFilmTrackKind& kind : FilmTrackKinds()) {
            auto track = kind.Create();
            track->KindByte = uint8_t(kind.Kind | (kind.Kind % 3 == 0 ? 0x80 : 0));
            TFilmFiller fill(version, kind.Kind + 5);
            track->Sync(fill);
            film.AddTrack(std::move(track));
        }
        // Reals and texts that need care: not finite, negative zero, bytes that are no character.
        auto& particle = dynamic_cast<TParticleFrameList&>(film.Track(6));
        particle.Param1 = std::numeric_limits<double>::quiet_NaN();
        particle.Param2 = -0.0;
        particle.Param3 = 1.0 / 3;
        particle.Source = "\x83\x5C\\\xFF\"a\"\n";
        const std::vector<uint8_t> bytes = Bytes(film);
        const std::string source = WriteFilmSource(film);
        TFilmManager built;
        BuildFilmSource(source, "x.rvm", built);
        EXPECT_EQ(Bytes(built), bytes) << source;
        EXPECT_EQ(WriteFilmSource(built), source);
    }
}

TEST(FilmSource, MistakesNameTheirLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"track image\n", "x.rvm:1: a frame list starts with"},
        {"cinema 109\n", "x.rvm:1: version: 109 is out of range"},
        {"cinema 108\ntrack sprite\n", "x.rvm:2: unknown track kind \"sprite\""},
        {"cinema 108\ntrack image low\n", "x.rvm:2: after the kind only"},
        {"cinema 108\ntrack image\n  length = 5\n  length = 6\n", "x.rvm:4: length is given twice (first at line 3)"},
        {"cinema 108\ntrack box\n  name = \"a.png\"\n", "x.rvm:3: box tracks have no field \"name\" at version 108"},
        {"cinema 100\ntrack image\n  src_start_x = 1\n", "x.rvm:3: image tracks have no field \"src_start_x\" at version 100"},
        {"cinema 108\nzoom = 2\n", "x.rvm:2: the header have no field \"zoom\""},
        {"motion 106\ntrack sound\n  length = 31\n", "x.rvm:3: length: 31 is odd: version 106 counts time"},
        {"motion 108\ntrack image\n  ease_x = sideways\n", "x.rvm:3: ease_x: a whole number is expected"},
        {"motion 108\ntrack image\n  flip_h = 256\n", "x.rvm:3: flip_h: 256 is out of range"},
        {"motion 108\ntrack image\n  start_zoom_x = big\n", "x.rvm:3: start_zoom_x: a number is expected"},
        {"motion 108\ntrack image\n  name = a.png\n", "x.rvm:3: name: "},
        {"motion 108\ntrack image\n  start_x\n", "x.rvm:3: write NAME = VALUE"},
    };
    for (const auto& [source, want] : cases) {
        TFilmManager film;
        try {
            BuildFilmSource(source, "x.rvm", film);
            ADD_FAILURE() << "built: " << source;
        } catch (const ESourceError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(want, 0), 0u) << e.what();
        }
    }
}

TEST(FilmSource, LeftOutFieldsTakeTheirDefaults) {
    TFilmManager film;
    BuildFilmSource("cinema 108  # a cinema\nstage_width = 64\n\ntrack image\n    length = 10\n    end_x = 9\n"
                    "    ease_x = decelerate\n    flip_h = true\n",
                    "x.rvm", film);
    ASSERT_EQ(film.Count(), 1);
    EXPECT_TRUE(film.Cinema);
    EXPECT_EQ(film.StageWidth, 64);
    EXPECT_EQ(film.Color, -1);
    const auto& image = dynamic_cast<const TImageFrameList&>(film.Track(0));
    EXPECT_EQ(image.Length, 10);
    EXPECT_EQ(image.EaseX, 2);
    EXPECT_EQ(image.FlipH, 1);
    EXPECT_EQ(image.StartZoomX, 1.0);
    EXPECT_EQ(image.StartAlpha, 255);
    EXPECT_EQ(film.Length(), 10);
}

// A game whose only picture is a 6 x 4 red sprite, with a motion that moves it right with easing
// and then, chained, down; and a second frame list in a folder that names it with "..".
struct TGame {
    TempDir dir;
    TGame() {
        WriteFile(dir / "src/project.rvp", "title = \"t\"\nstart = \"main.rsb\"\n");
        WriteFile(dir / "src/main.rvs", "Calc 1\n");
        TPngPicture sprite{6, 4, true, std::vector<uint32_t>(24, 0xFFFF0000u)};
        fs::create_directories(dir / "src/pic");
        SavePngArgb(sprite, dir / "src/pic/sprite.png");
        WriteFile(dir / "src/move.rvm",
                  "motion 108\nstage_width = 200\nstage_height = 100\n"
                  "track image\n    length = 60\n    start_y = 10\n    end_x = 120\n    end_y = 10\n"
                  "    ease_x = decelerate\n    name = \"pic\\\\sprite.png\"\n"
                  "track image\n    parent = 0\n    length = 30\n    end_x = 120\n    end_y = 70\n"
                  "    name = \"pic/sprite.png\"\n");
        WriteFile(dir / "src/sub/far.rvm",
                  "cinema 104\nstage_width = 50\nstage_height = 50\ncolor = 0x0\n"
                  "track image\n    length = 20\n    start_x = 4\n    end_x = 4\n    name = \"..\\\\pic\\\\sprite.png\"\n"
                  "track sound\n    length = 8\n    start = 2\n    name = \"se.wav\"\n");
    }
};

TEST(FilmTool, BuiltDumpedAndBuiltAgainGivesTheSameBytes) {
    TGame game;
    // color = 0x0 is no number the source reads.
    ToolRun bad = RunRuvotool("build " + Q(game.dir / "src") + " -o " + Q(game.dir / "out"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.out.find("far.rvm:4: color:"), std::string::npos) << bad.out;
    WriteFile(game.dir / "src/sub/far.rvm", ReadFile(game.dir / "src/sub/far.rvm").replace(
                                                 ReadFile(game.dir / "src/sub/far.rvm").find("0x0"), 3, "0"));
    ToolRun built = RunRuvotool("build --loose " + Q(game.dir / "src") + " -o " + Q(game.dir / "out"));
    ASSERT_EQ(built.code, 0) << built.out;
    for (const char* name : {"move.rmt", "sub/far.rmt"}) {
        SCOPED_TRACE(name);
        const fs::path rmt = game.dir / "out" / name;
        ToolRun source = RunRuvotool("dump --source " + Q(rmt), false);
        ASSERT_EQ(source.code, 0) << source.out;
        WriteFile(game.dir / "again/project.rvp", "title = \"t\"\nstart = \"main.rsb\"\n");
        WriteFile(game.dir / "again/main.rvs", "Calc 1\n");
        WriteFile(game.dir / "again/x.rvm", source.out);
        ToolRun again = RunRuvotool("build --loose " + Q(game.dir / "again") + " -o " + Q(game.dir / "out2"));
        ASSERT_EQ(again.code, 0) << again.out;
        EXPECT_EQ(ReadFile(game.dir / "out2/x.rmt"), ReadFile(rmt));
    }
    const ToolRun listing = RunRuvotool("dump " + Q(game.dir / "out/move.rmt"));
    ASSERT_EQ(listing.code, 0) << listing.out;
    EXPECT_NE(listing.out.find("length 90 frames (1.500 s"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("0  image (TImageFrameList)  frames 0..59, no parent, followed, base 0"),
              std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("1  image (TImageFrameList)  frames 60..89, after track 0, base 0"), std::string::npos);
    EXPECT_NE(listing.out.find("ease_x=decelerate"), std::string::npos);
    const ToolRun old = RunRuvotool("dump " + Q(game.dir / "out/sub/far.rmt"));
    EXPECT_NE(old.out.find("cinema 104"), std::string::npos) << old.out;
    EXPECT_EQ(old.out.find("loop_start"), std::string::npos) << "not stored before 106";
    EXPECT_NE(old.out.find("sound (TSoundFrameList)  frames 2..9"), std::string::npos) << old.out;
}

// The box of the sprite's red pixels in a rendered PNG.
struct TBox {
    int32_t left = INT32_MAX, top = INT32_MAX, right = 0, bottom = 0;
    bool operator==(const TBox&) const = default;
};
TBox RedBox(const fs::path& png) {
    const TPngPicture p = LoadPngFile(png);
    TBox box;
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x)
            if ((p.argb[size_t(y) * p.width + x] & 0xFFFFFF) == 0xFF0000)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    return box;
}

TEST(FilmTool, RenderPutsTheSpriteWhereTheTimelineDoes) {
    TGame game;
    WriteFile(game.dir / "src/sub/far.rvm", "motion 108\n");
    ASSERT_EQ(RunRuvotool("build " + Q(game.dir / "src") + " -o " + Q(game.dir / "game")).code, 0);
    // The first track decelerates over 61 steps (the second chains after it): x = rnd(sin(d x 90 / 61
    // degrees) x 120). The second starts from the first's end and goes down linearly: y = 10 + d x 60 / 29.
    const std::vector<std::pair<std::string, TBox>> cases = {
        {"--frame 0", {0, 10, 6, 14}},
        {"--frame 20", {59, 10, 65, 14}},   // sin(29.5 degrees) x 120 = 59.1
        {"--at 500", {84, 10, 90, 14}},     // frame 30: sin(44.3 degrees) x 120 = 83.8
        {"--frame 59", {120, 10, 126, 14}},  // 119.8
        {"--frame 75", {120, 41, 126, 45}},  // 10 + 15 x 60 / 29 = 41
        {"--frame 89", {120, 70, 126, 74}},  // the last step: exactly the end
    };
    for (auto [when, box] : cases) {
        SCOPED_TRACE(when);
        const fs::path out = game.dir / "out.png";
        const ToolRun run = RunRuvotool("rmt render " + Q(game.dir / "game/game.dat") + ":move.rmt " + when + " -o " + Q(out));
        ASSERT_EQ(run.code, 0) << run.out;
        const TPngPicture picture = LoadPngFile(out);
        EXPECT_EQ(picture.width, 200);
        EXPECT_EQ(picture.height, 100);
        EXPECT_EQ(RedBox(out), box);
    }
    // By name in the game folder, elsewhere on a stage of another size.
    const ToolRun named = RunRuvotool("rmt render move.rmt --game " + Q(game.dir / "game") +
                                      " --frame 0 --size 40x30 --anchor 5,7 -o " + Q(game.dir / "named.png"));
    ASSERT_EQ(named.code, 0) << named.out;
    EXPECT_EQ(RedBox(game.dir / "named.png"), (TBox{5, 17, 11, 21}));
    // After the end nothing is shown.
    ASSERT_EQ(RunRuvotool("rmt render " + Q(game.dir / "game/game.dat") + ":move.rmt --frame 90 -o " +
                          Q(game.dir / "end.png")).code, 0);
    EXPECT_EQ(RedBox(game.dir / "end.png"), TBox{});
}

// A label track's text is drawn in its colour where the track puts it, and only there.
TEST(FilmTool, RenderDrawsLabelTracksText) {
    TempDir dir;
    WriteFile(dir / "src/project.rvp", "title = \"t\"\nstart = \"main.rsb\"\n");
    WriteFile(dir / "src/main.rvs", "Calc 1\n");
    WriteFile(dir / "src/caption.rvm",
              "motion 108\nstage_width = 120\nstage_height = 60\n"
              "track label\n    length = 10\n    start_x = 20\n    end_x = 20\n    start_y = 30\n    end_y = 30\n"
              "    text = \"Hello\"\n    font_height = 16\n    font_color = 255\n    antialias = 0\n");
    ASSERT_EQ(RunRuvotool("build " + Q(dir / "src") + " -o " + Q(dir / "game")).code, 0);
    const fs::path out = dir / "label.png";
    const ToolRun run = RunRuvotool("rmt render " + Q(dir / "game/game.dat") + ":caption.rmt --frame 3 -o " + Q(out));
    ASSERT_EQ(run.code, 0) << run.out;
    const TBox box = RedBox(out);
    EXPECT_GE(box.left, 20);
    EXPECT_GE(box.top, 30);
    EXPECT_LT(box.left, 30);
    EXPECT_LE(box.bottom, 30 + 16);
    EXPECT_GT(box.right - box.left, 16);  // five letters
}

TEST(FilmTool, RenderRefusesWhatItCannotDraw) {
    TempDir dir;
    WriteFile(dir / "x.rmt", "RuvoMotion109 and more");
    const ToolRun other = RunRuvotool("rmt render " + Q(dir / "x.rmt") + " --frame 0 -o " + Q(dir / "o.png"));
    EXPECT_EQ(other.code, 1);
    EXPECT_NE(other.out.find("not a frame list the player reads"), std::string::npos) << other.out;
    WriteFile(dir / "y.rmt", "RuvoMotion108\x01");
    const ToolRun cut = RunRuvotool("rmt render " + Q(dir / "y.rmt") + " --frame 0 -o " + Q(dir / "o.png"));
    EXPECT_EQ(cut.code, 1);
    EXPECT_NE(cut.out.find("y.rmt"), std::string::npos) << cut.out;
    for (const char* usage : {"--size 0x4", "--size big", "--anchor 1", "--at 1 --frame 2"}) {
        const ToolRun run = RunRuvotool("rmt render " + Q(dir / "x.rmt") + " " + usage + " -o " + Q(dir / "o.png"));
        EXPECT_EQ(run.code, 2) << usage << "\n" << run.out;
    }
    EXPECT_EQ(RunRuvotool("rmt render --help").code, 0);
}

} // namespace
} // namespace ruvo::tools
