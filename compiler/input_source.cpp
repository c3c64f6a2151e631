#include "compiler/input_source.h"

#include "platform/console_input.h"

#include <algorithm>
#include <cstring>

namespace formcomp {

long standard_input_source::read(char *buffer, std::size_t size) {
    return platform::read_standard_input(buffer, size);
}

bool standard_input_source::is_terminal() const {
    return platform::standard_input_is_terminal();
}

long memory_input_source::read(char *buffer, std::size_t size) {
    std::size_t count = std::min({size, piece_size_, text_.size() - position_});
    if (count == 0 && fail_at_end_) return -1;
    std::memcpy(buffer, text_.data() + position_, count);
    position_ += count;
    return static_cast<long>(count);
}

}  // namespace formcomp
