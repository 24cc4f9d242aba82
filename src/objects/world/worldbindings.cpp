#include "objects/world/worldbindings.hpp"

#include "archive/sjis.hpp"
#include "objects/choices/listbox.hpp"
#include "objects/choices/prevmenu.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/convert.hpp"
#include "params/funcs_impl.hpp"
#include "params/sysfuncs.hpp"
#include "params/sysvars.hpp"
#include "archive/playerservices.hpp"

namespace ruvo {

namespace {

constexpr TSystemVar kBound[] = {
    TSystemVar::LClick,   TSystemVar::RClick,    TSystemVar::LPush,     TSystemVar::RPush,
    TSystemVar::MouseX,   TSystemVar::MouseY,    TSystemVar::KeyPush,   TSystemVar::KeyClick,
    TSystemVar::KeyRepeat, TSystemVar::WheelDown, TSystemVar::WheelUp,  TSystemVar::ActiveCompo,
};

constexpr TSysFuncNumber kRegistered[] = {sfGetProp,   sfSetProp,   sfExists,    sfListCompo, sfToClientX,
                                          sfToClientY, sfToScreenX, sfToScreenY, sfInPrimary, sfGetCheck,
                                          sfSetCheck,  sfIndexOfMenu, sfGetEnabled, sfSetEnabled,
                                          sfGetVisible, sfSetVisible};

// ListCompo takes every type for an absent type, 0, or 28 and above.
constexpr int kTypeCodeCount = 28;

} // namespace

TWorldBindings::TWorldBindings(TRuvoBaseList& world, TSystemVars& vars, TSysFuncMan& funcs)
    : world_(world), vars_(vars), funcs_(funcs) {
    BindVariables();
    RegisterFunctions();
}

TWorldBindings::~TWorldBindings() {
    for (TSystemVar v : kBound) vars_.Unbind(v);
    for (TSysFuncNumber f : kRegistered) funcs_.Unregister(f);
}

void TWorldBindings::BindVariables() {
    TRuvoBaseList& w = world_;
    vars_.BindFlag(TSystemVar::LClick, [&w] { return w.ActiveScreen().LeftPress; },
                   [&w](bool on) { w.ActiveScreen().LeftPress = on; });
    vars_.BindFlag(TSystemVar::RClick, [&w] { return w.ActiveScreen().RightPress; },
                   [&w](bool on) { w.ActiveScreen().RightPress = on; });
    vars_.BindFlag(TSystemVar::LPush, [&w] { return w.ActiveScreen().LeftHeld; });
    vars_.BindFlag(TSystemVar::RPush, [&w] { return w.ActiveScreen().RightHeld; });
    // Writing moves the system pointer; the world sees the new place at once.
    auto movePointer = [&w](int x, int y) {
        w.SetPointer(x, y);
        w.Services().MovePointer(x, y);
    };
    vars_.BindInt(TSystemVar::MouseX, [&w] { return int32_t(w.ActiveScreen().PointerX); },
                  [&w, movePointer](int32_t x) { movePointer(x, w.ActiveScreen().PointerY); });
    vars_.BindInt(TSystemVar::MouseY, [&w] { return int32_t(w.ActiveScreen().PointerY); },
                  [&w, movePointer](int32_t y) { movePointer(w.ActiveScreen().PointerX, y); });
    // Keys 0..255, then the wheel turned down and up in this frame.
    auto keyArray = [&w](bool (TKeyboard::*query)(int) const noexcept) {
        return [&w, query](int k) {
            if (k == kWheelDownKey) return w.ActiveScreen().WheelDown;
            if (k == kWheelUpKey) return w.ActiveScreen().WheelUp;
            return (w.Keys().*query)(k);
        };
    };
    vars_.BindFlags(TSystemVar::KeyPush, keyArray(&TKeyboard::IsDown));
    vars_.BindFlags(TSystemVar::KeyClick, keyArray(&TKeyboard::WasHit));
    vars_.BindFlags(TSystemVar::KeyRepeat, keyArray(&TKeyboard::WasPulsed));
    vars_.BindFlag(TSystemVar::WheelDown, [&w] { return w.ActiveScreen().WheelDown; });
    vars_.BindFlag(TSystemVar::WheelUp, [&w] { return w.ActiveScreen().WheelUp; });
    // The focus goes to an object that exists, is not being removed, is visible and takes keys.
    vars_.BindStr(TSystemVar::ActiveCompo, [&w] { return w.NameOf(w.Focus() ? w.Focus()->Id() : 0); },
                  [&w](std::string name) {
                      TRuvoObject* o = name.empty() ? nullptr : w.FindObject(name);
                      TRuvoControl* c = o ? o->AsControl() : nullptr;
                      if (c && !c->PendingDelete && c->GetVisible() && c->HandleKey) w.SetFocus(c);
                  });
}

void TWorldBindings::RegisterFunctions() {
    TRuvoBaseList& w = world_;
    auto object = [&w](const TFuncCall& c) { return w.FindObject(c.Str(0)); };
    funcs_.Register(sfGetProp, [object](const TFuncCall& c) {
        if (TRuvoObject* o = object(c)) StoreProperty(c.dest, GetProperty(*o, c.Int(1)));
    });
    funcs_.Register(sfSetProp, [object](const TFuncCall& c) {
        if (TRuvoObject* o = object(c)) SetProperty(*o, c.Int(1), ReadAsProperty(*c.args[2], c.Int(1)));
    });
    funcs_.Register(sfExists, [object](const TFuncCall& c) { c.dest.SetFlag(!c.Str(0).empty() && object(c)); });
    funcs_.Register(sfListCompo, [&w](const TFuncCall& c) {
        int type = c.IntOr(1, 0);
        if (type >= kTypeCodeCount) type = 0;
        std::vector<std::string> names;
        if (!c.Has(2)) {
            names = w.ListNames(type, false, nullptr);
        } else {
            // Named parent: its children; no object of that name: the objects without a parent.
            TRuvoObject* p = w.FindObject(c.Str(2));
            if (!p || p->AsControl()) names = w.ListNames(type, true, p ? p->AsControl() : nullptr);
        }
        if (funcs::IsVariable(*c.args[0])) funcs::StoreStrings(const_cast<TCustomParam&>(funcs::Whole(*c.args[0])), names);
        c.dest.SetInt(static_cast<int32_t>(names.size()));
    });
    // Screen and object coordinates; the coordinate is unchanged when there is no such control.
    auto convert = [object](bool vertical, int sign) {
        return [object, vertical, sign](const TFuncCall& c) {
            const int64_t v = c.Int(1);
            TRuvoObject* o = object(c);
            const TRuvoControl* control = o ? o->AsControl() : nullptr;
            const int64_t origin = control ? (vertical ? control->ScreenTop() : control->ScreenLeft()) : 0;
            c.dest.SetInt(static_cast<int32_t>(v + sign * origin));
        };
    };
    funcs_.Register(sfToClientX, convert(false, -1));
    funcs_.Register(sfToClientY, convert(true, -1));
    funcs_.Register(sfToScreenX, convert(false, 1));
    funcs_.Register(sfToScreenY, convert(true, 1));
    // The items of a list box (menus): check marks and the index of an item's text.
    auto listBox = [object](const TFuncCall& c) { return dynamic_cast<TRuvoCustomListBox*>(object(c)); };
    auto checkOf = [listBox](const TFuncCall& c) -> int32_t* {
        TRuvoCustomListBox* box = listBox(c);
        const int32_t i = c.Int(1);
        return box && i >= 0 && i < static_cast<int32_t>(box->ItemData.size()) ? &box->ItemData[static_cast<size_t>(i)] : nullptr;
    };
    funcs_.Register(sfGetCheck, [checkOf](const TFuncCall& c) {
        const int32_t* check = checkOf(c);
        c.dest.SetFlag(check && *check != 0);
    });
    funcs_.Register(sfSetCheck, [checkOf, listBox](const TFuncCall& c) {
        int32_t* check = checkOf(c);
        if (check) {
            *check = c.Int(2);
            listBox(c)->Invalidate();
        }
        c.dest.SetInt(check ? *check : 0);
    });
    funcs_.Register(sfIndexOfMenu, [listBox](const TFuncCall& c) {
        int32_t index = -1;
        if (const TRuvoCustomListBox* box = listBox(c))
            for (int i = 0; i < box->ItemCount() && index < 0; ++i)
                if (SameTextSjis(box->ItemText(i), c.Str(1))) index = i;
        c.dest.SetInt(index);
    });
    // The buttons of a preview menu: enabled and shown. A text item is a number when it reads as one,
    // else a caption.
    auto menuButton = [object](const TFuncCall& c) -> TRuvoPrevImages* {
        auto* menu = dynamic_cast<TRuvoPrevMenu*>(object(c));
        if (!menu) return nullptr;
        int32_t item = c.Int(1);
        if (c.args[1]->TypeCode() == static_cast<int>(TValueType::String))
            item = TryTextToInt(c.Str(1)).value_or(menu->ItemNamed(c.Str(1)));
        return menu->Button(item);
    };
    funcs_.Register(sfGetEnabled, [menuButton](const TFuncCall& c) {
        const TRuvoPrevImages* b = menuButton(c);
        c.dest.SetFlag(b && b->Enabled);
    });
    funcs_.Register(sfSetEnabled, [menuButton](const TFuncCall& c) {
        TRuvoPrevImages* b = menuButton(c);
        if (b) b->SetEnabled(c.args[2]->AsFlag());
        c.dest.SetInt(b && b->Enabled ? 1 : 0);
    });
    funcs_.Register(sfGetVisible, [menuButton](const TFuncCall& c) {
        const TRuvoPrevImages* b = menuButton(c);
        c.dest.SetFlag(b && b->OwnVisible);
    });
    funcs_.Register(sfSetVisible, [menuButton](const TFuncCall& c) {
        TRuvoPrevImages* b = menuButton(c);
        if (b) b->SetVisible(c.args[2]->AsFlag());
        c.dest.SetFlag(b && b->OwnVisible);
    });
    funcs_.Register(sfInPrimary, [object, &w](const TFuncCall& c) {
        TRuvoObject* o = c.Str(0).empty() ? nullptr : object(c);
        const TRuvoControl* control = o ? o->AsControl() : nullptr;
        c.dest.SetFlag(control && control->GetBase() == &w.ActiveScreen() && !control->InsideCabinet());
    });
}

} // namespace ruvo
