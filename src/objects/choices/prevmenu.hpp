#pragma once
// The preview menu (LT_PREVMENU): a set of image buttons laid out by a menu template file (PR_SOURCE,
// prevmenutemplate.hpp). Each template button becomes an internal child button (TRuvoPrevImages) with
// the template's pictures; clicking one, or Space or Enter on the one hovered by the arrow keys,
// chooses it (@SelStr, @SelIndex, PR_ONSELECT with its caption and index). When its clicked picture has
// played, the menu raises PR_ONPLAYEND with the caption or, with PR_AUTOSCRAP, goes. Items can be
// disabled (shown by their disabled picture, not chosen) and hidden.
#include <string>
#include <vector>

#include "objects/choices/button.hpp"
#include "objects/choices/prevmenutemplate.hpp"

namespace ruvo {

class TRuvoPrevMenu;

// One button of a preview menu; its clicks are the menu's choices. Internal, so never saved itself: the
// menu builds it again from the template.
class TRuvoPrevImages : public TRuvoButton {
public:
    TRuvoPrevImages(TRuvoBaseList* owner, int32_t item) : TRuvoButton(owner), Item(item) {}

    uint8_t GetCompoType() const override { return 8; }
    bool NeedsAutoName() const override { return false; }
    void MouseMove() override;
    void MouseLeave() override;
    // Takes the template button's place and pictures.
    void Take(const TPrevMenuButton& button);
    // A disabled button shows its disabled picture (when it has one) and lets the mouse through.
    void SetEnabled(bool on);

    const int32_t Item;
    bool Enabled = true;

protected:
    void Click() override;

private:
    TRuvoPrevMenu* Menu() const;

    std::string normalSource_, disabledSource_;
};

class TRuvoPrevMenu : public TRuvoControl {
public:
    using TRuvoControl::TRuvoControl;

    uint8_t GetCompoType() const override { return 25; }
    bool IsClosing() const override { return Closing; }
    // Ends a choice once the chosen button's clicked picture is over.
    bool Update() override;
    // Only the buttons take the mouse; the menu's own rectangle is transparent.
    TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask) override;
    // Left or Up hovers the previous shown button, Right or Down the next; Space or Enter chooses.
    void KeyRepeat() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: the source, auto-scrap, the select, play-end and idle handlers, the last
    // choice, the hover, the closing flag, the choice whose picture plays, then each button's enabled
    // and visible flags. The buttons are built again from the template.
    void Sync(TSerializer& s) override;

    // Drops the buttons and builds those of the new template when the game has it (a damaged one
    // throws, leaving no buttons).
    void SetSource(std::string source);
    int Count() const noexcept { return static_cast<int>(template_.Buttons.size()); }
    const std::string& Caption(int item) const { return template_.Buttons[static_cast<size_t>(item)].Caption; }
    // The captions, one a line.
    std::string Text() const;
    // The item of a caption (ignoring case), -1 when none.
    int ItemNamed(const std::string& caption) const;
    // The button of an item, null for an item out of range.
    TRuvoPrevImages* Button(int item) const;
    // Hovers an item (-1 none): the old button looks normal again, the new one hovered.
    void SetHover(int item);
    // Chooses an enabled item unless the menu is closing or a choice is still playing.
    void Choose(int item);

    std::string Source;
    bool AutoScrap = false;
    std::string OnSelect, OnPlayEnd, OnIdle;
    int32_t Index = -1;  // the last item chosen
    int32_t Hover = -1;
    bool Closing = false;
    int32_t Clicked = -1;  // the chosen item whose clicked picture plays

private:
    void DropButtons();
    void BuildButtons();
    // The menu's rectangle covers its buttons, so they are drawn and hit.
    void FitButtons();
    // The next shown item from `from` in direction `step`, `from` itself when there is none.
    int NextShown(int from, int step) const;

    TPrevMenuTemplate template_;
    std::vector<TObjectId> buttons_;
};

} // namespace ruvo
