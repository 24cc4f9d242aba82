#include "graphics/film/filmstage.hpp"

#include "archive/sjis.hpp"
#include "graphics/film/filmtransition.hpp"
#include "graphics/images/picture.hpp"

namespace ruvo {

std::shared_ptr<const TPicture> TGamePictures::Picture(const std::string& gameName) {
    std::shared_ptr<const TPicture>& slot = loaded_[LowerSjis(gameName)];
    if (!slot)
        slot = std::make_shared<const TPicture>(LoadPicture(files_, gameName, key_, bitCount_));
    return slot;
}

TSurfaceFilmStage::TSurfaceFilmStage(int32_t width, int32_t height, int bitCount, TRandomFunction random)
    : random_(std::move(random)) {
    screen_.SetSize(width, height, bitCount);
    for (TDIBX& base : bases_)
        base.SetSize(width, height, bitCount);
}

void TSurfaceFilmStage::ShowBase(int base) {
    shown_ = base & 1;
    transition_ = nullptr;
}

void TSurfaceFilmStage::ShowTransition(const TWipeFrameList& track, int from, int32_t elapsed, bool restart) {
    transition_ = &track;
    from_ = from & 1;
    elapsed_ = elapsed;
    restart_ = restart;
}

void TSurfaceFilmStage::Render(TFilmManager& manager, int32_t time, int32_t originX, int32_t originY) {
    manager.Update(time);
    const uint32_t background = manager.Color < 0 ? 0 : uint32_t(screen_.ColorToPixel(manager.Color));
    for (int base = 0; base < 2; ++base) {
        bases_[base].Clear(background);
        manager.Draw(TFilmCanvas{bases_[base], originX, originY}, base);
    }
    TCustomDIBX& shown = Compose(bases_[0], bases_[1]);
    if (&shown != &screen_)
        screen_.Assign(shown);
}

TCustomDIBX& TSurfaceFilmStage::Compose(TCustomDIBX& base0, TCustomDIBX& base1) {
    TCustomDIBX* bases[2] = {&base0, &base1};
    if (!transition_) {
        wipe_ = {};
        return *bases[shown_];
    }
    TCustomDIBX& after = *bases[from_ ^ 1];
    // Made once the bases are painted: some transitions take their pictures when they are prepared.
    if (restart_) {
        const TWipeFrameList& t = *transition_;
        TWipeSettings settings{.Type = t.Type, .Duration = t.Length, .Reverse = t.Reverse != 0, .Rule = t.Rule()};
        if (t.HasParams())
            settings.Param0 = t.Param0, settings.Param1 = t.Param1;
        wipe_ = StartWipe(settings, {screen_, *bases[from_], after}, random_);
        restart_ = false;
    }
    if (!wipe_.Wipe)
        return after;
    wipe_.Wipe->Elapsed = elapsed_;
    return wipe_.Wipe->Step() ? after : screen_;
}

} // namespace ruvo
