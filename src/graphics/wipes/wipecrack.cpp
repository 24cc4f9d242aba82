#include "graphics/wipes/wipecrack.hpp"

#include <cmath>

#include "graphics/wipes/wipehelpers.hpp"

namespace ruvo {

namespace {
// Height of a shard a steps into its fall: it rises (up to 112 pixels at step 150), then falls.
int64_t Fall(int64_t a) noexcept { return (5 * a * a - 1500 * a) / 1000; }

// The first step at which the fall has gone `height` pixels below the start (the rise is over by 300).
int64_t FallLength(int64_t height) {
    int64_t k = std::max<int64_t>(300, int64_t(150 + std::sqrt(22500.0 + 200.0 * double(height))) - 3);
    while (k > 300 && Fall(k - 1) >= height)
        --k;
    while (Fall(k) < height)
        ++k;
    return k;
}
} // namespace

TWipeCrack::TWipeCrack(const TWipeSurfaces& surfaces, const TRandomFunction& random)
    : TCustomWipe(surfaces), random_(random) {}

void TWipeCrack::SetParam(int i, int32_t value) {
    if (i == 0) {
        Params[0] = std::max(value, 16);
        Cut();
    } else if (i == 1) {
        Params[1] = std::max(value, 0);
    }
}

void TWipeCrack::Cut() {
    const int32_t side = Params[0];
    const int32_t columns = int32_t(wipe::CeilDiv(W, side)), rows = int32_t(wipe::CeilDiv(H, side));
    fallLength_ = FallLength(H);
    const std::vector<int32_t> cells = wipe::RandomOrder(columns * rows, random_);
    shards_.clear();
    shards_.reserve(cells.size());
    for (int32_t cell : cells)
        shards_.push_back(TShard{cell % columns, cell / columns, wipe::Draw(random_, 200) - 100});
}

void TWipeCrack::DrawFrame(int64_t t, int64_t T) {
    const int64_t side = Params[0], delay = Params[1], count = int64_t(shards_.size());
    const int64_t u = wipe::Progress(t, T, fallLength_ + std::max<int64_t>(count - 1, 0) * delay);
    const TRect whole{0, 0, W, H};
    auto cell = [&](const TShard& s) { return Intersect(Bounds(int32_t(side * s.Column), int32_t(side * s.Row), int32_t(side), int32_t(side)), whole); };
    Target.Assign(After);
    for (int64_t j = 0; j < count; ++j)  // shards still waiting, in place
        if (j * delay > u) {
            const TRect home = cell(shards_[size_t(j)]);
            Target.Draw(home.Left, home.Top, Before, home, false, false, false);
        }
    for (int64_t j = count - 1; j >= 0; --j) {  // moving shards, the earlier ones on top
        const int64_t a = u - j * delay;
        if (a < 0 || a >= fallLength_)
            continue;
        const TShard& s = shards_[size_t(j)];
        const TRect home = cell(s);
        const int64_t x = home.Left + a * s.Drift / 100, y = home.Top + Fall(a);
        if (y < H)  // a shard that has reached the bottom is gone
            Target.Draw(int32_t(x), int32_t(y), Before, home, false, false, false);
    }
}

} // namespace ruvo
