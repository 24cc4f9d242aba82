#include "text/captions.hpp"

#include <algorithm>
#include <cstring>
#include <memory>

#include "archive/sjis.hpp"
#include "graphics/film/filmlabel.hpp"
#include "graphics/images/picturelimits.hpp"
#include "text/labels.hpp"
#include "text/textlines.hpp"

namespace ruvo {

namespace {

// Copies the opacity of a rendered label into the caption's coverage at (x, y), clipped.
void CopyCoverage(TDIBX& to, TDIBX& from, int32_t x, int32_t y) {
    const int32_t left = std::max(0, -x), right = std::min(from.GetWidth(), to.GetWidth() - x);
    if (right <= left) return;
    for (int32_t row = std::max(0, -y); row < from.GetHeight() && row + y < to.GetHeight(); ++row) {
        const uint8_t* src = from.LockPixel(left, row);
        uint8_t* dst = to.LockPixel(x + left, y + row);
        if (src && dst) std::memcpy(dst, src, static_cast<size_t>(right - left));
        to.Unlock();
        from.Unlock();
    }
}

} // namespace

std::string DefaultCaptionFont() { return Utf8ToSjis("ＭＳ Ｐゴシック"); }

TCaptionSize RenderCaption(TGxLabelList& list, const TCaptionStyle& style, const std::vector<std::string>& lines,
                   int bitCount, TDIBX& colour, TDIBX& coverage) {
    list.Clear();
    list.FontName = style.FontName;
    list.FontHeight = std::clamp<int32_t>(style.FontHeight, -kMaxFontHeight, kMaxFontHeight);
    list.Style = style.FontStyle;
    list.Antialias = style.Antialias ? 3 : 0;
    list.Color = style.FontColor;
    for (const std::string& line : lines) list.Add().SetText(line);
    if (!lines.empty()) list.Measure();

    const int64_t pitch = int64_t{style.FontHeight} + style.LineSpace;
    const int32_t width = std::clamp<int32_t>(list.MaxWidth(), 0, kPictureMaxSide);
    int32_t height = static_cast<int32_t>(std::clamp<int64_t>(pitch * static_cast<int64_t>(lines.size()), 0, kPictureMaxSide));
    if (int64_t{width} * height * 4 > kPictureMaxBytes) height = static_cast<int32_t>(kPictureMaxBytes / 4 / width);
    if (colour.GetWidth() != width || colour.GetHeight() != height || colour.GetBitCount() != bitCount) {
        colour.SetSize(width, height, bitCount);
        coverage.SetSize(width, height, 8);
    }
    if (colour.IsEmpty()) return {width, height};
    // One colour throughout: the text's shape is in the coverage alone.
    colour.FillRect(Bounds(0, 0, width, height), static_cast<uint32_t>(colour.ColorToPixel(style.FontColor)));
    coverage.FillRect(Bounds(0, 0, width, height), 0);
    list.Target = &colour;
    for (int i = 0; i < list.Count(); ++i) {
        TGxLabelDIB& label = *list.Label(i);
        label.Render();
        if (label.OpacitySurface.IsEmpty()) continue;
        const int32_t x = style.HAlign == 1 ? (width - label.Width) / 2 : style.HAlign == 2 ? width - label.Width : 0;
        CopyCoverage(coverage, label.OpacitySurface, x, static_cast<int32_t>(pitch * i));
    }
    list.Target = nullptr;
    return {width, height};
}

void TFilmCaptions::Render(const TLabelFrameList& track, TLabelFrame& frame) {
    TCaptionStyle style;
    style.FontName = track.FontName.empty() ? DefaultCaptionFont() : track.FontName;
    style.FontHeight = track.FontHeight;
    style.LineSpace = track.LineSpace;
    style.FontStyle = static_cast<uint8_t>(track.FontStyle & 0x0F);
    style.FontColor = track.FontColor;
    style.HAlign = track.HAlign;
    style.Antialias = track.Antialias != 0;
    TGxLabelList list(fonts_);
    auto colour = std::make_unique<TDIBX>(), coverage = std::make_unique<TDIBX>();
    RenderCaption(list, style, SplitLines(track.Text), bitCount_, *colour, *coverage);
    if (colour->IsEmpty()) return;
    frame.Colour = std::move(colour);
    frame.Coverage = std::move(coverage);
}

} // namespace ruvo
