// The rows of a CSV file, as formeval --csv reads them: lines ended by LF (a
// CR before it is dropped; the last line needs no LF), fields separated by
// commas, blanks around a field ignored, a field in double quotes may hold
// commas and "" for one quote. The file is untrusted: a line longer than
// longest_line (its line end not counted), an unclosed quote or text after a
// closing quote is an error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace formeval {

inline constexpr std::size_t longest_line = std::size_t{1} << 20;

enum class split_status { ok, stopped, line_too_long };

// Cuts bytes that arrive in chunks of any size into lines.
class line_splitter {
public:
    // Calls take(line) for every line completed by `chunk`; a false result
    // from take stops at once and gives split_status::stopped.
    template <typename Take>
    split_status feed(std::string_view chunk, Take &&take) {
        while (!chunk.empty()) {
            const std::size_t end = chunk.find('\n');
            const std::string_view piece = chunk.substr(0, end);
            if (counted_length(piece) > longest_line) return split_status::line_too_long;
            if (end == std::string_view::npos) {
                pending_.append(piece);
                return split_status::ok;
            }
            chunk.remove_prefix(end + 1);
            bool go_on;
            if (pending_.empty()) {
                go_on = take(without_carriage_return(piece));
            } else {
                pending_.append(piece);
                go_on = take(without_carriage_return(pending_));
                pending_.clear();
            }
            if (!go_on) return split_status::stopped;
        }
        return split_status::ok;
    }

    // The last line, when the bytes did not end with LF.
    template <typename Take>
    split_status finish(Take &&take) {
        if (pending_.empty()) return split_status::ok;
        const bool go_on = take(without_carriage_return(pending_));
        pending_.clear();
        return go_on ? split_status::ok : split_status::stopped;
    }

private:
    // The length of the line so far with piece added, without a last CR: the
    // CR of CR LF does not count against the limit (a CR that more of the
    // line follows is counted with the next piece).
    std::size_t counted_length(std::string_view piece) const noexcept {
        const std::size_t length = pending_.size() + piece.size();
        const bool ends_in_carriage_return =
            piece.empty() ? !pending_.empty() && pending_.back() == '\r' : piece.back() == '\r';
        return ends_in_carriage_return ? length - 1 : length;
    }

    static std::string_view without_carriage_return(std::string_view line) noexcept {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

    std::string pending_;
};

// The fields of one line. A line that is blank has no fields. Returns false
// and a message (without the row number) for a malformed quote. `fields`
// keeps its strings from call to call to spare allocations; `count` tells how
// many of them belong to this line.
bool split_fields(std::string_view line, std::vector<std::string> &fields, std::size_t &count,
                  std::string &error);

}  // namespace formeval
