// Pictures on an 800 x 600 32-bit screen, each figure set against a cache-hot memcpy of one frame
// measured in the same run (counter "x_memcpy"): showing a picture the cache holds (no decoding, no
// copy: "decodes" stays 1) against showing it for the first time, and a full repaint through the
// world's painting of a background and four full-screen sprites with masks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "archive/deletionlist.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "besttime.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "objects/images/images.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"

namespace {

using namespace ruvo;
constexpr int kW = 800, kH = 600;

class NoDiscs : public IDiscRoots {
public:
    std::vector<std::filesystem::path> Roots() override { return {}; }
};

// A layered image of the screen's size: smooth colours, and with a mask, a few soft discs on clear
// ground (what a sprite layer looks like).
std::vector<uint8_t> Picture(int seed, bool masked) {
    TZephLayer layer;
    layer.Colour = NewStorage(kW, kH, 32);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            SetStoragePixel(*layer.Colour, x, y, uint32_t((x + seed * 40) & 0xFF) << 16 | uint32_t((y + seed) & 0xFF) << 8 | uint32_t(seed * 50));
    if (masked) {
        layer.Mask = NewStorage(kW, kH, 8);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                double a = 0;
                for (int k = 0; k < 5; ++k) {
                    const double d = std::hypot(x - (120 + 140 * k + seed * 20), y - (100 + 90 * ((k + seed) % 5)));
                    a = std::max(a, std::clamp(90 - d, 0.0, 10.0) * 25.5);
                }
                SetStoragePixel(*layer.Mask, x, y, uint32_t(a));
            }
        layer.MaskUsed = true;
    }
    TZephFrame frame;
    frame.Layers.push_back(std::move(layer));
    TMemoryStream out;
    WriteZeph(out, std::span(&frame, 1), TZephWriteOptions{});
    return out.Bytes();
}

struct TBenchGame {
    TQuietServices services;
    TParamCollection vars;
    TDeletionList deletions;
    TVrFileManager files{deletions, std::make_unique<NoDiscs>(), {}};  // memory files only: no temporary copies
    TPictureCache pictures{files, 32};
    TRuvoBaseList world{services, vars};

    TBenchGame() {
        files.AddArchive({});
        world.SetSize(kW, kH);
        world.SetPictures(&pictures);
    }
    void Put(const std::string& name, const std::vector<uint8_t>& bytes) {
        files.Collection(0).AddMemoryFile(name).Data->WriteBuffer(bytes.data(), int64_t(bytes.size()));
    }
    TRuvoImages& Show(const std::string& name) {
        auto& i = static_cast<TRuvoImages&>(*world.CreateByType(8));
        i.SetParent(&world.ActiveScreen());
        i.SetSource(name);
        return i;
    }
};

template <class Fn>
double Run(benchmark::State& state, Fn fn) {
    return bench::ReportAgainstMemcpy(state, size_t(kW) * kH * 4, fn);
}

// A new image showing a picture another object shows already: made, given the source, and gone.
void BM_CachedShow(benchmark::State& state) {
    TBenchGame g;
    g.Put("sprite.zph", Picture(1, true));
    g.Show("sprite.zph");
    Run(state, [&] { g.world.Destroy(g.Show("sprite.zph")); });
    state.counters["decodes"] = double(g.pictures.Decodes());
    if (g.pictures.Decodes() != 1) throw std::logic_error("a cached show decoded the picture again");
}

// The same with the picture dropped from the cache each time: read and decoded anew.
void BM_FirstShow(benchmark::State& state) {
    TBenchGame g;
    g.Put("sprite.zph", Picture(1, true));
    Run(state, [&] {
        g.pictures.Forget("sprite.zph");
        g.world.Destroy(g.Show("sprite.zph"));
    });
}

// The whole screen painted: an opaque background and four full-screen sprites through their masks.
void BM_SceneRepaint(benchmark::State& state) {
    TBenchGame g;
    g.Put("bg.zph", Picture(0, false));
    for (int i = 1; i <= 4; ++i) g.Put("s" + std::to_string(i) + ".zph", Picture(i, true));
    g.Show("bg.zph");
    for (int i = 1; i <= 4; ++i) SetProperty(g.Show("s" + std::to_string(i) + ".zph"), PR_PRIORITY, i);
    auto repaint = [&] {
        g.world.ActiveScreen().AddWhole();
        g.world.Paint();
        g.world.TakeDirtyRects();
    };
    repaint();
    Run(state, repaint);
}

} // namespace

BENCHMARK(BM_CachedShow)->Iterations(2000);
BENCHMARK(BM_FirstShow)->Iterations(20);
BENCHMARK(BM_SceneRepaint)->Iterations(200);
