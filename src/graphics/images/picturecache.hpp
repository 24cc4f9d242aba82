#pragma once
// The picture cache: one decoded copy of each named picture (per name, request suffixes and image key)
// shared by every object that shows it. An object holds the picture for as long as it shows one of its
// frames; the cache keeps pictures no object holds any more for a later show, most recently used
// first, and frees the oldest of those whenever all the pictures it keeps (those in use included) pass
// its bound (kDefaultBound: 128 MiB of pixels). Pictures in use are never freed: the objects hold them
// anyway. Showing a cached picture decodes and copies nothing.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/images/picture.hpp"

namespace ruvo {

class TVrFileManager;

class TPictureCache {
public:
    static constexpr int64_t kDefaultBound = int64_t{128} << 20;

    TPictureCache(TVrFileManager& files, int displayBitCount, int64_t bound = kDefaultBound);

    // The project's ImageKey, with which layered images are read from now on.
    void SetKey(uint32_t key) noexcept { key_ = key; }
    uint32_t Key() const noexcept { return key_; }
    // The files the pictures come from (frame lists are read from the same place).
    TVrFileManager& Files() const noexcept { return files_; }
    int DisplayBitCount() const noexcept { return bits_; }

    // The named picture, decoded on the first request and shared afterwards. A name the game does not
    // have gives the placeholder; a damaged file throws ERuvoError (and nothing is kept for it).
    std::shared_ptr<const TPicture> Acquire(std::string_view name);
    // Drops every kept copy of the file (whatever its suffixes and key), so that the next request reads
    // it again: a picture the game has just written. Objects showing it keep their copy.
    void Forget(std::string_view name);
    // Frees the kept pictures no object holds (a reset, a change of display format).
    void Trim();

    // Pixel bytes of every picture the cache keeps (those in use included), and their number.
    int64_t TotalBytes() const noexcept;
    size_t Count() const noexcept { return entries_.size(); }
    // How many pictures were decoded since the cache was made (what a cached show does not add to).
    int64_t Decodes() const noexcept { return decodes_; }

private:
    struct TEntry {
        std::string file;     // the picture's file name in upper case, without suffixes
        std::string request;  // the name in upper case, with its suffixes
        uint32_t key;
        std::shared_ptr<const TPicture> picture;
    };

    // Frees the least recently used pictures nobody holds while the kept pixels pass the bound.
    void Evict();

    TVrFileManager& files_;
    int bits_;
    int64_t bound_;
    uint32_t key_ = 0;
    int64_t decodes_ = 0;
    std::list<TEntry> entries_;  // most recently used first
};

} // namespace ruvo
