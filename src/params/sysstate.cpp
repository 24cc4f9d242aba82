#include "params/sysstate.hpp"

#include <chrono>
#include <ctime>

namespace ruvo {

int32_t TSystemState::PCTickCount() {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

TLocalTime TSystemState::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    TLocalTime t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.week = parts.tm_wday + 1;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    return t;
}

} // namespace ruvo
