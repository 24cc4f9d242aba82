#pragma once
// Mask transitions drawn as shapes: the sweeping clock hand and fans (pie sectors about the screen's
// centre), the growing circle, and blocks filled along a spiral or in random order.
#include <vector>

#include "graphics/wipes/wipemask.hpp"

namespace ruvo {

// Sectors about the centre with a radius that covers the whole screen; Param0 turns the starting
// direction by degrees from 12 o'clock (90 is 3 o'clock).
class TWipePie : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    // The angle changes with every step of time.
    int64_t MaskProgress(int64_t t, int64_t) const override { return t; }
    void BuildMask(int64_t t, int64_t T) override;
    // Draws the type's sectors (in 255) on the cleared mask at time t of T.
    virtual void DrawSectors(double t, double T) = 0;
    void Sector(double start, double sweep);
    double StartAngle() const noexcept;
};

class TWipeClockhand : public TWipePie {
public:
    using TWipePie::TWipePie;

protected:
    void DrawSectors(double t, double T) override;
};

class TWipeFan : public TWipePie {
public:
    using TWipePie::TWipePie;

protected:
    void DrawSectors(double t, double T) override;
};

class TWipeWFan : public TWipePie {
public:
    using TWipePie::TWipePie;

protected:
    void DrawSectors(double t, double T) override;
};

class TWipeCircle : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    int64_t MaskProgress(int64_t t, int64_t T) const override;  // the radius
    void BuildMask(int64_t radius, int64_t T) override;
};

// Square blocks of side min(max(10, Param0), W, H) filled in the order of BlockOrder.
class TWipeBlocks : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    void PrepareMask() override;
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t n, int64_t T) override;
    // Block numbers (column + row x columns) in the order they fill.
    virtual std::vector<int32_t> BlockOrder(int32_t columns, int32_t rows) = 0;
    // Whether the order is run from its end in reverse.
    virtual bool RunsBackwards() const { return false; }

private:
    int32_t side_ = 1, columns_ = 1;
    std::vector<int32_t> order_;
};

class TWipeBlockCoil : public TWipeBlocks {
public:
    using TWipeBlocks::TWipeBlocks;

protected:
    std::vector<int32_t> BlockOrder(int32_t columns, int32_t rows) override;
    bool RunsBackwards() const override { return Reverse(); }
};

class TWipeBlockRandom : public TWipeBlocks {
public:
    TWipeBlockRandom(const TWipeSurfaces& surfaces, const TRandomFunction& random)
        : TWipeBlocks(surfaces), random_(random) {}

protected:
    std::vector<int32_t> BlockOrder(int32_t columns, int32_t rows) override;

private:
    TRandomFunction random_;
};

} // namespace ruvo
