#include "graphics/film/filmtransition.hpp"

#include "graphics/images/picture.hpp"

namespace ruvo {

void TWipeFrameList::SyncOwn(TFilmFields& f) {
    f.Byte("type", Type);
    if (f.Has(101)) {
        f.Str("rule", RuleName);
        f.Int("param0", Param0);
        f.Int("param1", Param1);
        f.Byte("reverse", Reverse, TFilmByte::Flag);
    }
    if (f.Loading())
        hasParams_ = f.Has(101);
}

void TWipeFrameList::LoadResources(TFilmResources& resources, std::string_view folder) {
    rule_.reset();
    picture_.reset();
    if (RuleName.empty())
        return;
    picture_ = resources.Picture(ResolveFilmName(folder, RuleName));
    if (picture_ && picture_->Found && !picture_->Frames.empty())
        rule_ = picture_->Frames.front().ColourSurface();
}

} // namespace ruvo
