#pragma once
// Date-times as reals: days since 30 December 1899, the fraction being the time of day.
#include <cstdint>

#include "archive/extended.hpp"

namespace ruvo {

struct TDateParts {
    int year = 0, month = 0, day = 0;
};
struct TTimeParts {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Throws ERuvoError for a date outside 1..9999 or a day that does not exist.
Real EncodeDate(int32_t year, int32_t month, int32_t day);
// Throws for an hour above 23 or a minute or second above 59.
Real EncodeTime(int32_t hour, int32_t minute, int32_t second);
// All zero for a date before year 1 or after 9999.
TDateParts DecodeDate(Real dateTime) noexcept;
TTimeParts DecodeTime(Real dateTime) noexcept;
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(Real dateTime) noexcept;

} // namespace ruvo
