#pragma once
// The world of world_fixture.hpp with a picture cache over a folder of loose game files, layered images
// written into it, and a plain picture of what the screen should show to compare the world's with.
#include <fstream>
#include <functional>
#include <memory>

#include "archive/deletionlist.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "objects/images/images.hpp"
#include "objects/images/tile.hpp"
#include "support/tempdir.hpp"
#include "world_fixture.hpp"

namespace ruvo::testing {

class NoDiscRoots : public IDiscRoots {
public:
    std::vector<std::filesystem::path> Roots() override { return {}; }
};

// One frame of a test picture: its pixels as colours 0x00BBGGRR by position, and the opacity by
// position (null: no mask).
struct TestFrame {
    std::function<uint32_t(int x, int y)> colour;
    std::function<uint8_t(int x, int y)> opacity;
    int32_t delay = 100;
    std::vector<TRect> rects;
};

// The pixel of a colour 0x00BBGGRR on a 32-bit surface (0x00RRGGBB).
inline uint32_t PixelOf(uint32_t colour) { return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF); }

class ImageFixture : public WorldFixture {
protected:
    ImageFixture() {
        std::filesystem::create_directories(dir / "game");
        std::filesystem::create_directories(dir / "tmp");
        files.SetBaseFolder(dir / "game");
        world.SetPictures(&pictures);
    }

    // Writes a layered image of the frames (w × h, 32 bits) as a loose game file.
    void PutPicture(const std::string& name, int w, int h, const std::vector<TestFrame>& frames, uint32_t key = 0) {
        std::vector<TZephFrame> zf;
        for (const TestFrame& f : frames) {
            TZephLayer layer;
            layer.Colour = NewStorage(w, h, 32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) SetStoragePixel(*layer.Colour, x, y, PixelOf(f.colour(x, y)));
            if (f.opacity) {
                layer.Mask = NewStorage(w, h, 8);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) SetStoragePixel(*layer.Mask, x, y, f.opacity(x, y));
                layer.MaskUsed = true;
            }
            TZephFrame frame;
            frame.Delay = f.delay;
            frame.RectsA = f.rects;
            frame.Layers.push_back(std::move(layer));
            zf.push_back(std::move(frame));
        }
        TMemoryStream bytes;
        TZephWriteOptions options;
        options.Key = key;
        WriteZeph(bytes, zf, options);
        const std::vector<uint8_t> data = bytes.Bytes();
        std::ofstream(dir / "game" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        files.InvalidateLooseFiles();
    }

    // Writes a frame list as a loose game file (name relative to the game's folder, "/" between folders);
    // its tracks are resolved first.
    void PutFilmFile(const std::string& name, TFilmManager& film) {
        film.Resolve();
        TMemoryStream bytes;
        film.SaveToStream(bytes);
        const std::vector<uint8_t> data = bytes.Bytes();
        std::ofstream(dir / "game" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        files.InvalidateLooseFiles();
    }

    // An animated image on the front screen showing the picture.
    TRuvoImages& Images(const std::string& name, const std::string& source, int left = 0, int top = 0,
                        TRuvoControl* parent = nullptr) {
        auto& i = static_cast<TRuvoImages&>(*world.CreateByType(8));
        i.SetName(name);
        i.SetParent(parent ? parent : &world.ActiveScreen());
        i.SetLeft(left);
        i.SetTop(top);
        i.SetSource(source);
        return i;
    }

    // The world's picture against one made by hand; on a difference names the first pixel.
    ::testing::AssertionResult Shows(const std::vector<uint32_t>& expected) {
        TDIBX& s = world.Surface();
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t want = expected[static_cast<size_t>(y) * kWidth + x];
                const uint32_t got = s.GetPixel(x, y) & 0xFFFFFF;
                if (got != want)
                    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << "): expected " << std::hex
                                                         << want << ", painted " << got;
            }
        return ::testing::AssertionSuccess();
    }
    // The screen's colour everywhere (black by default).
    static std::vector<uint32_t> Blank(uint32_t pixel = 0) {
        return std::vector<uint32_t>(static_cast<size_t>(kWidth) * kHeight, pixel);
    }

    TempDir dir;
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<NoDiscRoots>(), dir / "tmp"};
    TPictureCache pictures{files, 32};
};

} // namespace ruvo::testing
