// The display world on an 800 x 600 32-bit screen, each figure set against a cache-hot memcpy of one
// frame measured in the same run (counter "x_memcpy": time per operation / time per memcpy), and the
// repaint of a moved box against a full repaint of the same scene (counter "x_full"). The frames of a
// screen transition: a frame while a fade or blinds run, and the frame a transition starts in.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "besttime.hpp"
#include "worldframe.hpp"
#include "objects/images/box.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
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

    TRuvoBox& Box(int left, int top, int width, int height, int32_t colour, int alpha, bool back = false) {
        auto& b = static_cast<TRuvoBox&>(*world.CreateByType(2));
        b.SetParent(back ? &world.BackScreen() : &world.ActiveScreen());
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
    void Frame() { bench::WorldFrame(services, world); }
    void FullRepaint() { bench::WorldFullRepaint(world); }
};

using bench::BestNs;

template <class Fn>
double Run(benchmark::State& state, Fn fn) {
    return bench::ReportAgainstMemcpy(state, size_t(kW) * kH * 4, fn);
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

// The scene on the front screen, another picture on the back screen, and a transition of the type
// between them, started with the frame it begins in.
void StartTransition(TBenchWorld& w, int type) {
    w.Scene();
    w.Box(0, 0, kW, kH, 0x2040A0, 255, true);
    w.Box(100, 100, 300, 200, 0xFFFFFF, 192, true);
    w.Frame();
    w.world.SetActive(w.world.ActiveIndex(), TWipeSettings{.Type = type, .Duration = 1000},
                      [](int32_t n) { return n / 2; }, true, 0);
    w.Frame();
}

// A frame while a transition runs and nothing on the screens changes: its step at a new time.
void BM_TransitionFrame(benchmark::State& state) {
    TBenchWorld w;
    StartTransition(w, int(state.range(0)));
    int32_t t = 0;
    Run(state, [&] {
        t = (t + 37) % 1000;
        w.world.SetTransitionElapsed(t);
        w.Frame();
    });
}

// The frame a transition starts in: the front picture kept, the transition prepared, both screens
// painted whole into their own surfaces, the first step.
void BM_TransitionStart(benchmark::State& state) {
    TBenchWorld w;
    StartTransition(w, 1);
    Run(state, [&] {
        w.world.SetActive(w.world.ActiveIndex(), TWipeSettings{.Type = 1, .Duration = 1000},
                          [](int32_t n) { return n / 2; }, true, 0);
        w.Frame();
    });
}

} // namespace

BENCHMARK(BM_TransitionFrame)->Arg(1)->Arg(2)->ArgName("type")->Iterations(300);
BENCHMARK(BM_TransitionStart)->Iterations(100);
BENCHMARK(BM_FullRepaint)->Iterations(200);
BENCHMARK(BM_IdleFrame)->Iterations(500);
BENCHMARK(BM_MovedBoxFrame)->Iterations(500);
