// A message window typing a page on an 800 x 600 32-bit screen: the cost of one typing frame (input,
// update, paint of what changed) set against a cache-hot memcpy of the window's rectangle (counter
// "x_memcpy") and a full repaint of the screen (counter "x_full"), both measured in the same run; and
// showing a new page of 160 glyphs (layout, render, first frame) against laying the same page out
// alone (counter "x_layout"), as a literal text and as a read-marked text-insert text that the read
// marks and the history record.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/sjis.hpp"
#include "besttime.hpp"
#include "worldframe.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "archive/streams.hpp"
#include "objects/images/box.hpp"
#include "objects/text/history.hpp"
#include "objects/text/mes.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/text/readmarks.hpp"
#include "objects/text/textservices.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"

namespace {

using namespace ruvo;
using bench::BestNs;
constexpr int kW = 800, kH = 600;
constexpr int kWinW = 780, kWinH = 224;

// 160 glyphs of Japanese text, broken into rows by the window.
std::string PageText() {
    const std::string line = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で";
    std::string text;
    while (CharCount(Utf8ToSjis(text)) < 160) text += line;
    return Utf8ToSjis(text).substr(0, 320);
}

// The page of PageText as a text-insert command's stored text.
class TOneScriptText : public TScriptTexts {
public:
    explicit TOneScriptText(TTextServices& services) {
        TGxWord engine(services);
        engine.Parse({PageText()});
        TMemoryStream s;
        engine.WriteStored(s);
        stored_.assign(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    }
    std::optional<std::string> StoredText(std::string_view, int32_t) override { return stored_; }

private:
    std::string stored_;
};

struct TBenchMes {
    TQuietServices services;
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    TSystemFontCatalog catalog;
    TFontPixelManager fonts{catalog};
    TTextServices text{fonts, &vars, &funcs};
    TRuvoBaseList world{services, vars};
    TOneScriptText scripts{text};
    TRuvoReadList marks;
    TRuvoNewHistory history;
    TRuvoMes* window = nullptr;

    TBenchMes() {
        world.TextObjects().SetText(&text);
        world.TextObjects().Scripts = &scripts;
        world.TextObjects().ReadMarks = &marks;
        world.TextObjects().History = &history;
        world.SetSize(kW, kH);
        auto& bg = static_cast<TRuvoBox&>(*world.CreateByType(2));
        bg.SetParent(&world.ActiveScreen());
        bg.SetBounds(0, 0, kW, kH);
        SetProperty(bg, PR_COLOR, 0x604020);
        window = static_cast<TRuvoMes*>(world.CreateByType(13));
        window->SetName("mes");
        window->SetParent(&world.ActiveScreen());
        SetProperty(*window, PR_LEFT, 10);
        SetProperty(*window, PR_TOP, 360);
        SetProperty(*window, PR_WIDTH, kWinW);
        SetProperty(*window, PR_HEIGHT, kWinH);
        SetProperty(*window, PR_FONTHEIGHT, 24);
        SetProperty(*window, PR_FONTCOLOR, 0xFFFFFF);
        SetProperty(*window, PR_FONTBORDER, 2);
        SetProperty(*window, PR_FONTSHADOW, 2);
        // About one glyph a frame: 50 ms x 80 / 256 = 15.6 ms each.
        SetProperty(*window, PR_TEXTDELAY, 80);
    }
    ~TBenchMes() { world.Reset(); }
    void Frame() { bench::WorldFrame(services, world); }
    void FullRepaint() { bench::WorldFullRepaint(world); }
    void Show() { SetProperty(*window, PR_TEXT, PageText()); }
};

// One frame of typing (about one more glyph revealed), averaged over the frames that type a whole page
// out.
void BM_TypingFrame(benchmark::State& state) {
    TBenchMes b;
    b.Show();
    b.Frame();
    if (b.window->PageCount() != 1) throw std::logic_error("the text must fill exactly one page");
    const double full = BestNs([&] { b.FullRepaint(); }, 50);
    const double memcpyNs = bench::MemcpyNs(size_t(kWinW) * kWinH * 4);
    double best = 1e30;
    int frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.Show();
        b.Frame();
        state.ResumeTiming();
        frames = 0;
        const double total = BestNs([&] {
            while (!b.window->CurrentPage()->IsFinished()) {
                b.Frame();
                ++frames;
            }
        }, 1);
        best = std::min(best, total / std::max(frames, 1));
    }
    state.counters["frames"] = frames;
    state.counters["frame_us"] = best / 1e3;
    state.counters["x_memcpy"] = best / memcpyNs;
    state.counters["x_full"] = best / full;
}

// A new page shown: layout, rendering and its first typing frame, against the layout alone.
void BM_NewPage(benchmark::State& state) {
    TBenchMes b;
    b.Show();
    b.Frame();
    TGxWord engine(b.text);
    engine.AreaWidth = kWinW;
    engine.AreaHeight = kWinH;
    engine.FontSize = 24;
    engine.BorderWidth = 2;
    engine.ShadowWidth = 2;
    const std::vector<std::string> lines{PageText()};
    const double layout = BestNs([&] {
        std::vector<std::unique_ptr<TWdPage>> pages;
        engine.Parse(lines);
        engine.Layout(pages, 0, -1);
        benchmark::DoNotOptimize(pages.data());
    }, 50);
    // state.range(0): 1 shows the text of a text-insert command, read-marked and recorded.
    const bool script = state.range(0) == 1;
    double best = 1e30;
    for (auto _ : state) best = std::min(best, BestNs([&] {
        if (script) b.window->ShowScriptText("story.rsb", 1, true);
        else b.Show();
        b.Frame();
        b.Frame();  // the frame after the fade's first: the first glyph revealed
    }, 1));
    state.counters["show_us"] = best / 1e3;
    state.counters["layout_us"] = layout / 1e3;
    state.counters["x_layout"] = best / layout;
}

} // namespace

BENCHMARK(BM_TypingFrame)->Iterations(20);
BENCHMARK(BM_NewPage)->Arg(0)->Arg(1)->Iterations(50);
