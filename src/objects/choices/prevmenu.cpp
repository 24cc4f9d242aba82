#include "objects/choices/prevmenu.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/images/picturecache.hpp"
#include "objects/world/keyboard.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

constexpr uint8_t Code(int id) { return static_cast<uint8_t>(id); }

enum TArrowKey : int { kEnter = 13, kSpace = 32, kLeft = 37, kUp = 38, kRight = 39, kDown = 40 };

} // namespace

// ---- the buttons

TRuvoPrevMenu* TRuvoPrevImages::Menu() const { return dynamic_cast<TRuvoPrevMenu*>(Parent()); }

void TRuvoPrevImages::Take(const TPrevMenuButton& button) {
    normalSource_ = button.Sources[0];
    disabledSource_ = button.DisabledSource;
    for (int s = 0; s < 4; ++s) SetStateSource(s, button.Sources[static_cast<size_t>(s)]);
    SetLeft(button.Left);
    SetTop(button.Top);
    CaptureMask = button.CaptureMask;
    Cursor = button.Cursor;
}

void TRuvoPrevImages::SetEnabled(bool on) {
    if (on == Enabled) return;
    Enabled = on;
    MouseMode = on ? 0 : 1;
    if (!on) {
        Pressing = 0;
        SetState(kNormal);
    }
    SetStateSource(kNormal, on || disabledSource_.empty() ? normalSource_ : disabledSource_);
    Invalidate();
}

// The pointer takes the hover from a button hovered by the keys; the button's own look comes last.
void TRuvoPrevImages::MouseMove() {
    if (TRuvoPrevMenu* menu = Menu(); menu && !menu->Closing) menu->SetHover(Item);
    TRuvoButton::MouseMove();
}

void TRuvoPrevImages::MouseLeave() {
    TRuvoButton::MouseLeave();
    if (TRuvoPrevMenu* menu = Menu(); menu && menu->Hover == Item) menu->Hover = -1;
}

void TRuvoPrevImages::Click() {
    if (TRuvoPrevMenu* menu = Menu()) menu->Choose(Item);
}

// ---- building from the template

TRuvoPrevImages* TRuvoPrevMenu::Button(int item) const {
    if (!Owner || item < 0 || item >= static_cast<int>(buttons_.size())) return nullptr;
    return dynamic_cast<TRuvoPrevImages*>(Owner->Lookup(buttons_[static_cast<size_t>(item)]));
}

void TRuvoPrevMenu::SetSource(std::string source) {
    DropButtons();
    template_.Buttons.clear();
    Source = std::move(source);
    TPictureCache* pictures = Owner ? Owner->Pictures() : nullptr;
    if (Source.empty() || !pictures || !pictures->Files().Exists(Source)) return;
    WithContext([&] { return "reading the menu template " + Source; }, [&] {
        TMemoryStream content;
        pictures->Files().Load(content, Source);
        content.SetPosition(0);
        template_.LoadFromStream(content);
    });
    BuildButtons();
}

void TRuvoPrevMenu::DropButtons() {
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        if (TRuvoPrevImages* b = Button(i)) Owner->Destroy(*b);
    buttons_.clear();
    Hover = -1;
    Clicked = -1;
}

void TRuvoPrevMenu::BuildButtons() {
    if (!Owner) return;
    const std::string prefix = std::string(1, kInternalMark) + Name + std::string(1, kInternalMark);
    for (int i = 0; i < Count(); ++i) {
        auto button = std::make_unique<TRuvoPrevImages>(Owner, i);
        button->Name = prefix + std::to_string(i);
        auto& b = static_cast<TRuvoPrevImages&>(Owner->Adopt(std::move(button)));
        b.SetParent(this);
        b.Take(template_.Buttons[static_cast<size_t>(i)]);
        buttons_.push_back(b.Id());
    }
    FitButtons();
}

void TRuvoPrevMenu::FitButtons() {
    int64_t right = 0, bottom = 0;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
        if (const TRuvoPrevImages* b = Button(i)) {
            right = std::max(right, int64_t{b->Left} + b->Width);
            bottom = std::max(bottom, int64_t{b->Top} + b->Height);
        }
    SetWidth(Saturate(right));
    SetHeight(Saturate(bottom));
}

std::string TRuvoPrevMenu::Text() const {
    std::string text;
    for (const TPrevMenuButton& b : template_.Buttons) {
        if (&b != &template_.Buttons.front()) text += "\r\n";
        text += b.Caption;
    }
    return text;
}

int TRuvoPrevMenu::ItemNamed(const std::string& caption) const {
    for (int i = 0; i < Count(); ++i)
        if (SameTextSjis(Caption(i), caption)) return i;
    return -1;
}

// ---- hover and choice

void TRuvoPrevMenu::SetHover(int item) {
    if (item == Hover) return;
    if (TRuvoPrevImages* old = Button(Hover)) old->SetState(old->Selected ? TRuvoButton::kPressed : TRuvoButton::kNormal);
    Hover = Button(item) ? item : -1;
    if (TRuvoPrevImages* now = Button(Hover); now && now->Enabled) now->SetState(TRuvoButton::kHover);
}

void TRuvoPrevMenu::Choose(int item) {
    TRuvoPrevImages* b = Button(item);
    if (!b || !b->Enabled || !b->OwnVisible || Closing || Clicked >= 0) return;
    Index = item;
    if (Owner) Owner->SetChoice(Caption(item), item);
    Raise(Code(PR_ONSELECT), {Caption(item), std::to_string(item)});
    if (AutoScrap) Closing = true;
    b->SetState(TRuvoButton::kClicked);
    Clicked = item;
}

bool TRuvoPrevMenu::Update() {
    if (TRuvoControl::Update()) return true;
    if (Clicked < 0) return false;
    const TRuvoPrevImages* b = Button(Clicked);
    if (b && b->State == TRuvoButton::kClicked) return false;
    const int item = Clicked;
    Clicked = -1;
    if (AutoScrap) return true;
    if (item < Count()) Raise(Code(PR_ONPLAYEND), {Caption(item), std::to_string(item)});
    return false;
}

TRuvoControl* TRuvoPrevMenu::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    TRuvoControl* hit = TRuvoControl::HitTest(x, y, mask);
    return hit == this ? nullptr : hit;
}

int TRuvoPrevMenu::NextShown(int from, int step) const {
    for (int i = from + step; i >= 0 && i < Count(); i += step)
        if (const TRuvoPrevImages* b = Button(i); b && b->OwnVisible) return i;
    return from;
}

void TRuvoPrevMenu::KeyRepeat() {
    TRuvoControl::KeyRepeat();
    if (!Owner || Closing) return;
    const TKeyboard& keys = Owner->Keys();
    if (keys.WasPulsed(kLeft) || keys.WasPulsed(kUp)) SetHover(NextShown(Hover < 0 ? Count() : Hover, -1));
    else if (keys.WasPulsed(kRight) || keys.WasPulsed(kDown)) SetHover(NextShown(Hover, 1));
    else if ((keys.WasPulsed(kEnter) || keys.WasPulsed(kSpace)) && Hover >= 0) Choose(Hover);
}

// ---- properties and the persisted form

const TPropertyMap& TRuvoPrevMenu::ClassProperties() {
    static const TPropertyMap map = [] {
        using M = TRuvoPrevMenu;
        TPropertyMap m(TRuvoControl::ClassProperties());
        m.Str<M>(PR_SOURCE, [](M& p) { return p.Source; }, [](M& p, std::string v) { p.SetSource(std::move(v)); });
        m.Int<M>(PR_COUNT, [](M& p) { return int32_t(p.Count()); });
        m.Str<M>(PR_TEXT, [](M& p) { return p.Text(); });
        m.Int<M>(PR_INDEX, [](M& p) { return p.Index; });
        m.Flag<M>(PR_AUTOSCRAP, [](M& p) { return p.AutoScrap; }, [](M& p, bool v) { p.AutoScrap = v; });
        m.Str<M>(PR_ONSELECT, [](M& p) { return p.OnSelect; }, [](M& p, std::string v) { p.OnSelect = std::move(v); });
        m.Str<M>(PR_ONPLAYEND, [](M& p) { return p.OnPlayEnd; }, [](M& p, std::string v) { p.OnPlayEnd = std::move(v); });
        m.Str<M>(PR_ONIDLE, [](M& p) { return p.OnIdle; }, [](M& p, std::string v) { p.OnIdle = std::move(v); });
        return m;
    }();
    return map;
}

void TRuvoPrevMenu::Sync(TSerializer& s) {
    TRuvoControl::Sync(s);
    std::string source = Source;
    s.Str(source);
    s.Bool(AutoScrap);
    s.Str(OnSelect);
    s.Str(OnPlayEnd);
    s.Str(OnIdle);
    int32_t index = Index, hover = Hover, playing = Clicked;
    s.Int(index);
    s.Int(hover);
    s.Bool(Closing);
    s.Int(playing);
    // Each button's enabled and visible flags.
    std::vector<uint8_t> flags;
    for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
        const TRuvoPrevImages* b = Button(i);
        flags.push_back(static_cast<uint8_t>((b && b->Enabled ? 1 : 0) | (b && b->OwnVisible ? 2 : 0)));
    }
    int32_t n = static_cast<int32_t>(flags.size());
    s.Count(n, 1);
    flags.resize(static_cast<size_t>(n));
    for (uint8_t& f : flags) s.Byte(f);
    if (!s.Loading()) return;
    const int32_t width = Width, height = Height;
    SetSource(std::move(source));
    auto inRange = [this](int32_t item) { return item >= -1 && item < Count() ? item : -1; };
    Index = inRange(index);
    for (int i = 0; i < std::min(n, Count()); ++i)
        if (TRuvoPrevImages* b = Button(i)) {
            b->SetEnabled((flags[static_cast<size_t>(i)] & 1) != 0);
            b->SetVisible((flags[static_cast<size_t>(i)] & 2) != 0);
        }
    SetHover(inRange(hover));
    // A choice whose picture played when the game was saved ends at the next update.
    Clicked = inRange(playing);
    if (Count() == 0) SetBounds(Left, Top, width, height);
}

} // namespace ruvo
