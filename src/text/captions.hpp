#pragma once
// Lines of plain text in one font and colour rendered through a label list into a colour surface and an
// 8-bit coverage surface: what captions show, and what label tracks of frame lists draw.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/film/filmtrack.hpp"

namespace ruvo {

class TFontPixelManager;
class TGxLabelList;

// The face of captions that name none: "ＭＳ Ｐゴシック" (Shift-JIS).
std::string DefaultCaptionFont();

struct TCaptionStyle {
    std::string FontName;
    int32_t FontHeight = 12;
    int32_t LineSpace = 0;
    uint8_t FontStyle = 0;
    int32_t FontColor = 0;
    int32_t HAlign = 0;  // HA_LEFT, HA_CENTER, HA_RIGHT
    bool Antialias = false;
};

// Renders the lines (one line a FontHeight + LineSpace apart, aligned within the widest) with the style;
// colour (bitCount bits) and coverage take the natural size, which stays within what a picture may be
// (text beyond that is cut off). Returns the natural size (a width of 0 leaves the surfaces empty).
struct TCaptionSize {
    int32_t Width = 0, Height = 0;
};
TCaptionSize RenderCaption(TGxLabelList& list, const TCaptionStyle& style, const std::vector<std::string>& lines,
                   int bitCount, TDIBX& colour, TDIBX& coverage);

// Label tracks' text through the text engine.
class TFilmCaptions final : public TFilmLabelRenderer {
public:
    TFilmCaptions(TFontPixelManager& fonts, int bitCount) : fonts_(fonts), bitCount_(bitCount) {}
    void Render(const TLabelFrameList& track, TLabelFrame& frame) override;

private:
    TFontPixelManager& fonts_;
    int bitCount_;
};

} // namespace ruvo
