// SetNewTime's merging of the requested fields into the local time.
#pragma once

#include <cstdint>

#include "platform/local_time.h"

namespace ventus {

// Reads clock, replaces year, month and day where greater than 0 and hour
// and minute where 0 or greater (each taken as the signed 16-bit number in
// the low bits of its argument), keeps seconds, milliseconds and the day of
// the week, and sets the result. 1 when the clock took it, 0 otherwise.
std::int32_t set_new_time(platform::local_clock &clock, std::int32_t year, std::int32_t month,
                          std::int32_t day, std::int32_t hour, std::int32_t minute);

}  // namespace ventus
