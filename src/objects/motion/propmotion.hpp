#pragma once
// The property motion (LT_PROPMOTION): moves one numeric property of another object from its value at
// the first update to a target value over a duration of game time, along a straight line (MT_NORMAL),
// accelerating (MT_INC) or decelerating (MT_DEC), and goes when it has written the target value, when
// its target is gone, or when its target or property does not exist.
#include <string>

#include "archive/extended.hpp"
#include "objects/base/ruvoobject.hpp"

namespace ruvo {

class TRuvoPropMotion : public TRuvoComponent {
public:
    static constexpr uint8_t kNoProperty = 255;
    enum Curve : uint8_t { MT_NORMAL = 0, MT_INC = 1, MT_DEC = 2 };

    using TRuvoComponent::TRuvoComponent;

    uint8_t GetCompoType() const override { return 26; }
    bool IsPaused() const override { return Paused; }
    bool Update() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the object part: target name, property, target value, duration, curve, start value,
    // elapsed time; from 126 paused.
    void Sync(TSerializer& s) override;

    // The property identifier, as a byte; anything outside 0..255 is no property.
    void SetPropId(int32_t id) { PropId = id >= 0 && id <= 255 ? static_cast<uint8_t>(id) : kNoProperty; }
    void SetTargetName(std::string name);
    // The value the curve gives at Elapsed.
    Real ValueNow() const;

    Real TargetValue = 0;
    int32_t Duration = 0;
    std::string TargetName;
    uint8_t PropId = kNoProperty;
    uint8_t Mode = MT_NORMAL;
    int32_t Elapsed = 0;
    Real StartValue = 0;
    bool Paused = false;

private:
    TObjectId target_ = 0;  // resolved at the first update
};

} // namespace ruvo
