#include "text/cachedpictures.hpp"

#include <algorithm>
#include <vector>

#include "archive/errors.hpp"
#include "graphics/images/picturecache.hpp"

namespace ruvo {
namespace {

class TCachedInlinePicture : public TInlinePicture {
public:
    explicit TCachedInlinePicture(std::shared_ptr<const TPicture> picture)
        : picture_(std::move(picture)), colours_(picture_->Frames.size()), masks_(picture_->Frames.size()) {}

    int32_t Width() const override { return picture_->Width; }
    int32_t Height() const override { return picture_->Height; }
    bool Animates() const override { return picture_->Frames.size() > 1; }

    // The clock runs within the current frame; a long step is first reduced by whole cycles so that
    // the walk over the frames stays short whatever the step.
    bool Advance(int32_t ms) override {
        if (!Animates() || ms <= 0)
            return false;
        const size_t before = frame_;
        elapsed_ += ms;
        if (picture_->TotalDelay > 0 && elapsed_ >= picture_->TotalDelay)
            elapsed_ %= picture_->TotalDelay;
        while (elapsed_ >= DelayOf(frame_)) {
            elapsed_ -= DelayOf(frame_);
            frame_ = (frame_ + 1) % picture_->Frames.size();
        }
        return frame_ != before;
    }

    TCustomDIBX* Frame() override {
        if (!colours_[frame_])
            colours_[frame_] = picture_->Frames[frame_].ColourSurface();
        return colours_[frame_].get();
    }

    TCustomDIBX* Mask() override {
        if (!picture_->Frames[frame_].Mask)
            return nullptr;
        if (!masks_[frame_])
            masks_[frame_] = picture_->Frames[frame_].MaskSurface();
        return masks_[frame_].get();
    }

    // The surfaces are only views of the cached pixels: dropping them frees nothing the cache needs,
    // and Frame makes them again on demand.
    void ReleaseSurfaces() override {
        for (auto& s : colours_) s.reset();
        for (auto& s : masks_) s.reset();
    }

private:
    int64_t DelayOf(size_t frame) const { return std::max<int64_t>(1, picture_->Frames[frame].Delay); }

    std::shared_ptr<const TPicture> picture_;
    std::vector<std::unique_ptr<TDIBX>> colours_, masks_;
    size_t frame_ = 0;
    int64_t elapsed_ = 0;  // ms spent in the current frame
};

} // namespace

std::unique_ptr<TInlinePicture> TCachedInlinePictures::Load(std::string_view name) {
    std::shared_ptr<const TPicture> picture;
    try {
        picture = cache_.Acquire(name);
    } catch (const ERuvoError&) {
        return nullptr;  // a damaged file shows nothing, like a missing one
    }
    if (!picture || !picture->Found || picture->Frames.empty())
        return nullptr;
    return std::make_unique<TCachedInlinePicture>(std::move(picture));
}

} // namespace ruvo
