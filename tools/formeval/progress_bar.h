// A progress bar for long runs, on standard error and only when standard
// error is a terminal: "[#####...............]  25%  123456 righe", redrawn
// at most ten times a second and erased when the run ends.
#pragma once

#include <chrono>
#include <cstdint>

namespace formeval {

class progress_bar {
public:
    // Files shorter than this finish too soon for a bar to help.
    static constexpr std::uintmax_t shortest_file = std::uintmax_t{16} << 20;

    explicit progress_bar(std::uintmax_t total_bytes);
    progress_bar(const progress_bar &) = delete;
    progress_bar &operator=(const progress_bar &) = delete;
    ~progress_bar();

    void update(std::uintmax_t done_bytes, long long rows);

private:
    bool shown_;
    bool drawn_ = false;
    std::uintmax_t total_bytes_;
    std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace formeval
