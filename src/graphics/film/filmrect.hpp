#pragma once
// Area tracks of frame lists: a rectangle moved and resized from a start to an end, and the three
// kinds built on it: boxes (kind 2), particle emitters (kind 6) and fire (kind 7). Boxes draw
// themselves; particles and fire are simulations that the display objects run, so their tracks only
// give those objects their area and settings at each time.
#include <string>

#include "graphics/film/filmtrack.hpp"
#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TRectFrameList : public TCustomFrameList {
public:
    int32_t StartLeft = 0, StartTop = 0, StartWidth = 0, StartHeight = 0;
    int32_t EndLeft = 0, EndTop = 0, EndWidth = 0, EndHeight = 0;
    uint8_t EasePos = 0, EaseSize = 0;

    TRect CurRect;  // shown area, relative to the frame list's origin

    void SetStartValues(const TCustomFrameList* parent) override;

protected:
    void SyncRect(TFilmFields& f);
    void Pose(int32_t d, int32_t n) override;

private:
    int32_t fromLeft_ = 0, fromTop_ = 0, fromWidth_ = 0, fromHeight_ = 0;
};

// Kind 2: a filled rectangle with an optional border, as the box object draws it.
class TBoxFrameList : public TRectFrameList {
public:
    int32_t StartColor = 0xFFFFFF, EndColor = 0xFFFFFF;  // 0x00BBGGRR; negative: no fill
    int32_t BorderWidth = 0;
    int32_t BorderColor = -1;                            // negative: no border
    int32_t StartAlpha = 255, EndAlpha = 255;            // the box's alpha convention
    uint8_t EaseFill = 0;                                // eases colour and alpha

    int32_t CurColor = 0xFFFFFF, CurAlpha = 255;

    bool Visual() const noexcept override { return true; }
    void Draw(const TFilmCanvas& canvas) const override;
    TRect DrawnRect() const override;

protected:
    void SyncOwn(TFilmFields& f) override;
    void Pose(int32_t d, int32_t n) override;
};

// Kind 6: a particle emitter. Particles appear at random points of the shown area (its left and top
// are the emission ranges' bases, its width and height their ranges).
class TParticleFrameList : public TRectFrameList {
public:
    std::string Source;     // picture or frame list of the particles, relative to the file's folder
    uint8_t Motion = 0;     // PM_NONE .. PM_TWISTER
    double Param1 = 0, Param2 = 0, Param3 = 0;
    int32_t Alpha = 255;
    int32_t IntervalBase = 100, IntervalRange = 0;  // ms between two particles: base + random(range)
    int32_t PreRoll = 0;    // ms of emission simulated at once when the track starts

protected:
    void SyncOwn(TFilmFields& f) override;
};

// Kind 7: fire burning in the shown area (its simulation buffer stretched over it).
class TFireFrameList : public TRectFrameList {
public:
    int32_t OrigWidth = 64, OrigHeight = 64;  // simulation buffer
    int32_t StartPower = 1, EndPower = 1;
    uint8_t EasePower = 0;

    int32_t CurPower = 1;

protected:
    void SyncOwn(TFilmFields& f) override;
    void Pose(int32_t d, int32_t n) override;
};

} // namespace ruvo
