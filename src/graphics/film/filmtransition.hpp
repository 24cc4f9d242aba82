#pragma once
// Transition tracks (kind 3): while one is active the stage changes from one of its two bases to the
// other with a screen transition; when it ends, the bases have swapped.
#include <memory>
#include <string>

#include "graphics/surface/dibx.hpp"
#include "graphics/film/filmtrack.hpp"

namespace ruvo {

class TWipeFrameList : public TCustomFrameList {
public:
    uint8_t Type = 1;      // transition type 1..38; others change at once
    std::string RuleName;  // version 101: rule picture, relative to the file's folder
    int32_t Param0 = 0, Param1 = 0;
    uint8_t Reverse = 0;

    // The first frame of the rule picture; null when none is named.
    const TCustomDIBX* Rule() const noexcept { return rule_.get(); }
    // The parameters as given: a version before 101 gives none, and the type's defaults apply.
    bool HasParams() const noexcept { return hasParams_; }
    // Last frame of the transition: the bases have swapped from there on.
    int64_t FlipTime() const noexcept { return End() - 1 < Start() ? Start() : End() - 1; }

    void LoadResources(TFilmResources& resources, std::string_view folder) override;

protected:
    void SyncOwn(TFilmFields& f) override;

private:
    std::shared_ptr<const TPicture> picture_;
    std::unique_ptr<TDIBX> rule_;
    bool hasParams_ = true;
};

} // namespace ruvo
