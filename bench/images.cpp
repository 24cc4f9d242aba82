// Decoding layered images at 800 x 600, each figure set against the libraries doing the bare minimum on
// the same data in the same run (counter "x_baseline": best time of the decoder / best time of the
// baseline, the two timed in turn):
//   deflate with a mask: libdeflate inflating both planes plus one memcpy of each plane;
//   JPEG colour:          libjpeg-turbo decoding the same stream alone (plus inflating the mask when the
//                         picture has one).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <libdeflate.h>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "archive/streams.hpp"
#include "archive/zcodec.hpp"
#include "graphics/images/jpegplane.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "graphics/images/zephplanes.hpp"

namespace {

using namespace ruvo;
constexpr int32_t kW = 800, kH = 600;

// A picture that compresses like a drawn background: gradients, soft shapes and a little grain.
std::shared_ptr<TDIBSurface> Background() {
    auto s = NewStorage(kW, kH, 32);
    std::mt19937 rng(1);
    for (int32_t y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(s->Row(y));
        for (int32_t x = 0; x < kW; ++x) {
            const int dx = x - 500, dy = y - 250;
            const uint32_t ring = (dx * dx + dy * dy) / 900 % 32;
            const uint32_t grain = rng() % 6;
            row[x] = ((x * 255 / kW + grain) & 255) << 16 | ((y * 255 / kH + ring) & 255) << 8 | ((128 + grain + ring) & 255);
        }
    }
    return s;
}

// A sprite's mask: opaque discs over a third of the picture with soft rims, the rest transparent.
std::shared_ptr<TDIBSurface> SpriteMask() {
    auto m = NewStorage(kW, kH, 8);
    std::mt19937 rng(2);
    for (int disc = 0; disc < 40; ++disc) {
        const int cx = int(rng() % kW), cy = int(rng() % kH), r = 30 + int(rng() % 50);
        for (int32_t y = std::max(0, cy - r - 2); y < std::min(kH, cy + r + 2); ++y)
            for (int32_t x = std::max(0, cx - r - 2); x < std::min(kW, cx + r + 2); ++x) {
                const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                uint8_t& v = m->Row(y)[x];
                v = std::max<int>(v, d2 < r * r ? 255 : d2 < (r + 2) * (r + 2) ? 128 : 0);
            }
    }
    return m;
}

std::vector<uint8_t> Layered(const std::shared_ptr<TDIBSurface>& colour, const std::shared_ptr<TDIBSurface>& mask,
                             const TZephWriteOptions& options) {
    TZephFrame frame;
    TZephLayer layer;
    layer.Colour = colour;
    layer.Mask = mask;
    layer.MaskUsed = mask != nullptr;
    frame.Layers.push_back(layer);
    TMemoryStream out;
    WriteZeph(out, std::span(&frame, 1), options);
    return out.Bytes();
}

std::vector<uint8_t> DeflatedPlane(const TDIBSurface& plane) {
    std::vector<uint8_t> packed;
    const std::vector<uint8_t> rows = EncodePlane(plane, TPlaneLayout{}, TEarlierPlanes{});
    TDeflater(9).Deflate(rows.data(), rows.size(), packed);
    return packed;
}

double Ns(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - from).count();
}

// Times the decoder and the baseline in turn at every iteration; reports the best of each.
template <class Decode, class Baseline>
void Compare(benchmark::State& state, Decode decode, Baseline baseline) {
    double best = 1e30, reference = 1e30;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        decode();
        benchmark::ClobberMemory();
        best = std::min(best, Ns(t0));
        state.PauseTiming();
        t0 = std::chrono::steady_clock::now();
        baseline();
        benchmark::ClobberMemory();
        reference = std::min(reference, Ns(t0));
        state.ResumeTiming();
    }
    state.counters["best_ms"] = best / 1e6;
    state.counters["baseline_ms"] = reference / 1e6;
    state.counters["x_baseline"] = best / reference;
}

void DecodeAll(const std::vector<uint8_t>& file) {
    TZephFrameList frames;
    frames.LoadFromBytes(file, false, false);
    benchmark::DoNotOptimize(frames.Frames[0].Picture->Bits());
}

// Inflates a zlib stream into a buffer of its known size.
struct TInflate {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~TInflate() { libdeflate_free_decompressor(d); }
    void operator()(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) const {
        if (libdeflate_zlib_decompress(d, in.data(), in.size(), out.data(), out.size(), nullptr) != LIBDEFLATE_SUCCESS)
            std::abort();
    }
};

void BM_DeflatedWithMask(benchmark::State& state) {
    const auto colour = Background(), mask = SpriteMask();
    const auto file = Layered(colour, mask, TZephWriteOptions{});
    const auto colourPlane = DeflatedPlane(*colour), maskPlane = DeflatedPlane(*mask);
    std::vector<uint8_t> colourRows(colour->ImageSize()), maskRows(mask->ImageSize());
    std::vector<uint8_t> colourCopy(colour->ImageSize()), maskCopy(mask->ImageSize());
    const TInflate inflate;
    Compare(
        state,
        [&] { DecodeAll(file); },
        [&] {
            inflate(colourPlane, colourRows);
            std::memcpy(colourCopy.data(), colourRows.data(), colourRows.size());
            inflate(maskPlane, maskRows);
            std::memcpy(maskCopy.data(), maskRows.data(), maskRows.size());
            benchmark::DoNotOptimize(maskCopy.data());
        });
    state.SetLabel(std::to_string(file.size() / 1024) + " KiB file");
}

// libjpeg-turbo alone: the stream into a buffer of 32-bit rows.
void DecodeJpeg(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>& out) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + size_t(info.output_scanline) * kW * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

void BM_Jpeg(benchmark::State& state) {
    const bool withMask = state.range(0) != 0;
    const auto colour = Background();
    const auto mask = withMask ? SpriteMask() : nullptr;
    TZephWriteOptions options;
    options.Mode = TZephMode::Jpeg;
    const auto file = Layered(colour, mask, options);
    const auto jpeg = EncodeJpegPlane(*colour, options.JpegQuality);
    const auto maskPlane = withMask ? DeflatedPlane(*mask) : std::vector<uint8_t>{};
    std::vector<uint8_t> pixels(size_t(kW) * kH * 4), maskRows(withMask ? mask->ImageSize() : 0);
    const TInflate inflate;
    Compare(
        state,
        [&] { DecodeAll(file); },
        [&] {
            DecodeJpeg(jpeg, pixels);
            if (withMask)
                inflate(maskPlane, maskRows);
            benchmark::DoNotOptimize(pixels.data());
        });
    state.SetLabel(withMask ? "with a deflated mask" : "colour only");
}

BENCHMARK(BM_DeflatedWithMask)->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_Jpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
