#include "archive/streams.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace {

ERuvoError ReadError(int64_t wanted, int64_t got, int64_t position) {
    return std::move(ERuvoError::FromUtf8("読み込みエラー")
                         .AddContext("wanted " + std::to_string(wanted) + " bytes at position " +
                                     std::to_string(position) + ", got " + std::to_string(got)));
}

} // namespace

// ---- TStream

int64_t TStream::Size() {
    const int64_t here = Seek(0, SeekOrigin::Current);
    const int64_t end = Seek(0, SeekOrigin::End);
    Seek(here, SeekOrigin::Begin);
    return end;
}

int64_t TStream::Remaining() { return std::max<int64_t>(0, Size() - Position()); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count <= 0) return;
    const int64_t at = Position();
    const int64_t got = Read(buffer, count);
    if (got != count) throw ReadError(count, got, at);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count <= 0) return;
    const int64_t put = Write(buffer, count);
    if (put != count)
        throw std::move(ERuvoError::FromUtf8("書き込みエラー")
                            .AddContext("wrote " + std::to_string(put) + " of " + std::to_string(count) + " bytes"));
}

// ---- memory streams

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
    const int64_t n = std::clamp<int64_t>(size_ - position_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, memory_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t target = offset;
    if (origin == SeekOrigin::Current) target = position_ + offset;
    if (origin == SeekOrigin::End) target = size_ + offset;
    position_ = std::max<int64_t>(0, target);
    return position_;
}

TMemoryStream::TMemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {
    SetPointer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMemoryStream::Reserve(int64_t capacity) {
    if (capacity <= static_cast<int64_t>(data_.size())) return;
    const int64_t grown = std::max<int64_t>(capacity, static_cast<int64_t>(data_.size()) * 3 / 2 + 64);
    data_.resize(static_cast<size_t>(grown));
    memory_ = data_.data();
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const int64_t end = position_ + count;
    Reserve(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    size_ = std::max(size_, end);
    return count;
}

void TMemoryStream::SetSize(int64_t size) {
    size = std::max<int64_t>(size, 0);
    Reserve(size);
    if (size > size_) std::memset(data_.data() + size_, 0, static_cast<size_t>(size - size_));
    size_ = size;
    position_ = std::min(position_, size_);
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    SetPointer(nullptr, 0);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::filesystem::path& path) {
    TFileStream file(path, FileOpen::Read);
    const int64_t size = file.Size();
    Clear();
    SetSize(size);
    file.ReadBuffer(data_.data(), size);
}

void TMemoryStream::SaveToFile(const std::filesystem::path& path) const {
    TFileStream file(path, FileOpen::Create);
    file.WriteBuffer(memory_, size_);
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) {
    throw ERuvoError::FromUtf8("読み込み専用のストリームには書き込めません");
}

// ---- handle streams

THandleStream::~THandleStream() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

int64_t THandleStream::Read(void* buffer, int64_t count) {
    if (fd_ < 0 || count <= 0) return 0;
    int64_t total = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (total < count) {
        const ssize_t r = ::read(fd_, p + total, static_cast<size_t>(std::min<int64_t>(count - total, 1 << 30)));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        total += r;
    }
    return total;
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
    if (fd_ < 0 || count <= 0) return 0;
    int64_t total = 0;
    const auto* p = static_cast<const uint8_t*>(buffer);
    while (total < count) {
        const ssize_t w = ::write(fd_, p + total, static_cast<size_t>(std::min<int64_t>(count - total, 1 << 30)));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        total += w;
    }
    return total;
}

int64_t THandleStream::Seek(int64_t offset, SeekOrigin origin) {
    if (fd_ < 0) return 0;
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? ::lseek(fd_, 0, SEEK_CUR) : r;
}

int64_t THandleStream::Size() {
    struct stat st{};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    return st.st_size;
}

void THandleStream::Flush() noexcept {
    if (fd_ >= 0) ::fsync(fd_);
}

int TFileStream::OpenQuiet(const std::filesystem::path& path, FileOpen mode) noexcept {
    int flags = O_CLOEXEC;
    switch (mode) {
    case FileOpen::Read: flags |= O_RDONLY; break;
    case FileOpen::ReadWrite: flags |= O_RDWR; break;
    case FileOpen::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    int fd;
    do fd = ::open(path.c_str(), flags, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd >= 0 && mode != FileOpen::Create) {
        struct stat st{};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {  // a folder is not a file to read
            ::close(fd);
            fd = -1;
        }
    }
    return fd;
}

TFileStream::TFileStream(const std::filesystem::path& path, FileOpen mode) : THandleStream(OpenQuiet(path, mode)) {
    if (!Valid()) {
        const std::string reason = std::strerror(errno);
        const char* text = mode == FileOpen::Create ? "%s:ファイルを作成できません" : "%s:ファイルがありません";
        throw std::move(ERuvoError(SysMessage(text, {Utf8ToSjisLossy(path.string())})).AddContext(reason));
    }
}

// ---- copying

int64_t CopyStream(TStream& destination, TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0) return count;
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&source)) {
        const int64_t at = memory->Position();
        const int64_t n = std::min(count, std::max<int64_t>(0, memory->Size() - at));
        destination.Write(memory->Memory() + at, n);
        memory->SetPosition(at + n);
        return count;
    }
    int64_t bufferSize = std::min<int64_t>(count, 0xA00000);
    std::unique_ptr<uint8_t[]> buffer;
    while (!buffer) {
        buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(bufferSize)]);
        if (!buffer) {
            bufferSize -= 0x100000;
            if (bufferSize <= 0) throw std::bad_alloc();
        }
    }
    for (int64_t left = count; left > 0;) {
        const int64_t c = source.Read(buffer.get(), std::min(bufferSize, left));
        if (c <= 0) break;  // the source ran dry: a short copy
        destination.Write(buffer.get(), c);
        left -= c;
    }
    return count;
}

// ---- record helpers

void WriteInt(TStream& s, int32_t value) {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    s.WriteBuffer(b, 4);
}

int32_t ReadInt(TStream& s) {
    uint8_t b[4];
    s.ReadBuffer(b, 4);
    return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

void WriteInt64(TStream& s, int64_t value) {
    uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    s.WriteBuffer(b, 8);
}

int64_t ReadInt64(TStream& s) {
    uint8_t b[8];
    s.ReadBuffer(b, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
    return static_cast<int64_t>(v);
}

void WriteByte(TStream& s, uint8_t value) { s.WriteBuffer(&value, 1); }

uint8_t ReadByte(TStream& s) {
    uint8_t b;
    s.ReadBuffer(&b, 1);
    return b;
}

void WriteStr(TStream& s, std::string_view value) {
    if (value.size() > 0x7FFFFFFF) throw ERuvoError::FromUtf8("文字列が長すぎます");
    WriteInt(s, static_cast<int32_t>(value.size()));
    s.WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

std::string ReadStr(TStream& s) {
    const int32_t length = ReadInt(s);
    if (length <= 0) return std::string();
    const int64_t left = s.Remaining();
    if (length > left) throw ReadError(length, left, s.Position());
    std::string value(static_cast<size_t>(length), '\0');
    s.ReadBuffer(value.data(), length);
    return value;
}

void WriteReal(TStream& s, Real value) {
    uint8_t b[10];
    WriteExtended(value, b);
    s.WriteBuffer(b, 10);
}

Real ReadReal(TStream& s) {
    uint8_t b[10];
    s.ReadBuffer(b, 10);
    return ReadExtended(b);
}

} // namespace ruvo
