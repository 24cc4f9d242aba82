// One field of one record read as, or written from, any of the four value types.
#include <cmath>
#include <cstring>
#include <type_traits>

#include "archive/sjis.hpp"
#include "params/convert.hpp"
#include "params/dbcell.hpp"

namespace ruvo {

namespace {

using dbcell::LoadInt;
using dbcell::StoreInt;

// The longest head of s of at most max bytes that does not end inside a double-byte character.
size_t CutLength(std::string_view s, size_t max) noexcept {
    if (s.size() <= max) return s.size();
    size_t n = 0;
    while (NextCharPos(s, n) <= max) n = NextCharPos(s, n);
    return n;
}

void StoreText(const TDBField& f, uint8_t* p, std::string_view s) noexcept {
    if (f.Size <= 0) return;
    const size_t n = CutLength(s, static_cast<size_t>(f.Size) - 1);
    if (n > 0) std::memcpy(p, s.data(), n);
    std::memset(p + n, 0, static_cast<size_t>(f.Size) - n);
}

// Halves go to the even neighbour (the default rounding mode).
int32_t RoundToInt(Real v) noexcept { return RealToInt(std::nearbyint(v)); }

void WriteInt(const TDBField& f, uint8_t* p, int32_t v) {
    switch (f.Type) {
    case kDBInteger: StoreInt(p, v); break;
    case kDBFloat: WriteExtended(v, p); break;
    case kDBFlag: p[0] = v != 0; break;
    default: StoreText(f, p, IntToText(v)); break;
    }
}

void WriteReal(const TDBField& f, uint8_t* p, Real v) {
    switch (f.Type) {
    case kDBInteger: StoreInt(p, RoundToInt(v)); break;
    case kDBFloat: WriteExtended(v, p); break;
    case kDBFlag: p[0] = v != 0; break;
    default: StoreText(f, p, RealToText(v)); break;
    }
}

void WriteFlag(const TDBField& f, uint8_t* p, bool v) {
    switch (f.Type) {
    case kDBInteger: StoreInt(p, v ? 1 : 0); break;
    case kDBFloat: WriteExtended(v ? 1.0L : 0.0L, p); break;
    case kDBFlag: p[0] = v; break;
    default: StoreText(f, p, FlagToText(v)); break;
    }
}

void WriteText(const TDBField& f, uint8_t* p, std::string_view v) {
    switch (f.Type) {
    case kDBInteger: StoreInt(p, TextToIntDef(v, 0)); break;
    case kDBFloat: WriteExtended(TextToRealDef(v, 0.0L), p); break;
    case kDBFlag: p[0] = TextToFlag(v); break;
    default: StoreText(f, p, v); break;
    }
}

} // namespace

namespace dbcell {

int32_t ReadInt(const TDBField& f, const uint8_t* p) {
    switch (f.Type) {
    case kDBInteger: return LoadInt(p);
    case kDBFloat: return RoundToInt(ReadExtended(p));
    case kDBFlag: return p[0] != 0;
    default: return TextToIntDef(LoadText(f.Size, p), 0);
    }
}

Real ReadReal(const TDBField& f, const uint8_t* p) {
    switch (f.Type) {
    case kDBInteger: return LoadInt(p);
    case kDBFloat: return ReadExtended(p);
    case kDBFlag: return p[0] != 0 ? 1.0L : 0.0L;
    default: return TextToRealDef(LoadText(f.Size, p), 0.0L);
    }
}

bool ReadFlag(const TDBField& f, const uint8_t* p) {
    switch (f.Type) {
    case kDBInteger: return LoadInt(p) != 0;
    case kDBFloat: return ReadExtended(p) != 0;
    case kDBFlag: return p[0] != 0;
    default: return TextToFlag(LoadText(f.Size, p));
    }
}

std::string ReadText(const TDBField& f, const uint8_t* p) {
    switch (f.Type) {
    case kDBInteger: return IntToText(LoadInt(p));
    case kDBFloat: return RealToText(ReadExtended(p));
    case kDBFlag: return FlagToText(p[0] != 0);
    default: return std::string(LoadText(f.Size, p));
    }
}

} // namespace dbcell

template <class T>
bool TDBCustomTable::Get(int32_t record, int field, T& value) const {
    const uint8_t* r = Record(record);
    if (!r || field < 0 || field >= Fields.Count()) return false;
    const TDBField& f = Fields[field];
    const uint8_t* p = r + Fields.Offset(field);
    if constexpr (std::is_same_v<T, int32_t>) value = dbcell::ReadInt(f, p);
    else if constexpr (std::is_same_v<T, Real>) value = dbcell::ReadReal(f, p);
    else if constexpr (std::is_same_v<T, bool>) value = dbcell::ReadFlag(f, p);
    else value = dbcell::ReadText(f, p);
    return true;
}

template <class T>
bool TDBCustomTable::Set(int32_t record, int field, const T& value) {
    uint8_t* r = Record(record);
    if (!r || field < 0 || field >= Fields.Count()) return false;
    const TDBField& f = Fields[field];
    uint8_t* p = r + Fields.Offset(field);
    if constexpr (std::is_same_v<T, int32_t>) WriteInt(f, p, value);
    else if constexpr (std::is_same_v<T, Real>) WriteReal(f, p, value);
    else if constexpr (std::is_same_v<T, bool>) WriteFlag(f, p, value);
    else WriteText(f, p, value);
    return true;
}

bool TDBCustomTable::SetText(int32_t record, int field, std::string_view value) { return Set(record, field, value); }

std::string TDBCustomTable::Text(int32_t record, int field) const {
    std::string text;
    Get(record, field, text);
    return text;
}

template bool TDBCustomTable::Get(int32_t, int, int32_t&) const;
template bool TDBCustomTable::Get(int32_t, int, Real&) const;
template bool TDBCustomTable::Get(int32_t, int, bool&) const;
template bool TDBCustomTable::Get(int32_t, int, std::string&) const;
template bool TDBCustomTable::Set(int32_t, int, const int32_t&);
template bool TDBCustomTable::Set(int32_t, int, const Real&);
template bool TDBCustomTable::Set(int32_t, int, const bool&);
template bool TDBCustomTable::Set(int32_t, int, const std::string&);
template bool TDBCustomTable::Set(int32_t, int, const std::string_view&);

} // namespace ruvo
