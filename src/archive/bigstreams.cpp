#include "archive/bigstreams.hpp"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "archive/errors.hpp"
#include "archive/resources.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

uint32_t AccessOf(uint32_t mode) { return mode & 0xF; }
bool CreatesAnew(uint32_t mode) { return AccessOf(mode) == bigmode::Write || AccessOf(mode) == 0xF; }

// Position of a stream's bytes moved by an operation that does not report them exactly (CopyStream).
int64_t Moved(THandleStream& part, int64_t before) { return part.Position() - before; }

} // namespace

// ---- TGxBigFileStream

fs::path TGxBigFileStream::PartName(const fs::path& fileName, int index) {
    if (index == 0) return fileName;
    char ext[16];
    std::snprintf(ext, sizeof ext, ".%.3d", index);
    fs::path name = fileName;
    name.replace_extension(ext);
    return name;
}

TGxBigFileStream::TGxBigFileStream(fs::path fileName, uint32_t mode, int64_t partSize)
    : fileName_(std::move(fileName)), mode_(mode), partSize_(std::max<int64_t>(partSize, 1)) {
    std::error_code ec;
    if (CreatesAnew(mode_)) {
        // Writing starts empty: the old part set goes, up to its first gap.
        for (int i = 0; fs::exists(PartName(fileName_, i), ec); ++i) fs::remove(PartName(fileName_, i), ec);
        return;
    }
    const FileOpen access = AccessOf(mode_) == bigmode::ReadWrite ? FileOpen::ReadWrite : FileOpen::Read;
    for (int i = 0; fs::exists(PartName(fileName_, i), ec); ++i)
        parts_.push_back(std::make_unique<THandleStream>(TFileStream::OpenQuiet(PartName(fileName_, i), access)));
}

TGxBigFileStream::~TGxBigFileStream() {
    const uint32_t access = AccessOf(mode_);
    if (access == bigmode::Write || access == bigmode::ReadWrite || access == 0xF)
        for (auto& part : parts_) part->Flush();
}

int64_t TGxBigFileStream::GetSize() {
    int64_t size = 0;
    for (auto& part : parts_) size += part->Size();
    return size;
}

void TGxBigFileStream::SetPosition(int64_t position) {
    position_ = std::clamp<int64_t>(position, 0, GetSize());
}

THandleStream& TGxBigFileStream::PartForWrite(size_t index) {
    while (parts_.size() <= index) {
        const fs::path name = PartName(fileName_, static_cast<int>(parts_.size()));
        parts_.push_back(std::make_unique<THandleStream>(TFileStream::OpenQuiet(name, FileOpen::Create)));
    }
    return *parts_[index];
}

template <class Fn>
int64_t TGxBigFileStream::WriteChunks(int64_t count, Fn&& fn) {
    int64_t total = 0;
    size_t i = static_cast<size_t>(position_ / partSize_);
    while (count > 0) {
        THandleStream& part = PartForWrite(i);
        const int64_t offset = position_ % partSize_;
        part.SetPosition(offset);
        const int64_t n = std::min(partSize_ - offset, count);
        const int64_t done = fn(part, n);
        total += done;
        position_ += done;
        if (done < n) break;  // the part could not take it all: stop rather than leave a hole
        count -= n;
        ++i;
    }
    return total;
}

int64_t TGxBigFileStream::Write(const void* buffer, int64_t count) {
    const auto* p = static_cast<const uint8_t*>(buffer);
    return WriteChunks(count, [&](THandleStream& part, int64_t n) {
        const int64_t done = part.Write(p, n);
        p += done;
        return done;
    });
}

int64_t TGxBigFileStream::Read(void* buffer, int64_t count) {
    auto* p = static_cast<uint8_t*>(buffer);
    int64_t total = 0;
    for (size_t i = static_cast<size_t>(position_ / partSize_); count > 0 && i < parts_.size(); ++i) {
        THandleStream& part = *parts_[i];
        const int64_t offset = position_ % partSize_;
        const int64_t n = std::min(part.Size() - offset, count);
        if (n <= 0) break;  // a short part in the middle of a damaged set: nothing more to read in order
        part.SetPosition(offset);
        const int64_t got = part.Read(p, n);
        total += got;
        position_ += got;
        p += got;
        count -= got;
        // Only a full part leads on to the next one: after a short part the set is damaged.
        if (got < n || position_ % partSize_ != 0) break;
    }
    return total;
}

int64_t TGxBigFileStream::CopyTo(TStream& destination, int64_t count) {
    int64_t total = 0;
    for (size_t i = static_cast<size_t>(position_ / partSize_); count > 0 && i < parts_.size(); ++i) {
        THandleStream& part = *parts_[i];
        const int64_t offset = position_ % partSize_;
        const int64_t n = std::min(part.Size() - offset, count);
        if (n <= 0) break;
        part.SetPosition(offset);
        CopyStream(destination, part, n);
        const int64_t got = Moved(part, offset);
        total += got;
        position_ += got;
        count -= got;
        if (got < n || position_ % partSize_ != 0) break;
    }
    return total;
}

int64_t TGxBigFileStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    return WriteChunks(count, [&](THandleStream& part, int64_t n) {
        const int64_t before = part.Position();
        CopyStream(part, source, n);
        return Moved(part, before);
    });
}

int64_t TGxBigFileStream::CopyFromBig(TGxBigStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    if (auto* file = dynamic_cast<TGxBigFileStream*>(&source)) {
        // Part to part, without an intermediate buffer.
        return WriteChunks(count, [&](THandleStream& part, int64_t n) {
            const int64_t before = part.Position();
            for (int64_t left = n; left > 0;) {
                const size_t j = static_cast<size_t>(file->position_ / file->partSize_);
                if (j >= file->parts_.size()) break;
                THandleStream& from = *file->parts_[j];
                const int64_t offset = file->position_ % file->partSize_;
                const int64_t s = std::min(file->partSize_ - offset, left);
                from.SetPosition(offset);
                const int64_t at = part.Position();
                CopyStream(part, from, s);
                const int64_t got = Moved(part, at);
                file->position_ += got;
                left -= got;
                if (got < s) break;
            }
            return Moved(part, before);
        });
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(kCopyBufferSize, count)));
    return WriteChunks(count, [&](THandleStream& part, int64_t n) {
        int64_t done = 0;
        while (done < n) {
            const int64_t z = std::min<int64_t>(static_cast<int64_t>(buffer.size()), n - done);
            const int64_t got = source.Read(buffer.data(), z);
            const int64_t put = part.Write(buffer.data(), got);
            done += put;
            if (got < z || put < got) break;
        }
        return done;
    });
}

// ---- memory and resource forms

int64_t TGxBigMemoryStream::CopyFromBig(TGxBigStream& source, int64_t count) {
    auto* other = dynamic_cast<TGxBigMemoryStream*>(&source);
    return other ? CopyStream(memory_, other->memory_, count) : 0;
}

TGxBigResourceStream::TGxBigResourceStream(const TResourceRegistry& registry, std::string name, std::string type)
    : name_(std::move(name)), type_(std::move(type)) {
    const auto* data = registry.Find(name_, type_);
    if (!data)
        throw std::move(ERuvoError::FromUtf8("リソースが見つかりません")
                            .AddContext("resource " + SjisToUtf8Lossy(name_) + " of type " + SjisToUtf8Lossy(type_)));
    stream_ = std::make_unique<TReadOnlyMemoryStream>(data->data(), static_cast<int64_t>(data->size()));
}

int64_t TGxBigResourceStream::CopyFromBig(TGxBigStream& source, int64_t count) {
    auto* other = dynamic_cast<TGxBigResourceStream*>(&source);
    return other ? CopyStream(*stream_, *other->stream_, count) : 0;
}

// ---- read-ahead

TGxBuffBigStream::~TGxBuffBigStream() {
    const int64_t unread = buffer_.Size() - buffer_.Position();
    if (unread > 0) source_.SetPosition(source_.GetPosition() - unread);
}

int64_t TGxBuffBigStream::ReadBuf(void* buffer, int64_t count) {
    auto* p = static_cast<uint8_t*>(buffer);
    int64_t delivered = 0;
    while (count > 0) {
        if (buffer_.Position() >= buffer_.Size()) {
            buffer_.SetSize(0);
            const int64_t want = std::min(source_.GetSize() - source_.GetPosition(), kChunkSize);
            if (want <= 0) break;  // the source is exhausted: a short count, never an endless refill
            source_.CopyTo(buffer_, want);
            buffer_.SetPosition(0);
            if (buffer_.Size() == 0) break;
        }
        const int64_t got = buffer_.Read(p, count);
        p += got;
        count -= got;
        delivered += got;
    }
    return delivered;
}

// ---- range streams

TRangeStream::TRangeStream(std::unique_ptr<TGxBigStream> underlying, int64_t length, int64_t start)
    : underlying_(std::move(underlying)), start_(start), length_(length) {
    if (length_ == 0) length_ = underlying_->GetSize();
    underlying_->SetPosition(start_);
}

int64_t TRangeStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t target;
    switch (origin) {
    case SeekOrigin::Begin: target = start_ + offset; break;
    case SeekOrigin::Current: target = underlying_->GetPosition() + offset; break;
    case SeekOrigin::End: target = start_ + length_ + offset; break;
    default: target = underlying_->GetPosition(); break;
    }
    target = std::clamp(target, start_, start_ + length_);
    underlying_->SetPosition(target);
    return underlying_->GetPosition() - start_;
}

int64_t TRangeStream::Read(void* buffer, int64_t count) {
    const int64_t position = underlying_->GetPosition();
    if (position + count > start_ + length_) count = start_ + length_ - position;
    if (count <= 0) return 0;
    return underlying_->Read(buffer, count);
}

TFileRangeStream::TFileRangeStream(const fs::path& fileName, int64_t length, int64_t start, int64_t partSize)
    : TRangeStream(std::make_unique<TGxBigFileStream>(fileName, bigmode::ReadShared, partSize), length, start) {}

TResourceRangeStream::TResourceRangeStream(const TResourceRegistry& registry, std::string name, std::string type,
                                           int64_t length, int64_t start)
    : TRangeStream(std::make_unique<TGxBigResourceStream>(registry, std::move(name), std::move(type)), length,
                   start) {}

} // namespace ruvo
