#include "compiler/text_input.h"

namespace formcomp {

void text_input::attach(input_source *source) {
    raw_.source = source;
    reader_.reset();
    if (source) reader_.emplace(raw_);
}

long text_input::read(char *buffer, std::size_t size, bool stop_after_newline) {
    if (!reader_) return 0;
    const std::size_t count = reader_->read(buffer, size, stop_after_newline);
    if (count == 0 && reader_->failed()) return -1;
    return static_cast<long>(count);
}

}  // namespace formcomp
