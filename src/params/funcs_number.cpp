// Arithmetic and date functions.
#include <algorithm>
#include <cmath>

#include "archive/errors.hpp"
#include "params/convert.hpp"
#include "params/dates.hpp"
#include "params/funcs_impl.hpp"

namespace ruvo::funcs {

namespace {

// A real result that is not a finite number stops the evaluation, as a floating-point fault would.
void SetReal(TCustomParam& dest, Real value) {
    if (!std::isfinite(value)) throw ERuvoError("Invalid floating point operation");
    dest.SetFloat(value);
}

constexpr const char* kWeekNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kWeekJNames[] = {"日", "月", "火", "水", "木", "金", "土"};

} // namespace

bool CallNumberFunction(TSysFuncMan& man, int number, TCustomParam& dest, TArgs args) {
    const auto real = [&](size_t i) { return args[i]->AsFloat(); };
    const auto num = [&](size_t i) { return args[i]->AsInt(); };
    switch (number) {
    case 20: dest.SetFlag(!args[0]->AsFlag()); return true;
    case 26: dest.SetInt(man.Random(num(0))); return true;
    case 37: dest.SetInt(RealToInt(real(0))); return true;
    case 38: dest.SetFloat(real(0)); return true;
    case 39: SetReal(dest, std::sin(real(0))); return true;
    case 40: SetReal(dest, std::cos(real(0))); return true;
    case 41: SetReal(dest, std::tan(real(0))); return true;
    case 42: SetReal(dest, std::asin(real(0))); return true;
    case 43: SetReal(dest, std::acos(real(0))); return true;
    case 44: SetReal(dest, std::atan(real(0))); return true;
    case 45: SetReal(dest, std::atan2(real(0), real(1))); return true;
    case 46: SetReal(dest, std::hypot(real(0), real(1))); return true;
    case 48: {
        const int32_t v = num(0);
        dest.SetInt(v < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v);
        return true;
    }
    case 49: dest.SetFloat(std::fabs(real(0))); return true;
    case 51: dest.SetFloat(EncodeDate(num(0), num(1), num(2))); return true;
    case 52: dest.SetFloat(EncodeTime(num(0), num(1), num(2))); return true;
    case 53: {
        const TDateParts d = DecodeDate(real(0));
        WriteInt(*args[1], d.year);
        WriteInt(*args[2], d.month);
        WriteInt(*args[3], d.day);
        return true;
    }
    case 54: {
        const TTimeParts t = DecodeTime(real(0));
        WriteInt(*args[1], t.hour);
        WriteInt(*args[2], t.minute);
        WriteInt(*args[3], t.second);
        return true;
    }
    case 55: dest.SetInt(DecodeDate(real(0)).year); return true;
    case 56: dest.SetInt(DecodeDate(real(0)).month); return true;
    case 57: dest.SetInt(DecodeDate(real(0)).day); return true;
    case 58: dest.SetInt(DecodeTime(real(0)).hour); return true;
    case 59: dest.SetInt(DecodeTime(real(0)).minute); return true;
    case 60: dest.SetInt(DecodeTime(real(0)).second); return true;
    case 61: dest.SetInt(DayOfWeek(real(0))); return true;
    case 62: dest.SetStr(kWeekNames[DayOfWeek(real(0)) - 1]); return true;
    case 63: dest.SetStr(SysMessage(kWeekJNames[DayOfWeek(real(0)) - 1])); return true;
    case 126: dest.SetInt(std::min(num(0), num(1))); return true;
    case 127: dest.SetInt(std::max(num(0), num(1))); return true;
    case 128: dest.SetFloat(std::min(real(0), real(1))); return true;
    case 129: dest.SetFloat(std::max(real(0), real(1))); return true;
    default: return false;
    }
}

} // namespace ruvo::funcs
