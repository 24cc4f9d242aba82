#pragma once
// The zlib streams of archive entries and picture planes: CRC-32, deflate and whole-buffer inflate.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/streams.hpp"

struct libdeflate_compressor;
struct libdeflate_decompressor;

namespace ruvo {

// zlib's CRC-32 (reflected, polynomial 0xEDB88320), continued from crc.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) noexcept;
// CRC-32 of a whole stream, read from position 0 to its end in 1 MiB blocks.
uint32_t StreamCrc32(TStream& stream);

// The largest content an entry may inflate to; more is taken as damaged data, not as a request to
// allocate without bound.
constexpr int64_t kMaxInflatedSize = int64_t{1} << 30;

// Makes zlib streams, at the fastest level unless told otherwise (1..12; the picture packer spends more).
class TDeflater {
public:
    explicit TDeflater(int level = 1);
    ~TDeflater();
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    // out receives the zlib stream of the data (replacing what it held).
    void Deflate(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

private:
    libdeflate_compressor* compressor_;
};

// Decodes whole zlib streams. The content size is not stored with an entry, so the decoder guesses and
// retries with a larger buffer; the buffer is kept between calls, so that after the first few entries
// the guess is almost always right. Contents larger than that buffer may grow are measured before they
// are decoded, and a content past the limit is refused before any memory is given to it.
class TInflater {
public:
    explicit TInflater(int64_t limit = kMaxInflatedSize);
    ~TInflater();
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Replaces the content of out by the decoded data. Throws ERuvoError for damaged or truncated data
    // and for a content larger than the limit.
    void Inflate(const uint8_t* data, size_t size, TMemoryStream& out);
    // Decodes the zlib stream that a memory stream holds, replacing it by the content.
    void InflateInPlace(TMemoryStream& stream);

private:
    libdeflate_decompressor* decompressor_;
    int64_t limit_;
    std::unique_ptr<uint8_t[]> scratch_;  // not zero-filled: only what the decoder writes is touched
    size_t scratchSize_ = 0;
};

} // namespace ruvo
