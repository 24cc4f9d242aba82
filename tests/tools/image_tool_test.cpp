// ruvotool image end to end: pack pictures, inspect them, export them back, from files, archives and
// game folders; the loose formats; usage errors.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "archive/bigstreams.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/images/bmpfile.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/tgafile.hpp"
#include "script/project.hpp"
#include "support/tempdir.hpp"
#include "support/toolrun.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::RunRuvotool;
using testing::TempDir;

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

// Smooth colours (JPEG-friendly) with a random alpha of 0, 255 or between.
TPngPicture Picture(uint32_t seed, int32_t w, int32_t h, bool alpha) {
    std::mt19937 rng(seed);
    TPngPicture p{w, h, alpha, {}};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t a = !alpha ? 255 : rng() % 3 == 0 ? 0 : rng() % 2 ? 255 : rng() % 256;
            p.argb.push_back(a << 24 | uint32_t(x * 6 + seed) % 256 << 16 | uint32_t(y * 8) % 256 << 8 | 0x40);
        }
    return p;
}

// Largest difference of a colour channel; alpha must match exactly.
int ColourError(const TPngPicture& a, const TPngPicture& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    if (a.argb.size() != b.argb.size())
        return 256;
    int worst = 0;
    for (size_t i = 0; i < a.argb.size(); ++i) {
        EXPECT_EQ(a.argb[i] >> 24, b.argb[i] >> 24) << "alpha of pixel " << i;
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int((a.argb[i] >> shift) & 255) - int((b.argb[i] >> shift) & 255)));
    }
    return worst;
}

TEST(ImageTool, PackedPicturesExportBackAsTheyWere) {
    TempDir dir;
    const std::vector<TPngPicture> inputs = {Picture(1, 40, 30, true), Picture(2, 40, 30, false), Picture(1, 40, 30, true)};
    std::string names;
    for (size_t i = 0; i < inputs.size(); ++i) {
        SavePngArgb(inputs[i], dir / ("in" + std::to_string(i) + ".png"));
        names += " " + Q(dir / ("in" + std::to_string(i) + ".png"));
    }
    struct Case {
        const char* options;
        const char* key;  // the key option given to export
        int tolerance;
        const char* infoLines;
    } cases[] = {
        {"", "", 0, "compression: deflate\ntiles: none\npermuted: no\n"},
        {"--mode raw --tile 16x8 --key 0x2345", " --key 9029", 0, "compression: raw\ntiles: 16 x 8\npermuted: yes\n"},
        {"--mode deflate --tile 7x7 --key -5", " --key -5", 0, "tiles: 7 x 7\npermuted: yes\n"},
        {"--mode jpeg --quality 95 --key 77 --delay 40", " --key 77", 12, "compression: jpeg\njpeg quality: 95\n"},
    };
    for (const Case& c : cases) {
        const fs::path out = dir / "out.zph";
        const auto pack = RunRuvotool("image pack" + names + " -o " + Q(out) + " " + c.options);
        ASSERT_EQ(pack.code, 0) << c.options << ": " << pack.out;
        const auto info = RunRuvotool("image info " + Q(out));
        ASSERT_EQ(info.code, 0) << info.out;
        EXPECT_NE(info.out.find("version: 106\nsize: 40 x 30\nbit count: 32\nframes: 3\n"), std::string::npos) << info.out;
        EXPECT_NE(info.out.find(c.infoLines), std::string::npos) << c.options << "\n" << info.out;
        EXPECT_NE(info.out.find("frame 1: name \"Frame2\", delay " + std::string(std::strstr(c.options, "--delay 40") ? "40" : "100")),
                  std::string::npos) << info.out;
        EXPECT_NE(info.out.find("  layer 0: visible, opacity 255, mask none"), std::string::npos) << "frame 1 is opaque";

        const auto all = RunRuvotool("image export " + Q(out) + " --all -o " + Q(dir / "frames") + c.key);
        ASSERT_EQ(all.code, 0) << all.out;
        for (size_t i = 0; i < inputs.size(); ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "out-%03zu.png", i);
            EXPECT_LE(ColourError(inputs[i], LoadPngFile(dir / "frames" / name)), c.tolerance) << c.options << " frame " << i;
        }
        // One frame to standard output is the same file.
        const auto one = RunRuvotool("image export " + Q(out) + " --frame 2 -o -" + std::string(c.key), false);
        ASSERT_EQ(one.code, 0);
        EXPECT_EQ(one.out, testing::ReadFile(dir / "frames" / "out-002.png"));
        fs::remove_all(dir / "frames");
    }
    // Frame 2 repeats frame 0: in raw tiles it is all references.
    ASSERT_EQ(RunRuvotool("image pack" + names + " -o " + Q(dir / "t.zph") + " --mode raw --tile 8x8").code, 0);
    const auto info = RunRuvotool("image info " + Q(dir / "t.zph") + " --key 0");
    EXPECT_NE(info.out.find("frame 2: name \"Frame3\", delay 100 ms, transparent value -1, 1 layer\n"
                            "  layer 0: visible, opacity 255, mask used, transparent value -1, colour 160 bytes, mask 160 bytes"),
              std::string::npos) << info.out;  // 5 x 4 tiles of 8 bytes
    EXPECT_NE(info.out.find("decoded with key 0: ok"), std::string::npos);
    // A name without a known picture extension is read as a layered image, as the player does.
    fs::copy_file(dir / "t.zph", dir / "noext");
    EXPECT_NE(RunRuvotool("image info " + Q(dir / "noext")).out.find("format: layered image\nversion: 106\nsize: 40 x 30"),
              std::string::npos);
}

TEST(ImageTool, PicturesComeFromArchivesAndGameFoldersWithTheirKey) {
    TempDir dir;
    const TPngPicture input = Picture(3, 12, 9, true);
    SavePngArgb(input, dir / "in.png");
    ASSERT_EQ(RunRuvotool("image pack " + Q(dir / "in.png") + " -o " + Q(dir / "title.zph") + " --key 31337").code, 0);

    // A game folder whose project carries the key, with the picture in its game.dat.
    fs::create_directories(dir / "game");
    TProjectFile project;
    project.ImageKey = 31337;
    TMemoryStream rpb;
    project.SaveToStream(rpb);
    rpb.SaveToFile(dir / "game" / "ruvo.rpb");
    TVrFileCollection archive;
    TMemoryStream picture;
    picture.LoadFromFile(dir / "title.zph");
    archive.AddMemoryFile("bg\\title.zph").Data->Write(picture.Memory(), picture.Size());
    {
        TGxBigFileStream out(dir / "game" / "game.dat", bigmode::Create);
        ASSERT_TRUE(archive.WriteTo(out));
    }

    const auto fromGame = RunRuvotool("image export --game " + Q(dir / "game") + " 'BG\\Title.zph' -o " + Q(dir / "g.png"));
    ASSERT_EQ(fromGame.code, 0) << fromGame.out;
    EXPECT_EQ(ColourError(input, LoadPngFile(dir / "g.png")), 0);
    const auto fromArchive = RunRuvotool("image export " + Q(dir / "game" / "game.dat") + ":'bg\\title.zph' --key 31337 -o " + Q(dir / "a.png"));
    ASSERT_EQ(fromArchive.code, 0) << fromArchive.out;
    EXPECT_EQ(testing::ReadFile(dir / "a.png"), testing::ReadFile(dir / "g.png"));
    // Without the key the rows are out of order.
    ASSERT_EQ(RunRuvotool("image export " + Q(dir / "title.zph") + " -o " + Q(dir / "n.png")).code, 0);
    EXPECT_NE(testing::ReadFile(dir / "n.png"), testing::ReadFile(dir / "g.png"));
}

TEST(ImageTool, LooseFormatsExportWithTheirTransparency) {
    TempDir dir;
    std::mt19937 rng(4);
    auto picture = NewStorage(3, 2, 24);
    auto mask = NewStorage(3, 2, 8);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            SetStoragePixel(*picture, x, y, rng() & 0xFFFFFF);
            mask->Row(y)[x] = uint8_t(x * 127);
        }
    TPngPicture expected{3, 2, true, {}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const uint32_t c = ColourOfPixel(*picture, StoragePixel(*picture, x, y));
            expected.argb.push_back(uint32_t(x * 127) << 24 | uint32_t(ColorRed(c)) << 16 | uint32_t(ColorGreen(c)) << 8 | ColorBlue(c));
        }
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        TMemoryStream(bytes).SaveToFile(dir / name);
    };
    write("p.tga", WriteTga(*picture, mask.get(), TTgaWriteOptions{.RunLength = true}));
    const TIconImage icon[] = {{picture, mask, true, 0, 0}};
    write("p.ico", WriteIcon(icon, false));
    write("p.CUR", WriteIcon(icon, true));
    for (const char* name : {"p.tga", "p.ico", "p.CUR"}) {
        const auto run = RunRuvotool("image export " + Q(dir / name) + " -o " + Q(dir / "out.png"));
        ASSERT_EQ(run.code, 0) << name << ": " << run.out;
        EXPECT_EQ(ColourError(expected, LoadPngFile(dir / "out.png")), 0) << name;
    }
    // A 24-bit bitmap is opaque; a transparent value shows as alpha 0 (here the TGA's key colour).
    TFileStream bmp(dir / "p.bmp", FileOpen::Create);
    WriteBitmap24(bmp, 1, 1, {0x123456});
    ASSERT_EQ(RunRuvotool("image export " + Q(dir / "p.bmp") + " -o " + Q(dir / "b.png")).code, 0);
    EXPECT_EQ(LoadPngFile(dir / "b.png").argb, std::vector<uint32_t>{0xFF563412});
    write("k.tga", WriteTga(*picture, nullptr, TTgaWriteOptions{.KeyColour = int32_t(ColourOfPixel(*picture, StoragePixel(*picture, 1, 0)))}));
    ASSERT_EQ(RunRuvotool("image export " + Q(dir / "k.tga") + " -o " + Q(dir / "k.png")).code, 0);
    EXPECT_EQ(LoadPngFile(dir / "k.png").argb[1] >> 24, 0u);
    EXPECT_EQ(LoadPngFile(dir / "k.png").argb[0] >> 24, 255u);
    const auto info = RunRuvotool("image info " + Q(dir / "p.ico"));
    EXPECT_EQ(info.out, "file: p.ico\nformat: ico picture\nsize: 3 x 2\nbit count: 32\nframes: 1\nmask: yes\ntransparent value: -1\n");
}

TEST(ImageTool, UsageAndFailuresHaveTheirExitCodes) {
    TempDir dir;
    SavePngArgb(Picture(5, 4, 4, false), dir / "in.png");
    const auto help = RunRuvotool("image export --help", false);
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: ruvotool image export"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--game"), std::string::npos) << help.out;
    const auto bad = RunRuvotool("image pack x.png -o y.zph --key 12abc");
    EXPECT_EQ(bad.out, "ruvotool image pack: --key: \"12abc\" is not a 32-bit number\n"
                       "Run \"ruvotool image pack --help\" for the usage.\n");
    struct Case {
        const char* args;
        int code;
    } cases[] = {{"image", 2},
                 {"image frob", 2},
                 {"image pack @IN@", 2},
                 {"image pack @IN@ -o @OUT@ --key 12abc", 2},
                 {"image pack @IN@ -o @OUT@ --key 0x100000000", 2},
                 {"image pack @IN@ -o @OUT@ --tile 8", 2},
                 {"image pack @IN@ -o @OUT@ --mode jpeg --tile 8x8", 2},
                 {"image pack @IN@ -o @OUT@ --mode lzw", 2},
                 {"image pack @IN@ -o @OUT@ --quality 101", 2},
                 {"image info @MISSING@", 1},
                 {"image export @IN@ -o @OUT@ --frame 1", 1},
                 {"image export @IN@ -o @OUT@ --game @MISSING@", 1},
                 {"image export @IN@ --all -o -", 2},
                 {"image export @IN@ -o /no/such/folder/x.png", 2},
                 {"image pack @IN@ -o @OUT@", 0}};
    for (const Case& c : cases) {
        std::string args = c.args;
        for (auto [word, path] : {std::pair{"@IN@", dir / "in.png"}, {"@OUT@", dir / "out.zph"}, {"@MISSING@", dir / "none.zph"}})
            for (size_t at; (at = args.find(word)) != std::string::npos;)
                args.replace(at, std::strlen(word), Q(path));
        const auto run = RunRuvotool(args);
        EXPECT_EQ(run.code, c.code) << c.args << ": " << run.out;
    }
}

} // namespace
} // namespace ruvo
