#pragma once
// Games spread over several CDs: where discs are mounted, how the user is asked for one, and which game
// folders lie on which disc.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/streams.hpp"

namespace ruvo {

// The roots of the mounted discs, in a stable order.
class IDiscRoots {
public:
    virtual ~IDiscRoots() = default;
    virtual std::vector<std::filesystem::path> Roots() = 0;
};

// Optical media in the system's mount table (file systems iso9660 and udf).
class TMountTableDiscRoots : public IDiscRoots {
public:
    explicit TMountTableDiscRoots(std::filesystem::path mountTable = "/proc/self/mounts")
        : mountTable_(std::move(mountTable)) {}
    std::vector<std::filesystem::path> Roots() override;

private:
    std::filesystem::path mountTable_;
};

// Mount points of optical media in mount-table text (fields separated by blanks, octal escapes such as
// "\040" in the mount point).
std::vector<std::filesystem::path> ParseOpticalMounts(std::string_view mountTable);

// What the running game says about its discs, in Shift-JIS.
struct TDiscTexts {
    std::string Title;       // the game's title: the boxes' caption and the title install.dat must carry
    std::string DiscPrompt;  // one %d for the disc number
    std::string QuitPrompt;
};
TDiscTexts DefaultDiscTexts();

// The player shows these as message boxes; tests answer them.
class IDiscPrompt {
public:
    virtual ~IDiscPrompt() = default;
    // An OK/Cancel box; true for OK. Caption and text in Shift-JIS.
    virtual bool OkCancel(const std::string& caption, const std::string& text) = 0;
    // The user gave up: the player marks itself terminating and asks its window to close.
    virtual void GiveUp() = 0;
};

// The disc prompt with its "%d" replaced by the number. The text is game data, so it is never used as a
// format string: other "%" sequences are left as they are ("%%" becomes "%").
std::string FormatDiscPrompt(std::string_view sjisTemplate, int disc);

// Folder-to-disc map of the project file: an int32 count, then per pair a string folder and an int32
// disc number (1-based).
class TFolderDiskList {
public:
    void Add(std::string folder, int disc) { items_.emplace_back(std::move(folder), disc); }
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const std::pair<std::string, int>& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    void Clear() noexcept { items_.clear(); }
    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }
    bool operator==(const TFolderDiskList&) const = default;

    void ReadFrom(TStream& stream);
    void WriteTo(TStream& stream) const;

    // The disc of the deepest listed folder holding the file (the name itself counts as a folder), 0 when
    // none is listed.
    int DiscOf(std::string_view fileName) const;

private:
    std::vector<std::pair<std::string, int>> items_;
};

} // namespace ruvo
