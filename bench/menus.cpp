// Menus on a 640 x 480 32-bit screen, each figure set against a cache-hot memcpy of one frame measured
// in the same run (counter "x_memcpy"): a menu of 10 items opened (items split, both label lists
// measured and rendered, painted), one frame of its opening animation, and a hover change from one
// item to the next (only the menu's area is repainted: counter "dirty_px").
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "besttime.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "objects/choices/menu.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"
#include "text/gxword.hpp"

namespace {

using namespace ruvo;
constexpr int kW = 640, kH = 480;

struct TBenchMenus {
    TQuietServices services;
    TParamCollection vars;
    TSystemFontCatalog catalog;
    TFontPixelManager fonts{catalog};
    TTextServices text{fonts};
    TRuvoBaseList world{services, vars};

    TBenchMenus() {
        world.SetSize(kW, kH);
        world.TextObjects().SetText(&text);
        Paint();
    }
    TRuvoMenu& Menu(int delay) {
        auto& m = static_cast<TRuvoMenu&>(*world.CreateByType(12));
        m.SetParent(&world.ActiveScreen());
        SetProperty(m, PR_LEFT, 200);
        SetProperty(m, PR_TOP, 100);
        SetProperty(m, PR_ROWCOUNT, 10);
        SetProperty(m, PR_FONTHEIGHT, 20);
        SetProperty(m, PR_COLOR, 0x302020);
        SetProperty(m, PR_HOVERCOLOR, 0x604040);
        SetProperty(m, PR_DELAY, delay);
        SetProperty(m, PR_TEXT, std::string("first item\nsecond item\nthird\nfourth\nfifth choice\nsixth\nseventh\n"
                                            "eighth\nninth\nthe tenth and widest item"));
        return m;
    }
    int64_t Paint() {
        int64_t area = 0;
        world.Paint();
        for (const TRect& r : world.TakeDirtyRects()) area += int64_t(r.Right - r.Left) * (r.Bottom - r.Top);
        return area;
    }
};

template <class Fn>
void Run(benchmark::State& state, Fn fn) {
    ruvo::bench::ReportAgainstMemcpy(state, size_t(kW) * kH * 4, fn);
}

// Made, opened at once and painted (both label lists rendered for the first time), then gone.
void BM_MenuOpen(benchmark::State& state) {
    TBenchMenus g;
    Run(state, [&] {
        TRuvoMenu& m = g.Menu(0);
        m.SetPlayMode(kMenuOpen);
        m.SetHover(0);  // the hover list renders its item too
        g.Paint();
        g.world.Destroy(m);
        g.Paint();
    });
}

// One frame of the opening at a point that moves through the opening time: the height changes, the
// area it changed is painted.
void BM_MenuOpeningFrame(benchmark::State& state) {
    TBenchMenus g;
    constexpr int32_t kDelay = 1600;
    TRuvoMenu& m = g.Menu(kDelay);
    m.SetPlayMode(kMenuOpenFade);
    g.world.Update();
    g.world.Update();
    g.Paint();
    int32_t elapsed = 0;
    Run(state, [&] {
        elapsed = (elapsed + 16) % kDelay;
        m.PhaseStart = g.services.clock - elapsed;
        g.world.Update();
        g.Paint();
        if (m.Phase != 102) throw std::logic_error("the menu stopped opening");
    });
}

// The hover moves between two items; the repainted area is the menu's at most.
void BM_MenuHoverChange(benchmark::State& state) {
    TBenchMenus g;
    TRuvoMenu& m = g.Menu(0);
    m.SetPlayMode(kMenuOpen);
    m.SetHover(0);
    g.Paint();
    int next = 1;
    int64_t area = 0;
    Run(state, [&] {
        m.SetHover(next);
        next ^= 1;
        area = g.Paint();
    });
    state.counters["dirty_px"] = double(area);
    state.counters["menu_px"] = double(int64_t(m.Width) * m.Height);
}

} // namespace

BENCHMARK(BM_MenuOpen)->Iterations(200);
BENCHMARK(BM_MenuOpeningFrame)->Iterations(2000);
BENCHMARK(BM_MenuHoverChange)->Iterations(2000);
