#pragma once
// A screen's dirty list: the rectangles to repaint and present. Rectangles close to one another are
// merged, so that many small changes in one area repaint that area once.
#include <vector>

#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

// Whether inner lies wholly within outer.
bool Holds(const TRect& outer, const TRect& inner) noexcept;

class TClipList {
public:
    // Rectangles within this many pixels of each other are merged.
    static constexpr int32_t kMergeDistance = 20;

    // Adds r clipped to bounds. A stored rectangle close to it swallows it when it holds it whole;
    // otherwise the two are replaced by their union, which is added the same way.
    void Add(TRect r, const TRect& bounds);
    const std::vector<TRect>& Rects() const noexcept { return rects_; }
    bool Empty() const noexcept { return rects_.empty(); }
    void Clear() noexcept { rects_.clear(); }
    // The rectangles, leaving the list empty.
    std::vector<TRect> Take() noexcept { return std::move(rects_); }

private:
    std::vector<TRect> rects_;
};

} // namespace ruvo
