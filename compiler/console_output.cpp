#include "compiler/console_output.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace formcomp {

namespace {

std::string *captured_output = nullptr;  // null: the process's standard output
std::string *captured_errors = nullptr;  // null: the process's standard error
bool discarding = false;

void print_to(std::FILE *stream, std::string *capture, const char *format, std::va_list arguments) {
    if (discarding) return;
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

void capture_console(std::string *output, std::string *errors) {
    captured_output = output;
    captured_errors = errors;
    discarding = false;
}

void reset_console() {
    capture_console(nullptr, nullptr);
}

void discard_console() {
    discarding = true;
}

void print_output(const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    print_to(stdout, captured_output, format, arguments);
    va_end(arguments);
}

void print_error(const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    print_to(stderr, captured_errors, format, arguments);
    va_end(arguments);
}

}  // namespace formcomp
