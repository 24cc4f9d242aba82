#pragma once
// The cabinet (LT_CABINET): a container that keeps a group of objects with it, out of sight and still
// (SaveCabinet and LoadCabinet move objects in and out). What it holds is neither drawn, nor hit, nor
// updated, and raises no idle events; it is saved with the cabinet.
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoCabinet : public TRuvoControl {
public:
    using TRuvoControl::TRuvoControl;

    uint8_t GetCompoType() const override { return 27; }
    bool IsCabinet() const override { return true; }
    bool GetVisible() const override { return false; }
};

} // namespace ruvo
