#include "platform/local_time.h"

#include <windows.h>

namespace platform {

namespace {

class operating_system_clock final : public local_clock {
public:
    bool read(local_time &time) override {
        SYSTEMTIME now;
        GetLocalTime(&now);
        time.year = now.wYear;
        time.month = now.wMonth;
        time.day_of_week = now.wDayOfWeek;
        time.day = now.wDay;
        time.hour = now.wHour;
        time.minute = now.wMinute;
        time.second = now.wSecond;
        time.millisecond = now.wMilliseconds;
        return true;
    }

    bool set(const local_time &time) override {
        SYSTEMTIME wanted;
        wanted.wYear = static_cast<WORD>(time.year);
        wanted.wMonth = static_cast<WORD>(time.month);
        wanted.wDayOfWeek = static_cast<WORD>(time.day_of_week);
        wanted.wDay = static_cast<WORD>(time.day);
        wanted.wHour = static_cast<WORD>(time.hour);
        wanted.wMinute = static_cast<WORD>(time.minute);
        wanted.wSecond = static_cast<WORD>(time.second);
        wanted.wMilliseconds = static_cast<WORD>(time.millisecond);
        return SetLocalTime(&wanted) != FALSE;
    }
};

}  // namespace

local_clock &machine_clock() {
    // Stateless: one instance serves every thread.
    static operating_system_clock clock;
    return clock;
}

}  // namespace platform
