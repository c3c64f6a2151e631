// The machine's local date and time, read and set field by field.
#pragma once

namespace platform {

// The fields of the platform's local time (SYSTEMTIME on Windows).
struct local_time {
    int year = 0;
    int month = 0;  // 1..12
    int day_of_week = 0;  // 0 Sunday .. 6 Saturday; not checked when setting
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// A clock that can be read and set. The machine's clock is one; tests hand
// their own to the code under test so that the real clock is never changed.
class local_clock {
public:
    virtual ~local_clock() = default;
    // False when the time could not be read.
    virtual bool read(local_time &time) = 0;
    // False when the system refused the time: a field out of range, or no
    // right to change the clock.
    virtual bool set(const local_time &time) = 0;
};

// The machine's real clock.
local_clock &machine_clock();

}  // namespace platform
