#pragma once
// Where the game picture goes in a window or on a full screen, and how pointer positions map back.
namespace ruvo::platform {

struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;  // destination in window pixels
    int pictureWidth = 0, pictureHeight = 0;

    // Window pixel to game pixel (may lie outside the picture; callers clip).
    void ToPicture(int wx, int wy, int& px, int& py) const {
        px = width > 0 ? (wx - x) * pictureWidth / width : 0;
        py = height > 0 ? (wy - y) * pictureHeight / height : 0;
        if (wx < x && px == 0) px = -1;  // integer division would fold the left margin onto column 0
        if (wy < y && py == 0) py = -1;
    }
    // Game pixel to the window pixel at its centre, so that ToPicture gives the game pixel back.
    void ToWindow(int px, int py, int& wx, int& wy) const {
        wx = pictureWidth > 0 ? x + static_cast<int>((2LL * px + 1) * width / (2LL * pictureWidth)) : x;
        wy = pictureHeight > 0 ? y + static_cast<int>((2LL * py + 1) * height / (2LL * pictureHeight)) : y;
    }
};

// The largest picture that fits the area with its aspect kept, centred (letterboxed); with integerScale
// the factor is a whole number (at least 1).
inline Viewport FitPicture(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight, bool integerScale) {
    Viewport v;
    v.pictureWidth = pictureWidth;
    v.pictureHeight = pictureHeight;
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return v;
    if (integerScale) {
        int f = areaWidth / pictureWidth < areaHeight / pictureHeight ? areaWidth / pictureWidth : areaHeight / pictureHeight;
        if (f < 1) f = 1;
        v.width = pictureWidth * f;
        v.height = pictureHeight * f;
    } else if (static_cast<long long>(areaWidth) * pictureHeight <= static_cast<long long>(areaHeight) * pictureWidth) {
        v.width = areaWidth;
        v.height = static_cast<int>(static_cast<long long>(areaWidth) * pictureHeight / pictureWidth);
    } else {
        v.height = areaHeight;
        v.width = static_cast<int>(static_cast<long long>(areaHeight) * pictureWidth / pictureHeight);
    }
    v.x = (areaWidth - v.width) / 2;
    v.y = (areaHeight - v.height) / 2;
    return v;
}

} // namespace ruvo::platform
