#include "compiler/diagnostics.h"

#include "compiler/console_output.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include <cstdio>
#include <utility>

namespace formcomp {

namespace {

int compile_ok_flag = 1;
std::vector<compile_message> messages_so_far;

compile_message &keep(message_kind kind, std::string text, const source_range &where, int line) {
    compile_message &message = messages_so_far.emplace_back();
    message.kind = kind;
    message.line = line;
    message.text = std::move(text);
    message.where = where;
    return message;
}

}  // namespace

int compile_ok() {
    return compile_ok_flag;
}

void start_compile() {
    compile_ok_flag = 1;
}

void report_error_text(const source_range &where, int line, std::string text) {
    print_output("%s", text.c_str());
    keep(message_kind::semantic, std::move(text), where, line);
    compile_ok_flag = 0;
}

void mark_compile_failed() {
    compile_ok_flag = 0;
}

void report_full_table(bool &reported, const char *format, int capacity, const source_range &where) {
    if (reported) {
        mark_compile_failed();
        return;
    }
    reported = true;
    report_error(where, current_line(), format, capacity);
}

void report_parse_error(const char *message, const source_range &where, std::string found,
                        std::vector<std::string> expected) {
    char text[128];
    std::snprintf(text, sizeof text, messages::parse_error_format, message, current_line());
    print_output("%s", text);
    compile_message &kept = keep(message_kind::syntax, text, where, current_line());
    kept.found = std::move(found);
    kept.expected = std::move(expected);
}

void report_scanner_failure(const char *message, const source_range &where) {
    print_error("%s\n", message);
    keep(message_kind::scanner_failure, std::string(message) + "\n", where, current_line());
}

const std::vector<compile_message> &compile_messages() {
    return messages_so_far;
}

void reset_diagnostics() {
    compile_ok_flag = 1;
    messages_so_far.clear();
}

}  // namespace formcomp
