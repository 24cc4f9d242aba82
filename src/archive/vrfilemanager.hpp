#pragma once
// Resolves the game's file names (bg\title.png) against, in order, a base folder of loose files, the
// registered archives and the roots of mounted discs; hands contents back as streams, stream windows or
// paths of real files; keeps a small most-recently-used cache of decoded contents; and asks for discs
// when a game is spread over several CDs.
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/deletionlist.hpp"
#include "archive/discs.hpp"
#include "archive/gamepath.hpp"
#include "archive/vrfiles.hpp"

namespace ruvo {

class TResourceRegistry;

struct TVrCache {
    std::string Name;  // the file name, case-folded
    TMemoryStream Stream;  // the decoded content; empty until filled
};

// Decoded contents, most recently used first, within a budget that is checked when an entry is added.
class TVrCacheList {
public:
    static constexpr int64_t kBudget = 0x400000;

    // The entry of that name moved to the front, or a new empty one there; older entries are freed while
    // the total exceeds the budget, but the new entry always stays.
    TVrCache& Acquire(std::string_view name);
    void Remove(TVrCache& entry);
    void Forget(std::string_view name);
    int64_t TotalSize() const;
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // The entries, most recent first (for inspection).
    const std::list<std::unique_ptr<TVrCache>>& Items() const noexcept { return items_; }

private:
    std::list<std::unique_ptr<TVrCache>> items_;
};

struct TVrLockData {
    uint32_t Id = 0;
    std::string Name;  // the virtual name the copy was made for
    int UseCount = 1;
    std::filesystem::path Path;
};

// Temporary copies of archive entries for consumers that need a real file. A copy's file is queued for
// deletion when its lock is freed.
class TVrLockList {
public:
    TVrLockList(std::filesystem::path tempFolder, TDeletionList& deletions)
        : tempFolder_(std::move(tempFolder)), deletions_(deletions) {}
    ~TVrLockList() { Clear(); }
    TVrLockList(const TVrLockList&) = delete;
    TVrLockList& operator=(const TVrLockList&) = delete;

    // A new lock with the next free id, for that virtual name: its path is temp folder + "~rv" + id as
    // eight hex digits + the name's extension.
    TVrLockData& NewLock(std::string name);
    int IndexOfName(std::string_view name) const noexcept;
    TVrLockData& operator[](int i) const { return *items_.at(static_cast<size_t>(i)); }
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // Drops a lock whose file was never ours, without queueing its file for deletion.
    void Abandon(TVrLockData& lock);
    // Frees every lock, queueing its file for deletion.
    void Clear();

private:
    std::filesystem::path tempFolder_;
    TDeletionList& deletions_;
    std::vector<std::unique_ptr<TVrLockData>> items_;
    uint32_t nextId_ = 0;
};

class TVrFileManager {
public:
    // deletions: the player-wide list of files deleted each frame; discRoots: where discs are mounted;
    // tempFolder: where temporary copies go (the run's own folder; empty: none can be made); partSize: the part size of split archives (tests use tiny ones).
    TVrFileManager(TDeletionList& deletions, std::unique_ptr<IDiscRoots> discRoots, std::filesystem::path tempFolder,
                   int64_t partSize = kBigPartSize);
    ~TVrFileManager();
    TVrFileManager(const TVrFileManager&) = delete;
    TVrFileManager& operator=(const TVrFileManager&) = delete;

    void SetBaseFolder(const std::filesystem::path& folder);
    const std::filesystem::path& BaseFolder() const noexcept { return baseFolder_; }
    // Forgets cached folder listings (after loose files were created or removed).
    void InvalidateLooseFiles() noexcept;

    // Opens an archive (any container kind) or registers a folder; -1 when a collection with that folder
    // is registered already. An empty path registers the memory-file collection.
    int AddArchive(const std::filesystem::path& path, TContainerKind kind = TContainerKind::ByName);
    int AddResourceArchive(const TResourceRegistry& registry, std::string resourceName, std::string resourceType);
    void RemoveArchive(int index);
    void Clear();
    int Count() const noexcept { return static_cast<int>(collections_.size()); }
    TVrFileCollection& Collection(int index) const { return *collections_.at(static_cast<size_t>(index)); }

    bool Exists(std::string_view name);
    // The decoded content into the stream, rewound. Throws "%s:ファイルがありません" when found nowhere.
    void Load(TStream& stream, std::string_view name);
    // A real file with the content: the loose file, a temporary copy of an archive entry, a file on a
    // disc, or, when found nowhere, the name itself.
    std::filesystem::path GetRealPath(std::string_view name);
    // The content as a read-only stream with its own handle (stored bytes for archive entries).
    std::unique_ptr<TStream> OpenRange(std::string_view name);
    TVrFile* FindEntry(std::string_view name) const;
    // The folder part of a name, with its trailing "\" (a drive "C:" counts as a folder).
    static std::string FolderOf(std::string_view name);

    // Registers "game.dat" of every mounted disc whose "install.dat" carries the title and that disc index.
    bool MountDisc(int discIndex, std::string_view title);
    // Drops the archives of discs and asks for disc number `disc` (1-based) until it is mounted (true) or
    // the user gives up (false, after prompt.GiveUp()).
    bool RequestDisc(int disc, const TDiscTexts& texts, IDiscPrompt& prompt);
    // The check made before a file is opened: true when it exists or the disc it lies on was mounted on
    // request; streamed media never prompt.
    bool EnsureAvailable(std::string_view name, const TFolderDiskList& folders, std::string_view streamedExts,
                         const TDiscTexts& texts, IDiscPrompt& prompt);

    TVrCacheList& Cache() noexcept { return cache_; }
    TVrLockList& Locks() noexcept { return locks_; }
    const std::vector<std::filesystem::path>& DiscRoots() const noexcept { return discRootPaths_; }
    void RefreshDiscRoots();

private:
    std::optional<std::filesystem::path> BaseFile(std::string_view name) const;
    std::optional<std::filesystem::path> DiscFile(std::string_view name) const;
    // Fills the cache entry from a file and copies it into the stream.
    void LoadFile(TStream& stream, TVrCache& cache, const std::filesystem::path& path);

    TDeletionList& deletions_;
    std::unique_ptr<IDiscRoots> discRoots_;
    std::vector<std::filesystem::path> discRootPaths_;
    std::filesystem::path tempFolder_;
    int64_t partSize_;
    std::filesystem::path baseFolder_;
    mutable std::optional<TGamePathResolver> baseResolver_;
    std::vector<std::unique_ptr<TVrFileCollection>> collections_;
    TVrCacheList cache_;
    TVrLockList locks_;
};

} // namespace ruvo
