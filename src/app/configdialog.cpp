#include "app/configdialog.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "archive/sjis.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "graphics/images/pngfile.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "platform/platform.hpp"
#include "text/gxword.hpp"
#include "text/page.hpp"

namespace ruvo {

namespace {

enum Key { kTab = 9, kEnter = 13, kShift = 16, kAlt = 18, kEscape = 27, kSpace = 32, kPageUp = 33, kPageDown = 34,
           kEnd = 35, kHome = 36, kLeft = 37, kUp = 38, kRight = 39, kDown = 40 };

struct TBox {
    int left, top, right, bottom;
    bool Has(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where the controls are in the 270 × 179 client area.
constexpr TBox kGroup{8, 8, 262, 132};
constexpr TBox kCheck{20, 22, 33, 35};
constexpr TBox kCheckLabel{20, 18, 250, 40};
constexpr TBox kTrack{24, 80, 246, 116};
constexpr TBox kOk{100, 144, 175, 168};
constexpr TBox kCancel{183, 144, 258, 168};
constexpr int kTrackLeft = 34, kTrackRight = 236, kTrackY = 92;

int TrackX(int position) { return kTrackLeft + (kTrackRight - kTrackLeft) * (position - 1) / 4; }

// Colours of a classic dialog.
constexpr uint32_t kFace = 0xF0F0F0, kText = 0x000000, kGrey = 0xA0A0A0, kShadow = 0x808080, kLight = 0xFFFFFF,
                   kDark = 0x404040, kFocus = 0x0078D7;

void Fill(TDIBX& s, const TBox& b, uint32_t colour) {
    for (int y = std::max(b.top, 0); y < std::min(b.bottom, s.GetHeight()); ++y)
        for (int x = std::max(b.left, 0); x < std::min(b.right, s.GetWidth()); ++x) s.SetPixel(x, y, colour);
}

void Frame(TDIBX& s, const TBox& b, uint32_t topLeft, uint32_t bottomRight) {
    Fill(s, {b.left, b.top, b.right, b.top + 1}, topLeft);
    Fill(s, {b.left, b.top, b.left + 1, b.bottom}, topLeft);
    Fill(s, {b.left, b.bottom - 1, b.right, b.bottom}, bottomRight);
    Fill(s, {b.right - 1, b.top, b.right, b.bottom}, bottomRight);
}

enum class TAlign { Left, Right, Centre };

// Text in the tool bar's face (the Japanese gothic the system substitutes): from x, ending at x, or
// centred on x.
class TDialogText {
public:
    TDialogText() : fonts_(catalog_), funcs_(vars_), services_{fonts_, &vars_, &funcs_, nullptr, 32} {}

    void Draw(TDIBX& target, const std::string& utf8Markup, int x, int y, uint32_t colour, TAlign align = TAlign::Left) {
        TGxWord engine(services_);
        engine.AreaWidth = 240;
        engine.AreaHeight = 16;
        engine.FontSize = 12;
        engine.FontName = Utf8ToSjis("ＭＳ Ｐゴシック");
        engine.TextColor = static_cast<int32_t>((colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF));
        engine.Parse({Utf8ToSjis(utf8Markup)});
        std::vector<std::unique_ptr<TWdPage>> pages;
        engine.Layout(pages, 0, -1);
        if (pages.empty()) return;
        pages.front()->Render(false);
        int width = 0;
        for (int px = 0; px < engine.AreaWidth; ++px)
            for (int py = 0; py < engine.AreaHeight; ++py)
                if (engine.OpacitySurface.GetPixel(px, py) & 0xFF) width = px + 1;
        if (align == TAlign::Right) x -= width;
        if (align == TAlign::Centre) x -= width / 2;
        for (int py = 0; py < engine.AreaHeight; ++py)
            for (int px = 0; px < width; ++px) {
                const uint32_t a = engine.OpacitySurface.GetPixel(px, py) & 0xFF;
                const int tx = x + px, ty = y + py;
                if (a == 0 || tx < 0 || ty < 0 || tx >= target.GetWidth() || ty >= target.GetHeight()) continue;
                const uint32_t under = target.GetPixel(tx, ty);
                uint32_t mixed = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t c = (colour >> shift) & 0xFF, u = (under >> shift) & 0xFF;
                    mixed |= ((c * a + u * (255 - a)) / 255) << shift;
                }
                target.SetPixel(tx, ty, mixed);
            }
    }

private:
    TSystemFontCatalog catalog_;
    TFontPixelManager fonts_;
    TParamCollection vars_;
    TSysFuncMan funcs_;
    TTextServices services_;
};

} // namespace

TConfigDialog::TConfigDialog(const TGameIni& ini)
    : directSound_(ini.directSound), position_(std::clamp(ini.delayTime / 100, 1, 5)) {}

std::string TConfigDialog::ValueText() const { return std::to_string(position_ * 100) + "ms"; }

void TConfigDialog::Toggle() {
    directSound_ = !directSound_;
    if (!DelayEnabled() && focus_ == TFocus::TrackBar) focus_ = TFocus::CheckBox;
}

void TConfigDialog::MoveTrack(int to) { position_ = std::clamp(to, 1, 5); }

void TConfigDialog::Press(bool ok) {
    closed_ = true;
    accepted_ = ok;
}

void TConfigDialog::Tab(bool back) {
    const TFocus order[] = {TFocus::CheckBox, TFocus::TrackBar, TFocus::Ok, TFocus::Cancel};
    int at = static_cast<int>(focus_);
    do at = (at + (back ? 3 : 1)) % 4;
    while (order[at] == TFocus::TrackBar && !DelayEnabled());
    focus_ = order[at];
}

void TConfigDialog::KeyDown(int key) {
    if (closed_) return;
    if (key == kAlt) {
        altArmed_ = true;
        return;
    }
    if (key == kShift) {
        shiftHeld_ = true;
        return;
    }
    const bool mnemonic = altArmed_;
    altArmed_ = false;
    if (mnemonic && key == 'S') {
        focus_ = TFocus::CheckBox;
        Toggle();
        return;
    }
    if (mnemonic && key == 'D') {
        if (DelayEnabled()) focus_ = TFocus::TrackBar;
        return;
    }
    switch (key) {
    case kTab: Tab(shiftHeld_); break;
    case kEscape: Press(false); break;
    case kEnter: Press(focus_ != TFocus::Cancel); break;
    case kSpace:
        if (focus_ == TFocus::CheckBox) Toggle();
        else if (focus_ == TFocus::Ok || focus_ == TFocus::Cancel) Press(focus_ == TFocus::Ok);
        break;
    default:
        if (focus_ != TFocus::TrackBar) break;
        if (key == kLeft || key == kUp || key == kPageUp) MoveTrack(position_ - 1);
        else if (key == kRight || key == kDown || key == kPageDown) MoveTrack(position_ + 1);
        else if (key == kHome) MoveTrack(1);
        else if (key == kEnd) MoveTrack(5);
        break;
    }
}

void TConfigDialog::KeyUp(int key) {
    if (key == kShift) shiftHeld_ = false;
}

void TConfigDialog::Click(int x, int y) {
    if (closed_) return;
    if (kCheckLabel.Has(x, y)) {
        focus_ = TFocus::CheckBox;
        Toggle();
    } else if (kTrack.Has(x, y) && DelayEnabled()) {
        focus_ = TFocus::TrackBar;
        int nearest = 1;
        for (int p = 2; p <= 5; ++p)
            if (std::abs(TrackX(p) - x) < std::abs(TrackX(nearest) - x)) nearest = p;
        MoveTrack(nearest);
    } else if (kOk.Has(x, y)) {
        Press(true);
    } else if (kCancel.Has(x, y)) {
        Press(false);
    }
}

void TConfigDialog::Paint(TDIBX& s) const {
    static TDialogText text;
    if (s.GetWidth() != kWidth || s.GetHeight() != kHeight) s.SetSize(kWidth, kHeight, 32);
    Fill(s, {0, 0, kWidth, kHeight}, kFace);
    Frame(s, kGroup, kShadow, kLight);
    // The check box.
    Fill(s, kCheck, kLight);
    Frame(s, kCheck, kShadow, kLight);
    if (directSound_)
        for (int i = 0; i < 7; ++i) {  // the tick
            const int x = kCheck.left + 3 + i, y = kCheck.top + (i < 3 ? 5 + i : 9 - (i - 2));
            Fill(s, {x, y, x + 1, y + 2}, kText);
        }
    text.Draw(s, "DirectSoundを使用する(<U>S</U>)", 38, 21, kText);
    if (focus_ == TFocus::CheckBox) Frame(s, {36, 20, 180, 37}, kFocus, kFocus);
    // The delay: label, value and track bar, greyed while DirectSound is on.
    const uint32_t delayColour = DelayEnabled() ? kText : kGrey;
    text.Draw(s, "サウンドの遅延時間(<U>D</U>)：", 20, 54, delayColour);
    text.Draw(s, ValueText(), 250, 54, delayColour, TAlign::Right);
    Frame(s, {kTrackLeft - 4, kTrackY - 2, kTrackRight + 4, kTrackY + 2}, kShadow, kLight);
    for (int p = 1; p <= 5; ++p) Fill(s, {TrackX(p), kTrackY + 12, TrackX(p) + 1, kTrackY + 16}, delayColour);
    const TBox thumb{TrackX(position_) - 5, kTrackY - 10, TrackX(position_) + 6, kTrackY + 10};
    Fill(s, thumb, DelayEnabled() ? kFace : 0xE0E0E0);
    Frame(s, thumb, kLight, DelayEnabled() ? kDark : kGrey);
    if (focus_ == TFocus::TrackBar) Frame(s, kTrack, kFocus, kFocus);
    // The buttons; OK is the default.
    for (const auto& [box, label, focused] : {std::tuple{kOk, "OK", focus_ == TFocus::Ok}, std::tuple{kCancel, "キャンセル", focus_ == TFocus::Cancel}}) {
        Fill(s, box, 0xE1E1E1);
        Frame(s, box, focused || box.left == kOk.left ? kFocus : 0xADADAD, focused || box.left == kOk.left ? kFocus : 0xADADAD);
        text.Draw(s, label, (box.left + box.right) / 2, box.top + 5, kText, TAlign::Centre);
    }
}

int RunConfigDialog(platform::TPlatform& platform, const std::filesystem::path& folder, long long frameLimit,
                    const std::filesystem::path& screenshot) {
    const std::filesystem::path file = folder / "game.ini";
    TConfigDialog dialog(LoadGameIni(file));
    platform.OpenWindow({"動作設定", TConfigDialog::kWidth, TConfigDialog::kHeight});
    platform.SetTitle("動作設定");
    TDIBX surface;
    auto present = [&] {
        dialog.Paint(surface);
        const platform::PictureView view{surface.LockPixel(0, 0), surface.GetWidth(), surface.GetHeight(), surface.GetRowStride()};
        const platform::Rect all{0, 0, surface.GetWidth(), surface.GetHeight()};
        platform.Present(view, {&all, 1});
        surface.Unlock();
    };
    present();
    for (long long frame = 0; !dialog.Closed() && (frameLimit < 0 || frame < frameLimit); ++frame) {
        bool changed = false;
        for (platform::PlatformEvent e; platform.PollEvent(e);) {
            using K = platform::PlatformEvent::Kind;
            changed = true;
            if (e.kind == K::KeyDown) dialog.KeyDown(e.key);  // held arrows keep moving the track bar
            else if (e.kind == K::KeyUp) dialog.KeyUp(e.key);
            else if (e.kind == K::MouseDown && e.button == platform::MouseButton::Left) dialog.Click(e.x, e.y);
            else if (e.kind == K::CloseRequest || e.kind == K::QuitButton) dialog.KeyDown(27);
            else changed = false;
        }
        if (changed) present();
        platform.FrameDone();
        platform.Sleep(16);
    }
    if (!screenshot.empty()) {
        TPngPicture picture;
        picture.width = surface.GetWidth();
        picture.height = surface.GetHeight();
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) picture.argb.push_back(0xFF000000 | surface.GetPixel(x, y));
        SavePngArgb(picture, screenshot);
    }
    if (!dialog.Accepted()) return 0;
    try {
        SaveGameIni(file, dialog.Result());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ruvoplay: %s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace ruvo
