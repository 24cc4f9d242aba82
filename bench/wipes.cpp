// Screen transitions on an 800 x 600 32-bit screen: the cost of one step of each type, averaged over a
// pass through its whole time (one step every 37 ms of a 1000 ms transition, so every step of a mask
// type rebuilds its mask), against a cache-hot memcpy of the frame timed the same way in the same run
// ("x_memcpy"). The fade is also set against one DrawAlpha of the frame plus one memcpy
// ("x_alpha_memcpy"). "allocs_per_step" counts heap allocations made while stepping.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <vector>

#include "graphics/draw/blendrows.hpp"
#include "graphics/surface/dibx.hpp"
#include "graphics/wipes/wipemask.hpp"
#include "graphics/wipes/wipes.hpp"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
// GCC takes these for a mismatch of new and free; they are the pair this file defines.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using namespace ruvo;
constexpr int kW = 800, kH = 600;
constexpr int32_t kDuration = 1000, kStride = 37;

// A picture with smooth areas and edges, like a game's screen.
std::unique_ptr<TDIBX> Picture(uint32_t seed) {
    auto s = std::make_unique<TDIBX>();
    s->SetSize(kW, kH, 32);
    std::mt19937 rng(seed);
    const uint32_t a = rng() & 0xFFFFFF, b = rng() & 0xFFFFFF;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            s->SetPixel(x, y, ((x / 40 + y / 40) % 2 ? a : b) ^ uint32_t((x * 7 + y * 3) & 0x3F3F3F));
    return s;
}

// The machine is shared: times are this thread's processor time, so time slices given to other work
// do not count, and the best of several runs is taken.
double ThreadNs() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

template <class Fn>
double BestNs(Fn&& fn, int repetitions) {
    double best = 1e30;
    for (int i = 0; i < repetitions; ++i) {
        const double t0 = ThreadNs();
        fn();
        benchmark::ClobberMemory();
        best = std::min(best, ThreadNs() - t0);
    }
    return best;
}

struct TFrames {
    std::unique_ptr<TDIBX> Before = Picture(1), After = Picture(2), Target = Picture(3);
};
TFrames& Frames() {
    static TFrames frames;
    return frames;
}

constexpr int kStepsPerPass = (kDuration + kStride - 1) / kStride;

// References are timed like the transitions, a pass of as many operations at a time, and measured
// again beside each figure, so both see the same load of the machine.
template <class Fn>
double PassNs(Fn&& fn) {
    return BestNs(
               [&] {
                   for (int i = 0; i < kStepsPerPass; ++i)
                       fn();
               },
               10) /
           kStepsPerPass;
}

double MemcpyNs() {
    static std::vector<uint8_t> a(size_t(kW) * kH * 4, 1), b(a.size(), 2);
    return PassNs([&] { std::memcpy(b.data(), a.data(), a.size()); });
}

// The reference of the fade: the frame copied once, and blended once at half opacity.
double AlphaPlusMemcpyNs() {
    TFrames& f = Frames();
    const TRect frame{0, 0, kW, kH};
    return PassNs([&] {
        f.Target->Assign(*f.Before);
        f.Target->DrawAlpha(0, 0, *f.After, frame, false, false, false, 128);
    });
}

void BM_Wipe(benchmark::State& state) {
    const int type = int(state.range(0));
    TFrames& f = Frames();
    TWipeStart start = StartWipe({.Type = type, .Duration = kDuration}, {*f.Target, *f.Before, *f.After},
                                 [rng = std::mt19937(9)](int32_t n) mutable { return int32_t(rng() % uint32_t(n)); });
    TCustomWipe& wipe = *start.Wipe;
    const int steps = kStepsPerPass;
    auto pass = [&] {
        for (int i = 0; i < steps; ++i) {
            wipe.Elapsed = i * kStride;
            wipe.Step();
        }
    };
    pass();  // warm: tables touched, first mask built
    const long before = allocations.load();
    pass();
    const double allocs = double(allocations.load() - before) / steps;
    double best = 1e30, reference = MemcpyNs(), alphaReference = type == 1 ? AlphaPlusMemcpyNs() : 0;
    for (auto _ : state) {
        best = std::min(best, BestNs(pass, 1) / steps);
        reference = std::min(reference, MemcpyNs());
        if (type == 1)
            alphaReference = std::min(alphaReference, AlphaPlusMemcpyNs());
    }
    state.counters["step_ms"] = best / 1e6;
    state.counters["x_memcpy"] = best / reference;
    state.counters["allocs_per_step"] = allocs;
    if (type == 1)
        state.counters["x_alpha_memcpy"] = best / alphaReference;
    state.SetLabel(std::string(FindWipeType(type)->ClassName) +
                   (dynamic_cast<TWipeMask*>(&wipe) ? " (mask)" : "") + " " + BlendInstructionSet());
}

} // namespace

BENCHMARK(BM_Wipe)->DenseRange(1, 38)->Unit(benchmark::kMillisecond)->Iterations(30);
