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

// The opcodes of Operatore instructions, as (name, number): the one list from
// which the enum below, the names in listings and the evaluator's dispatch
// table are generated. 26 to 98 are not opcodes. What each opcode does is
// documented where the evaluator runs it (evaluator/execution.h).
#define FORMULA_OPCODES(X) \
    X(ASSIGN, 1)           \
    X(PLUS, 2)             \
    X(MINUS, 3)            \
    X(MULT, 4)             \
    X(DIV, 5)              \
    X(SIGN, 6)             \
    X(PERC, 7)             \
    X(MODOPER, 8)          \
    X(LOGAND, 9)           \
    X(LOGOR, 10)           \
    X(LOGNOT, 11)          \
    X(LGT, 12)             \
    X(LLT, 13)             \
    X(LGE, 14)             \
    X(LLE, 15)             \
    X(LNE, 16)             \
    X(LEQ, 17)             \
    X(BRF, 18)             \
    X(BR, 19)              \
    X(INF, 20)             \
    X(ERM, 21)             \
    X(LOGISIN, 22)         \
    X(ROUND, 23)           \
    X(CEIL, 24)            \
    X(FLOOR, 25)           \
    X(STOP, 99)

enum opcode : int {
#define FORMULA_OPCODE_ENUMERATOR(name, number) name = number,
    FORMULA_OPCODES(FORMULA_OPCODE_ENUMERATOR)
#undef FORMULA_OPCODE_ENUMERATOR
};

// The largest opcode number.
inline constexpr int largest_opcode = STOP;

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
    const auto counted = static_cast<std::size_t>(count);
    // All of them, as the compiler writes the texts, found without a division.
    if (header_width + counted * record_width <= text.size()) return counted;
    return (text.size() - header_width) / record_width;
}

// Where record `index` (1-based) starts.
constexpr std::size_t record_position(std::size_t index, std::size_t record_width) noexcept {
    return header_width + record_width * (index - 1);
}

}  // namespace formula
