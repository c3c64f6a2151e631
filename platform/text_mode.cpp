#include "platform/text_mode.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr std::size_t block_size = 64 * 1024;
constexpr char end_of_text = 0x1A;

}  // namespace

text_mode_reader::text_mode_reader(raw_input &input)
    : input_(input), raw_(new char[block_size]) {}

bool text_mode_reader::refill() {
    if (input_ended_) return false;
    // Only a CR that waits for its follower is ever kept: text stops at a
    // 0x1A, so none is in view here.
    const std::size_t kept = end_ - position_;
    std::memmove(raw_.get(), raw_.get() + position_, kept);
    position_ = 0;
    end_ = text_end_ = kept;
    const long count = input_.read_raw(raw_.get() + kept, block_size - kept);
    if (count <= 0) {
        input_ended_ = true;
        failed_ = count < 0;
        return false;
    }
    end_ += static_cast<std::size_t>(count);
    const void *mark = std::memchr(raw_.get() + kept, end_of_text, static_cast<std::size_t>(count));
    text_end_ = mark ? static_cast<std::size_t>(static_cast<const char *>(mark) - raw_.get()) : end_;
    return true;
}

std::size_t text_mode_reader::takeable() {
    if (text_ended_) return 0;
    if (position_ == text_end_ && (text_end_ < end_ || input_ended_)) {
        text_ended_ = true;
        return 0;
    }
    std::size_t count = text_end_ - position_;
    // Whether an LF follows a last CR shows only in the next raw bytes.
    if (count > 0 && text_end_ == end_ && !input_ended_ && raw_[end_ - 1] == '\r') --count;
    return count;
}

std::size_t text_mode_reader::read(char *buffer, std::size_t capacity, bool stop_after_line_feed) {
    return deliver(buffer, capacity, stop_after_line_feed, false);
}

std::size_t text_mode_reader::read_line(char *buffer, std::size_t capacity) {
    return deliver(buffer, capacity, true, true);
}

std::size_t text_mode_reader::deliver(char *buffer, std::size_t capacity, bool stop_after_line_feed, bool read_on) {
    std::size_t delivered = 0;
    while (delivered < capacity) {
        const std::size_t count = takeable();
        if (count == 0) {
            if (text_ended_ || (delivered > 0 && !read_on)) break;
            refill();
            continue;
        }
        const char *start = raw_.get() + position_;
        // Raw bytes never deliver more text than there are of them, so a
        // window of the remaining capacity cannot overrun the buffer.
        std::size_t window = std::min(count, capacity - delivered);
        bool line_ends = false;
        if (stop_after_line_feed) {
            if (const void *line_feed = std::memchr(start, '\n', window)) {
                window = static_cast<std::size_t>(static_cast<const char *>(line_feed) - start) + 1;
                line_ends = true;
            }
        }
        // Copy the window, dropping every CR that an LF follows.
        std::size_t taken = 0;
        while (taken < window) {
            const void *found = std::memchr(start + taken, '\r', window - taken);
            const std::size_t carriage_return =
                found ? static_cast<std::size_t>(static_cast<const char *>(found) - start) : window;
            std::memcpy(buffer + delivered, start + taken, carriage_return - taken);
            delivered += carriage_return - taken;
            taken = carriage_return;
            if (!found) break;
            ++taken;
            const bool line_feed_follows = position_ + taken < end_ && start[taken] == '\n';
            if (!line_feed_follows) buffer[delivered++] = '\r';
        }
        position_ += taken;
        if (line_ends) break;
    }
    return delivered;
}

std::size_t text_mode_reader::read_written_form(char *buffer, std::size_t capacity) {
    std::size_t delivered = 0;
    while (capacity - delivered >= 2) {
        const std::size_t count = takeable();
        if (count == 0) {
            if (text_ended_ || delivered > 0) break;
            refill();
            continue;
        }
        const char *start = raw_.get() + position_;
        // Every raw byte gives at most two bytes (a lone LF becomes CR LF).
        const std::size_t window = std::min(count, (capacity - delivered) / 2);
        // A CR LF pair stays as it is; an LF without its CR gets one.
        std::size_t taken = 0;
        while (taken < window) {
            const void *found = std::memchr(start + taken, '\n', window - taken);
            const std::size_t line_feed =
                found ? static_cast<std::size_t>(static_cast<const char *>(found) - start) : window;
            std::memcpy(buffer + delivered, start + taken, line_feed - taken);
            delivered += line_feed - taken;
            if (line_feed > taken) previous_was_carriage_return_ = start[line_feed - 1] == '\r';
            taken = line_feed;
            if (!found) break;
            if (!previous_was_carriage_return_) buffer[delivered++] = '\r';
            buffer[delivered++] = '\n';
            previous_was_carriage_return_ = false;
            ++taken;
        }
        position_ += taken;
    }
    return delivered;
}

text_mode_writer::text_mode_writer(replacement_file &file)
    : file_(file), buffer_(new char[block_size]) {}

bool text_mode_writer::write(const char *text, std::size_t length) {
    while (length > 0 && !failed_) {
        // Every byte may become two: take no more than half the room left.
        const std::size_t room = (block_size - used_) / 2;
        if (room == 0) {
            flush();
            continue;
        }
        const std::size_t take = std::min(length, room);
        char *out = buffer_.get() + used_;
        std::size_t taken = 0;
        while (taken < take) {
            const void *found = std::memchr(text + taken, '\n', take - taken);
            const std::size_t line_feed =
                found ? static_cast<std::size_t>(static_cast<const char *>(found) - text) : take;
            std::memcpy(out, text + taken, line_feed - taken);
            out += line_feed - taken;
            taken = line_feed;
            if (!found) break;
            *out++ = '\r';
            *out++ = '\n';
            ++taken;
        }
        used_ = static_cast<std::size_t>(out - buffer_.get());
        text += take;
        length -= take;
    }
    return !failed_;
}

bool text_mode_writer::flush() {
    if (!failed_ && used_ > 0 && !file_.write(buffer_.get(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}

}  // namespace platform
