// Throughput of the read-ahead buffer and of the stream copies, with the plain alternatives beside them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "archive/bigstreams.hpp"

namespace {

namespace fs = std::filesystem;

// A scratch file of the given size, made once per size and removed at exit.
class ScratchFile {
public:
    explicit ScratchFile(int64_t size) {
        std::string pattern = (fs::temp_directory_path() / "ruvobench-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        path_ = pattern;
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 31);
        for (int64_t left = size; left > 0; left -= static_cast<int64_t>(block.size()))
            if (::write(fd, block.data(), static_cast<size_t>(std::min<int64_t>(left, block.size()))) < 0) break;
        ::close(fd);
    }
    ~ScratchFile() { fs::remove(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

const ScratchFile& File16M() {
    static ScratchFile f(16 << 20);
    return f;
}

// Directory-style parsing: many 4-byte fields through the read-ahead buffer.
void BM_ReadAheadFields(benchmark::State& state) {
    ruvo::TGxBigFileStream big(File16M().Path(), ruvo::bigmode::ReadShared);
    const int fields = static_cast<int>(state.range(0));
    for (auto _ : state) {
        big.SetPosition(0);
        ruvo::TGxBuffBigStream buffer(big);
        uint32_t sum = 0, v;
        for (int i = 0; i < fields; ++i) {
            buffer.ReadBuf(&v, 4);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * fields * 4);
}
BENCHMARK(BM_ReadAheadFields)->Arg(150000);

// The same fields read one file read each: what the read-ahead avoids.
void BM_UnbufferedFields(benchmark::State& state) {
    ruvo::TGxBigFileStream big(File16M().Path(), ruvo::bigmode::ReadShared);
    const int fields = static_cast<int>(state.range(0));
    for (auto _ : state) {
        big.SetPosition(0);
        uint32_t sum = 0, v;
        for (int i = 0; i < fields; ++i) {
            big.Read(&v, 4);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * fields * 4);
}
BENCHMARK(BM_UnbufferedFields)->Arg(150000);

// A whole file into memory through the big stream (CopyStream per part).
void BM_BigFileCopyToMemory(benchmark::State& state) {
    ruvo::TGxBigFileStream big(File16M().Path(), ruvo::bigmode::ReadShared);
    ruvo::TMemoryStream memory;
    for (auto _ : state) {
        big.SetPosition(0);
        memory.SetPosition(0);
        big.CopyTo(memory, big.GetSize());
        benchmark::DoNotOptimize(memory.Memory());
    }
    state.SetBytesProcessed(state.iterations() * (16 << 20));
}
BENCHMARK(BM_BigFileCopyToMemory);

// Memory to memory: CopyStream writes straight from the source's memory; memcpy is the floor.
void BM_CopyStreamMemory(benchmark::State& state) {
    std::vector<uint8_t> data(16 << 20, 7);
    ruvo::TMemoryStream source(data);
    ruvo::TMemoryStream destination;
    destination.SetSize(static_cast<int64_t>(data.size()));
    for (auto _ : state) {
        source.SetPosition(0);
        destination.SetPosition(0);
        ruvo::CopyStream(destination, source, source.Size());
        benchmark::DoNotOptimize(destination.Memory());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_CopyStreamMemory);

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(16 << 20, 7), b(16 << 20);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(a.size()));
}
BENCHMARK(BM_Memcpy);

} // namespace
