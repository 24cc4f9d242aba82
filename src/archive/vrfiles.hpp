#pragma once
// The game archive: a directory of named entries (names and offsets scrambled by a key stream) followed
// by the entries' bytes, each stored as is or as a zlib stream. One opened archive is a
// TVrFileCollection of TVrFile entries; it reads every archive version, in any of its containers (a file
// of its own, appended to an executable, a data file with a separate ".ext" directory, an embedded
// resource, split part files), and writes version 102.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/bigstreams.hpp"
#include "archive/gamepath.hpp"
#include "archive/hash.hpp"
#include "archive/streams.hpp"
#include "archive/zcodec.hpp"

namespace ruvo {

class TResourceRegistry;
class TVrFileCollection;

// Increment of the key stream that scrambles archive directories.
constexpr uint32_t kArchiveKey = 0x3C5A91E7;
// Entries of this size or more are stored as they are.
constexpr int64_t kDeflateLimit = 0x500000;
// More entries than any game has files; a directory claiming more is taken as damaged.
constexpr int32_t kMaxArchiveEntries = 1 << 20;
// Name of the entry that closes a directory read from a container; it marks the end of the data.
inline constexpr std::string_view kEndOfArchiveName = "\\EOF\\";

class TVrFile : public THashCollectionItem {
public:
    int64_t Offset = 0;                     // absolute position of the stored bytes in the container
    std::unique_ptr<TGxMemoryStream> Data;  // content of an entry made in memory
    int64_t Size = 0;                       // number of stored bytes
    bool Raw = false;                       // the stored bytes are the content (else a zlib stream)
    int32_t Time = 0;                       // DOS date-time of the packed file, 0 for memory entries
    uint32_t Crc = 0;
    bool CrcOfContent = false;              // the CRC covers the content, else the stored bytes

    bool IsEndMarker() const noexcept { return endMarker_; }

private:
    friend class TVrFileCollection;
    bool endMarker_ = false;
};

// Called twice for every entry WriteTo writes: with bytes 0 before, with the bytes written after.
// Setting stop ends the writing.
using TVrProgress = std::function<void(TVrFileCollection& collection, TVrFile& entry, int index, int count,
                                       int64_t bytes, bool& stop)>;

// How a container file holds its archive: told by its name (".exe"/".scr" carry it appended with the
// trailer, a ".ext" file beside it holds the directory, else a plain archive), or appended to a program
// whatever the program's name (the player's own executable on systems without ".exe").
enum class TContainerKind { ByName, AppendedToProgram };

class TVrFileCollection : public THashCollectionOf<TVrFile> {
public:
    // partSize: the size of the part files of split containers (tests use tiny parts).
    explicit TVrFileCollection(int64_t partSize = kBigPartSize);
    ~TVrFileCollection() override;

    // Folder of loose files that shadow entries in Extract.
    const std::filesystem::path& Folder() const noexcept { return folder_; }
    const std::filesystem::path& ContainerName() const noexcept { return containerName_; }
    bool HasContainer() const noexcept { return data_ != nullptr; }
    bool IsResource() const noexcept { return registry_ != nullptr; }
    // Version of the directory read (0, 100, 101, 102), -1 when none was read.
    int32_t Version() const noexcept { return version_; }
    void SetProgress(TVrProgress progress) { progress_ = std::move(progress); }

    // Opens a container file by its kind (".exe"/".scr" with the trailer, a ".ext" directory beside it,
    // else a plain archive, each possibly split into parts). A name that is not an existing file leaves
    // the collection empty and serves loose files from the folder of that name.
    void Open(const std::filesystem::path& fileName, TContainerKind kind = TContainerKind::ByName);
    // Opens an archive embedded in the player.
    void OpenResource(const TResourceRegistry& registry, std::string resourceName, std::string resourceType);
    // Parses a directory at the stream's position, which is the archive's base; the stream is not owned
    // and the entries' bytes are taken to be in it. For callers holding an archive in memory.
    void ReadDirectory(TGxBigStream& stream);

    // Index of the entry of that name (case-insensitive, the later of equal names), or -1.
    int IndexOf(std::string_view name) const noexcept;
    TVrFile* Find(std::string_view name) const noexcept;
    // Where a loose file of that name lies in Folder, if it does (never the container itself).
    std::optional<std::filesystem::path> LooseFile(std::string_view name) const;

    // The content of the entry (or the loose file that shadows it) into the stream, rewound.
    void Extract(std::string_view name, TStream& stream);
    // The content of an entry of this collection into out (replacing what it held), loose files aside.
    void ReadEntry(const TVrFile& entry, TMemoryStream& out);
    // The entry's stored bytes, as they lie in the container, into out.
    void ReadStored(const TVrFile& entry, TMemoryStream& out) const;
    // The entry's stored bytes as a read-only stream that owns its own handle; null when there is no
    // container or no such entry.
    std::unique_ptr<TStream> OpenRange(std::string_view name) const;

    // A new entry whose content the caller writes into its Data.
    TVrFile& AddMemoryFile(std::string name);
    // A new entry without content of its own: WriteTo takes it from the loose file of that name in Folder.
    TVrFile& AddLooseFile(std::string name);
    // Forgets the cached listings of Folder (after files were created or removed there).
    void InvalidateLooseFiles() noexcept { resolver_.reset(); }
    void Delete(std::string_view name);
    using THashCollection::Delete;

    // Writes the whole archive (version 102) from the output's position on; false when the progress
    // callback stopped it.
    bool WriteTo(TGxBigStream& output);

    // Closes the container and forgets the entries.
    void Close() noexcept;

private:
    void ReadDirectoryFrom(TGxBigStream& directory, int64_t base, int64_t dataSize);
    void WriteEntry(TGxBigStream& output, TVrFile& entry);
    std::string Describe() const;

    int64_t partSize_;
    int32_t version_ = -1;
    std::filesystem::path folder_;
    std::filesystem::path containerName_;
    std::unique_ptr<TGxBigStream> stream_;  // the container, when it is owned
    TGxBigStream* data_ = nullptr;          // where the entries' bytes are read
    const TResourceRegistry* registry_ = nullptr;
    std::string resourceName_, resourceType_;
    mutable std::optional<TGamePathResolver> resolver_;
    TVrProgress progress_;
    TInflater inflater_;
    std::unique_ptr<TDeflater> deflater_;
};

// DOS date-time (local time) of a file's modification time; 0 when it cannot be read.
int32_t DosFileTime(const std::filesystem::path& path);

} // namespace ruvo
