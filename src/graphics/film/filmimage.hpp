#pragma once
// Picture tracks of frame lists: the transform every picture-like track animates (position, angle,
// zoom, opacity), the image track that shows a picture's frames through an animated source rectangle,
// and the tile track that fills an animated area with the picture.
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/film/filmtrack.hpp"

namespace ruvo {

// Position, angle, zoom and opacity from a start to an end value (kinds 0, 1 and 5).
class TCustomImageFrameList : public TCustomFrameList {
public:
    int32_t AnchorX = 0, AnchorY = 0;  // the point of the picture that sits at the position
    int32_t StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    uint8_t EaseX = 0, EaseY = 0;
    int32_t StartAngle = 0, EndAngle = 0;  // degrees, clockwise
    double StartZoomX = 1, EndZoomX = 1;   // 1 = 100 %
    uint8_t EaseZoomX = 0;
    int32_t StartAlpha = 255, EndAlpha = 255;  // blend code: 1..254 alpha, 255 opaque, 256..511 additive
    uint8_t EaseAngle = 0;
    double StartZoomY = 1, EndZoomY = 1;  // version 105; before, the zoom x values
    uint8_t EaseZoomY = 0;

    // The start values in effect: the stored ones, or the parent's end values when chained.
    struct TFrom {
        int32_t X = 0, Y = 0, Angle = 0, Alpha = 255;
        double ZoomX = 1, ZoomY = 1;
    };
    const TFrom& From() const noexcept { return from_; }

    // Shown state while active.
    int32_t CurX = 0, CurY = 0;
    int32_t CurZoomX = 256, CurZoomY = 256;  // 1/256
    int32_t CurAngle = 0;                    // 1/256 of a turn, 0..255
    int32_t CurAlpha = 255;

    void SetStartValues(const TCustomFrameList* parent) override;
    bool Visual() const noexcept override { return true; }

protected:
    // Fields up to the angle's easing byte, then (after what the kind puts between) the zoom y fields.
    void SyncTransform(TFilmFields& f);
    void SyncZoomY(TFilmFields& f);
    void Pose(int32_t d, int32_t n) override;

private:
    TFrom from_;
};

// A source rectangle from a start to an end offset and size (version 101).
struct TFilmSourceRect {
    int32_t StartX = 0, StartY = 0, EndX = 0, EndY = 0;
    int32_t StartWidth = 0, StartHeight = 0, EndWidth = 0, EndHeight = 0;  // below 1: the whole picture
    uint8_t EaseX = 0, EaseY = 0;                                         // x also eases the width

    struct TNames {
        const char *StartX, *StartY, *EndX, *EndY, *StartWidth, *StartHeight, *EndWidth, *EndHeight, *EaseX, *EaseY;
    };
    void Sync(TFilmFields& f, const TNames& names);
    // These values starting where `parent` ends.
    TFilmSourceRect ChainedAfter(const TFilmSourceRect& parent) const noexcept;
    // The rectangle at step d of n from `from` (the start values in effect), within width x height.
    TRect At(const TFilmSourceRect& from, int32_t n, int32_t d, int32_t width, int32_t height) const noexcept;
};

// One frame of a track's picture, ready to draw.
struct TImageFrame {
    std::unique_ptr<TDIBX> Colour;
    std::unique_ptr<TDIBX> Mask;  // null without one
    int32_t Delay = 100;          // ms
    int32_t OffsetX = 0, OffsetY = 0;
};

// Kind 0: a picture.
class TImageFrameList : public TCustomImageFrameList {
public:
    TFilmSourceRect Source;
    std::string Name;  // as stored, relative to the frame list's folder

    const std::vector<TImageFrame>& Frames() const noexcept { return frames_; }
    TRect CurSource;    // shown part of the current frame
    int32_t CurFrame = 0;

    void SetStartValues(const TCustomFrameList* parent) override;
    void LoadResources(TFilmResources& resources, std::string_view folder) override;
    void Draw(const TFilmCanvas& canvas) const override;
    TRect DrawnRect() const override;

protected:
    void SyncOwn(TFilmFields& f) override;
    void Pose(int32_t d, int32_t n) override;
    const TImageFrame* CurrentFrame() const noexcept;
    // Whether Draw shows the current frame at all.
    bool ShowsFrame() const noexcept;

private:
    std::shared_ptr<const TPicture> picture_;  // keeps the frames' pixels
    std::vector<TImageFrame> frames_;
    TFilmSourceRect sourceFrom_;
};

// Kind 5: an area filled with the picture repeated.
class TTileFrameList : public TImageFrameList {
public:
    int32_t StartScrollX = 0, StartScrollY = 0, EndScrollX = 0, EndScrollY = 0;
    int32_t StartWidth = 0, StartHeight = 0, EndWidth = 0, EndHeight = 0;
    uint8_t EaseScroll = 0, EaseSize = 0;
    int32_t DistanceX = 0, DistanceY = 0;  // tile pitch; below 1: the source's width or height
    TFilmSourceRect TileSource;            // version 101: the part of the picture that is tiled

    int32_t CurScrollX = 0, CurScrollY = 0, CurWidth = 0, CurHeight = 0;

    void SetStartValues(const TCustomFrameList* parent) override;
    void Draw(const TFilmCanvas& canvas) const override;
    TRect DrawnRect() const override;

protected:
    void SyncOwn(TFilmFields& f) override;
    void Pose(int32_t d, int32_t n) override;

private:
    struct TTileFrom {
        int32_t ScrollX = 0, ScrollY = 0, Width = 0, Height = 0;
    } tileFrom_;
    TFilmSourceRect tileSourceFrom_;
};

// Draws src (or its part srcRect) at (x, y) with a blend code and an optional mask, as images do:
// 1..254 alpha, 255 opaque, 256..511 additive; other codes draw nothing.
void DrawWithBlend(TCustomDIBX& target, int32_t x, int32_t y, TCustomDIBX& src, const TRect& srcRect,
                   TCustomDIBX* mask, bool flipH, bool flipV, int32_t blend);

} // namespace ruvo
