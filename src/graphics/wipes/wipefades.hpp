#pragma once
// Transitions that blend, brighten or darken whole pictures: the cross-fade, the changes through white
// and black, the flash, the mosaic and the blur.
#include "graphics/surface/dibx.hpp"
#include "graphics/wipes/wipes.hpp"

namespace ruvo {

// After fades in over Before, sliding in from (Param0, Param1) when they are not 0.
class TWipeFade : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
};

// Before brightens to white, then After comes out of white.
class TWipeWhite : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
    // Through black: grey is subtracted instead of added.
    virtual bool Darkens() const { return false; }
};

class TWipeBlack : public TWipeWhite {
public:
    using TWipeWhite::TWipeWhite;

protected:
    bool Darkens() const override { return true; }
};

// After, shown at once in white, settles to its own colours.
class TWipeFlash : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
};

// Before breaks into growing blocks while After blends in, then After's blocks shrink back.
class TWipeMosaic : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;
    void Prepare() override;

protected:
    void DrawFrame(int64_t t, int64_t T) override;

private:
    TDIBX buffer_;
};

// Before blurs, flashes toward white, turns into the blurred After, which sharpens.
class TWipeBlurWhite : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;
    void Prepare() override;

protected:
    void DrawFrame(int64_t t, int64_t T) override;
    virtual bool Darkens() const { return false; }

private:
    TDIBX blurredBefore_, blurredAfter_;
};

class TWipeBlurBlack : public TWipeBlurWhite {
public:
    using TWipeBlurWhite::TWipeBlurWhite;

protected:
    bool Darkens() const override { return true; }
};

} // namespace ruvo
