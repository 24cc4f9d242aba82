#pragma once
// Streams with 64-bit positions over files split into parts, memory and embedded resources; a read-ahead
// buffer for parsing directories; and range streams that show a window of a big stream as an ordinary one.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/streams.hpp"

namespace ruvo {

class TResourceRegistry;

// The open mode word: access in the low four bits, sharing in bits 4..7.
namespace bigmode {
constexpr uint32_t Read = 0x0;
constexpr uint32_t Write = 0x1;
constexpr uint32_t ReadWrite = 0x2;
constexpr uint32_t Create = 0xFFFF;
constexpr uint32_t ShareDenyWrite = 0x20;  // others may read
constexpr uint32_t ReadShared = Read | ShareDenyWrite;
} // namespace bigmode

constexpr int64_t kBigPartSize = int64_t{1} << 30;

class TGxBigStream {
public:
    virtual ~TGxBigStream() = default;
    virtual int64_t GetSize() { return 0; }
    virtual int64_t GetPosition() { return 0; }
    virtual void SetPosition(int64_t) {}
    virtual int64_t Write(const void*, int64_t) { return 0; }
    virtual int64_t Read(void*, int64_t) { return 0; }
    virtual int64_t CopyFromBig(TGxBigStream&, int64_t) { return 0; }
    virtual int64_t CopyFrom(TStream&, int64_t) { return 0; }
    virtual int64_t CopyTo(TStream&, int64_t) { return 0; }
};

// A file stored as part files of at most partSize bytes: "game.dat", "game.001", "game.002", ...
class TGxBigFileStream : public TGxBigStream {
public:
    TGxBigFileStream(std::filesystem::path fileName, uint32_t mode, int64_t partSize = kBigPartSize);
    ~TGxBigFileStream() override;

    static std::filesystem::path PartName(const std::filesystem::path& fileName, int index);

    int64_t GetSize() override;
    int64_t GetPosition() override { return position_; }
    void SetPosition(int64_t position) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t CopyFromBig(TGxBigStream& source, int64_t count) override;
    int64_t CopyFrom(TStream& source, int64_t count) override;
    int64_t CopyTo(TStream& destination, int64_t count) override;

    const std::filesystem::path& FileName() const noexcept { return fileName_; }
    int PartCount() const noexcept { return static_cast<int>(parts_.size()); }

    static constexpr int64_t kCopyBufferSize = 0x100000;

private:
    THandleStream& PartForWrite(size_t index);
    // Runs fn(part, n) over the chunks of a write of count bytes at the position; fn returns the bytes moved.
    template <class Fn>
    int64_t WriteChunks(int64_t count, Fn&& fn);

    std::filesystem::path fileName_;
    uint32_t mode_;
    int64_t partSize_;
    int64_t position_ = 0;
    std::vector<std::unique_ptr<THandleStream>> parts_;
};

// An ordinary memory stream behind the big interface.
class TGxBigMemoryStream : public TGxBigStream {
public:
    int64_t GetSize() override { return memory_.Size(); }
    int64_t GetPosition() override { return memory_.Position(); }
    void SetPosition(int64_t position) override { memory_.SetPosition(position); }
    int64_t Write(const void* buffer, int64_t count) override { return memory_.Write(buffer, count); }
    int64_t Read(void* buffer, int64_t count) override { return memory_.Read(buffer, count); }
    int64_t CopyFromBig(TGxBigStream& source, int64_t count) override;
    int64_t CopyFrom(TStream& source, int64_t count) override { return CopyStream(memory_, source, count); }
    int64_t CopyTo(TStream& destination, int64_t count) override { return CopyStream(destination, memory_, count); }
    void SaveToFile(const std::filesystem::path& path) const { memory_.SaveToFile(path); }
    void LoadFromFile(const std::filesystem::path& path) { memory_.LoadFromFile(path); }
    TMemoryStream& Memory() noexcept { return memory_; }

private:
    TMemoryStream memory_;
};

// A resource of the player's own registry, read-only.
class TGxBigResourceStream : public TGxBigStream {
public:
    // Throws ERuvoError when the registry has no such resource.
    TGxBigResourceStream(const TResourceRegistry& registry, std::string name, std::string type);
    int64_t GetSize() override { return stream_->Size(); }
    int64_t GetPosition() override { return stream_->Position(); }
    void SetPosition(int64_t position) override { stream_->SetPosition(position); }
    int64_t Write(const void* buffer, int64_t count) override { return stream_->Write(buffer, count); }
    int64_t Read(void* buffer, int64_t count) override { return stream_->Read(buffer, count); }
    int64_t CopyFromBig(TGxBigStream& source, int64_t count) override;
    int64_t CopyFrom(TStream& source, int64_t count) override { return CopyStream(*stream_, source, count); }
    int64_t CopyTo(TStream& destination, int64_t count) override { return CopyStream(destination, *stream_, count); }
    const std::string& ResourceName() const noexcept { return name_; }
    const std::string& ResourceType() const noexcept { return type_; }

private:
    std::string name_, type_;
    std::unique_ptr<TReadOnlyMemoryStream> stream_;
};

// Read-ahead over a big stream (not owned) for parsing many small fields with few reads.
class TGxBuffBigStream {
public:
    static constexpr int64_t kChunkSize = 102400;
    explicit TGxBuffBigStream(TGxBigStream& source) : source_(source) {}
    // Puts the source back just after the last byte returned.
    ~TGxBuffBigStream();
    TGxBuffBigStream(const TGxBuffBigStream&) = delete;
    TGxBuffBigStream& operator=(const TGxBuffBigStream&) = delete;

    // Returns the bytes delivered: fewer than asked only at the end of the source.
    int64_t ReadBuf(void* buffer, int64_t count);

private:
    TGxBigStream& source_;
    TMemoryStream buffer_;
};

// An ordinary, read-only stream showing [Start, Start + Length) of a big stream it owns.
class TRangeStream : public TStream {
public:
    // A length of 0 means the underlying stream's whole size.
    TRangeStream(std::unique_ptr<TGxBigStream> underlying, int64_t length, int64_t start);
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Start() const noexcept { return start_; }
    int64_t Length() const noexcept { return length_; }

private:
    std::unique_ptr<TGxBigStream> underlying_;
    int64_t start_;
    int64_t length_;
};

class TFileRangeStream : public TRangeStream {
public:
    TFileRangeStream(const std::filesystem::path& fileName, int64_t length, int64_t start,
                     int64_t partSize = kBigPartSize);
};

class TResourceRangeStream : public TRangeStream {
public:
    TResourceRangeStream(const TResourceRegistry& registry, std::string name, std::string type, int64_t length,
                         int64_t start);
};

} // namespace ruvo
