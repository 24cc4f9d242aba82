#include "graphics/images/picturecache.hpp"

#include "archive/sjis.hpp"

namespace ruvo {

TPictureCache::TPictureCache(TVrFileManager& files, int displayBitCount, int64_t bound)
    : files_(files), bits_(displayBitCount), bound_(bound) {}

std::shared_ptr<const TPicture> TPictureCache::Acquire(std::string_view name) {
    // File names are compared without regard to case; the suffixes are part of what was asked for.
    const std::string request = LowerSjis(name);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key != key_ || it->request != request) continue;
        entries_.splice(entries_.begin(), entries_, it);
        return it->picture;
    }
    auto picture = std::make_shared<const TPicture>(LoadPicture(files_, name, key_, bits_));
    ++decodes_;
    entries_.push_front(TEntry{LowerSjis(ParsePictureName(name).File), request, key_, picture});
    Evict();
    return picture;
}

void TPictureCache::Forget(std::string_view name) {
    const std::string file = LowerSjis(ParsePictureName(name).File);
    entries_.remove_if([&](const TEntry& e) { return e.file == file; });
}

void TPictureCache::Trim() {
    entries_.remove_if([](const TEntry& e) { return e.picture.use_count() == 1; });
}

int64_t TPictureCache::TotalBytes() const noexcept {
    int64_t bytes = 0;
    for (const TEntry& e : entries_) bytes += e.picture->PixelBytes();
    return bytes;
}

void TPictureCache::Evict() {
    int64_t kept = TotalBytes();
    for (auto it = entries_.end(); kept > bound_ && it != entries_.begin();) {
        --it;
        if (it->picture.use_count() != 1) continue;  // an object shows it
        kept -= it->picture->PixelBytes();
        it = entries_.erase(it);
    }
}

} // namespace ruvo
