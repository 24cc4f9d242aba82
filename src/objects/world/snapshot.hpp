#pragma once
// The picture a carrying flip leaves on the old screen (named 0x01 0x01): a copy of what the screen
// showed, drawn above every other child, so the objects carried away to the new screen stay visible
// in the old picture while the transition runs. It takes no mouse and is never saved.
#include <string>

#include "graphics/surface/dibx.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoSnapshot final : public TRuvoControl {
public:
    // Copies the picture (the screen's size and depth) and takes its size.
    TRuvoSnapshot(TRuvoBaseList* owner, TCustomDIBX& picture);

    // The name the flip finds it by.
    static const std::string& SnapshotName();

    // An image to scripts that list objects.
    uint8_t GetCompoType() const override { return 8; }
    bool NeedsAutoName() const override { return false; }
    bool Opaque() const override { return true; }
    void Paint() override;

private:
    TDIBX picture_;
};

} // namespace ruvo
