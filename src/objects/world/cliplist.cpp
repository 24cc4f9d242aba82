#include "objects/world/cliplist.hpp"

#include <algorithm>

namespace ruvo {

namespace {

// Neither is more than kMergeDistance pixels to the left, right, above or below the other.
bool Close(const TRect& a, const TRect& b) noexcept {
    constexpr int64_t d = TClipList::kMergeDistance;
    return int64_t{b.Left} - a.Right <= d && int64_t{a.Left} - b.Right <= d && int64_t{b.Top} - a.Bottom <= d &&
           int64_t{a.Top} - b.Bottom <= d;
}

// Both rectangles are non-empty here.
TRect Hull(const TRect& a, const TRect& b) noexcept {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

} // namespace

bool Holds(const TRect& outer, const TRect& inner) noexcept {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

void TClipList::Add(TRect r, const TRect& bounds) {
    r = Intersect(r, bounds);
    if (r.IsEmpty()) return;
    for (size_t i = 0; i < rects_.size();) {
        if (!Close(rects_[i], r)) {
            ++i;
            continue;
        }
        if (Holds(rects_[i], r)) return;
        r = Hull(r, rects_[i]);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
        i = 0;  // the union may now be close to rectangles passed before
    }
    rects_.push_back(r);
}

} // namespace ruvo
