#pragma once
// The stored form of a field's value in a record, shared by the conversions, the search and the sort.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "params/dbtable.hpp"

namespace ruvo::dbcell {

inline int32_t LoadInt(const uint8_t* p) noexcept {
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

inline void StoreInt(uint8_t* p, int32_t v) noexcept {
    const auto u = static_cast<uint32_t>(v);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
    p[3] = static_cast<uint8_t>(u >> 24);
}

// A string field's text up to its 0 byte; a full field (from a saved game) has none.
inline std::string_view LoadText(int32_t size, const uint8_t* p) noexcept {
    const auto* text = reinterpret_cast<const char*>(p);
    return {text, strnlen(text, static_cast<size_t>(size))};
}

// A field's value read as each type, by the conversion table (dbcell.cpp).
int32_t ReadInt(const TDBField& f, const uint8_t* p);
Real ReadReal(const TDBField& f, const uint8_t* p);
bool ReadFlag(const TDBField& f, const uint8_t* p);
std::string ReadText(const TDBField& f, const uint8_t* p);

} // namespace ruvo::dbcell
