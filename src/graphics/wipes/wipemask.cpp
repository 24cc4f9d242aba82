#include "graphics/wipes/wipemask.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "archive/rands.hpp"
#include "graphics/draw/blendrows.hpp"
#include "graphics/wipes/wipehelpers.hpp"

namespace ruvo {

using wipe::Progress;

namespace {
// 0 before start, then rising by 255 / width per progress step to 255.
uint8_t Ramp(int64_t p, int64_t start, int64_t width) noexcept {
    return p < start ? 0 : uint8_t(std::min<int64_t>(255, (p - start) * 255 / width));
}

// Curtains: the screen in strips of `size` lines; line i of a strip starts with the strip's index
// plus its own place in the strip, so the strips close one after the other with a slanted front.
int64_t CurtainRange(int64_t length, int64_t size, int64_t width) noexcept {
    return (wipe::CeilDiv(length, size) + size - 2) * 16 + width;
}
int64_t CurtainStart(int64_t i, int64_t size) noexcept { return (i / size + i % size) * 16; }
} // namespace

// --- The mask base ---

void TWipeMask::SetParam(int i, int32_t value) {
    TCustomWipe::SetParam(i, i == 0 ? std::max(value, 2) : std::max(value, 1));
}

void TWipeMask::Prepare() {
    maskRows_ = std::clamp(MaskHeight(), 1, std::max(H, 1));
    mask_.assign(size_t(W) * size_t(maskRows_), 0);
    rowKinds_.assign(size_t(maskRows_), TRowKind::Before);
    uniformRows_.assign(size_t(W) * 2, 0);
    std::fill(uniformRows_.begin() + W, uniformRows_.end(), 255);
    lastProgress_.reset();
    PrepareMask();
}

void TWipeMask::FillMask(uint8_t value) { std::fill(mask_.begin(), mask_.end(), value); }

void TWipeMask::FillMaskRect(const TRect& rect, uint8_t value) {
    const TRect r = Intersect(rect, TRect{0, 0, W, maskRows_});
    for (int32_t y = r.Top; y < r.Bottom; ++y)
        std::memset(MaskRow(y) + r.Left, value, size_t(r.Width()));
}

bool TWipeMask::UpdateMask(int64_t t, int64_t T) {
    const int64_t p = MaskProgress(t, T);
    if (lastProgress_ == p)
        return false;
    lastProgress_ = p;
    BuildMask(p, T);
    if (Sharp && Target.GetBitCount() == 32)
        for (uint8_t& m : mask_)
            m = m ? 255 : 0;
    // Rows that are wholly one picture are copied instead of blended.
    const size_t width = size_t(W);
    for (int32_t y = 0; y < maskRows_; ++y) {
        const uint8_t* row = MaskRow(y);
        rowKinds_[size_t(y)] = row[0] == 0 && std::memcmp(row, uniformRows_.data(), width) == 0 ? TRowKind::Before
                               : row[0] == 255 && std::memcmp(row, uniformRows_.data() + width, width) == 0
                                   ? TRowKind::After
                                   : TRowKind::Mixed;
    }
    return true;
}

void TWipeMask::DrawFrame(int64_t t, int64_t T) {
    if (!mask_.empty() && UpdateMask(t, T))
        Compose();
}

void TWipeMask::Compose() {
    wipe::TFrameLocks locks({Target, Before, After});
    if (!locks.Valid())
        return;
    const TPixelView &out = locks.Target(), &before = locks.Before(), &after = locks.After();
    const size_t rowBytes = size_t(W) * size_t(out.Format.StorageBits() / 8);
    const TBlendOp mix{TBlendRule::Mask};
    // Rows are walked in ascending memory order, which the prefetchers follow best.
    const bool upwards = out.Stride < 0;
    for (int32_t i = 0; i < H; ++i) {
        const int32_t y = upwards ? H - 1 - i : i;
        const int32_t m = y % maskRows_;
        switch (rowKinds_[size_t(m)]) {
        case TRowKind::Before: std::memcpy(out.Row(y), before.Row(y), rowBytes); break;
        case TRowKind::After: std::memcpy(out.Row(y), after.Row(y), rowBytes); break;
        case TRowKind::Mixed:
            std::memcpy(out.Row(y), before.Row(y), rowBytes);
            BlendRow(out.Format, out.Row(y), 0, after.Row(y), MaskRow(m), W, mix);
            break;
        }
    }
}

// --- Blinds ---

int64_t TWipeBlind::MaskProgress(int64_t t, int64_t T) const {
    return Progress(t, T, int64_t(Params[1]) + 2 * int64_t(Params[0]) - 2);
}

uint8_t TWipeBlind::LineValue(int64_t p, int64_t i) const noexcept {
    const int64_t size = Params[0], place = i % size;
    return Ramp(p, Reverse() ? 2 * (size - place - 1) : 2 * place, Params[1]);
}

void TWipeBlindH::BuildMask(int64_t p, int64_t) {
    uint8_t* row = MaskRow(0);
    for (int32_t x = 0; x < W; ++x)
        row[x] = LineValue(p, x);
}

void TWipeBlindV::BuildMask(int64_t p, int64_t) {
    for (int32_t y = 0; y < MaskRows(); ++y)
        std::memset(MaskRow(y), LineValue(p, y), size_t(W));
}

// --- Curtains ---

void TWipeOrderHMask::SetParam(int i, int32_t value) { TCustomWipe::SetParam(i, std::max(value, 1)); }

int64_t TWipeCurtainH::MaskProgress(int64_t t, int64_t T) const {
    return Progress(t, T, CurtainRange(W, Params[0], Params[1]));
}

void TWipeCurtainH::BuildMask(int64_t p, int64_t) {
    uint8_t* row = MaskRow(0);
    for (int32_t x = 0; x < W; ++x)
        row[x] = Ramp(p, CurtainStart(Reverse() ? W - x - 1 : x, Params[0]), Params[1]);
}

int64_t TWipeCurtainV::MaskProgress(int64_t t, int64_t T) const {
    return Progress(t, T, CurtainRange(H, Params[0], Params[1]));
}

void TWipeCurtainV::BuildMask(int64_t p, int64_t) {
    for (int32_t y = 0; y < MaskRows(); ++y)
        std::memset(MaskRow(y), Ramp(p, CurtainStart(Reverse() ? H - y - 1 : y, Params[0]), Params[1]), size_t(W));
}

// --- Grids ---

int64_t TWipeGrid::CellStart(int64_t row, int64_t column) const {
    if (Reverse())
        row = Rows() - 1 - row, column = Columns() - 1 - column;
    return 4 * int64_t(wipe::Rnd(std::hypot(double(row), double(column))));
}

int64_t TWipeGrid::LastStart() const {
    return 4 * int64_t(wipe::Rnd(std::hypot(double(Rows() - 1), double(Columns() - 1))));
}

int64_t TWipeGridH::CellStart(int64_t, int64_t column) const {
    return 4 * (Reverse() ? Columns() - 1 - column : column);
}

int64_t TWipeGridV::CellStart(int64_t row, int64_t) const { return 4 * (Reverse() ? Rows() - 1 - row : row); }

int64_t TWipeGrid::MaskProgress(int64_t t, int64_t T) const {
    // The range is negative for a one-cell grid with a sharp edge: then the cell never opens.
    return Progress(t, T, Params[1] + LastStart() - 4);
}

void TWipeGrid::BuildMask(int64_t p, int64_t) {
    FillMask(0);
    const int64_t size = Params[0], width = Params[1];
    const int64_t rows = std::min(Rows(), wipe::CeilDiv(MaskRows(), size)), columns = Columns();
    for (int64_t row = 0; row < rows; ++row)
        for (int64_t column = 0; column < columns; ++column) {
            const int64_t h = CellStart(row, column);
            if (p < h)
                continue;
            const int64_t side = p - h >= width ? size : size * (p - h) / width, inset = (size - side) / 2;
            const int64_t left = column * size + inset, top = row * size + inset;
            auto at = [](int64_t v, int64_t limit) { return int32_t(std::clamp<int64_t>(v, 0, limit)); };
            FillMaskRect(TRect{at(left, W), at(top, H), at(left + side, W), at(top + side, H)}, Ramp(p, h, width));
        }
}

// --- Dither ---

void TWipeDither::PrepareMask() {
    Sharp = true;
    order_ = TGxRandom::Permutation(12341, 4096);
}

int64_t TWipeDither::MaskProgress(int64_t t, int64_t T) const { return Progress(t, T, 4096); }

void TWipeDither::BuildMask(int64_t p, int64_t) {
    uint8_t tile[64 * 64] = {};
    for (int64_t i = 0; i < p; ++i)
        tile[order_[size_t(i)]] = 255;
    for (int32_t y = 0; y < MaskRows(); ++y) {
        uint8_t* row = MaskRow(y);
        for (int32_t x = 0; x < W; x += 64)
            std::memcpy(row + x, tile + 64 * y, size_t(std::min(64, W - x)));
    }
}

// --- Rule picture ---

void TWipeShadow::PrepareMask() {
    greys_ = wipe::RuleGreys(rule_, W, H, Reverse());
    rule_ = nullptr;
}

int64_t TWipeShadow::MaskProgress(int64_t t, int64_t T) const { return Progress(t, T, 512); }

void TWipeShadow::BuildMask(int64_t p, int64_t) {
    // The ramp r[i] = clamp(i - 256, 0, 255) read at p + g, that is g moved by p - 256 with saturation,
    // written as byte arithmetic that vectorises. Plain pointers: bytes written through the mask could
    // otherwise be the vectors' own fields.
    const int32_t shift = int32_t(p) - 256;
    uint8_t* mask = MaskRow(0);
    const uint8_t* greys = greys_.data();
    const size_t n = greys_.size();
    if (shift <= 0) {
        const uint8_t down = uint8_t(std::min(-shift, 255));
        for (size_t i = 0; i < n; ++i)
            mask[i] = greys[i] > down ? uint8_t(greys[i] - down) : 0;
    } else {
        const uint8_t up = uint8_t(std::min(shift, 255)), limit = uint8_t(255 - up);
        for (size_t i = 0; i < n; ++i)
            mask[i] = greys[i] > limit ? 255 : uint8_t(greys[i] + up);
    }
}

} // namespace ruvo
