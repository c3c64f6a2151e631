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
std::size_t most_kept = 0;  // formcomp's own runs keep none
std::size_t left_out = 0;

compile_message placed(message_kind kind, std::string text, const source_range &where, int line) {
    compile_message message;
    message.kind = kind;
    message.line = line;
    message.text = std::move(text);
    message.where = where;
    return message;
}

void keep(compile_message message) {
    if (messages_so_far.size() >= most_kept && message.kind == message_kind::semantic) {
        ++left_out;
        return;
    }
    messages_so_far.push_back(std::move(message));
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
    keep(placed(message_kind::semantic, std::move(text), where, line));
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
    compile_message kept = placed(message_kind::syntax, text, where, current_line());
    kept.found = std::move(found);
    kept.expected = std::move(expected);
    keep(std::move(kept));
}

void report_scanner_failure(const char *message, const source_range &where) {
    print_error("%s\n", message);
    keep(placed(message_kind::scanner_failure, std::string(message) + "\n", where, current_line()));
}

void keep_messages_up_to(std::size_t most) {
    most_kept = most;
}

std::vector<compile_message> take_compile_messages() {
    return std::exchange(messages_so_far, {});
}

std::size_t compile_messages_left_out() {
    return left_out;
}

void reset_diagnostics() {
    compile_ok_flag = 1;
    messages_so_far = {};
    most_kept = 0;
    left_out = 0;
}

}  // namespace formcomp
