#include "objects/images/cinemaworld.hpp"

#include <cstdio>

#include "graphics/film/filmlabel.hpp"
#include "graphics/film/filmmanager.hpp"
#include "objects/text/label.hpp"
#include "objects/world/screen.hpp"
#include "objects/images/trackobject.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

// A caption set up once with the label track's text and style; the track's motion is followed later.
TRuvoLabel& MakeCaption(TRuvoBaseList& world, const TLabelFrameList& t) {
    auto& label = static_cast<TRuvoLabel&>(*world.CreateByType(9));
    if (!t.FontName.empty()) label.Style.FontName = t.FontName;
    label.Style.FontHeight = t.FontHeight;
    label.Style.FontStyle = static_cast<uint8_t>(t.FontStyle & 0x0F);
    label.Style.FontColor = t.FontColor;
    label.Style.LineSpace = t.LineSpace;
    label.Style.HAlign = t.HAlign;
    label.Style.Antialias = t.Antialias != 0;
    label.MouseMode = static_cast<uint8_t>(t.MouseMode & 7);
    return label;
}

void FollowCaption(TRuvoLabel& label, const TLabelFrameList& t) {
    label.SetVisible(t.Active());
    if (!t.Active()) return;
    label.SetLeft(t.CurX);
    label.SetTop(t.CurY);
    label.SetZoom(false, t.CurZoomX);
    label.SetZoom(true, t.CurZoomY);
    label.SetAngle(t.CurAngle);
    if (label.Alpha != t.CurAlpha) {
        label.Alpha = t.CurAlpha;
        label.Invalidate();
    }
}

} // namespace

TRuvoBaseListCinema::TRuvoBaseListCinema(TRuvoBaseList& outer, const TFilmManager& film, int32_t width,
                                         int32_t height)
    : world_(std::make_unique<TRuvoBaseList>(outer.Services(), outer.Vars())) {
    world_->SetPictures(outer.Pictures());
    world_->TextObjects().ShareWith(outer.TextObjects());
    world_->SetSize(width, height);
    for (int i = 0; i < 2; ++i) world_->Screen(i).SetColor(film.Color < 0 ? 0 : film.Color);
    const std::vector<TCustomFrameList*>& order = film.DrawOrder();
    bindings_.reserve(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const TCustomFrameList& track = *order[i];
        TRuvoControl* object;
        if (const auto* label = dynamic_cast<const TLabelFrameList*>(&track))
            object = &MakeCaption(*world_, *label);
        else
            object = static_cast<TRuvoControl*>(&world_->Adopt(std::make_unique<TRuvoTrackObject>(world_.get(), track)));
        // Internal names in drawing order: among tracks of equal priority the name keeps the film's order.
        char name[40];
        std::snprintf(name, sizeof name, "\x01track%08zu", i);
        world_->AssignName(*object, name);
        object->SetPriority(track.Priority);
        object->SetParent(&world_->Screen(track.Base() & 1));
        if (auto* caption = dynamic_cast<TRuvoLabel*>(object)) {
            const auto& t = static_cast<const TLabelFrameList&>(track);
            caption->SetVisible(false);
            caption->SetOffsetX(t.AnchorX);
            caption->SetOffsetY(t.AnchorY);
            caption->SetFlip(false, t.FlipH != 0);
            caption->SetFlip(true, t.FlipV != 0);
            caption->SetText(t.Text);
        }
        bindings_.push_back({&track, object, dynamic_cast<TRuvoLabel*>(object)});
    }
}

TRuvoBaseListCinema::~TRuvoBaseListCinema() = default;

void TRuvoBaseListCinema::Follow(TBinding& b) {
    b.active = b.track->Active();
    b.step = b.track->Step();
    if (b.caption)
        FollowCaption(*b.caption, static_cast<const TLabelFrameList&>(*b.track));
    else
        static_cast<TRuvoTrackObject&>(*b.object).Follow();
}

void TRuvoBaseListCinema::Show(int shown) {
    for (TBinding& b : bindings_)
        if (b.track->Active() != b.active || (b.active && b.track->Step() != b.step)) Follow(b);
    const std::vector<TRect>& dirty = world_->Screen(shown & 1).Dirty().Rects();
    changed_.assign(dirty.begin(), dirty.end());
    world_->Paint();
    // Nobody presents this world's front screen: its picture is complete in its surface.
    world_->Screen(0).Dirty().Clear();
}

TCustomDIBX& TRuvoBaseListCinema::Base(int index) { return *world_->SurfaceOf(world_->Screen(index & 1)); }

TRuvoControl* TRuvoBaseListCinema::TrackAt(int base, int32_t x, int32_t y, TMouseMask mask) const {
    const std::vector<TRuvoControl*>& tracks = world_->Screen(base & 1).Children();
    for (auto it = tracks.rbegin(); it != tracks.rend(); ++it)
        if (TRuvoControl* hit = (*it)->HitTest(x, y, mask)) return hit;
    return nullptr;
}

TRuvoLabel* TRuvoBaseListCinema::FirstLabel() const {
    for (TRuvoObject* o : world_->Objects())
        if (auto* label = dynamic_cast<TRuvoLabel*>(o)) return label;
    return nullptr;
}

} // namespace ruvo
