#pragma once
// Property access by identifier. Each object class describes once, in a table of its own, which of the
// 162 properties it answers and how (a getter and a setter exchanging the property's value type); the
// table of a class starts as a copy of its base class's table. A property a class does not answer reads
// as the default of the property table (params/properties.hpp) and ignores writes.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>

#include "archive/extended.hpp"
#include "params/properties.hpp"

namespace ruvo {

class TCustomParam;
class TRuvoObject;

// One property value, held as the property's type: integer, real, flag or string.
using TPropValue = std::variant<int32_t, Real, bool, std::string>;

// A holder's value read as the type of property id (its conversions are the variables' own).
TPropValue ReadAsProperty(const TCustomParam& value, int id);
// What a class that does not answer property id reads (0, false, "", 256 for the zooms, 0xFFFFFF for
// the colour), and what the object-creating commands apply when its expression yields nothing.
TPropValue DefaultProperty(int id);
TPropValue CreationDefault(int id);
// Stores a property value into a variable through the variable's setter of the value's type.
void StoreProperty(TCustomParam& variable, const TPropValue& value);

class TPropertyMap {
public:
    struct TRow {
        std::function<TPropValue(TRuvoObject&)> get;
        std::function<void(TRuvoObject&, const TPropValue&)> set;
    };

    // A class's table starts as a copy of its base class's.

    const TRow& Row(int id) const { return rows_[static_cast<size_t>(id)]; }

    // Rows of class C: get(C&) returns the value, set(C&, value) takes it; a row without a setter ignores
    // writes.
    template <class C, class Get, class... Set>
    void Int(int id, Get get, Set... set) { Add<C, int32_t>(id, get, set...); }
    template <class C, class Get, class... Set>
    void Flag(int id, Get get, Set... set) { Add<C, bool>(id, get, set...); }
    template <class C, class Get, class... Set>
    void RealValue(int id, Get get, Set... set) { Add<C, Real>(id, get, set...); }
    template <class C, class Get, class... Set>
    void Str(int id, Get get, Set... set) { Add<C, std::string>(id, get, set...); }

private:
    template <class C, class T, class Get, class... Set>
    void Add(int id, Get get, Set... set) {
        static_assert(sizeof...(Set) <= 1, "one setter at most");
        TRow& row = rows_.at(static_cast<size_t>(id));
        row.get = [get](TRuvoObject& o) { return TPropValue(T(get(static_cast<C&>(o)))); };
        row.set = nullptr;
        ((row.set = [set](TRuvoObject& o, const TPropValue& v) { set(static_cast<C&>(o), std::get<T>(v)); }), ...);
    }

    std::array<TRow, kPropertyCount> rows_;
};

// GetProp: the value of property id of the object; "GetPropエラー" outside 0..161.
TPropValue GetProperty(TRuvoObject& object, int id);
// SetProp: "SetPropエラー" for 92, 93 and outside 0..161; read-only identifiers are ignored. The value
// must be of the property's type (ReadAsProperty).
void SetProperty(TRuvoObject& object, int id, const TPropValue& value);

// Typed reads for the player's own use (the id's type must match).
int32_t GetIntProperty(TRuvoObject& object, int id);
bool GetFlagProperty(TRuvoObject& object, int id);
std::string GetStrProperty(TRuvoObject& object, int id);

} // namespace ruvo
