#include "compiler/scanner.h"

#include "compiler/diagnostics.h"
#include "compiler/messages.h"
#include "compiler/text_input.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace formcomp {

namespace {

enum class scan_state { normal, block_comment, line_comment };

constexpr std::size_t input_buffer_size = 16384;
constexpr std::size_t largest_read = 8192;

struct scanner_buffer {
    std::unique_ptr<char[]> chars;  // input_buffer_size characters and two end markers
    std::size_t lexeme_start = 0;   // first character of the lexeme being matched
    std::size_t data_end = 0;       // one past the last character read
    bool input_ended = false;       // a read found the end of the input
    bool terminal = false;          // the input is read one line at a time
};

input_source *chosen_input = nullptr;  // null: standard input
scanner_buffer input_buffer;
text_input source_text;
char token_text_buffer[token_text_size] = {};
int line_number = 1;
int column_number = 1;
scan_state scanner_state = scan_state::normal;
source_range last_token_range;

// ---- The input buffer ----
//
// One lexeme is matched at a time from lexeme_start on. When the match needs
// a character beyond the data read so far, the unfinished lexeme moves to the
// front of the buffer and the rest is filled by one read. The buffer holds
// input_buffer_size characters of which one stays free, so a lexeme and the
// character that shows where it ends must fit in input_buffer_size - 1.

void start_input() {
    static standard_input_source standard_input;
    input_source *source = chosen_input ? chosen_input : &standard_input;
    input_buffer.chars.reset(new (std::nothrow) char[input_buffer_size + 2]);
    if (!input_buffer.chars) scanner_fatal(messages::out_of_memory);
    input_buffer.lexeme_start = input_buffer.data_end = 0;
    input_buffer.input_ended = false;
    input_buffer.terminal = source->is_terminal();
    source_text.attach(source);
}

// Reads more characters after the data; false at the end of the input.
bool read_more() {
    scanner_buffer &buffer = input_buffer;
    if (buffer.input_ended) return false;
    std::size_t pending = buffer.data_end - buffer.lexeme_start;
    std::memmove(buffer.chars.get(), buffer.chars.get() + buffer.lexeme_start, pending);
    buffer.lexeme_start = 0;
    buffer.data_end = pending;
    if (pending + 1 >= input_buffer_size) scanner_fatal(messages::buffer_overflow);
    std::size_t room = std::min(input_buffer_size - pending - 1, largest_read);
    long count = source_text.read(buffer.chars.get() + pending, room, buffer.terminal);
    if (count < 0) scanner_fatal(messages::input_failed);
    if (count == 0) {
        buffer.input_ended = true;
        return false;
    }
    buffer.data_end += static_cast<std::size_t>(count);
    return true;
}

// The character at `offset` from the start of the lexeme, or -1 past the end
// of the input.
int peek(std::size_t offset) {
    while (input_buffer.lexeme_start + offset >= input_buffer.data_end) {
        if (!read_more()) return -1;
    }
    return static_cast<unsigned char>(input_buffer.chars[input_buffer.lexeme_start + offset]);
}

// The length of the lexeme that continues from `length` with characters for
// which `belongs` holds.
template <typename Predicate>
std::size_t extend_run(std::size_t length, Predicate belongs) {
    for (int c; (c = peek(length)) >= 0 && belongs(c);) ++length;
    return length;
}

std::string_view lexeme(std::size_t length) {
    return {input_buffer.chars.get() + input_buffer.lexeme_start, length};
}

// Ends the lexeme of `length` characters, counting its lines and columns.
void consume(std::size_t length) {
    std::string_view text = lexeme(length);
    std::size_t last_newline = text.rfind('\n');
    if (last_newline == std::string_view::npos) {
        column_number += static_cast<int>(length);
    } else {
        line_number += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        column_number = static_cast<int>(length - last_newline);
    }
    input_buffer.lexeme_start += length;
}

// Ends a token of `length` characters and keeps where it stands.
int finish_token(int token, std::size_t length) {
    last_token_range.line = line_number;
    last_token_range.column = column_number;
    consume(length);
    last_token_range.end_line = line_number;
    last_token_range.end_column = column_number;
    return token;
}

// Where the scanner stands now, as an empty range.
source_range here() {
    return {line_number, column_number, line_number, column_number};
}

bool is_letter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_name_start(int c) { return is_letter(c) || c == '_'; }
bool is_name_char(int c) { return is_name_start(c) || is_digit(c); }

struct keyword {
    std::string_view word;
    int token;
};

constexpr keyword keywords[] = {
    {"input", INPUT},     {"output", OUTPUT}, {"inout", INOUT},   {"local", LOCAL},
    {"static", STATIC},   {"if", IF},         {"then", THEN},     {"else", ELSE},
    {"while", WHILE},     {"goto", GOTO},     {"label", LABEL},   {"method", METHOD},
    {"proc", PROC},       {"endp", ENDP},     {"end", END},       {"message", MESSAGE},
    {"errmsg", ERRMSG},   {"return", RETURN}, {"mod", MOD},       {"and", AND},
    {"or", OR},           {"not", NOT},       {"isin", ISIN},     {"round", ROUND},
    {"ceil", CEIL},       {"floor", FLOOR},
};

int keyword_token(std::string_view word) {
    for (const keyword &entry : keywords) {
        if (entry.word == word) return entry.token;
    }
    return 0;
}

// Copies a NAME or NUMBER into token_text. A longer lexeme than token_text
// holds is reported and the compile fails; its first 19 characters travel on
// so that the parse can go on.
int text_token(int token, std::size_t length) {
    std::string_view text = lexeme(length);
    std::string whole;
    if (length >= token_text_size) {
        whole = text;
        text = text.substr(0, token_text_size - 1);
    }
    std::memcpy(token_text_buffer, text.data(), text.size());
    token_text_buffer[text.size()] = '\0';
    finish_token(token, length);
    if (!whole.empty()) {
        report_error(last_token_range, line_number, token == NAME ? messages::name_too_long : messages::number_too_long,
                     whole.c_str(), longest_token_text);
    }
    return token;
}

// A token of `length` characters with no text.
int plain_token(int token, std::size_t length) {
    return finish_token(token, length);
}

// One piece of a block comment: characters other than '*'; or '*'s followed
// by characters other than '*' and '/'; or '*'s and the closing '/'.
void scan_block_comment_piece(int first) {
    if (first != '*') {
        consume(extend_run(1, [](int c) { return c != '*'; }));
        return;
    }
    std::size_t stars = extend_run(1, [](int c) { return c == '*'; });
    if (peek(stars) == '/') {
        consume(stars + 1);
        scanner_state = scan_state::normal;
        return;
    }
    consume(extend_run(stars, [](int c) { return c != '*' && c != '/'; }));
}

// The text of a line comment up to its newline, or the newline that ends it.
void scan_line_comment_piece(int first) {
    if (first == '\n') {
        consume(1);
        scanner_state = scan_state::normal;
        return;
    }
    consume(extend_run(1, [](int c) { return c != '\n'; }));
}

// The two-character operator when an "=" follows, else the one-character token.
int operator_token(int two_character_token, int one_character_token) {
    return peek(1) == '=' ? plain_token(two_character_token, 2) : plain_token(one_character_token, 1);
}

}  // namespace

int next_token() {
    if (!input_buffer.chars) start_input();
    for (;;) {
        int c = peek(0);
        if (c < 0) {
            last_token_range = here();
            return YYEOF;
        }
        if (scanner_state == scan_state::block_comment) {
            scan_block_comment_piece(c);
            continue;
        }
        if (scanner_state == scan_state::line_comment) {
            scan_line_comment_piece(c);
            continue;
        }
        if (is_name_start(c)) {
            std::size_t length = extend_run(1, is_name_char);
            int token = keyword_token(lexeme(length));
            return token ? plain_token(token, length) : text_token(NAME, length);
        }
        if (is_digit(c)) {
            std::size_t length = extend_run(1, is_digit);
            if (peek(length) == '.' && is_digit(peek(length + 1))) length = extend_run(length + 2, is_digit);
            return text_token(NUMBER, length);
        }
        switch (c) {
            case '/': {
                int second = peek(1);
                if (second == '*' || second == '/') {
                    consume(2);
                    scanner_state = second == '*' ? scan_state::block_comment : scan_state::line_comment;
                    continue;
                }
                return plain_token('/', 1);
            }
            case '<': return operator_token(LE, LT);
            case '>': return operator_token(GE, GT);
            case '=': return operator_token(EQ, '=');
            case '!': return operator_token(NE, '!');
            case '\n':
            case '\b':
            case '\r':
            case '\f':
                consume(extend_run(1, [c](int next) { return next == c; }));
                continue;
            case ' ':
            case '\t':
                consume(extend_run(1, [](int next) { return next == ' ' || next == '\t'; }));
                continue;
            default:
                // Any other single character is its own token; bytes 128 to
                // 255 keep their unsigned codes, which no rule accepts. A zero
                // byte is the end-of-input code.
                return plain_token(c, 1);
        }
    }
}

void set_scanner_input(input_source *source) {
    chosen_input = source;
}

void reset_scanner() {
    chosen_input = nullptr;
    input_buffer = scanner_buffer{};
    source_text.attach(nullptr);
    std::memset(token_text_buffer, 0, sizeof token_text_buffer);
    line_number = column_number = 1;
    scanner_state = scan_state::normal;
    last_token_range = source_range{};
}

const char *token_text() {
    return token_text_buffer;
}

int current_line() {
    return line_number;
}

const source_range &token_range() {
    return last_token_range;
}

void scanner_fatal(const char *message) {
    report_scanner_failure(message, here());
    throw scanner_failure{};
}

}  // namespace formcomp
