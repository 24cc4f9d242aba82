#include "archive/zcodec.hpp"

#include <algorithm>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <string>
#include <zlib.h>

#include "archive/errors.hpp"

namespace ruvo {

namespace {

constexpr size_t kCrcBlock = 0x100000;
constexpr size_t kMinGuess = 0x10000;
// The scratch buffer grows up to this size; larger contents take the measured path.
constexpr int64_t kKeptScratch = 0x4000000;
// Block of output thrown away while measuring a content's size.
constexpr size_t kSizingBlock = 0x40000;

ERuvoError DamagedData(const std::string& why) {
    return std::move(ERuvoError::FromUtf8("圧縮データが壊れています").AddContext(why));
}

} // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) noexcept {
    while (size > 0) {
        const uInt n = static_cast<uInt>(std::min<size_t>(size, 0x40000000));
        crc = static_cast<uint32_t>(crc32(crc, data, n));
        data += n;
        size -= n;
    }
    return crc;
}

uint32_t StreamCrc32(TStream& stream) {
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream))
        return Crc32(memory->Memory(), static_cast<size_t>(memory->Size()));
    stream.SetPosition(0);
    std::vector<uint8_t> block(kCrcBlock);
    uint32_t crc = 0;
    for (;;) {
        const int64_t got = stream.Read(block.data(), static_cast<int64_t>(block.size()));
        if (got <= 0) break;
        crc = Crc32(block.data(), static_cast<size_t>(got), crc);
    }
    return crc;
}

// ---- deflate

TDeflater::TDeflater(int level) : compressor_(libdeflate_alloc_compressor(level)) {
    if (!compressor_) throw std::bad_alloc();
}

TDeflater::~TDeflater() { libdeflate_free_compressor(compressor_); }

void TDeflater::Deflate(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    out.resize(libdeflate_zlib_compress_bound(compressor_, size));
    const size_t n = libdeflate_zlib_compress(compressor_, data, size, out.data(), out.size());
    if (n == 0) throw std::logic_error("deflate output exceeded its bound");
    out.resize(n);
}

// ---- inflate

namespace {

// The size a zlib stream inflates to, found by decoding it into a small buffer that is thrown away, so
// that nothing is allocated for a content that turns out to be too large.
int64_t InflatedSize(const uint8_t* data, size_t size, int64_t limit) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw std::bad_alloc();
    std::vector<uint8_t> sink(kSizingBlock);
    int64_t total = 0;
    int r = Z_OK;
    try {
        while (r != Z_STREAM_END) {
            if (z.avail_in == 0 && size > 0) {
                const size_t n = std::min<size_t>(size, 0x40000000);
                z.next_in = const_cast<Bytef*>(data);
                z.avail_in = static_cast<uInt>(n);
                data += n;
                size -= n;
            }
            z.next_out = sink.data();
            z.avail_out = static_cast<uInt>(sink.size());
            r = inflate(&z, Z_NO_FLUSH);
            const int64_t produced = static_cast<int64_t>(sink.size() - z.avail_out);
            total += produced;
            if (total > limit) throw DamagedData("the content would exceed " + std::to_string(limit) + " bytes");
            const bool stalled = r == Z_BUF_ERROR && z.avail_in == 0 && size == 0;
            if ((r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) || stalled)
                throw DamagedData("the zlib stream is damaged or truncated");
        }
    } catch (...) {
        inflateEnd(&z);
        throw;
    }
    inflateEnd(&z);
    return total;
}

} // namespace

TInflater::TInflater(int64_t limit)
    : decompressor_(libdeflate_alloc_decompressor()), limit_(std::max<int64_t>(limit, 0)) {
    if (!decompressor_) throw std::bad_alloc();
}

TInflater::~TInflater() { libdeflate_free_decompressor(decompressor_); }

void TInflater::Inflate(const uint8_t* data, size_t size, TMemoryStream& out) {
    // Fast path: one decode into the scratch buffer, which is kept between entries and grows up to a
    // ceiling; a guess of a few times the stored size is almost always right.
    const size_t ceiling = static_cast<size_t>(std::min<int64_t>(kKeptScratch, limit_));
    size_t guess = std::min(std::max({scratchSize_, size * 4, kMinGuess}), ceiling);
    for (;;) {
        if (scratchSize_ < guess) {
            scratch_.reset();  // never two buffers at once
            scratch_ = std::make_unique_for_overwrite<uint8_t[]>(guess);
            scratchSize_ = guess;
        }
        size_t actual = 0;
        const libdeflate_result r =
            libdeflate_zlib_decompress(decompressor_, data, size, scratch_.get(), scratchSize_, &actual);
        if (r == LIBDEFLATE_SUCCESS) {
            out.SetSize(0);
            out.SetPosition(0);
            out.Write(scratch_.get(), static_cast<int64_t>(actual));
            out.SetPosition(0);
            return;
        }
        if (r != LIBDEFLATE_INSUFFICIENT_SPACE)
            throw DamagedData("the zlib stream of " + std::to_string(size) + " bytes is damaged or truncated");
        if (scratchSize_ >= ceiling) break;
        guess = std::min(scratchSize_ * 4, ceiling);
    }
    if (static_cast<int64_t>(ceiling) >= limit_)
        throw DamagedData("the content would exceed " + std::to_string(limit_) + " bytes");

    // A large content: its size is measured first, then it is decoded straight into the stream, so the
    // peak memory stays near the content's size and a content past the limit allocates nothing.
    scratch_.reset();
    scratchSize_ = 0;
    const int64_t contentSize = InflatedSize(data, size, limit_);
    std::vector<uint8_t> input;
    if (data >= out.Memory() && data < out.Memory() + out.Size()) {
        input.assign(data, data + size);  // the stream's own bytes are the input: it is about to be replaced
        data = input.data();
    }
    out.Clear();
    out.SetSize(contentSize);
    if (libdeflate_zlib_decompress(decompressor_, data, size, out.Data(), static_cast<size_t>(contentSize), nullptr) !=
        LIBDEFLATE_SUCCESS) {
        out.Clear();
        throw DamagedData("the zlib stream of " + std::to_string(size) + " bytes is damaged");
    }
    out.SetPosition(0);
}

void TInflater::InflateInPlace(TMemoryStream& stream) {
    // The decoder writes to its own buffer first, so the stream's memory can serve as input.
    Inflate(stream.Memory(), static_cast<size_t>(stream.Size()), stream);
}

} // namespace ruvo
