// Archive entry decoding, directory reading and the content cache.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "archive/zcodec.hpp"

namespace {

using namespace ruvo;
namespace fs = std::filesystem;

constexpr size_t kEntrySize = 4 << 20;

// Half text, half picture rows (smooth gradients with a little noise), like the game data of a scene.
const std::vector<uint8_t>& MixedContent() {
    static const std::vector<uint8_t> data = [] {
        std::vector<uint8_t> d;
        d.reserve(kEntrySize);
        std::mt19937 random(7);
        const char* words[] = {"the ", "message ", "window ", "shows ", "text ", "\r\n", "@SelStr ", "page "};
        while (d.size() < kEntrySize / 2) {
            const char* w = words[random() % 8];
            d.insert(d.end(), w, w + std::char_traits<char>::length(w));
        }
        for (size_t i = 0; d.size() < kEntrySize; ++i) {
            const size_t x = i % 2400, y = i / 2400;
            d.push_back(static_cast<uint8_t>((x / 3 + y) / 4 + (random() % 4)));
        }
        d.resize(kEntrySize);
        return d;
    }();
    return data;
}

const std::vector<uint8_t>& Deflated() {
    static const std::vector<uint8_t> z = [] {
        std::vector<uint8_t> out;
        TDeflater().Deflate(MixedContent().data(), MixedContent().size(), out);
        return out;
    }();
    return z;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kEntrySize));
}

// ---- inflating a 4 MiB entry

void BM_Inflate_ZlibUncompressKnownSize(benchmark::State& state) {
    std::vector<uint8_t> out(kEntrySize);
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        uncompress(out.data(), &n, Deflated().data(), static_cast<uLong>(Deflated().size()));
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_Inflate_ZlibUncompressKnownSize);

// What a decoder without the size has to do with zlib: grow the output as it goes.
void BM_Inflate_ZlibStreamingUnknownSize(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> out(Deflated().size() * 2);
        z_stream z{};
        inflateInit(&z);
        z.next_in = const_cast<Bytef*>(Deflated().data());
        z.avail_in = static_cast<uInt>(Deflated().size());
        int r = Z_OK;
        while (r != Z_STREAM_END) {
            if (z.total_out == out.size()) out.resize(out.size() * 2);
            z.next_out = out.data() + z.total_out;
            z.avail_out = static_cast<uInt>(out.size() - z.total_out);
            r = inflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END) break;
        }
        out.resize(z.total_out);
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_Inflate_ZlibStreamingUnknownSize);

void BM_Inflate_LibdeflateKnownSize(benchmark::State& state) {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::vector<uint8_t> out(kEntrySize);
    for (auto _ : state) {
        libdeflate_zlib_decompress(d, Deflated().data(), Deflated().size(), out.data(), out.size(), nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    libdeflate_free_decompressor(d);
    SetBytes(state);
}
BENCHMARK(BM_Inflate_LibdeflateKnownSize);

// The player's decoder: a fresh one guesses from the stored size and may have to retry.
void BM_Inflate_TInflaterFirstEntry(benchmark::State& state) {
    TMemoryStream out;
    for (auto _ : state) {
        TInflater inflater;
        inflater.Inflate(Deflated().data(), Deflated().size(), out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SetBytes(state);
}
BENCHMARK(BM_Inflate_TInflaterFirstEntry);

// ... and once its buffer has grown to the entries it sees.
void BM_Inflate_TInflaterReused(benchmark::State& state) {
    TInflater inflater;
    TMemoryStream out;
    for (auto _ : state) {
        inflater.Inflate(Deflated().data(), Deflated().size(), out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SetBytes(state);
}
BENCHMARK(BM_Inflate_TInflaterReused);

// A picture of flat colour areas inflates to far more than the first guess: the cost of the retries.
const std::vector<uint8_t>& FlatDeflated() {
    static const std::vector<uint8_t> z = [] {
        std::vector<uint8_t> flat(kEntrySize);
        for (size_t i = 0; i < flat.size(); ++i) flat[i] = static_cast<uint8_t>((i / 65536) * 7);
        std::vector<uint8_t> out;
        TDeflater().Deflate(flat.data(), flat.size(), out);
        return out;
    }();
    return z;
}

void BM_InflateFlat_ZlibUncompressKnownSize(benchmark::State& state) {
    std::vector<uint8_t> out(kEntrySize);
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        uncompress(out.data(), &n, FlatDeflated().data(), static_cast<uLong>(FlatDeflated().size()));
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_InflateFlat_ZlibUncompressKnownSize);

void BM_InflateFlat_TInflaterFirstEntry(benchmark::State& state) {
    TMemoryStream out;
    for (auto _ : state) {
        TInflater inflater;
        inflater.Inflate(FlatDeflated().data(), FlatDeflated().size(), out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SetBytes(state);
}
BENCHMARK(BM_InflateFlat_TInflaterFirstEntry);

void BM_InflateFlat_TInflaterReused(benchmark::State& state) {
    TInflater inflater;
    TMemoryStream out;
    for (auto _ : state) {
        inflater.Inflate(FlatDeflated().data(), FlatDeflated().size(), out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SetBytes(state);
}
BENCHMARK(BM_InflateFlat_TInflaterReused);

// ---- deflating (packing)

void BM_Deflate_ZlibLevel1(benchmark::State& state) {
    std::vector<uint8_t> out(compressBound(static_cast<uLong>(kEntrySize)));
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        compress2(out.data(), &n, MixedContent().data(), static_cast<uLong>(kEntrySize), 1);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_Deflate_ZlibLevel1);

void BM_Deflate_TDeflater(benchmark::State& state) {
    TDeflater deflater;
    std::vector<uint8_t> out;
    for (auto _ : state) {
        deflater.Deflate(MixedContent().data(), kEntrySize, out);
        benchmark::DoNotOptimize(out.data());
    }
    SetBytes(state);
}
BENCHMARK(BM_Deflate_TDeflater);

// ---- archives on disk

struct BenchFolder {
    fs::path path;
    BenchFolder() {
        std::string pattern = (fs::temp_directory_path() / "ruvobench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~BenchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

void WriteArchive(const fs::path& file, int entries, const std::vector<uint8_t>* content) {
    TVrFileCollection c;
    for (int i = 0; i < entries; ++i) {
        TVrFile& e = c.AddMemoryFile("data\\folder" + std::to_string(i % 50) + "\\entry" + std::to_string(i) + ".png");
        if (content) e.Data->Write(content->data(), static_cast<int64_t>(content->size()));
    }
    TGxBigFileStream out(file, bigmode::Create);
    c.WriteTo(out);
}

// Extracting through the collection: reading the stored bytes from the file and inflating them.
void BM_Extract_DeflatedEntry(benchmark::State& state) {
    BenchFolder dir;
    WriteArchive(dir.path / "game.dat", 1, &MixedContent());
    TVrFileCollection c;
    c.Open(dir.path / "game.dat");
    const std::string name = c[0].Name();
    TMemoryStream out;
    for (auto _ : state) {
        c.Extract(name, out);
        benchmark::DoNotOptimize(out.Memory());
    }
    SetBytes(state);
}
BENCHMARK(BM_Extract_DeflatedEntry);

void BM_ReadDirectory(benchmark::State& state) {
    BenchFolder dir;
    WriteArchive(dir.path / "game.dat", static_cast<int>(state.range(0)), nullptr);
    for (auto _ : state) {
        TVrFileCollection c;
        c.Open(dir.path / "game.dat");
        benchmark::DoNotOptimize(c.Count());
    }
    state.SetComplexityN(state.range(0));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ReadDirectory)->Arg(12500)->Arg(25000)->Arg(50000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// A cache hit: the cached content copied once into the caller's stream.
void BM_Load_CacheHit(benchmark::State& state) {
    BenchFolder dir;
    const std::vector<uint8_t> content(MixedContent().begin(), MixedContent().begin() + (1 << 20));
    WriteArchive(dir.path / "game.dat", 1, &content);
    TDeletionList deletions;
    TVrFileManager manager(deletions, nullptr, dir.path);
    manager.AddArchive(dir.path / "game.dat");
    const std::string name = manager.Collection(0)[0].Name();
    TMemoryStream out;
    manager.Load(out, name);
    for (auto _ : state) {
        manager.Load(out, name);
        benchmark::DoNotOptimize(out.Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_Load_CacheHit);

void BM_Memcpy1MiB(benchmark::State& state) {
    std::vector<uint8_t> from(1 << 20, 1), to(1 << 20);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_Memcpy1MiB);

} // namespace
