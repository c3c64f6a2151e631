// The compiled-formula format: the symbol text (NAME.sym) and the code text
// (NAME.obj). Both are one line of fixed-width fields: a 12-character header
// (name in 8 columns, record count in 4), then 22-character symbol records or
// 5-character instruction records. The compiler writes through these helpers
// and the evaluator reads through them, so the layout is defined only here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace formula {

// Header, at the start of both texts unless the compiler runs with -b.
inline constexpr std::size_t header_width = 12;
inline constexpr std::size_t header_name_width = 8;
inline constexpr std::size_t header_count_offset = 8;
inline constexpr std::size_t header_count_width = 4;

// Symbol record: tipo (1), scope (1), text (20, right-aligned).
inline constexpr std::size_t symbol_record_width = 22;
inline constexpr std::size_t symbol_tipo_offset = 0;
inline constexpr std::size_t symbol_scope_offset = 1;
inline constexpr std::size_t symbol_text_offset = 2;
inline constexpr std::size_t symbol_text_width = 20;

// Instruction record: kind (1), value (4, right-aligned).
inline constexpr std::size_t instruction_record_width = 5;
inline constexpr std::size_t instruction_kind_offset = 0;
inline constexpr std::size_t instruction_value_offset = 1;
inline constexpr std::size_t instruction_value_width = 4;

// Every count, index and address must fit the 4-column fields.
inline constexpr int largest_field_value = 9999;

// What a symbol is.
enum tipo : int {
    tipo_variable = 1,
    tipo_constant = 3,
};

// The declaration class of a variable; every constant carries scope_input.
enum scope : int {
    scope_input = 1,
    scope_output = 2,
    scope_inout = 3,
    scope_local = 4,
    scope_static = 5,
};

// The three instruction kinds.
enum kind : int {
    Operatore = 1,    // value is an opcode
    Operando = 2,     // value is a symbol index: push the symbol's value
    Riferimento = 3,  // value is an integer: push it as a number
};

// The opcodes of Operatore instructions. 26 to 98 are not opcodes.
enum opcode : int {
    ASSIGN = 1,    // v i -> ; stores v into symbol i, marks it assigned
    PLUS = 2,      // a b -> a + b
    MINUS = 3,     // a b -> a - b
    MULT = 4,      // a b -> a * b
    DIV = 5,       // a b -> a / b; zero divisor: message, nothing pushed
    SIGN = 6,      // x -> -x
    PERC = 7,      // a b -> a * b * 0.01
    MODOPER = 8,   // a b -> fmod(a, b); zero divisor as DIV
    LOGAND = 9,    // a b -> trunc(a) & trunc(b)
    LOGOR = 10,    // a b -> trunc(a) | trunc(b)
    LOGNOT = 11,   // x -> ~trunc(x)
    LGT = 12,      // a b -> a > b
    LLT = 13,      // a b -> a < b
    LGE = 14,      // a b -> a >= b
    LLE = 15,      // a b -> a <= b
    LNE = 16,      // a b -> a != b
    LEQ = 17,      // a b -> a == b
    BRF = 18,      // c t -> ; jump to t when c is 0
    BR = 19,       // t -> ; jump to t
    INF = 20,      // no effect in the evaluator
    ERM = 21,      // no effect in the evaluator; always followed by STOP
    LOGISIN = 22,  // i -> flag of symbol i
    ROUND = 23,    // a n -> a rounded to n places, halves away from zero
    CEIL = 24,     // a n -> a rounded up at the n-th place
    FLOOR = 25,    // a n -> a rounded down at the n-th place
    STOP = 99,     // ends the evaluation, outputs handed back
};

// The name of an opcode ("ASSIGN" … "FLOOR", "STOP"), or nullptr for a number
// that is not an opcode.
const char *opcode_name(int code) noexcept;

// "Operatore", "Operando", "Riferimento", or nullptr for any other kind.
const char *kind_name(int kind) noexcept;

// Writing, with the exact printf formats of the files.
// "%8s%4d": the formula's name and the record count.
void append_header(std::string &out, std::string_view name, int count);
// "%1d%1d%20s": tipo, scope and the symbol's text.
void append_symbol_record(std::string &out, int tipo, int scope, std::string_view text);
// "%1d%4d": kind and value.
void append_instruction_record(std::string &out, int kind, int value);

// Reading. `text` ends at the text's terminating zero; nothing past it is read.

// The characters at [pos, pos + width) that lie inside the text.
constexpr std::string_view cut_field(std::string_view text, std::size_t pos,
                                     std::size_t width) noexcept {
    if (pos >= text.size()) return {};
    return text.substr(pos, width);
}

// A field converted as the C library's atoi converts it: leading white space
// skipped, an optional sign, then digits up to the first other character; 0
// when there are no digits. Fields are at most 4 characters, so no overflow.
constexpr int parse_int_field(std::string_view field) noexcept {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    int value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) value = value * 10 + (field[i] - '0');
    return negative ? -value : value;
}

constexpr int read_int_field(std::string_view text, std::size_t pos, std::size_t width) noexcept {
    return parse_int_field(cut_field(text, pos, width));
}

// The record count in a text's header.
constexpr int read_header_count(std::string_view text) noexcept {
    return read_int_field(text, header_count_offset, header_count_width);
}

// How many of `count` records of `record_width` characters stand complete in
// the text after its header (a negative count gives 0).
constexpr std::size_t complete_records(std::string_view text, int count,
                                       std::size_t record_width) noexcept {
    if (count <= 0 || text.size() <= header_width) return 0;
    std::size_t present = (text.size() - header_width) / record_width;
    return present < static_cast<std::size_t>(count) ? present : static_cast<std::size_t>(count);
}

// Where record `index` (1-based) starts.
constexpr std::size_t record_position(std::size_t index, std::size_t record_width) noexcept {
    return header_width + record_width * (index - 1);
}

}  // namespace formula
