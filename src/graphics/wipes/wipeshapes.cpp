#include "graphics/wipes/wipeshapes.hpp"

#include <cmath>
#include <numbers>

#include "graphics/draw/sectorraster.hpp"
#include "graphics/wipes/wipehelpers.hpp"

namespace ruvo {

using std::numbers::pi;

// --- Sectors ---

double TWipePie::StartAngle() const noexcept { return (Params[0] - 90.0) * pi / 180.0; }

void TWipePie::Sector(double start, double sweep) {
    FillSector(TByteRaster{MaskRow(0), W, MaskRows()}, W / 2.0, H / 2.0, std::hypot(W / 2.0, H / 2.0), start,
               sweep, 255);
}

void TWipePie::BuildMask(int64_t t, int64_t T) {
    FillMask(0);
    DrawSectors(double(t), double(T));
}

void TWipeClockhand::DrawSectors(double t, double T) {
    const double sweep = 2 * pi * t / T;
    Sector(StartAngle(), Reverse() ? -sweep : sweep);
}

void TWipeFan::DrawSectors(double t, double T) {
    const double half = pi * t / T;
    Sector(StartAngle() - half, 2 * half);
}

void TWipeWFan::DrawSectors(double t, double T) {
    const double half = pi / 2 * t / T;
    Sector(StartAngle() - half, 2 * half);
    Sector(StartAngle() + pi - half, 2 * half);
}

// --- Circle ---

int64_t TWipeCircle::MaskProgress(int64_t t, int64_t T) const {
    const double part = double(Reverse() ? T - t : t) / double(T);
    return wipe::Rnd(std::hypot(W / 2.0, H / 2.0) * part);
}

void TWipeCircle::BuildMask(int64_t radius, int64_t) {
    FillMask(Reverse() ? 255 : 0);
    FillDisc(TByteRaster{MaskRow(0), W, MaskRows()}, W / 2.0, H / 2.0, double(radius), Reverse() ? 0 : 255);
}

// --- Blocks ---

void TWipeBlocks::PrepareMask() {
    side_ = wipe::Min3(std::max(10, Params[0]), W, H);
    columns_ = int32_t(wipe::CeilDiv(W, side_));
    order_ = BlockOrder(columns_, int32_t(wipe::CeilDiv(H, side_)));
}

int64_t TWipeBlocks::MaskProgress(int64_t t, int64_t T) const {
    const int64_t last = int64_t(order_.size()) - 1;
    return wipe::Progress(RunsBackwards() ? T - t : t, T, last);
}

void TWipeBlocks::BuildMask(int64_t n, int64_t) {
    FillMask(0);
    // The blocks up to the n-th of the order; run backwards, from the n-th to the end.
    const size_t first = RunsBackwards() ? size_t(n) : 0, last = RunsBackwards() ? order_.size() - 1 : size_t(n);
    for (size_t i = first; i <= last && i < order_.size(); ++i) {
        const int32_t block = order_[i], x = block % columns_ * side_, y = block / columns_ * side_;
        FillMaskRect(TRect{x, y, x + side_, y + side_}, 255);
    }
}

std::vector<int32_t> TWipeBlockCoil::BlockOrder(int32_t columns, int32_t rows) {
    // Clockwise from the top-left corner inwards: along the top, down the right side, back along the
    // bottom and up the left side, each turn on the area that is left.
    std::vector<int32_t> order;
    order.reserve(size_t(columns) * size_t(rows));
    int32_t left = 0, top = 0, right = columns - 1, bottom = rows - 1;
    while (left <= right && top <= bottom) {
        for (int32_t x = left; x <= right; ++x)
            order.push_back(top * columns + x);
        for (int32_t y = top + 1; y <= bottom; ++y)
            order.push_back(y * columns + right);
        if (top < bottom)
            for (int32_t x = right - 1; x >= left; --x)
                order.push_back(bottom * columns + x);
        if (left < right)
            for (int32_t y = bottom - 1; y > top; --y)
                order.push_back(y * columns + left);
        ++left, ++top, --right, --bottom;
    }
    return order;
}

std::vector<int32_t> TWipeBlockRandom::BlockOrder(int32_t columns, int32_t rows) {
    return wipe::RandomOrder(columns * rows, random_);
}

} // namespace ruvo
