#include "platform/local_time.h"

#include <time.h>

namespace platform {

namespace {

bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

// The ranges that the Windows clock accepts; mktime would instead carry a
// month 13 into the next year.
bool is_valid(const local_time &time) {
    return time.year >= 1601 && time.year <= 30827 && time.month >= 1 && time.month <= 12 &&
           time.day >= 1 && time.day <= days_in_month(time.year, time.month) && time.hour >= 0 &&
           time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
           time.second <= 59 && time.millisecond >= 0 && time.millisecond <= 999;
}

class operating_system_clock final : public local_clock {
public:
    bool read(local_time &time) override {
        timespec now;
        tm fields;
        if (::clock_gettime(CLOCK_REALTIME, &now) != 0 || ::localtime_r(&now.tv_sec, &fields) == nullptr) {
            return false;
        }
        time.year = fields.tm_year + 1900;
        time.month = fields.tm_mon + 1;
        time.day_of_week = fields.tm_wday;
        time.day = fields.tm_mday;
        time.hour = fields.tm_hour;
        time.minute = fields.tm_min;
        time.second = fields.tm_sec > 59 ? 59 : fields.tm_sec;  // a leap second
        time.millisecond = static_cast<int>(now.tv_nsec / 1000000);
        return true;
    }

    bool set(const local_time &time) override {
        if (!is_valid(time)) return false;
        tm fields{};
        fields.tm_year = time.year - 1900;
        fields.tm_mon = time.month - 1;
        fields.tm_mday = time.day;
        fields.tm_hour = time.hour;
        fields.tm_min = time.minute;
        fields.tm_sec = time.second;
        fields.tm_isdst = -1;
        const time_t seconds = ::mktime(&fields);
        if (seconds == static_cast<time_t>(-1)) return false;
        timespec instant;
        instant.tv_sec = seconds;
        instant.tv_nsec = static_cast<long>(time.millisecond) * 1000000L;
        return ::clock_settime(CLOCK_REALTIME, &instant) == 0;
    }
};

}  // namespace

local_clock &machine_clock() {
    // Stateless: one instance serves every thread.
    static operating_system_clock clock;
    return clock;
}

}  // namespace platform
