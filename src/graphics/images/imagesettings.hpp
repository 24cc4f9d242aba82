#pragma once
// The player-wide settings of layered images that outlive a game: whether pictures are dithered when
// the display has few colours ("@CGDither"). Kept in the status data.
namespace ruvo {

class TSerializer;

struct TLayeredImageSettings {
    bool Dither = false;

    // One byte.
    void Sync(TSerializer& s);
};

} // namespace ruvo
