#pragma once
// The text menu (LT_MENU): a list box that opens and closes, growing and shrinking over PR_DELAY ms
// (PR_ONOPENING .. PR_ONCLOSED), chooses the hovered item with Enter or Space, is cancelled by Esc, a
// right press or a right click elsewhere when PR_RCLICKSCRAP is set (@SelIndex -1, @SelStr ""), and
// goes away after a choice with PR_AUTOSCRAP once its closing events have run.
#include "objects/choices/listbox.hpp"

namespace ruvo {

// Play states: open at once, open growing, closed at once, close shrinking.
enum TMenuPlay : uint8_t { kMenuOpen = 0, kMenuOpenFade = 1, kMenuClosed = 2, kMenuCloseFade = 3 };

class TRuvoMenu : public TRuvoCustomListBox {
public:
    explicit TRuvoMenu(TRuvoBaseList* owner);

    uint8_t GetCompoType() const override { return 12; }
    bool IsClosing() const override { return Closing; }
    // The phases of opening and closing; true once closed and its closing events have run.
    bool Update() override;
    void SetPlayMode(int mode) override;
    void KeyRepeat() override;
    void RightDown() override;
    bool RightClickCancel() override;
    void Layout() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the list box part: delay, hover colour, auto-scrap, right-click cancel, play state, the four
    // opening and closing handlers.
    void Sync(TSerializer& s) override;

    // @SelStr "", @SelIndex -1, and the menu closes shrinking.
    void Cancel();

    int32_t Delay = 0;
    int32_t HoverColor = -1;
    bool AutoScrap = false;
    bool RClickScrap = false;
    uint8_t PlayState = kMenuClosed;
    std::string OnOpening, OnOpened, OnClosing, OnClosed;
    int32_t Phase = 0;
    int32_t FullHeight = 0;
    int32_t PhaseStart = 0;
    bool Closing = false;

protected:
    void Chosen() override;
    int32_t HoverBackground() const override { return HoverColor; }

private:
    // The opening and closing events are raised while the menu is already closing.
    void RaisePhaseEvent(int id);
    void TakeFocus();
    void GiveUpFocus();
    bool Shut() const noexcept { return PlayState == kMenuClosed; }
};

} // namespace ruvo
