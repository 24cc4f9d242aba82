#include "archive/vrfiles.hpp"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <system_error>
#include <vector>

#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/rands.hpp"
#include "archive/resources.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWrittenVersion = 102;
constexpr int32_t kNewestVersion = 102;
// Extensions of media that are read in place from the archive, so they are never deflated.
constexpr std::string_view kStreamedExtensions = ".WAV.WMA.OGG.MPG.MPEG.M1V.WMV.ASF.DAT.";

ERuvoError Damaged(const std::string& why) {
    return std::move(ERuvoError::FromUtf8("アーカイブが壊れています").AddContext(why));
}

ERuvoError NotFound(std::string_view name) {
    return ERuvoError(SysMessage("%s:ファイルがありません", {name}));
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLe32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The directory's fields, read through one read-ahead buffer and checked against what the directory
// stream still holds before anything is allocated.
class TDirectoryReader {
public:
    explicit TDirectoryReader(TGxBigStream& stream)
        : buffer_(stream), remaining_(std::max<int64_t>(0, stream.GetSize() - stream.GetPosition())) {}

    int64_t Remaining() const noexcept { return remaining_; }

    void Read(void* into, int64_t count, const char* what) {
        if (count < 0 || count > remaining_)
            throw Damaged(std::string(what) + " runs past the end of the directory (" + std::to_string(count) +
                          " bytes wanted, " + std::to_string(remaining_) + " left)");
        if (buffer_.ReadBuf(into, count) != count) throw Damaged(std::string(what) + " could not be read");
        remaining_ -= count;
    }
    int32_t Int32(const char* what) {
        uint8_t b[4];
        Read(b, 4, what);
        return static_cast<int32_t>(GetLe32(b));
    }
    std::vector<uint8_t> Block(int64_t count, const char* what) {
        if (count < 0 || count > remaining_) Read(nullptr, count, what);  // throws
        std::vector<uint8_t> v(static_cast<size_t>(count));
        Read(v.data(), count, what);
        return v;
    }

private:
    TGxBuffBigStream buffer_;
    int64_t remaining_;
};

bool IsLayeredImageWithRawPlanes(const uint8_t* p, int64_t size) {
    // "Zeph", three digits of version (103 or later), an int32 header size, then the header record whose
    // byte 22 is the compression mode (1: planes stored uncompressed).
    if (size < 4 + 3 + 4 + 23 || std::memcmp(p, "Zeph", 4) != 0) return false;
    int version = 0;
    for (int i = 4; i < 7; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        version = version * 10 + (p[i] - '0');
    }
    const int64_t headerSize = static_cast<int32_t>(GetLe32(p + 7));
    return version >= 103 && headerSize >= 23 && p[11 + 22] == 1;
}

void WriteAll(TGxBigStream& output, const void* data, int64_t count) {
    if (count > 0 && output.Write(data, count) != count)
        throw ERuvoError::FromUtf8("書き込みエラー");
}

} // namespace

int32_t DosFileTime(const fs::path& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return 0;
    const std::time_t t = st.st_mtime;
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return 0;
    if (tm.tm_year < 80) return (1 << 21) | (1 << 16);  // DOS time starts on 1 January 1980
    const uint32_t v = (static_cast<uint32_t>(tm.tm_year - 80) << 25) | (static_cast<uint32_t>(tm.tm_mon + 1) << 21) |
                       (static_cast<uint32_t>(tm.tm_mday) << 16) | (static_cast<uint32_t>(tm.tm_hour) << 11) |
                       (static_cast<uint32_t>(tm.tm_min) << 5) | static_cast<uint32_t>(tm.tm_sec / 2);
    return static_cast<int32_t>(v);
}

TVrFileCollection::TVrFileCollection(int64_t partSize) : partSize_(partSize) {}

TVrFileCollection::~TVrFileCollection() = default;

void TVrFileCollection::Close() noexcept {
    Clear();
    version_ = -1;
    stream_.reset();
    data_ = nullptr;
    registry_ = nullptr;
    resourceName_.clear();
    resourceType_.clear();
    folder_.clear();
    containerName_.clear();
    resolver_.reset();
}

std::string TVrFileCollection::Describe() const {
    if (registry_) return "archive in resource " + SjisToUtf8Lossy(resourceName_);
    if (!containerName_.empty()) return "archive " + containerName_.string();
    return "archive";
}

// ---- opening

void TVrFileCollection::Open(const fs::path& fileName, TContainerKind kind) {
    Close();
    containerName_ = fileName;
    std::error_code ec;
    if (!fs::is_regular_file(fileName, ec)) {
        folder_ = fileName;
        return;
    }
    folder_ = fileName.parent_path().empty() ? fs::path(".") : fileName.parent_path();
    WithContext([&] { return Describe(); }, [&] {
        stream_ = std::make_unique<TGxBigFileStream>(fileName, bigmode::ReadShared, partSize_);
        data_ = stream_.get();
        const int64_t size = stream_->GetSize();
        const std::string ext = UpperAscii(fileName.extension().string());
        if (kind == TContainerKind::AppendedToProgram || ext == ".EXE" || ext == ".SCR") {
            // The executable ends with the archive's start position and the tag "rv".
            if (size < 6) throw Damaged("the file is too short to carry an archive trailer");
            uint8_t trailer[4];
            stream_->SetPosition(size - 6);
            if (stream_->Read(trailer, 4) != 4) throw Damaged("the archive trailer could not be read");
            const int64_t start = static_cast<int32_t>(GetLe32(trailer));
            if (start < 0 || start > size - 6)
                throw Damaged("the trailer points to " + std::to_string(start) + ", outside the file");
            stream_->SetPosition(start);
            ReadDirectoryFrom(*stream_, start, size - 6);
            return;
        }
        // A directory kept in a file of its own, beside the data.
        std::optional<fs::path> ext_file;
        const std::string wanted = UpperAscii(fileName.stem().string() + ".ext");
        for (fs::directory_iterator d(folder_, ec), end; !ec && d != end; d.increment(ec))
            if (UpperAscii(d->path().filename().string()) == wanted && d->is_regular_file(ec)) ext_file = d->path();
        if (ext_file) {
            TGxBigFileStream directory(*ext_file, bigmode::ReadShared, partSize_);
            WithContext([&] { return "directory file " + ext_file->string(); },
                        [&] { ReadDirectoryFrom(directory, 0, size); });
            return;
        }
        stream_->SetPosition(0);
        ReadDirectoryFrom(*stream_, 0, size);
    });
}

void TVrFileCollection::OpenResource(const TResourceRegistry& registry, std::string resourceName,
                                     std::string resourceType) {
    Close();
    resourceName_ = std::move(resourceName);
    resourceType_ = std::move(resourceType);
    WithContext([&] { return Describe(); }, [&] {
        auto stream = std::make_unique<TGxBigResourceStream>(registry, resourceName_, resourceType_);
        if (stream->GetSize() == 0) throw ERuvoError::FromUtf8("リソースが見つかりません");
        stream_ = std::move(stream);
        data_ = stream_.get();
        registry_ = &registry;
        ReadDirectoryFrom(*stream_, 0, stream_->GetSize());
    });
}

void TVrFileCollection::ReadDirectory(TGxBigStream& stream) {
    Clear();
    stream_.reset();
    data_ = &stream;
    const int64_t base = stream.GetPosition();
    WithContext([&] { return Describe(); }, [&] { ReadDirectoryFrom(stream, base, stream.GetSize()); });
}

void TVrFileCollection::ReadDirectoryFrom(TGxBigStream& directory, int64_t base, int64_t dataSize) {
    Clear();
    version_ = -1;
    bool marked = false;
    try {
        // The magic is absent from version-0 archives: then the count starts right here.
        int32_t version = 0;
        const int64_t start = directory.GetPosition();
        uint8_t magic[2] = {0, 0};
        marked = directory.Read(magic, 2) == 2 && magic[0] == 'v' && magic[1] == 'f';
        if (marked) {
            uint8_t v[4];
            if (directory.Read(v, 4) != 4) throw Damaged("the version runs past the end of the directory");
            version = static_cast<int32_t>(GetLe32(v));
            if (version < 0 || version > kNewestVersion)
                throw Damaged("unknown archive version " + std::to_string(version));
        } else {
            directory.SetPosition(start);
        }

        TDirectoryReader in(directory);
        const int32_t count = in.Int32("the entry count");
        const int64_t offsetWidth = version >= 101 ? 8 : 4;
        // The least each entry takes in the directory: a name length, an offset and the tables.
        const int64_t perEntry = 4 + offsetWidth + (version >= 101 ? 9 : 0) + (version >= 102 ? 1 : 0);
        if (count < 0 || count > (in.Remaining() - offsetWidth) / perEntry)
            throw Damaged("the entry count " + std::to_string(count) + " does not fit in the directory");
        // Each entry takes far more memory than its few bytes on disk, and a sparse file holds any count.
        if (count > kMaxArchiveEntries)
            throw Damaged("the entry count " + std::to_string(count) + " exceeds the limit of " +
                          std::to_string(kMaxArchiveEntries));

        // Names, unscrambled by one key stream running from name to name.
        TGxRandom names(kArchiveKey);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t length = in.Int32("a name length");
            if (length < 0) throw Damaged("entry " + std::to_string(i) + " has a negative name length");
            std::string name(static_cast<size_t>(std::min<int64_t>(length, in.Remaining())), '\0');
            in.Read(name.data(), length, "a name");
            if (version >= 100)
                for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ (names.Next() & 0xFF));
            // A NUL would cut the name short on the way to a file, so two entries could meet in one.
            if (HasControlBytes(name)) throw Damaged("entry " + std::to_string(i) + " has control bytes in its name");
            auto entry = std::make_unique<TVrFile>();
            entry->SetName(std::move(name));
            Add(std::move(entry));
        }
        auto end = std::make_unique<TVrFile>();
        end->SetName(std::string(kEndOfArchiveName));
        end->endMarker_ = true;
        TVrFile& endMarker = Add(std::move(end));

        // Offsets, unscrambled by a fresh key stream; 32-bit ones are unsigned.
        const std::vector<uint8_t> raw = in.Block((int64_t{count} + 1) * offsetWidth, "the offset table");
        std::vector<int64_t> offsets(static_cast<size_t>(count) + 1);
        TGxRandom keys(kArchiveKey);
        for (size_t i = 0; i < offsets.size(); ++i) {
            const uint8_t* p = raw.data() + i * static_cast<size_t>(offsetWidth);
            if (version >= 101) {
                const uint32_t x = keys.Next();
                const uint32_t low = GetLe32(p) ^ x;
                const uint32_t high = GetLe32(p + 4) ^ ((x & 0x80000000u) ? 0xFFFFFFFFu : 0u);
                offsets[i] = static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
            } else {
                uint32_t v = GetLe32(p);
                if (version == 100) v ^= keys.Next();
                offsets[i] = v;
            }
        }
        auto which = [&](size_t i) {
            return i < static_cast<size_t>(count)
                       ? "entry " + std::to_string(i) + " (" + SjisToUtf8Lossy((*this)[static_cast<int>(i)].Name()) + ")"
                       : std::string("the end of the data");
        };
        for (size_t i = 0; i < offsets.size(); ++i) {
            if (offsets[i] < 0 || offsets[i] > dataSize - base)
                throw Damaged("the offset " + std::to_string(offsets[i]) + " of " + which(i) + " lies outside the container");
            if (i > 0 && offsets[i] < offsets[i - 1])
                throw Damaged("the offset of " + which(i) + " goes back before the entry in front of it");
        }

        if (version >= 101) {
            const auto flags = in.Block(count, "the raw flags");
            const auto times = in.Block(int64_t{count} * 4, "the time table");
            const auto crcs = in.Block(int64_t{count} * 4, "the CRC table");
            std::vector<uint8_t> bases(static_cast<size_t>(count), 0);
            if (version >= 102) bases = in.Block(count, "the CRC basis table");
            for (int32_t i = 0; i < count; ++i) {
                TVrFile& e = (*this)[i];
                e.Raw = flags[static_cast<size_t>(i)] != 0;
                e.Time = static_cast<int32_t>(GetLe32(times.data() + 4 * i));
                e.Crc = GetLe32(crcs.data() + 4 * i);
                e.CrcOfContent = bases[static_cast<size_t>(i)] != 0;
            }
        }
        for (int32_t i = 0; i < count; ++i) {
            TVrFile& e = (*this)[i];
            e.Size = offsets[static_cast<size_t>(i) + 1] - offsets[static_cast<size_t>(i)];
            e.Offset = offsets[static_cast<size_t>(i)] + base;
        }
        endMarker.Offset = offsets.back();
        version_ = version;
    } catch (const ERuvoError& e) {
        Clear();
        if (marked) throw;
        // Only archives of version 0 lack the "vf" mark; a file that does not even read as one of those
        // is most likely no archive at all, and saying so helps more than the field that broke.
        std::string detail;
        for (auto it = e.Context().rbegin(); it != e.Context().rend(); ++it) detail += (detail.empty() ? "" : ": ") + *it;
        throw std::move(ERuvoError::FromUtf8("アーカイブではありません")
                            .AddContext("not an archive: it does not begin with \"vf\", and read as an unmarked archive of "
                                        "version 0 " + detail));
    } catch (...) {
        Clear();
        throw;
    }
}

// ---- lookups

TVrFile* TVrFileCollection::Find(std::string_view name) const noexcept {
    auto* entry = THashCollectionOf<TVrFile>::Find(name);
    return entry && !entry->IsEndMarker() ? entry : nullptr;
}

int TVrFileCollection::IndexOf(std::string_view name) const noexcept {
    const TVrFile* entry = Find(name);
    return entry ? entry->Index() : -1;
}

std::optional<fs::path> TVrFileCollection::LooseFile(std::string_view name) const {
    if (folder_.empty() || name.empty()) return std::nullopt;
    if (!resolver_) resolver_.emplace(folder_);
    std::optional<fs::path> found;
    try {
        found = resolver_->Find(name);
    } catch (const ERuvoError&) {
        return std::nullopt;  // a name that leaves the folder names no loose file
    }
    std::error_code ec;
    if (!found || !fs::is_regular_file(*found, ec)) return std::nullopt;
    if (!containerName_.empty() && fs::equivalent(*found, containerName_, ec)) return std::nullopt;
    return found;
}

// ---- reading entries

void TVrFileCollection::ReadStored(const TVrFile& entry, TMemoryStream& out) const {
    if (!data_ || entry.Data) throw NotFound(entry.Name());
    out.SetSize(entry.Size);
    out.SetPosition(0);
    data_->SetPosition(entry.Offset);
    const int64_t got = data_->Read(out.Data(), entry.Size);
    if (got != entry.Size)
        throw Damaged("only " + std::to_string(got) + " of the " + std::to_string(entry.Size) +
                      " stored bytes could be read");
}

void TVrFileCollection::Extract(std::string_view name, TStream& stream) {
    auto* memory = dynamic_cast<TMemoryStream*>(&stream);
    if (memory) memory->SetSize(0);
    stream.SetPosition(0);
    if (auto loose = LooseFile(name)) {
        if (memory) {
            memory->LoadFromFile(*loose);
        } else {
            TFileStream file(*loose, FileOpen::Read);
            CopyStream(stream, file, 0);
        }
        stream.SetPosition(0);
        return;
    }
    TVrFile* entry = Find(name);
    if (!entry || (!data_ && !entry->Data)) throw NotFound(name);
    if (memory) {
        ReadEntry(*entry, *memory);
    } else {
        TMemoryStream content;
        ReadEntry(*entry, content);
        CopyStream(stream, content, 0);
    }
    stream.SetPosition(0);
}

void TVrFileCollection::ReadEntry(const TVrFile& entry, TMemoryStream& out) {
    out.SetSize(0);
    if (entry.Data) {
        CopyStream(out, *entry.Data, 0);
    } else {
        if (!data_) throw NotFound(entry.Name());
        WithContext([&] { return "entry " + SjisToUtf8Lossy(entry.Name()) + " of " + Describe(); }, [&] {
            ReadStored(entry, out);
            if (!entry.Raw) inflater_.InflateInPlace(out);
        });
    }
    out.SetPosition(0);
}

std::unique_ptr<TStream> TVrFileCollection::OpenRange(std::string_view name) const {
    const TVrFile* entry = Find(name);
    if (!entry || !data_ || entry->Data) return nullptr;
    // An empty entry is an empty stream (a range of length 0 would mean the whole container).
    if (entry->Size == 0) return std::make_unique<TMemoryStream>();
    if (registry_)
        return std::make_unique<TResourceRangeStream>(*registry_, resourceName_, resourceType_, entry->Size,
                                                      entry->Offset);
    if (!stream_ || containerName_.empty()) return nullptr;
    return std::make_unique<TFileRangeStream>(containerName_, entry->Size, entry->Offset, partSize_);
}

// ---- changing

TVrFile& TVrFileCollection::AddMemoryFile(std::string name) {
    auto entry = std::make_unique<TVrFile>();
    entry->SetName(std::move(name));
    entry->Data = std::make_unique<TGxMemoryStream>();
    return Add(std::move(entry));
}

TVrFile& TVrFileCollection::AddLooseFile(std::string name) {
    auto entry = std::make_unique<TVrFile>();
    entry->SetName(std::move(name));
    return Add(std::move(entry));
}

void TVrFileCollection::Delete(std::string_view name) {
    const int index = IndexOf(name);
    if (index >= 0) THashCollection::Delete(index);
}

// ---- writing

void TVrFileCollection::WriteEntry(TGxBigStream& output, TVrFile& entry) {
    if (!deflater_) deflater_ = std::make_unique<TDeflater>();
    std::vector<uint8_t> packed;
    // Stores the content deflated, or as it is when deflating is not wanted or saves too little.
    auto store = [&](const uint8_t* content, int64_t size, bool tryDeflate, bool tenPercentRule) {
        entry.Raw = true;
        const uint8_t* stored = content;
        int64_t storedSize = size;
        if (tryDeflate) {
            deflater_->Deflate(content, static_cast<size_t>(size), packed);
            const int64_t deflated = static_cast<int64_t>(packed.size());
            if (!tenPercentRule || deflated <= size * 9 / 10) {
                entry.Raw = false;
                stored = packed.data();
                storedSize = deflated;
            }
        }
        entry.Crc = Crc32(entry.CrcOfContent ? content : stored,
                          static_cast<size_t>(entry.CrcOfContent ? size : storedSize));
        WriteAll(output, stored, storedSize);
    };

    if (entry.Data) {
        // Sounds and videos are played in place through range streams, so they are stored as they are.
        const int64_t size = entry.Data->Size();
        const std::string ext = UpperAscii(ExtensionOf(entry.Name()));
        const bool streamed = ext.size() > 1 && kStreamedExtensions.find(ext + ".") != std::string_view::npos;
        store(entry.Data->Memory(), size, size < kDeflateLimit && !streamed, false);
        return;
    }
    if (auto loose = LooseFile(entry.Name())) {
        entry.Time = DosFileTime(*loose);
        TFileStream file(*loose, FileOpen::Read);
        const int64_t size = file.Size();
        const std::string ext = UpperAscii(ExtensionOf(entry.Name()));
        const bool layered = ext == ".ZPH";
        const bool streamed = !layered && kStreamedExtensions.find(ext) != std::string_view::npos;
        if (layered || (!streamed && size < kDeflateLimit)) {
            TMemoryStream content;
            content.SetSize(size);
            file.ReadBuffer(content.Data(), size);
            const bool tryDeflate = !layered || IsLayeredImageWithRawPlanes(content.Memory(), size);
            store(content.Memory(), size, tryDeflate, true);
            return;
        }
        // Stored as it is, copied in blocks: such files may be large.
        entry.Raw = true;
        std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(size, TGxBigFileStream::kCopyBufferSize)));
        uint32_t crc = 0;
        for (int64_t left = size; left > 0;) {
            const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(block.size()));
            file.ReadBuffer(block.data(), n);
            crc = Crc32(block.data(), static_cast<size_t>(n), crc);
            WriteAll(output, block.data(), n);
            left -= n;
        }
        entry.Crc = crc;
        return;
    }
    if (data_) {
        // From the container being rewritten: the stored bytes are kept as they are, so media stored for
        // reading in place stay readable in place.
        TMemoryStream stored;
        WithContext([&] { return "entry " + SjisToUtf8Lossy(entry.Name()) + " of " + Describe(); },
                    [&] { ReadStored(entry, stored); });
        entry.CrcOfContent = false;
        entry.Crc = Crc32(stored.Memory(), static_cast<size_t>(stored.Size()));
        WriteAll(output, stored.Memory(), stored.Size());
        return;
    }
    throw NotFound(entry.Name());
}

bool TVrFileCollection::WriteTo(TGxBigStream& output) {
    std::vector<TVrFile*> entries;
    for (int i = 0; i < Count(); ++i)
        if (!(*this)[i].IsEndMarker()) entries.push_back(&(*this)[i]);
    const int64_t n = static_cast<int64_t>(entries.size());
    if (n > 0x7FFFFFFF) throw ERuvoError::FromUtf8("書き込みエラー");
    // Nothing is written that the reader would refuse.
    for (const TVrFile* e : entries)
        if (HasControlBytes(e->Name()))
            throw std::move(ERuvoError::FromUtf8("書き込みエラー")
                                .AddContext("the name of entry " + std::to_string(e->Index()) + " holds control bytes"));
    const int64_t base = output.GetPosition();

    TMemoryStream head;
    head.Write("vf", 2);
    WriteInt(head, kWrittenVersion);
    WriteInt(head, static_cast<int32_t>(n));
    TGxRandom names(kArchiveKey);
    for (TVrFile* e : entries) {
        std::string name = e->Name();
        for (char& c : name) c = static_cast<char>(static_cast<uint8_t>(c) ^ (names.Next() & 0xFF));
        WriteStr(head, name);
    }
    WriteAll(output, head.Memory(), head.Size());

    const int64_t tablesAt = output.GetPosition();
    const size_t count = static_cast<size_t>(n);
    std::vector<uint8_t> tables((count + 1) * 8 + count * 10, 0);
    WriteAll(output, tables.data(), static_cast<int64_t>(tables.size()));

    std::vector<int64_t> offsets(count + 1);
    for (size_t i = 0; i < count; ++i) {
        TVrFile& e = *entries[i];
        bool stop = false;
        if (progress_) progress_(*this, e, e.Index(), Count(), 0, stop);
        if (stop) return false;
        offsets[i] = output.GetPosition() - base;
        WithContext([&] { return "writing entry " + SjisToUtf8Lossy(e.Name()); }, [&] { WriteEntry(output, e); });
        if (progress_) progress_(*this, e, e.Index(), Count(), output.GetPosition() - base - offsets[i], stop);
        if (stop) return false;
    }
    const int64_t end = output.GetPosition();
    offsets[count] = end - base;

    TGxRandom keys(kArchiveKey);
    uint8_t* p = tables.data();
    for (int64_t offset : offsets) {
        const uint32_t x = keys.Next();
        PutLe32(p, static_cast<uint32_t>(offset) ^ x);
        PutLe32(p + 4, static_cast<uint32_t>(static_cast<uint64_t>(offset) >> 32) ^ ((x & 0x80000000u) ? 0xFFFFFFFFu : 0u));
        p += 8;
    }
    for (TVrFile* e : entries) *p++ = e->Raw ? 1 : 0;
    for (TVrFile* e : entries) PutLe32(p, static_cast<uint32_t>(e->Time)), p += 4;
    for (TVrFile* e : entries) PutLe32(p, e->Crc), p += 4;
    for (TVrFile* e : entries) *p++ = e->CrcOfContent ? 1 : 0;
    output.SetPosition(tablesAt);
    WriteAll(output, tables.data(), static_cast<int64_t>(tables.size()));
    output.SetPosition(end);
    return true;
}

} // namespace ruvo
