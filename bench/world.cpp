// The display world on an 800 x 600 32-bit screen, each figure set against a cache-hot memcpy of one
// frame measured in the same run (counter "x_memcpy": time per operation / time per memcpy), and the
// repaint of a moved box against a full repaint of the same scene (counter "x_full").
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "besttime.hpp"
#include "objects/box.hpp"
#include "objects/propaccess.hpp"
#include "objects/screen.hpp"
#include "objects/world.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"

namespace {

using namespace ruvo;
constexpr int kW = 800, kH = 600;

// A world of the benchmarks' size with its own services and variables.
struct TBenchWorld {
    TQuietServices services;
    TParamCollection vars;
    TRuvoBaseList world{services, vars};
    TBenchWorld() { world.SetSize(kW, kH); }

    TRuvoBox& Box(int left, int top, int width, int height, int32_t colour, int alpha) {
        auto& b = static_cast<TRuvoBox&>(*world.CreateByType(2));
        b.SetParent(&world.ActiveScreen());
        b.SetBounds(left, top, width, height);
        SetProperty(b, PR_COLOR, colour);
        SetProperty(b, PR_ALPHA, alpha);
        return b;
    }
    // The scene of the figures: one opaque box over the whole screen and 200 half-transparent 50 x 50
    // boxes scattered over it.
    void Scene() {
        Box(0, 0, kW, kH, 0x604020, 255);
        std::mt19937 rng(7);
        for (int i = 0; i < 200; ++i)
            Box(int(rng() % (kW - 50)), int(rng() % (kH - 50)), 50, 50, int32_t(rng() & 0xFFFFFF), 128);
    }
    void Frame() {
        services.clock += 16;
        world.ProcessInput();
        world.Update();
        world.Paint();
        world.TakeDirtyRects();
    }
    void FullRepaint() {
        world.ActiveScreen().AddWhole();
        world.Paint();
        world.TakeDirtyRects();
    }
};

using bench::BestNs;

double MemcpyNs() {
    static const double ns = bench::MemcpyNs(size_t(kW) * kH * 4);
    return ns;
}

template <class Fn>
double Run(benchmark::State& state, Fn fn) {
    double best = 1e30;
    for (auto _ : state) best = std::min(best, BestNs(fn, 1));
    state.counters["best_ms"] = best / 1e6;
    state.counters["memcpy_ms"] = MemcpyNs() / 1e6;
    state.counters["x_memcpy"] = best / MemcpyNs();
    return best;
}

// Painting the whole scene.
void BM_FullRepaint(benchmark::State& state) {
    TBenchWorld w;
    w.Scene();
    w.FullRepaint();
    Run(state, [&] { w.FullRepaint(); });
}

// A frame in which nothing changed, with 1,000 registered objects: input, update, paint.
void BM_IdleFrame(benchmark::State& state) {
    TBenchWorld w;
    w.Scene();
    std::mt19937 rng(9);
    for (int i = 0; i < 799; ++i) w.Box(int(rng() % kW), int(rng() % kH), 10, 10, 0xFFFFFF, 255);
    if (w.world.Objects().size() != 1000) throw std::logic_error("the scene must hold 1,000 objects");
    w.Frame();
    Run(state, [&] { w.Frame(); });
}

// A frame in which one 64 x 64 box moved by a few pixels, against a full repaint of the scene.
void BM_MovedBoxFrame(benchmark::State& state) {
    TBenchWorld w;
    w.Scene();
    TRuvoBox& mover = w.Box(300, 200, 64, 64, 0x00FFFF, 255);
    w.Frame();
    const double full = BestNs([&] { w.FullRepaint(); }, 50);
    int step = 0;
    const double best = Run(state, [&] {
        SetProperty(mover, PR_LEFT, 300 + (++step % 2) * 4);
        w.Frame();
    });
    state.counters["full_ms"] = full / 1e6;
    state.counters["x_full"] = best / full;
}

} // namespace

BENCHMARK(BM_FullRepaint)->Iterations(200);
BENCHMARK(BM_IdleFrame)->Iterations(500);
BENCHMARK(BM_MovedBoxFrame)->Iterations(500);
