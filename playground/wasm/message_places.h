// Where each of the compiler's messages stands in the source, for the
// editor's inline diagnostics. Worked out from the message texts alone: the
// line from "linea N", the column from the name the message quotes, looked up
// in that line (a message that quotes no name marks its whole line). A
// compile library that reports token positions makes this unnecessary.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace playground {

struct message_place {
    int line = 0;          // 1-based; 0 when the message names no place
    int column = 0;        // 1-based, first character of the range
    int end_column = 0;    // 1-based, one past the range's last character
    std::string message;   // the message's line, without its line end
};

// One entry per line of `messages`, in order.
std::vector<message_place> place_messages(std::string_view source, std::string_view messages);

}  // namespace playground
