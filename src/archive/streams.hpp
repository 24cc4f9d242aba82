#pragma once
// Ordinary streams (64-bit positions): memory, read-only memory views, file handles; the copy helper
// and the record helpers every stored format uses.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "archive/extended.hpp"

namespace ruvo {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    // Return the bytes actually transferred; never throw for a short transfer.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Remaining();

    // Throw ERuvoError when fewer bytes move than asked.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
};

// A stream over one block of memory; CopyStream reads such sources in place.
class TCustomMemoryStream : public TStream {
public:
    const uint8_t* Memory() const noexcept { return memory_; }
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return size_; }

protected:
    void SetPointer(const uint8_t* memory, int64_t size) noexcept {
        memory_ = memory;
        size_ = size;
    }
    const uint8_t* memory_ = nullptr;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// Growable memory stream; a write past the end extends it.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> data);
    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size);
    void Clear();
    uint8_t* Data() noexcept { return data_.data(); }
    // The content as a vector (a copy).
    std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(memory_, memory_ + size_); }
    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;

private:
    void Reserve(int64_t capacity);
    std::vector<uint8_t> data_;  // capacity; size_ bytes are valid
};
using TGxMemoryStream = TMemoryStream;

// Read-only view of memory owned elsewhere (embedded resources, mapped data).
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
    TReadOnlyMemoryStream(const uint8_t* memory, int64_t size) { SetPointer(memory, size); }
    int64_t Write(const void*, int64_t) override;  // throws: the memory cannot be written
};

// A stream over a POSIX file descriptor. A stream on an invalid descriptor reads and writes nothing,
// which is how part files that cannot be opened behave.
class THandleStream : public TStream {
public:
    explicit THandleStream(int fd, bool owned = true) noexcept : fd_(fd), owned_(owned) {}
    ~THandleStream() override;
    THandleStream(const THandleStream&) = delete;
    THandleStream& operator=(const THandleStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override;
    bool Valid() const noexcept { return fd_ >= 0; }
    int Handle() const noexcept { return fd_; }
    void Flush() noexcept;

private:
    int fd_;
    bool owned_;
};

enum class FileOpen { Read, ReadWrite, Create };
// Opens a file; throws ERuvoError "%s:ファイルがありません" style errors when it cannot be opened.
class TFileStream : public THandleStream {
public:
    TFileStream(const std::filesystem::path& path, FileOpen mode);
    // Opens without raising: an invalid descriptor on failure.
    static int OpenQuiet(const std::filesystem::path& path, FileOpen mode) noexcept;
};

// Copies count bytes (0: the whole source from position 0); returns the count asked for. Memory sources
// are written from their memory directly. Stops early when the source runs dry.
int64_t CopyStream(TStream& destination, TStream& source, int64_t count);

// Record helpers: little-endian integers, single bytes, strings as a 32-bit byte count and the bytes.
void WriteInt(TStream& s, int32_t value);
int32_t ReadInt(TStream& s);
void WriteInt64(TStream& s, int64_t value);
int64_t ReadInt64(TStream& s);
void WriteByte(TStream& s, uint8_t value);
uint8_t ReadByte(TStream& s);
void WriteStr(TStream& s, std::string_view value);
// A length <= 0 gives the empty string; a length beyond the bytes left throws before allocating.
std::string ReadStr(TStream& s);
void WriteReal(TStream& s, Real value);
Real ReadReal(TStream& s);

} // namespace ruvo
