#pragma once
// Mask-driven transitions: each frame an 8-bit mask says, per pixel, how far the screen has gone from
// Before (0) to After (255); the mask is rebuilt only when the type's progress value changes. This file
// holds the base and the types whose masks are ramps: blinds, curtains, grids, dither and the rule
// picture (shadow).
#include <optional>
#include <span>
#include <vector>

#include "graphics/wipes/wipes.hpp"

namespace ruvo {

class TWipeMask : public TCustomWipe {
public:
    using TCustomWipe::TCustomWipe;
    // Parameter 0 is at least 2 and parameter 1 at least 1.
    void SetParam(int i, int32_t value) override;
    void Prepare() override;

    // The mask as last built: MaskRows() rows of the target's width, top row first; the rows repeat down
    // the screen.
    std::span<const uint8_t> Mask() const noexcept { return mask_; }
    int32_t MaskRows() const noexcept { return maskRows_; }

protected:
    // Rows of the mask (at most the target's height is useful; rows repeat).
    virtual int32_t MaskHeight() const { return H; }
    // Type-specific preparation, after the mask has its size.
    virtual void PrepareMask() {}
    virtual int64_t MaskProgress(int64_t t, int64_t T) const = 0;
    // Builds the whole mask for progress p (T: the duration, for types whose progress is the time).
    virtual void BuildMask(int64_t p, int64_t T) = 0;
    // Rebuilds the mask when the progress value changed; true when it did.
    bool UpdateMask(int64_t t, int64_t T);

    uint8_t* MaskRow(int32_t y) noexcept { return mask_.data() + size_t(y) * size_t(W); }
    void FillMask(uint8_t value);
    // Fills the part of r that lies inside the mask.
    void FillMaskRect(const TRect& r, uint8_t value);

    // Every non-zero mask byte shows After unblended (on 32-bit targets).
    bool Sharp = false;

private:
    void DrawFrame(int64_t t, int64_t T) final;
    void Compose();

    enum class TRowKind : uint8_t { Before, After, Mixed };
    std::vector<uint8_t> mask_;
    std::vector<TRowKind> rowKinds_;
    std::vector<uint8_t> uniformRows_;  // a row of 0 and a row of 255, to recognise such rows
    int32_t maskRows_ = 0;
    std::optional<int64_t> lastProgress_;
};

// Blinds of Param0 lines, each opening from its first line (its last in reverse) with a ramp of Param1.
class TWipeBlind : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    void PrepareMask() override { Sharp = Params[1] < 2; }
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    // Mask value of line i of a blind at progress p.
    uint8_t LineValue(int64_t p, int64_t i) const noexcept;
};

class TWipeBlindH : public TWipeBlind {
public:
    using TWipeBlind::TWipeBlind;

protected:
    int32_t MaskHeight() const override { return 1; }
    void BuildMask(int64_t p, int64_t T) override;
};

class TWipeBlindV : public TWipeBlind {
public:
    using TWipeBlind::TWipeBlind;

protected:
    int32_t MaskHeight() const override { return std::min(Params[0], H); }
    void BuildMask(int64_t p, int64_t T) override;
};

// Base of the horizontal curtain: both parameters at least 1.
class TWipeOrderHMask : public TWipeMask {
public:
    using TWipeMask::TWipeMask;
    void SetParam(int i, int32_t value) override;
};

class TWipeOrderVMask : public TWipeMask {
public:
    using TWipeMask::TWipeMask;
};

class TWipeCurtainH : public TWipeOrderHMask {
public:
    using TWipeOrderHMask::TWipeOrderHMask;

protected:
    int32_t MaskHeight() const override { return 1; }
    void PrepareMask() override { Sharp = Params[1] < 2; }
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t p, int64_t T) override;
};

class TWipeCurtainV : public TWipeOrderVMask {
public:
    using TWipeOrderVMask::TWipeOrderVMask;

protected:
    void PrepareMask() override { Sharp = Params[1] < 2; }
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t p, int64_t T) override;
};

// Square cells of Param0 pixels that open, each from its centre, in the order of their start values.
class TWipeGrid : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    void PrepareMask() override { Sharp = Params[1] < 2; }
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t p, int64_t T) override;
    int64_t Columns() const noexcept { return (int64_t(W) + Params[0] - 1) / Params[0]; }
    int64_t Rows() const noexcept { return (int64_t(H) + Params[0] - 1) / Params[0]; }
    // Progress at which the cell starts opening, and the start of the last cell.
    virtual int64_t CellStart(int64_t row, int64_t column) const;
    virtual int64_t LastStart() const;
};

class TWipeGridH : public TWipeGrid {
public:
    using TWipeGrid::TWipeGrid;

protected:
    int32_t MaskHeight() const override { return std::min(Params[0], H); }
    int64_t CellStart(int64_t row, int64_t column) const override;
    int64_t LastStart() const override { return 4 * Columns(); }
};

class TWipeGridV : public TWipeGrid {
public:
    using TWipeGrid::TWipeGrid;

protected:
    int64_t CellStart(int64_t row, int64_t column) const override;
    int64_t LastStart() const override { return 4 * Rows(); }
};

// A fixed random order of the cells of a 64 x 64 tile; the first p cells of it show After.
class TWipeDither : public TWipeMask {
public:
    using TWipeMask::TWipeMask;

protected:
    int32_t MaskHeight() const override { return 64; }
    void PrepareMask() override;
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t p, int64_t T) override;

private:
    std::vector<int> order_;
};

// A rule picture's grey levels: bright pixels change first, each over a band of 256 levels.
class TWipeShadow : public TWipeMask {
public:
    using TWipeMask::TWipeMask;
    void SetRule(const TCustomDIBX* rule) override { rule_ = rule; }

protected:
    void PrepareMask() override;
    int64_t MaskProgress(int64_t t, int64_t T) const override;
    void BuildMask(int64_t p, int64_t T) override;

private:
    const TCustomDIBX* rule_ = nullptr;
    std::vector<uint8_t> greys_;
};

} // namespace ruvo
