// Reading a large script page, and building page source, the two paths every game start and every
// ruvotool build take.
#include <benchmark/benchmark.h>

#include <string>

#include "archive/streams.hpp"
#include "script/page.hpp"
#include "tools/pagesource.hpp"

namespace {

// A page source of n blocks, each a mix of flow, calculation, an object with six properties and text.
std::string Source(int blocks) {
    std::string s;
    for (int i = 0; i < blocks; ++i) {
        std::string n = std::to_string(i);
        s += "*l" + n + "\n";
        s += "If score > " + n + "\n";
        s += "    Calc score = score + " + n + " * 2 - bonus\n";
        s += "ImgNew PR_NAME = \"img" + n + "\", PR_SOURCE = \"a.png\", PR_LEFT = 10, PR_TOP = 20, PR_ZOOMX = 256, PR_ALPHA = 255\n";
        s += "TextIns \"text number " + n + "\", \"mes\", TRUE, TRUE\n";
    }
    return s;
}

void BM_LoadPage(benchmark::State& state) {
    auto page = ruvo::tools::BuildPageSource(Source(static_cast<int>(state.range(0))), "bench.rvs", "bench.rsb");
    ruvo::TMemoryStream bytes;
    page->SaveToStream(bytes);
    for (auto _ : state) {
        bytes.SetPosition(0);
        ruvo::TPage loaded;
        loaded.LoadFromStream("bench.rsb", bytes);
        benchmark::DoNotOptimize(loaded.Count());
    }
    state.SetBytesProcessed(state.iterations() * bytes.Size());
    state.counters["commands"] = page->Count();
}
BENCHMARK(BM_LoadPage)->Arg(200)->Arg(2000);

void BM_BuildPageSource(benchmark::State& state) {
    std::string source = Source(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto page = ruvo::tools::BuildPageSource(source, "bench.rvs", "bench.rsb");
        benchmark::DoNotOptimize(page->Count());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_BuildPageSource)->Arg(200);

// dump --source: every string and expression is checked to come back as the same bytes.
void BM_WritePageSource(benchmark::State& state) {
    std::string source = Source(static_cast<int>(state.range(0)));
    for (size_t at; (at = source.find("text number")) != std::string::npos;) source.replace(at, 11, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    auto page = ruvo::tools::BuildPageSource(source, "bench.rvs", "bench.rsb");
    size_t written = 0;
    for (auto _ : state) {
        const std::string text = ruvo::tools::WritePageSource(*page);
        written += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(written));
}
BENCHMARK(BM_WritePageSource)->Arg(200);

} // namespace
