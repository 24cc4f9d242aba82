#pragma once
// Timing of the benchmarks that compare with a memcpy of a frame: the machine is shared, so the fastest
// of many timed repetitions (the one nobody interrupted) is taken, for the work and the reference alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
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

} // namespace ruvo::bench
