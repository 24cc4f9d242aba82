// Drawing speed on an 800 x 600 destination, each figure set against a cache-hot memcpy of the same
// frame measured in the same run (counter "x_memcpy": time per operation / time per memcpy).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "besttime.hpp"
#include "graphics/draw/blendrows.hpp"
#include "graphics/surface/dibx.hpp"

namespace {

using namespace ruvo;
constexpr int kW = 800, kH = 600;

std::unique_ptr<TDIBX> Surface(int w, int h, int bits, uint32_t seed) {
    auto s = std::make_unique<TDIBX>();
    s->SetSize(w, h, bits);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s->SetPixel(x, y, bits == 32 ? rng() & 0xFFFFFF : rng() & 0xFFFF);
    return s;
}

std::unique_ptr<TDIBX> RandomMask(uint32_t seed) {
    auto m = std::make_unique<TDIBX>();
    m->SetSize(kW, kH, 8);
    std::mt19937 rng(seed);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            m->SetPixel(x, y, rng() & 255);
    return m;
}

// A sprite layer's mask: opaque blobs covering about a third of the frame with a one-pixel soft rim,
// the rest transparent.
std::unique_ptr<TDIBX> SpriteMask(uint32_t seed) {
    auto m = std::make_unique<TDIBX>();
    m->SetSize(kW, kH, 8);
    m->Clear(0);
    std::mt19937 rng(seed);
    int64_t opaque = 0;
    while (opaque < int64_t(kW) * kH * 32 / 100) {
        const int cx = int(rng() % kW), cy = int(rng() % kH), r = 20 + int(rng() % 40);
        for (int y = std::max(0, cy - r); y < std::min(kH, cy + r); ++y)
            for (int x = std::max(0, cx - r); x < std::min(kW, cx + r); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r && m->GetPixel(x, y) == 0) {
                    m->SetPixel(x, y, 255);
                    ++opaque;
                }
    }
    for (int y = 1; y < kH - 1; ++y)
        for (int x = 1; x < kW - 1; ++x)
            if (m->GetPixel(x, y) == 0 && (m->GetPixel(x + 1, y) == 255 || m->GetPixel(x, y + 1) == 255))
                m->SetPixel(x, y, 128);
    return m;
}

using bench::BestNs;

// Best time of a cache-hot memcpy of one 800 x 600 frame of the given bytes per pixel.
double MemcpyNs(int bytesPerPixel) { return bench::MemcpyNs(size_t(kW) * kH * bytesPerPixel); }

template <class Fn>
void Run(benchmark::State& state, int bits, Fn fn) {
    static const double memcpy32 = MemcpyNs(4), memcpy16 = MemcpyNs(2);
    double best = 1e30;
    for (auto _ : state)
        best = std::min(best, BestNs(fn, 1));
    const double reference = bits == 32 ? memcpy32 : memcpy16;
    state.counters["best_ms"] = best / 1e6;
    state.counters["memcpy_ms"] = reference / 1e6;
    state.counters["x_memcpy"] = best / reference;
    state.SetLabel(BlendInstructionSet());
}

const TRect kFrame{0, 0, kW, kH};

void BM_Memcpy(benchmark::State& state) {
    const int bits = int(state.range(0));
    std::vector<uint8_t> a(size_t(kW) * kH * bits / 8, 1), b(a.size());
    Run(state, bits, [&] { std::memcpy(b.data(), a.data(), a.size()); });
}

void BM_Draw(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), src = Surface(kW, kH, bits, 2);
    Run(state, bits, [&] { dst->Draw(0, 0, *src, kFrame, false, false, false); });
}

void BM_DrawAlpha(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), src = Surface(kW, kH, bits, 2);
    Run(state, bits, [&] { dst->DrawAlpha(0, 0, *src, kFrame, false, false, false, 128); });
}

void BM_DrawMasked(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), src = Surface(kW, kH, bits, 2);
    auto mask = RandomMask(3);
    Run(state, bits, [&] { dst->DrawMasked(0, 0, *src, kFrame, false, false, *mask); });
}

// One layer of the composite below: a full-screen sprite whose mask is mostly transparent.
void BM_SpriteLayer(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), sprite = Surface(kW, kH, bits, 10);
    auto mask = SpriteMask(20);
    Run(state, bits, [&] { dst->DrawMasked(0, 0, *sprite, kFrame, false, false, *mask); });
}

void BM_FiveLayerComposite(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), background = Surface(kW, kH, bits, 2);
    std::vector<std::unique_ptr<TDIBX>> sprites, masks;
    for (uint32_t i = 0; i < 4; ++i) {
        sprites.push_back(Surface(kW, kH, bits, 10 + i));
        masks.push_back(SpriteMask(20 + i));
    }
    Run(state, bits, [&] {
        dst->Draw(0, 0, *background, kFrame, false, false, false);
        for (int i = 0; i < 4; ++i)
            dst->DrawMasked(0, 0, *sprites[i], kFrame, false, false, *masks[i]);
    });
}

void BM_StretchDraw2x(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), src = Surface(kW / 2, kH / 2, bits, 2);
    Run(state, bits, [&] { dst->StretchDraw(kFrame, *src, TRect{0, 0, kW / 2, kH / 2}, false, false, false, 255); });
}

void BM_DrawRotate30(benchmark::State& state) {
    const int bits = int(state.range(0));
    auto dst = Surface(kW, kH, bits, 1), src = Surface(kW, kH, bits, 2);
    // 30 degrees is 21.3 of 256 steps; 21 steps is the nearest.
    Run(state, bits, [&] {
        dst->DrawRotate(kW / 2, kH / 2, 256, 256, *src, kFrame, kW / 2, kH / 2, 21, false, false, false, 255);
    });
}

void BM_DrawAlphaPortable(benchmark::State& state) {
    SetAcceleratedLoops(false);
    BM_DrawAlpha(state);
    SetAcceleratedLoops(true);
}

void BM_DrawMaskedPortable(benchmark::State& state) {
    SetAcceleratedLoops(false);
    BM_DrawMasked(state);
    SetAcceleratedLoops(true);
}

} // namespace

BENCHMARK(BM_Memcpy)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Draw)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAlpha)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawMasked)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpriteLayer)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiveLayerComposite)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchDraw2x)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawRotate30)->Arg(32)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAlphaPortable)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawMaskedPortable)->Arg(32)->Unit(benchmark::kMillisecond);
