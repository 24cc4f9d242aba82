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

void Abs(const TFuncCall& c) {
    const int32_t v = c.Int(0);
    c.dest.SetInt(v < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v);
}

void DecodeDateInto(const TFuncCall& c) {
    const TDateParts d = DecodeDate(c.Float(0));
    WriteInt(*c.args[1], d.year);
    WriteInt(*c.args[2], d.month);
    WriteInt(*c.args[3], d.day);
}

void DecodeTimeInto(const TFuncCall& c) {
    const TTimeParts t = DecodeTime(c.Float(0));
    WriteInt(*c.args[1], t.hour);
    WriteInt(*c.args[2], t.minute);
    WriteInt(*c.args[3], t.second);
}

const TBuiltInFunction kNumberFunctions[] = {
    {sfNot, [](const TFuncCall& c) { c.dest.SetFlag(!c.args[0]->AsFlag()); }},
    {sfRandom, [](const TFuncCall& c) { c.dest.SetInt(c.man.Random(c.Int(0))); }},
    {sfInt, [](const TFuncCall& c) { c.dest.SetInt(RealToInt(c.Float(0))); }},
    {sfFloat, [](const TFuncCall& c) { c.dest.SetFloat(c.Float(0)); }},
    {sfSin, [](const TFuncCall& c) { SetReal(c.dest, std::sin(c.Float(0))); }},
    {sfCos, [](const TFuncCall& c) { SetReal(c.dest, std::cos(c.Float(0))); }},
    {sfTan, [](const TFuncCall& c) { SetReal(c.dest, std::tan(c.Float(0))); }},
    {sfArcSin, [](const TFuncCall& c) { SetReal(c.dest, std::asin(c.Float(0))); }},
    {sfArcCos, [](const TFuncCall& c) { SetReal(c.dest, std::acos(c.Float(0))); }},
    {sfArcTan, [](const TFuncCall& c) { SetReal(c.dest, std::atan(c.Float(0))); }},
    {sfArcTan2, [](const TFuncCall& c) { SetReal(c.dest, std::atan2(c.Float(0), c.Float(1))); }},
    {sfHypot, [](const TFuncCall& c) { SetReal(c.dest, std::hypot(c.Float(0), c.Float(1))); }},
    {sfAbs, Abs},
    {sfFabs, [](const TFuncCall& c) { c.dest.SetFloat(std::fabs(c.Float(0))); }},
    {sfEncodeDate, [](const TFuncCall& c) { c.dest.SetFloat(EncodeDate(c.Int(0), c.Int(1), c.Int(2))); }},
    {sfEncodeTime, [](const TFuncCall& c) { c.dest.SetFloat(EncodeTime(c.Int(0), c.Int(1), c.Int(2))); }},
    {sfDecodeDate, DecodeDateInto},
    {sfDecodeTime, DecodeTimeInto},
    {sfGetYear, [](const TFuncCall& c) { c.dest.SetInt(DecodeDate(c.Float(0)).year); }},
    {sfGetMonth, [](const TFuncCall& c) { c.dest.SetInt(DecodeDate(c.Float(0)).month); }},
    {sfGetDay, [](const TFuncCall& c) { c.dest.SetInt(DecodeDate(c.Float(0)).day); }},
    {sfGetHour, [](const TFuncCall& c) { c.dest.SetInt(DecodeTime(c.Float(0)).hour); }},
    {sfGetMin, [](const TFuncCall& c) { c.dest.SetInt(DecodeTime(c.Float(0)).minute); }},
    {sfGetSec, [](const TFuncCall& c) { c.dest.SetInt(DecodeTime(c.Float(0)).second); }},
    {sfGetWeek, [](const TFuncCall& c) { c.dest.SetInt(DayOfWeek(c.Float(0))); }},
    {sfGetWeekStr, [](const TFuncCall& c) { c.dest.SetStr(kWeekNames[DayOfWeek(c.Float(0)) - 1]); }},
    {sfGetWeekJStr, [](const TFuncCall& c) { c.dest.SetStr(SysMessage(kWeekJNames[DayOfWeek(c.Float(0)) - 1])); }},
    {sfMin, [](const TFuncCall& c) { c.dest.SetInt(std::min(c.Int(0), c.Int(1))); }},
    {sfMax, [](const TFuncCall& c) { c.dest.SetInt(std::max(c.Int(0), c.Int(1))); }},
    {sfFmin, [](const TFuncCall& c) { c.dest.SetFloat(std::min(c.Float(0), c.Float(1))); }},
    {sfFmax, [](const TFuncCall& c) { c.dest.SetFloat(std::max(c.Float(0), c.Float(1))); }},
};

} // namespace

std::span<const TBuiltInFunction> NumberFunctions() { return kNumberFunctions; }

} // namespace ruvo::funcs
