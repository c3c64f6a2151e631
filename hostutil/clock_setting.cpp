// SetNewTime: changes some fields of the local date and time.
#include "hostutil/clock_setting.h"

#include "ventus.h"

namespace ventus {

namespace {

int low_16_bits(std::int32_t argument) { return static_cast<std::int16_t>(argument & 0xFFFF); }

}  // namespace

std::int32_t set_new_time(platform::local_clock &clock, std::int32_t year, std::int32_t month,
                          std::int32_t day, std::int32_t hour, std::int32_t minute) {
    platform::local_time time;
    if (!clock.read(time)) return 0;
    if (low_16_bits(year) > 0) time.year = low_16_bits(year);
    if (low_16_bits(month) > 0) time.month = low_16_bits(month);
    if (low_16_bits(day) > 0) time.day = low_16_bits(day);
    if (low_16_bits(hour) >= 0) time.hour = low_16_bits(hour);
    if (low_16_bits(minute) >= 0) time.minute = low_16_bits(minute);
    return clock.set(time) ? 1 : 0;
}

}  // namespace ventus

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL SetNewTime(int32_t year, int32_t month, int32_t day,
                                                          int32_t hour, int32_t minute) {
    return ventus::set_new_time(platform::machine_clock(), year, month, day, hour, minute);
}
