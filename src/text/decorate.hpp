#pragma once
// Shared styles of message text: characters and variable glyphs refer to one decoration each, and
// glyphs of equal style share one, counted by references.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ruvo {

// The ten style attributes. Colours are 0x00BBGGRR, −1 meaning the engine's default; size 0 the
// default size; widths below 0 the engine's default widths.
struct TDecorateStyle {
    int32_t Color = -1;
    int32_t BorderColor = -1;
    int32_t ShadowColor = -1;
    int32_t Size = 0;
    uint8_t Style = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out
    std::string FontName;
    bool NoBreak = false;
    std::string Ruby;
    int32_t BorderWidth = 0;
    int32_t ShadowWidth = 0;

    bool operator==(const TDecorateStyle&) const = default;
};

class TDecorate {
public:
    explicit TDecorate(TDecorateStyle style) : Style(std::move(style)) {}
    int32_t RefCount = 0;
    TDecorateStyle Style;

private:
    friend class TDecorateList;
    uint64_t ordinal_ = 0;  // order of appending, for "the first equal one"
};

class TDecorateList {
public:
    TDecorateList() = default;
    TDecorateList(const TDecorateList&) = delete;
    TDecorateList& operator=(const TDecorateList&) = delete;

    int Count() const noexcept { return int(items_.size()); }
    // None outside 0..Count − 1.
    TDecorate* At(int index) const noexcept;
    int IndexOf(const TDecorate* d) const noexcept;

    // One more reference to the first decoration equal to style, or a new one appended.
    TDecorate* Acquire(const TDecorateStyle& style);
    // One reference less; the decoration goes when none is left.
    void Release(TDecorate* d) noexcept;
    // The decoration a glyph holding current should hold for style: an equal one is shared, the
    // glyph's own one is changed in place when it is its only user, else a new one is appended.
    TDecorate* Change(TDecorate* current, const TDecorateStyle& style);
    // Appends a decoration as a stored text lists it (no references yet).
    TDecorate* Append(const TDecorateStyle& style);
    void Clear() noexcept;

private:
    static size_t Hash(const TDecorateStyle& s) noexcept;
    TDecorate* FindEqual(const TDecorateStyle& style) const noexcept;
    std::vector<std::unique_ptr<TDecorate>>::const_iterator Find(const TDecorate* d) const noexcept;
    void Index(TDecorate* d);
    void Unindex(TDecorate* d) noexcept;

    std::vector<std::unique_ptr<TDecorate>> items_;
    std::unordered_multimap<size_t, TDecorate*> byStyle_;  // finds equal styles without a scan
    uint64_t nextOrdinal_ = 0;
};

} // namespace ruvo
