#pragma once
// The object classes by type code: one table gives, for every code a saved game or a command may name,
// the class and how to make an object of it. Codes 0, 1, 10 and 28 and above have no class.
#include <cstdint>
#include <memory>

namespace ruvo {

class TRuvoBaseList;
class TRuvoObject;

struct TObjectClass {
    uint8_t code;
    const char* className;  // "TRuvoBox"
    std::unique_ptr<TRuvoObject> (*make)(TRuvoBaseList& world, uint8_t code);
};

// The class of a type code (taken modulo 128), or null.
const TObjectClass* ObjectClassOf(int code) noexcept;

} // namespace ruvo
