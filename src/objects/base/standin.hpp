#pragma once
// Objects of the classes whose own behaviour is not built yet (images, message windows, menus, sounds
// ...): they are made with the common part of their base class and carry their type code, so that
// names, the tree, the common properties, events, ListCompo and saved games work with them. They draw
// and play nothing of their own.
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoStandInControl : public TRuvoControl {
public:
    TRuvoStandInControl(TRuvoBaseList* owner, uint8_t code) : TRuvoControl(owner), code_(code) {}
    uint8_t GetCompoType() const override { return code_; }

private:
    uint8_t code_;
};

class TRuvoStandInComponent : public TRuvoComponent {
public:
    TRuvoStandInComponent(TRuvoBaseList* owner, uint8_t code) : TRuvoComponent(owner), code_(code) {}
    uint8_t GetCompoType() const override { return code_; }

private:
    uint8_t code_;
};

} // namespace ruvo
