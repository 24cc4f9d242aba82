#pragma once
// Label tracks (kind 1): a line or lines of text in one font, moved, turned, zoomed and faded like a
// picture. The text is drawn by the text engine through TFilmLabelRenderer; until one is connected a
// label track is timed like any other but draws nothing.
#include <memory>
#include <string>

#include "graphics/surface/dibx.hpp"
#include "graphics/film/filmimage.hpp"

namespace ruvo {

// The rendered text of a label track.
struct TLabelFrame {
    std::unique_ptr<TDIBX> Colour;    // the text's colour, at the target's pixel format
    std::unique_ptr<TDIBX> Coverage;  // 8 bits: how much of each pixel the text covers
};

class TLabelFrameList : public TCustomImageFrameList {
public:
    std::string Text;       // lines parted by CR LF or LF (Shift-JIS)
    std::string FontName;   // empty: the player's default face
    int32_t FontHeight = 12;
    int32_t FontStyle = 0;  // PR_FONTSTYLE bits
    int32_t FontColor = 0xFFFFFF;
    int32_t LineSpace = 0;
    uint8_t HAlign = 0;     // HA_LEFT 0, HA_CENTER 1, HA_RIGHT 2
    uint8_t Antialias = 1;

    const TLabelFrame& Frame() const noexcept { return frame_; }

    void LoadResources(TFilmResources& resources, std::string_view folder) override;
    void Draw(const TFilmCanvas& canvas) const override;

protected:
    void SyncOwn(TFilmFields& f) override;

private:
    TLabelFrame frame_;
};

} // namespace ruvo
