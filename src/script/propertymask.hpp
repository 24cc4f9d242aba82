#pragma once
// A page's property mask for one command code: 168 bits, bit b of byte k standing for property
// 8·k + b. It tells which property expressions the records of that code carry.
#include <array>
#include <cstdint>

namespace ruvo {

constexpr int kMaskBytes = 21;
constexpr int kMaskCount = 61;  // one per command code

using TPropertyMask = std::array<uint8_t, kMaskBytes>;

inline bool MaskHas(const TPropertyMask& mask, int bit) noexcept {
    return bit >= 0 && bit < kMaskBytes * 8 && (mask[bit / 8] >> (bit % 8)) & 1;
}
inline void MaskSet(TPropertyMask& mask, int bit) noexcept {
    if (bit >= 0 && bit < kMaskBytes * 8) mask[bit / 8] = static_cast<uint8_t>(mask[bit / 8] | (1u << (bit % 8)));
}

} // namespace ruvo
