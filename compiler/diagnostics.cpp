#include "compiler/diagnostics.h"

#include "compiler/console_output.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace formcomp {

namespace {

int compile_ok_flag = 1;
std::vector<compile_message> messages_so_far;

// The line that a message prints ("linea N"), else the scanner's line.
int printed_line(const std::string &text) {
    constexpr std::string_view marker = "linea ";
    std::size_t at = text.rfind(marker);
    if (at == std::string::npos) return current_line();
    return std::atoi(text.c_str() + at + marker.size());
}

compile_message &keep(message_kind kind, std::string text, const source_range &where) {
    compile_message &message = messages_so_far.emplace_back();
    message.kind = kind;
    message.line = printed_line(text);
    message.text = std::move(text);
    message.where = where;
    return message;
}

std::string formatted(const char *format, std::va_list arguments) {
    std::va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

int compile_ok() {
    return compile_ok_flag;
}

void start_compile() {
    compile_ok_flag = 1;
}

void report_error(const source_range &where, const char *format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::string text = formatted(format, arguments);
    va_end(arguments);
    print_output("%s", text.c_str());
    keep(message_kind::semantic, std::move(text), where);
    compile_ok_flag = 0;
}

void mark_compile_failed() {
    compile_ok_flag = 0;
}

void report_full_table(bool &reported, const char *format, int capacity) {
    if (reported) {
        mark_compile_failed();
        return;
    }
    reported = true;
    report_error(token_range(), format, capacity, current_line());
}

void report_parse_error(const char *message, const source_range &where, std::string found,
                        std::vector<std::string> expected) {
    int line = current_line();
    print_output(messages::parse_error_format, message, line);
    char text[128];
    std::snprintf(text, sizeof text, messages::parse_error_format, message, line);
    compile_message &kept = keep(message_kind::syntax, text, where);
    kept.found = std::move(found);
    kept.expected = std::move(expected);
}

void report_scanner_failure(const char *message, const source_range &where) {
    print_error("%s\n", message);
    keep(message_kind::scanner_failure, std::string(message) + "\n", where);
}

const std::vector<compile_message> &compile_messages() {
    return messages_so_far;
}

void reset_diagnostics() {
    compile_ok_flag = 1;
    messages_so_far.clear();
}

}  // namespace formcomp
