#include "tools/formeval/progress_bar.h"

#include <cstdio>

#include "platform/standard_error.h"

namespace formeval {

namespace {
constexpr int bar_width = 30;
}

progress_bar::progress_bar(std::uintmax_t total_bytes)
    : shown_(total_bytes >= shortest_file && platform::standard_error_is_terminal()), total_bytes_(total_bytes) {}

progress_bar::~progress_bar() {
    if (drawn_) std::fprintf(stderr, "\r%*s\r", bar_width + 30, "");
}

void progress_bar::update(std::uintmax_t done_bytes, long long rows) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - last_draw_ < std::chrono::milliseconds(100)) return;
    last_draw_ = now;
    drawn_ = true;
    const std::uintmax_t done = done_bytes < total_bytes_ ? done_bytes : total_bytes_;
    const int percent = static_cast<int>(done * 100 / total_bytes_);
    const int filled = percent * bar_width / 100;
    char bar[bar_width + 1];
    for (int i = 0; i < bar_width; ++i) bar[i] = i < filled ? '#' : '.';
    bar[bar_width] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%  %lld righe", bar, percent, rows);
    std::fflush(stderr);
}

}  // namespace formeval
