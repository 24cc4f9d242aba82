#include "params/dates.hpp"

#include <cmath>

#include "archive/errors.hpp"

namespace ruvo {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day number of 30 December 1899 counted from 1 March of year 0 (the civil-date algorithm's origin).
constexpr int64_t kEpochShift = 693899;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days from 1 March of year 0 to y-m-d.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = y / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

TDateParts CivilFromDays(int64_t z) {
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    const int64_t y = yoe + era * 400 + (m <= 2);
    return TDateParts{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

// Whole days and milliseconds of the day, the way the date-time is split for decoding: the value in
// milliseconds rounded, the day count truncated toward zero, the time of day taken as a magnitude.
bool Split(Real dateTime, int64_t& days, int64_t& ms) {
    if (!(std::fabs(dateTime) < 3.0e6L)) return false;  // far outside years 1..9999
    const int64_t total = std::llround(dateTime * kMsPerDay);
    days = total / kMsPerDay;
    ms = total % kMsPerDay;
    if (ms < 0) ms = -ms;
    return true;
}

} // namespace

Real EncodeDate(int32_t year, int32_t month, int32_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw ERuvoError("Invalid argument to date encode");
    return static_cast<Real>(DaysFromCivil(year, month, day) - kEpochShift);
}

Real EncodeTime(int32_t hour, int32_t minute, int32_t second) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        throw ERuvoError("Invalid argument to time encode");
    return static_cast<Real>((hour * 3600 + minute * 60 + second) * 1000) / kMsPerDay;
}

TDateParts DecodeDate(Real dateTime) noexcept {
    int64_t days, ms;
    if (!Split(dateTime, days, ms)) return {};
    const TDateParts parts = CivilFromDays(days + kEpochShift);
    if (parts.year < 1 || parts.year > 9999) return {};
    return parts;
}

TTimeParts DecodeTime(Real dateTime) noexcept {
    int64_t days, ms;
    if (!Split(dateTime, days, ms)) return {};
    return TTimeParts{static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                      static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
}

int DayOfWeek(Real dateTime) noexcept {
    int64_t days, ms;
    if (!Split(dateTime, days, ms)) return 1;
    // Day 0 (30 December 1899) was a Saturday.
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

} // namespace ruvo
