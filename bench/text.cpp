// Message text speed. Figures set against each other in the same run:
// - a cached glyph's lookup (ns per lookup, absolute: the aim is at most 100 ns);
// - laying out and rendering a page of 160 CJK glyphs at 24 px with edge 2 and shadow 2, every glyph
//   cached, against FreeType rasterizing the same 160 glyphs uncached (counter "x_rasterize", aim <= 0.5);
// - one more revealed character of a typing page: the area repainted over that character's cell
//   (counter "changed_per_cell", aim 1).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"

namespace {

using namespace ruvo;

// 160 different kanji (the second row of the first level), as one page of text.
std::vector<uint16_t> Codes() {
    std::vector<uint16_t> codes;
    for (int trail = 0x40; codes.size() < 160; ++trail)
        if (trail != 0x7F) codes.push_back(uint16_t(0x8900 | trail));
    return codes;
}

std::string PageText() {
    std::string sjis;
    for (uint16_t c : Codes()) sjis += {char(c >> 8), char(c & 0xFF)};
    return sjis;
}

struct TFonts {
    TSystemFontCatalog catalog;
    TFontPixelManager fonts{catalog};
    std::string face = Utf8ToSjis("ＭＳ ゴシック");
};

TFonts& Fonts() {
    static TFonts f;
    return f;
}

void BM_CachedGlyphLookup(benchmark::State& state) {
    TFonts& f = Fonts();
    const std::vector<uint16_t> codes = Codes();
    for (uint16_t c : codes) f.fonts.GetGlyph(c, f.face, 0, 24);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(&f.fonts.GetGlyph(codes[i], f.face, 0, 24));
        if (++i == codes.size()) i = 0;
    }
    state.counters["ns_per_lookup"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate |
                                                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_CachedGlyphLookup);

void BM_RasterizeUncached160(benchmark::State& state) {
    TFonts& f = Fonts();
    const std::vector<uint16_t> codes = Codes();
    // 320 distinct glyphs in a cycle through a 256-glyph most-recently-used cache: every lookup misses.
    int32_t height = 24;
    const uint64_t before = f.fonts.Rasterized();
    for (auto _ : state) {
        for (uint16_t c : codes) benchmark::DoNotOptimize(&f.fonts.GetGlyph(c, f.face, 0, height));
        height = height == 24 ? 25 : 24;
    }
    const double misses = double(f.fonts.Rasterized() - before) / double(state.iterations() * codes.size());
    state.counters["miss_rate"] = misses;
    state.counters["glyphs"] = double(codes.size());
}
BENCHMARK(BM_RasterizeUncached160)->Unit(benchmark::kMicrosecond);

struct TPageRig {
    TTextServices services{Fonts().fonts, nullptr, nullptr, nullptr, 32};
    TGxWord engine{services};
    TPageRig() {
        // 20 cells of 30 pixels (24 + twice the edge + the shadow) by 8 rows: one page.
        engine.AreaWidth = 30 * 20;
        engine.AreaHeight = 30 * 8;
        engine.BorderWidth = 2;
        engine.ShadowWidth = 2;
        engine.TextColor = 0xFFFFFF;
        engine.FontSize = 24;
        engine.Parse({PageText()});
    }
};

void BM_LayoutAndRenderPage160(benchmark::State& state) {
    TPageRig rig;
    std::vector<std::unique_ptr<TWdPage>> pages;
    rig.engine.Layout(pages, 0, -1);
    pages[0]->Render(true);  // every glyph cached
    for (auto _ : state) {
        pages.clear();
        rig.engine.Layout(pages, 0, -1);
        pages[0]->Render(true);
        benchmark::ClobberMemory();
    }
    state.counters["glyphs"] = double(rig.engine.GlyphCount());
    state.counters["pages"] = double(pages.size());
}
BENCHMARK(BM_LayoutAndRenderPage160)->Unit(benchmark::kMicrosecond);

// Both in one benchmark so that the ratio comes from the same run: the counter is the page time over
// the uncached rasterizing time.
void BM_PageAgainstRasterize(benchmark::State& state) {
    TFonts& f = Fonts();
    const std::vector<uint16_t> codes = Codes();
    TPageRig rig;
    std::vector<std::unique_ptr<TWdPage>> pages;
    rig.engine.Layout(pages, 0, -1);
    pages[0]->Render(true);
    using clock = std::chrono::steady_clock;
    double pageSeconds = 0, rasterSeconds = 0;
    int32_t height = 24;
    for (auto _ : state) {
        auto t0 = clock::now();
        pages.clear();
        rig.engine.Layout(pages, 0, -1);
        pages[0]->Render(true);
        auto t1 = clock::now();
        state.PauseTiming();
        // Warm the page's glyphs again after the uncached cycle below.
        height = height == 25 ? 26 : 25;
        auto t2 = clock::now();
        for (uint16_t c : codes) benchmark::DoNotOptimize(&f.fonts.GetGlyph(c, f.face, 0, height));
        auto t3 = clock::now();
        for (uint16_t c : codes) f.fonts.GetGlyph(c, f.face, 0, 24);
        state.ResumeTiming();
        pageSeconds += std::chrono::duration<double>(t1 - t0).count();
        rasterSeconds += std::chrono::duration<double>(t3 - t2).count();
    }
    state.counters["x_rasterize"] = pageSeconds / rasterSeconds;
}
BENCHMARK(BM_PageAgainstRasterize)->Unit(benchmark::kMicrosecond);

void BM_RevealOneCharacter(benchmark::State& state) {
    TPageRig rig;
    rig.engine.DelayRate = 256;
    rig.engine.FadeTime = 0;
    std::vector<std::unique_ptr<TWdPage>> pages;
    rig.engine.Layout(pages, 0, -1);
    TWdPage& page = *pages[0];
    double changed = 0, cells = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (page.IsFinished() || steps == 0) {
            page.Render(true);
            page.Start();
            page.Step(0);  // the first glyph
        }
        state.ResumeTiming();
        page.Step(50);  // exactly one more glyph: each waits the default 50 ms
        state.PauseTiming();
        ++steps;
        const auto& rows = page.Rows();
        const TWdGlyph* g = page.CurrentIndex() > 0 ? rows[size_t(page.CurrentRow())]->Glyphs()[size_t(page.CurrentIndex() - 1)]
                            : page.CurrentRow() > 0 ? rows[size_t(page.CurrentRow() - 1)]->Glyphs().back()
                                                    : nullptr;
        for (const TRect& r : rig.engine.ChangedRects) changed += double(r.Width()) * r.Height();
        if (g) cells += double(g->Width) * g->Height;
        state.ResumeTiming();
    }
    state.counters["changed_per_cell"] = cells > 0 ? changed / cells : 0;
}
BENCHMARK(BM_RevealOneCharacter)->Unit(benchmark::kMicrosecond);

} // namespace
