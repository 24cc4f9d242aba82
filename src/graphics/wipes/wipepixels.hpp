#pragma once
// Transitions decided pixel by pixel from tables made once: the spot (a white ring running out from the
// centre), the rule picture through white or black, and the ripple.
#include <vector>

#include "graphics/wipes/wipes.hpp"

namespace ruvo {

// Each pixel passes through a ramp of 512 levels starting at its own place in Starts: Before
// brightening to white (or darkening to black), then After out of white (or black). A level runs over
// Range during the time.
class TWipeLightRamp : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
    virtual bool Darkens() const { return false; }

    std::vector<int32_t> Starts;  // per pixel, row by row
    int64_t Range = 512;
};

// A white ring running out from the centre (in from the corners in reverse).
class TWipeSpot : public TWipeLightRamp {
public:
    using TWipeLightRamp::TWipeLightRamp;
    void Prepare() override;
};

// The ramp started by a rule picture's grey levels (bright pixels first), through white.
class TWipeShadowWhite : public TWipeLightRamp {
public:
    using TWipeLightRamp::TWipeLightRamp;
    void SetRule(const TCustomDIBX* rule) override { rule_ = rule; }
    void Prepare() override;

private:
    const TCustomDIBX* rule_ = nullptr;
};

class TWipeShadowBlack : public TWipeShadowWhite {
public:
    using TWipeShadowWhite::TWipeShadowWhite;

protected:
    bool Darkens() const override { return true; }
};

// A ring wave runs out from the centre: pixels it has passed show After, pixels ahead of it Before, and
// within it the picture is pushed along the radius by up to Param0 pixels while Before turns into After.
class TWipeRipple : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;
    void Prepare() override;

protected:
    void DrawFrame(int64_t t, int64_t T) override;

private:
    std::vector<int32_t> distance_, cos_, sin_;  // per pixel; directions in 16.16
    std::vector<int64_t> wave_;                  // push in pixels across the ring, from its front
    int64_t reach_ = 1;
};

} // namespace ruvo
