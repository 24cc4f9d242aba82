#include "archive/zcodec.hpp"

#include <algorithm>
#include <libdeflate.h>
#include <new>
#include <string>
#include <zlib.h>

#include "archive/errors.hpp"

namespace ruvo {

namespace {

constexpr size_t kCrcBlock = 0x100000;
constexpr size_t kMinGuess = 0x10000;
// A larger scratch buffer is released after use instead of being kept for the next entry.
constexpr size_t kKeptScratch = 0x4000000;

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

TInflater::TInflater() : decompressor_(libdeflate_alloc_decompressor()) {
    if (!decompressor_) throw std::bad_alloc();
}

TInflater::~TInflater() { libdeflate_free_decompressor(decompressor_); }

void TInflater::Inflate(const uint8_t* data, size_t size, TMemoryStream& out) {
    // Start with what the scratch buffer already holds, or a few times the stored size.
    size_t guess = std::max({scratch_.size(), size * 4, kMinGuess});
    guess = std::min<size_t>(guess, static_cast<size_t>(kMaxInflatedSize));
    for (;;) {
        if (scratch_.size() < guess) scratch_.resize(guess);
        size_t actual = 0;
        const libdeflate_result r =
            libdeflate_zlib_decompress(decompressor_, data, size, scratch_.data(), scratch_.size(), &actual);
        if (r == LIBDEFLATE_SUCCESS) {
            out.SetSize(0);
            out.SetPosition(0);
            out.Write(scratch_.data(), static_cast<int64_t>(actual));
            out.SetPosition(0);
            break;
        }
        if (r != LIBDEFLATE_INSUFFICIENT_SPACE) {
            scratch_.clear();
            throw DamagedData("the zlib stream of " + std::to_string(size) + " bytes is damaged or truncated");
        }
        if (scratch_.size() >= static_cast<size_t>(kMaxInflatedSize)) {
            scratch_.clear();
            throw DamagedData("the content would exceed " + std::to_string(kMaxInflatedSize) + " bytes");
        }
        guess = std::min<size_t>(scratch_.size() * 4, static_cast<size_t>(kMaxInflatedSize));
    }
    if (scratch_.size() > kKeptScratch) {
        scratch_.clear();
        scratch_.shrink_to_fit();
    }
}

void TInflater::InflateInPlace(TMemoryStream& stream) {
    // The decoder writes to its own buffer first, so the stream's memory can serve as input.
    Inflate(stream.Memory(), static_cast<size_t>(stream.Size()), stream);
}

} // namespace ruvo
