#pragma once
// Label lists: one-line texts in one style (the items of list boxes and menus), each measured with the
// font's widths and rendered into its own colour and opacity surfaces.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/fonts/fontpixels.hpp"

namespace ruvo {

class TGxLabelList;
class TStream;

class TGxLabelDIB {
public:
    explicit TGxLabelDIB(TGxLabelList& list) : list_(list) {}
    TGxLabelDIB(const TGxLabelDIB&) = delete;
    TGxLabelDIB& operator=(const TGxLabelDIB&) = delete;

    TDIBX ColorSurface, OpacitySurface;
    bool Dirty = true;
    int32_t Height = 0, Width = 0;
    std::vector<int32_t> Advances;  // one per character of the text (Measure)

    const std::string& Text() const noexcept { return text_; }
    // Stores a different text and marks the label for rendering.
    void SetText(std::string text);
    void Render();
    // Draws at (x, y) on the list's Target, rendering first when needed.
    void Paint(int32_t x, int32_t y);

private:
    TGxLabelList& list_;
    std::string text_;
};

class TGxLabelList {
public:
    explicit TGxLabelList(TFontPixelManager& fonts);
    TGxLabelList(const TGxLabelList&) = delete;
    TGxLabelList& operator=(const TGxLabelList&) = delete;

    TFontPixelManager& Fonts() const noexcept { return fonts_; }

    int Antialias = 3;
    TCustomDIBX* Target = nullptr;
    int32_t BorderWidth = 0;
    int32_t Alpha = 255;
    int32_t FontHeight = 12;
    std::string FontName;  // "ＭＳ Ｐゴシック"
    int32_t Color = 0xFFFFFF;
    int32_t BorderColor = 0;
    uint8_t Style = 0;
    TOutlineTextMetrics Metrics;  // as last measured
    int32_t ShadowWidth = 0;
    int32_t ShadowColor = 0;

    TGxLabelDIB& Add();
    TGxLabelDIB* Label(int i) const noexcept;
    int Count() const noexcept { return int(labels_.size()); }
    void Clear() noexcept { labels_.clear(); }
    void SetFontHeight(int32_t height);
    // Every label's height and advances, with the widths of the list's font.
    void Measure();
    int32_t MaxWidth() const noexcept;
    void InvalidateAll() noexcept;

    // The style (the labels' texts are their owner's).
    void SaveToStream(TStream& s) const;
    void LoadFromStream(TStream& s, int version);

private:
    TFontPixelManager& fonts_;
    std::vector<std::unique_ptr<TGxLabelDIB>> labels_;
};

} // namespace ruvo
