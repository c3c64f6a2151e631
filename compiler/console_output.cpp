#include "compiler/console_output.h"

#include "compiler/process_state.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace formcomp {

namespace {

void print_to(std::FILE *stream, std::string *capture, const char *format, std::va_list arguments) {
    if (!capture) {
        std::vfprintf(stream, format, arguments);
        return;
    }
    std::va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return;
    std::size_t start = capture->size();
    capture->resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(capture->data() + start, static_cast<std::size_t>(length) + 1, format, arguments);
    capture->resize(start + static_cast<std::size_t>(length));
}

}  // namespace

void print_output(const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    print_to(stdout, channels.standard_output, format, arguments);
    va_end(arguments);
}

void print_error(const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    print_to(stderr, channels.standard_error, format, arguments);
    va_end(arguments);
}

}  // namespace formcomp
