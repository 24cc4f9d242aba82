#pragma once
// Transitions that move, stretch or turn the pictures: scrolls, the blind that pulls one line across
// (sudare) and its rubber-band variant, the twist, the zoom into a point, and the shrinking and growing
// pictures.
#include <vector>

#include "graphics/wipes/wipes.hpp"

namespace ruvo {

// One axis of the screen, along which a type moves its pictures: x for the horizontal types, y for the
// vertical ones.
struct TScreenAxis {
    bool Vertical;
    int32_t Along, Across;  // the screen's extent along and across the axis

    TScreenAxis(bool vertical, int32_t w, int32_t h) : Vertical(vertical), Along(vertical ? h : w), Across(vertical ? w : h) {}
    // Everything between a0 and a1 along the axis.
    TRect Band(int64_t a0, int64_t a1) const noexcept;
    // The part between a0 and a1 of line i (a row of a horizontal type, a column of a vertical one).
    TRect Line(int32_t i, int64_t a0, int64_t a1) const noexcept;
    int32_t X(int64_t a) const noexcept { return Vertical ? 0 : int32_t(a); }
    int32_t Y(int64_t a) const noexcept { return Vertical ? int32_t(a) : 0; }
};

// The horizontal or the vertical member of a family that works along one axis.
template <class Family, bool Vertical>
class TOnAxis : public Family {
public:
    explicit TOnAxis(const TWipeSurfaces& surfaces) : Family(surfaces, Vertical) {}
};

class TWipeScroll : public TCustomWipe {
public:
    TWipeScroll(const TWipeSurfaces& surfaces, bool vertical) : TCustomWipe(surfaces), axis_(vertical, W, H) {}

protected:
    void DrawFrame(int64_t t, int64_t T) override;

private:
    TScreenAxis axis_;
};

using TWipeScrollH = TOnAxis<TWipeScroll, false>;
using TWipeScrollV = TOnAxis<TWipeScroll, true>;

// A strip of the picture, ending at the moving line a, is stretched from the screen's edge to a; the
// rest keeps its place. Before is pulled away, then After is pulled back.
class TWipeSudare : public TCustomWipe {
public:
    TWipeSudare(const TWipeSurfaces& surfaces, bool vertical) : TCustomWipe(surfaces), axis_(vertical, W, H) {}

protected:
    void DrawFrame(int64_t t, int64_t T) override;
    // Lines in the stretched strip when the moving line is at a.
    virtual int64_t StripLength(int64_t /*t*/, int64_t /*T*/, int64_t /*a*/) const { return 1; }

private:
    TScreenAxis axis_;
};

using TWipeSudareH = TOnAxis<TWipeSudare, false>;
using TWipeSudareV = TOnAxis<TWipeSudare, true>;

// The sudare with a wider strip: one line at the start, the middle and the end of the time, widest at
// a quarter and three quarters of it, so the pulled picture stretches and snaps back like rubber.
class TWipeRubber : public TWipeSudare {
public:
    using TWipeSudare::TWipeSudare;

protected:
    int64_t StripLength(int64_t t, int64_t T, int64_t a) const override;
};

using TWipeRubberH = TOnAxis<TWipeRubber, false>;
using TWipeRubberV = TOnAxis<TWipeRubber, true>;

// Every line turns about the screen's middle like a card, Before on its front and After on its back,
// the first line leading and the last a quarter turn behind.
class TWipeTwist : public TCustomWipe {
public:
    TWipeTwist(const TWipeSurfaces& surfaces, bool vertical)
        : TCustomWipe(surfaces), axis_(vertical, W, H), lines_(size_t(axis_.Across)) {}

protected:
    void DrawFrame(int64_t t, int64_t T) override;

private:
    // What one line shows: Before or After unturned, or a face of Length pixels from Start on black.
    struct TLine {
        enum : uint8_t { Before, After, Turning } Show;
        bool Back;  // the face is After's
        int32_t Start, Length;
        int64_t Step;  // source pixels per face pixel, 16.16
    };
    TScreenAxis axis_;
    std::vector<TLine> lines_;  // per row (horizontal) or column (vertical), remade each step
};

using TWipeTwistH = TOnAxis<TWipeTwist, false>;
using TWipeTwistV = TOnAxis<TWipeTwist, true>;

// Zooms into the point (Param0, Param1) of Before, then out of the same point of After.
class TWipeZoomin : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
};

// Before shrinks away over After, turning by Param0 (in 1/256 of a turn).
class TWipeSmall : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
};

// After grows in over Before, turning by Param0 (in 1/256 of a turn).
class TWipeBig : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
};

} // namespace ruvo
