#include "archive/vrfilemanager.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

// Temporary names taken by other programs are skipped; this many in a row means the folder is unusable.
constexpr int kTempNameAttempts = 1000;

ERuvoError NotFound(std::string_view name) { return ERuvoError(SysMessage("%s:ファイルがありません", {name})); }

std::optional<fs::path> FindUnder(const TGamePathResolver& resolver, std::string_view name) {
    if (name.empty()) return std::nullopt;
    try {
        auto found = resolver.Find(name);
        std::error_code ec;
        if (found && fs::is_regular_file(*found, ec)) return found;
    } catch (const ERuvoError&) {
        // A name that would leave the folder is no file in it.
    }
    return std::nullopt;
}

bool StartsWithFolder(const fs::path& folder, const fs::path& root) {
    std::string f = folder.string(), r = root.string();
    if (f.empty() || r.empty()) return false;
    if (f.back() != '/') f += '/';
    if (r.back() != '/') r += '/';
    return f.size() >= r.size() && SameTextSjis(std::string_view(f).substr(0, r.size()), r);
}

} // namespace

// ---- cache

TVrCache& TVrCacheList::Acquire(std::string_view name) {
    const std::string key = LowerSjis(name);
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if ((*it)->Name == key) {
            items_.splice(items_.begin(), items_, it);
            return *items_.front();
        }
    }
    auto entry = std::make_unique<TVrCache>();
    entry->Name = key;
    items_.push_front(std::move(entry));
    // Checked before the new entry is filled: the newest entry is kept however large it becomes.
    while (items_.size() > 1 && TotalSize() > kBudget) items_.pop_back();
    return *items_.front();
}

void TVrCacheList::Remove(TVrCache& entry) {
    items_.remove_if([&](const auto& item) { return item.get() == &entry; });
}

void TVrCacheList::Forget(std::string_view name) {
    const std::string key = LowerSjis(name);
    items_.remove_if([&](const auto& item) { return item->Name == key; });
}

int64_t TVrCacheList::TotalSize() const {
    int64_t total = 0;
    for (const auto& item : items_) total += item->Stream.Size();
    return total;
}

// ---- locks

TVrLockData& TVrLockList::NewLock(std::string name) {
    auto lock = std::make_unique<TVrLockData>();
    lock->Id = nextId_;
    auto taken = [&](uint32_t id) {
        for (const auto& item : items_)
            if (item->Id == id) return true;
        return false;
    };
    do ++nextId_;
    while (taken(nextId_) || nextId_ == lock->Id);
    char file[16];
    std::snprintf(file, sizeof file, "~rv%.8X", lock->Id);
    lock->Path = tempFolder_ / (std::string(file) + SjisToUtf8Lossy(ExtensionOf(name)));
    lock->Name = std::move(name);
    items_.push_back(std::move(lock));
    return *items_.back();
}

int TVrLockList::IndexOfName(std::string_view name) const noexcept {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Name == name) return static_cast<int>(i);
    return -1;
}

void TVrLockList::Abandon(TVrLockData& lock) {
    std::erase_if(items_, [&](const auto& item) { return item.get() == &lock; });
}

void TVrLockList::Clear() {
    for (const auto& item : items_) deletions_.Add(item->Path);
    items_.clear();
}

// ---- manager

TVrFileManager::TVrFileManager(TDeletionList& deletions, std::unique_ptr<IDiscRoots> discRoots, fs::path tempFolder,
                               int64_t partSize)
    : deletions_(deletions),
      discRoots_(std::move(discRoots)),
      tempFolder_(std::move(tempFolder)),
      partSize_(partSize),
      locks_(tempFolder_, deletions) {
    RefreshDiscRoots();
}

TVrFileManager::~TVrFileManager() = default;

void TVrFileManager::RefreshDiscRoots() { discRootPaths_ = discRoots_ ? discRoots_->Roots() : decltype(discRootPaths_){}; }

void TVrFileManager::SetBaseFolder(const fs::path& folder) {
    baseFolder_ = folder;
    baseResolver_.reset();
}

void TVrFileManager::InvalidateLooseFiles() noexcept {
    baseResolver_.reset();
    for (auto& c : collections_) c->InvalidateLooseFiles();
}

std::optional<fs::path> TVrFileManager::BaseFile(std::string_view name) const {
    if (baseFolder_.empty()) return std::nullopt;
    if (!baseResolver_) baseResolver_.emplace(baseFolder_);
    return FindUnder(*baseResolver_, name);
}

std::optional<fs::path> TVrFileManager::DiscFile(std::string_view name) const {
    for (const auto& root : discRootPaths_)
        if (auto found = FindUnder(TGamePathResolver(root), name)) return found;
    return std::nullopt;
}

int TVrFileManager::AddArchive(const fs::path& path, TContainerKind kind) {
    for (const auto& c : collections_)
        if (SameTextSjis(c->Folder().string(), path.string())) return -1;
    auto collection = std::make_unique<TVrFileCollection>(partSize_);
    collection->Open(path, kind);
    collections_.push_back(std::move(collection));
    return Count() - 1;
}

int TVrFileManager::AddResourceArchive(const TResourceRegistry& registry, std::string resourceName,
                                       std::string resourceType) {
    auto collection = std::make_unique<TVrFileCollection>(partSize_);
    collection->OpenResource(registry, std::move(resourceName), std::move(resourceType));
    collections_.push_back(std::move(collection));
    return Count() - 1;
}

void TVrFileManager::RemoveArchive(int index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("TVrFileManager::RemoveArchive: no such archive");
    collections_.erase(collections_.begin() + index);
}

void TVrFileManager::Clear() { collections_.clear(); }

bool TVrFileManager::Exists(std::string_view name) {
    if (name.empty()) return false;
    if (FindEntry(name)) return true;
    return BaseFile(name) || DiscFile(name);
}

TVrFile* TVrFileManager::FindEntry(std::string_view name) const {
    for (const auto& c : collections_)
        if (TVrFile* entry = c->Find(name)) return entry;
    return nullptr;
}

void TVrFileManager::LoadFile(TStream& stream, TVrCache& cache, const fs::path& path) {
    try {
        cache.Stream.LoadFromFile(path);
    } catch (...) {
        cache_.Remove(cache);
        throw;
    }
    CopyStream(stream, cache.Stream, 0);
    stream.SetPosition(0);
}

void TVrFileManager::Load(TStream& stream, std::string_view name) {
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) memory->SetSize(0);
    stream.SetPosition(0);
    TVrCache& cache = cache_.Acquire(name);
    if (cache.Stream.Size() > 0) {
        CopyStream(stream, cache.Stream, 0);
        stream.SetPosition(0);
        return;
    }
    if (auto loose = BaseFile(name)) return LoadFile(stream, cache, *loose);
    for (const auto& c : collections_) {
        TVrFile* entry = c->Find(name);
        if (!entry) continue;
        if (entry->Data) {
            // Memory files change: they are never cached.
            cache_.Remove(cache);
            CopyStream(stream, *entry->Data, 0);
            stream.SetPosition(0);
            return;
        }
        if (!c->HasContainer()) continue;
        if (entry->Size > 0) {
            try {
                c->ReadEntry(*entry, cache.Stream);
            } catch (...) {
                cache_.Remove(cache);  // never keep half-decoded bytes as the content
                throw;
            }
            CopyStream(stream, cache.Stream, 0);
        }
        stream.SetPosition(0);
        return;
    }
    if (auto onDisc = DiscFile(name)) return LoadFile(stream, cache, *onDisc);
    throw NotFound(name);
}

fs::path TVrFileManager::GetRealPath(std::string_view name) {
    if (auto loose = BaseFile(name)) return *loose;
    for (const auto& c : collections_) {
        if (!c->Find(name)) continue;
        const int existing = locks_.IndexOfName(name);
        if (existing >= 0) {
            ++locks_[existing].UseCount;
            return locks_[existing].Path;
        }
        // Without a folder of our own the copy would land wherever the process happens to stand.
        if (tempFolder_.empty())
            throw std::move(ERuvoError::FromUtf8("作業用ファイルが作れません").AddContext("there is no temporary folder"));
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            TVrLockData& lock = locks_.NewLock(std::string(name));
            // Created exclusively: a file of that name belongs to someone else and is never overwritten
            // or followed through a link.
            int fd;
            do fd = ::open(lock.Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            while (fd < 0 && errno == EINTR);
            if (fd < 0) {
                const int error = errno;
                locks_.Abandon(lock);
                if (error == EEXIST) continue;
                throw std::move(ERuvoError::FromUtf8("作業用ファイルが作れません").AddContext(std::strerror(error)));
            }
            const fs::path path = lock.Path;
            THandleStream file(fd);
            try {
                Load(file, name);
            } catch (...) {
                deletions_.Add(path);
                locks_.Abandon(lock);
                throw;
            }
            return path;
        }
        throw std::move(ERuvoError::FromUtf8("作業用ファイルが作れません")
                            .AddContext("every temporary name tried in " + tempFolder_.string() + " is taken"));
    }
    if (auto onDisc = DiscFile(name)) return *onDisc;
    return fs::path(std::string(name));
}

std::unique_ptr<TStream> TVrFileManager::OpenRange(std::string_view name) {
    if (auto loose = BaseFile(name)) return std::make_unique<TFileRangeStream>(*loose, 0, 0, partSize_);
    for (const auto& c : collections_)
        if (auto range = c->OpenRange(name)) return range;
    if (auto onDisc = DiscFile(name)) return std::make_unique<TFileRangeStream>(*onDisc, 0, 0, partSize_);
    throw NotFound(name);
}

std::string TVrFileManager::FolderOf(std::string_view name) {
    size_t end = 0;
    for (size_t i = 0; i < name.size(); i = NextCharPos(name, i)) {
        if (CharLength(name, i) != 1) continue;
        if (name[i] == '\\' || (name[i] == ':' && i == 1)) end = i + 1;
    }
    return std::string(name.substr(0, end));
}

// ---- discs

bool TVrFileManager::MountDisc(int discIndex, std::string_view title) {
    RefreshDiscRoots();
    bool added = false;
    for (const auto& root : discRootPaths_) {
        const TGamePathResolver onDisc(root);
        const auto data = FindUnder(onDisc, "game.dat");
        const auto record = FindUnder(onDisc, "install.dat");
        if (!data || !record) continue;
        TRuvoInstallSet install;
        try {
            install.LoadFromFile(*record);
        } catch (const ERuvoError&) {
            continue;  // a disc with a damaged record is not ours
        }
        if (install.Title == title && install.DiscIndex == discIndex) {
            AddArchive(*data);
            added = true;
        }
    }
    return added;
}

bool TVrFileManager::RequestDisc(int disc, const TDiscTexts& texts, IDiscPrompt& prompt) {
    for (int i = Count() - 1; i >= 0; --i)
        for (const auto& root : discRootPaths_)
            if (StartsWithFolder(collections_[static_cast<size_t>(i)]->Folder(), root)) {
                RemoveArchive(i);
                break;
            }
    for (;;) {
        if (prompt.OkCancel(texts.Title, FormatDiscPrompt(texts.DiscPrompt, disc))) {
            if (MountDisc(disc - 1, texts.Title)) return true;
        } else if (prompt.OkCancel(texts.Title, texts.QuitPrompt)) {
            prompt.GiveUp();
            return false;
        }
    }
}

bool TVrFileManager::EnsureAvailable(std::string_view name, const TFolderDiskList& folders,
                                     std::string_view streamedExts, const TDiscTexts& texts, IDiscPrompt& prompt) {
    if (Exists(name)) return true;
    const int disc = folders.DiscOf(name);
    const std::string ext = LowerAscii(ExtensionOf(name)) + ".";
    const std::string streamed = LowerAscii(std::string(streamedExts)) + ".";
    if (disc > 0 && streamed.find(ext) == std::string::npos) return RequestDisc(disc, texts, prompt);
    return false;
}

} // namespace ruvo
