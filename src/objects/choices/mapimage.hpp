#pragma once
// The map image (LT_MAPIMG): a picture with named hit regions read from a region map file
// (PR_MAPSOURCE). The region under the pointer is hovered (PR_ONMAPIN, PR_ONMAPOUT) and shows the hover
// picture (PR_HOVERSOURCE) inside its shape; a left press on it chooses it (@SelStr, @SelIndex,
// PR_ONSELECT) and, with PR_AUTOSCRAP, the map goes one frame later. A right click anywhere cancels
// when PR_RCLICKSCRAP is set (@SelIndex -1, @SelStr "") and the map goes.
#include <string>

#include "graphics/images/regionmap.hpp"
#include "objects/images/images.hpp"
#include "objects/images/imagelist.hpp"

namespace ruvo {

class TRuvoMapImage : public TRuvoCustomImages {
public:
    // Phase: shown, closing (the next update destroys).
    enum TPhase : int32_t { kShown = 0, kClose = 100, kClosed = 101 };

    using TRuvoCustomImages::TRuvoCustomImages;

    uint8_t GetCompoType() const override { return 18; }
    bool IsClosing() const override { return Closing; }
    bool Update() override;
    void LeftDown() override;
    void MouseMove() override;
    void MouseLeave() override;
    bool RightClickCancel() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the animation part: the three sources, auto-scrap, right-click cancel, the select, hover and
    // idle handlers, the closing flag and the phase. Pictures and regions are read again.
    void Sync(TSerializer& s) override;

    void SetSource(std::string source);
    void SetHoverSource(std::string source);
    // Drops the regions and the hover; reads the new file when the game has it (a damaged one throws).
    void SetMapSource(std::string source);
    void SetRClickScrap(bool on);
    // The region under a screen point, -1 when none.
    int RegionAtScreen(int32_t x, int32_t y) const noexcept;
    // A new hovered region: PR_ONMAPOUT for the old one, PR_ONMAPIN for the new, the hover picture from
    // its first frame.
    void SetHoverRegion(int region);
    const TRegionMap& Regions() const noexcept { return regions_; }

    std::string Source, HoverSource, MapSource;
    bool AutoScrap = false;
    bool RClickScrap = false;
    std::string OnSelect, OnMapIn, OnMapOut, OnIdle;
    int32_t HoverRegion = -1;
    int32_t Phase = kShown;
    bool Closing = false;

protected:
    TRuvoImageList& Frames() override { return frames_; }
    bool Repeats() const override { return true; }
    void PaintOver(TCustomDIBX& target) override;

private:
    // The hovered region's box on the screen (empty without one).
    TRect HoverRect() const;
    void ShowHoverFrame(int index);
    void StepHoverPicture();

    TRuvoImageList frames_, hoverFrames_;
    int32_t hoverIndex_ = -1, hoverRemaining_ = 0;
    TRegionMap regions_;
};

} // namespace ruvo
