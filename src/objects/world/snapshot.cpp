#include "objects/world/snapshot.hpp"

namespace ruvo {

TRuvoSnapshot::TRuvoSnapshot(TRuvoBaseList* owner, TCustomDIBX& picture) : TRuvoControl(owner) {
    Name = SnapshotName();
    picture_.SetSize(picture.GetWidth(), picture.GetHeight(), picture.GetBitCount());
    picture_.Assign(picture);
    Width = picture_.GetWidth();
    Height = picture_.GetHeight();
    MouseMode = 1;  // transparent to the mouse: clicks reach the objects beneath
}

const std::string& TRuvoSnapshot::SnapshotName() {
    static const std::string name(2, kInternalMark);
    return name;
}

void TRuvoSnapshot::Paint() {
    if (TCustomDIBX* surface = GetSurface())
        surface->Draw(ScreenLeft(), ScreenTop(), picture_, TRect{0, 0, picture_.GetWidth(), picture_.GetHeight()}, false,
                      false, false);
    PaintChildren();
}

} // namespace ruvo
