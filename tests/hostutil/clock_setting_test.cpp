#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "hostutil/clock_setting.h"

namespace platform {

bool operator==(const local_time &a, const local_time &b) {
    return a.year == b.year && a.month == b.month && a.day_of_week == b.day_of_week && a.day == b.day &&
           a.hour == b.hour && a.minute == b.minute && a.second == b.second &&
           a.millisecond == b.millisecond;
}

}  // namespace platform

namespace {

using platform::local_time;

// A clock of the test's own: the machine's clock is never changed.
class recording_clock final : public platform::local_clock {
public:
    bool read(local_time &time) override {
        time = now;
        return readable;
    }
    bool set(const local_time &time) override {
        ++set_calls;
        last_set = time;
        return accepts && time.month >= 1 && time.month <= 12;
    }

    local_time now{2026, 12, 1, 7, 9, 30, 45, 123};
    local_time last_set;
    bool readable = true;
    bool accepts = true;
    int set_calls = 0;
};

TEST(SetNewTime, ReplacesOnlyTheFieldsPassed) {
    recording_clock clock;
    EXPECT_EQ(ventus::set_new_time(clock, 2030, 2, 28, 13, 5), 1);
    EXPECT_EQ(clock.last_set, (local_time{2030, 2, 1, 28, 13, 5, 45, 123}));
    // Zeros and -1 keep every field: the time just read is set again.
    EXPECT_EQ(ventus::set_new_time(clock, 0, 0, 0, -1, -1), 1);
    EXPECT_EQ(clock.last_set, clock.now);
    // Hour and minute 0 are midnight's; day 0 keeps the day.
    EXPECT_EQ(ventus::set_new_time(clock, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(clock.last_set, (local_time{2026, 12, 1, 7, 0, 0, 45, 123}));
    EXPECT_EQ(ventus::set_new_time(clock, -2026, -1, -7, -5, -30), 1);
    EXPECT_EQ(clock.last_set, clock.now);
}

TEST(SetNewTime, OnlyTheLow16BitsCountAsASignedNumber) {
    recording_clock clock;
    EXPECT_EQ(ventus::set_new_time(clock, 0x10000 + 2031, 0x20003, 0x7FFF0004, 0x10000 + 22, 0xFFFF), 1);
    EXPECT_EQ(clock.last_set, (local_time{2031, 3, 1, 4, 22, 30, 45, 123}));
    // 0x8000 and 0xFFFF are negative in 16 bits: the fields stay.
    EXPECT_EQ(ventus::set_new_time(clock, 0x8000, 0xFFFF, 0x18000, 0x8000, 0xFFFFFFFF), 1);
    EXPECT_EQ(clock.last_set, clock.now);
}

TEST(SetNewTime, ReportsWhatTheClockRefused) {
    recording_clock clock;
    EXPECT_EQ(ventus::set_new_time(clock, 0, 13, 0, -1, -1), 0);
    EXPECT_EQ(clock.last_set.month, 13);
    clock.accepts = false;
    EXPECT_EQ(ventus::set_new_time(clock, 2027, 1, 1, 0, 0), 0);
    clock.readable = false;
    clock.set_calls = 0;
    EXPECT_EQ(ventus::set_new_time(clock, 2027, 1, 1, 0, 0), 0);
    EXPECT_EQ(clock.set_calls, 0);
}

TEST(MachineClock, ReadsTheLocalTime) {
    local_time time;
    ASSERT_TRUE(platform::machine_clock().read(time));
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // std::localtime rather than localtime_r, which Windows lacks; this test
    // runs on one thread.
    const std::tm *local = std::localtime(&now);
    ASSERT_NE(local, nullptr);
    const std::tm expected = *local;
    EXPECT_EQ(time.year, expected.tm_year + 1900);
    EXPECT_EQ(time.month, expected.tm_mon + 1);
    EXPECT_EQ(time.day, expected.tm_mday);
    EXPECT_EQ(time.day_of_week, expected.tm_wday);
    EXPECT_GE(time.millisecond, 0);
    EXPECT_LE(time.millisecond, 999);
}

}  // namespace
