#include "archive/zcodec.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <random>

#include "archive/errors.hpp"

namespace ruvo {
namespace {

constexpr int64_t kMiB = 0x100000;

// A zlib stream of `size` zero bytes, made without holding them: one raw deflate block of 1 MiB of zeros
// ends in a full flush, which forgets the history, so the same bytes can follow each other any number
// of times. The Adler-32 of n zeros is (n mod 65521) << 16 | 1.
std::string ZeroStream(int64_t size) {
    auto raw = [](const std::string& input, int flush) {
        z_stream z{};
        EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
        std::string out(input.size() + 1024, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        z.avail_in = static_cast<uInt>(input.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        EXPECT_NE(deflate(&z, flush), Z_STREAM_ERROR);
        out.resize(out.size() - z.avail_out);
        deflateEnd(&z);
        return out;
    };
    const std::string block = raw(std::string(kMiB, '\0'), Z_FULL_FLUSH);
    std::string stream = "\x78\xDA";
    for (int64_t i = 0; i < size / kMiB; ++i) stream += block;
    stream += raw(std::string(static_cast<size_t>(size % kMiB), '\0'), Z_FINISH);
    const uint32_t adler = (static_cast<uint32_t>(size % 65521) << 16) | 1;
    for (int shift = 24; shift >= 0; shift -= 8) stream += static_cast<char>(adler >> shift);
    return stream;
}

std::string Deflated(const std::string& content) {
    TDeflater deflater;
    std::vector<uint8_t> out;
    deflater.Deflate(reinterpret_cast<const uint8_t*>(content.data()), content.size(), out);
    return std::string(out.begin(), out.end());
}

std::string Inflated(TInflater& inflater, const std::string& stream) {
    TMemoryStream out;
    inflater.Inflate(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), out);
    return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

// How much the peak resident memory of a child process grows while it runs fn; fn's answer must be true.
int64_t PeakGrowth(const std::function<bool()>& fn) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        bool ok = false;
        try {
            ok = fn();
        } catch (...) {
        }
        ::getrusage(RUSAGE_SELF, &after);
        const int64_t growth = ok ? int64_t{after.ru_maxrss - before.ru_maxrss} * 1024 : -1;
        (void)!::write(pipeFds[1], &growth, sizeof growth);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int64_t growth = -1;
    if (::read(pipeFds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return growth;
}

TEST(Inflate, RoundTripsAndOneInflaterServesManyEntries) {
    std::mt19937 random(7);
    TInflater inflater;
    for (size_t size : {size_t{0}, size_t{1}, size_t{1000}, size_t{0x10001}, size_t{3 * kMiB}}) {
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>(random() % 7 == 0 ? random() : 'a');
        EXPECT_EQ(Inflated(inflater, Deflated(content)), content) << size;
    }
    // A content past the buffer the inflater keeps takes the measured path, in place as well.
    const int64_t large = 65 * kMiB + 3;
    TMemoryStream inPlace;
    const std::string stream = ZeroStream(large);
    inPlace.Write(stream.data(), static_cast<int64_t>(stream.size()));
    inflater.InflateInPlace(inPlace);
    ASSERT_EQ(inPlace.Size(), large);
    EXPECT_EQ(std::count(inPlace.Memory(), inPlace.Memory() + large, 0), large);
    EXPECT_EQ(inPlace.Position(), 0);
}

TEST(Inflate, DamagedTruncatedAndOversizedStreamsAreRefused) {
    const std::string good = Deflated(std::string(5000, 'x'));
    TInflater inflater(2 * kMiB);
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x40;
    const std::string largeButCut = ZeroStream(100 * kMiB).substr(0, 40000);
    const struct {
        const char* what;
        std::string stream;
        const char* expected;
    } cases[] = {
        {"empty", "", "damaged"},
        {"truncated", good.substr(0, good.size() - 3), "damaged"},
        {"damaged", flipped, "damaged"},
        {"not zlib", "plain text, not a zlib stream", "damaged"},
        {"one byte past the limit", ZeroStream(2 * kMiB + 1), "exceed 2097152"},
        {"far past the limit", ZeroStream(50 * kMiB), "exceed"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        try {
            Inflated(inflater, k.stream);
            FAIL() << "no exception";
        } catch (const ERuvoError& e) {
            EXPECT_NE(std::string(e.what()).find(k.expected), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(Inflated(inflater, ZeroStream(2 * kMiB)).size(), size_t{2 * kMiB});
    // A stream cut short past the scratch buffer's reach is found damaged by the measuring pass.
    TInflater unlimited;
    EXPECT_THROW(Inflated(unlimited, largeButCut), ERuvoError);
}

TEST(Inflate, PeakMemoryStaysNearTheContentAndABombAllocatesNothingPastTheLimit) {
    // 1 MB of zlib data that claims more than the 1 GiB limit.
    const std::string bomb = ZeroStream(kMaxInflatedSize + 1);
    ASSERT_LT(bomb.size(), size_t{2 * kMiB});
    const int64_t bombGrowth = PeakGrowth([&] {
        TInflater inflater;
        try {
            Inflated(inflater, bomb);
        } catch (const ERuvoError& e) {
            return std::string(e.what()).find("exceed") != std::string::npos;
        }
        return false;
    });
    ASSERT_GE(bombGrowth, 0) << "the bomb was not refused";
    EXPECT_LT(bombGrowth, 256 * kMiB);

    // A genuine large content: one buffer of its size, not a guessed buffer and a copy of it.
    const int64_t size = 160 * kMiB;
    const std::string large = ZeroStream(size);
    const int64_t largeGrowth = PeakGrowth([&] {
        TInflater inflater;
        TMemoryStream out;
        inflater.Inflate(reinterpret_cast<const uint8_t*>(large.data()), large.size(), out);
        return out.Size() == size;
    });
    ASSERT_GE(largeGrowth, 0) << "the content did not inflate";
    EXPECT_LT(largeGrowth, 2 * size);
}

} // namespace
} // namespace ruvo
