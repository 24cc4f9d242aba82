#pragma once
// The expression language's named constants: the property identifiers (PR_LEFT is 3), the object type
// codes (LT_BOX is 2), the mouse modes (IM_), the property-motion curves (MT_), the orientations (OT_),
// the particle motions (PM_) and the alignments (HA_). The compiler stores them as the integers they
// stand for, so a compiled page holds numbers, as every page of the authoring tool does.
#include <cstdint>
#include <optional>
#include <string_view>

namespace ruvo {

// The value of a named constant, compared case-sensitively ("PR_LEFT" → 3); nullopt for any other name.
std::optional<int32_t> NamedConstant(std::string_view name) noexcept;

// "LT_BOX" for 2; nullptr outside 0..27.
const char* ObjectTypeName(int code) noexcept;

} // namespace ruvo
