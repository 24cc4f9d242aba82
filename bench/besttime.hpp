#pragma once
// Timing of the benchmarks that compare with a memcpy of a frame: the machine is shared, so the fastest
// of many timed repetitions (the one nobody interrupted) is taken, for the work and the reference alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace ruvo::bench {

template <class Fn>
double BestNs(Fn&& fn, int repetitions) {
    double best = 1e30;
    for (int i = 0; i < repetitions; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        fn();
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// Best time of a cache-hot memcpy of that many bytes (one frame).
inline double MemcpyNs(size_t bytes) {
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    return BestNs([&] { std::memcpy(b.data(), a.data(), bytes); }, 2000);
}

// Times fn once per iteration and reports its best time against a memcpy of frameBytes measured once
// per run (counters best_ms, memcpy_ms and x_memcpy); the best time in ns.
template <class Fn>
double ReportAgainstMemcpy(benchmark::State& state, size_t frameBytes, Fn&& fn) {
    static std::map<size_t, double> memcpyNs;
    auto [it, fresh] = memcpyNs.try_emplace(frameBytes, 0.0);
    if (fresh) it->second = MemcpyNs(frameBytes);
    double best = 1e30;
    for (auto _ : state) best = std::min(best, BestNs(fn, 1));
    state.counters["best_ms"] = best / 1e6;
    state.counters["memcpy_ms"] = it->second / 1e6;
    state.counters["x_memcpy"] = best / it->second;
    return best;
}

} // namespace ruvo::bench
