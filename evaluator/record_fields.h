// Reading the records of both texts as the evaluator needs them: the fields
// as the compiler writes them are read inline, anything else goes through the
// general conversions, with the results the C library's conversions give.
// Shared by the engine's loader and by Formula, which runs straight from the
// texts.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "evaluator/constant_conversion.h"
#include "evaluator/operation_code.h"
#include "formula/format.h"

#if defined(__GNUC__)
#define ZERIZI_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define ZERIZI_ALWAYS_INLINE inline
#endif

namespace zerizi {

// The length of a text; a null text reads as an empty one.
inline std::size_t text_length(const char *text) noexcept {
    return text ? std::strlen(text) : 0;
}

// A one-character field as the C library's integer conversion reads it: a
// digit gives its value, anything else 0.
inline std::int32_t one_character_field(const char *field) noexcept {
    const unsigned digit = static_cast<unsigned char>(field[0]) - unsigned{'0'};
    return digit <= 9 ? static_cast<std::int32_t>(digit) : 0;
}

// Four characters inside the text as the compiler writes a number below 10
// ("%4d": three blanks, then a digit), read from one word: sets `value` and
// returns true, or returns false for anything else.
inline bool one_digit_number(const char *field, std::int32_t &value) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t word;
        std::memcpy(&word, field, sizeof word);
        // The exclusive or with "   0" leaves zeros and the digit's value in
        // the last byte; rotated to the front, a number up to 9.
        const std::uint32_t digit = std::rotl(word ^ 0x30202020u, 8);
        if (digit <= 9) {
            value = static_cast<std::int32_t>(digit);
            return true;
        }
    }
    return false;
}

// The same for a number below 100 ("   d" or "  td").
inline bool small_number(const char *field, std::int32_t &value) noexcept {
    if (one_digit_number(field, value)) [[likely]]
        return true;
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t word;
        std::memcpy(&word, field, sizeof word);
        // "  td": with "  00", rotated so that the tens stand in the lowest
        // byte and the units in the next, the rest zeros.
        const std::uint32_t two_digits = std::rotl(word ^ 0x30302020u, 16);
        if (two_digits <= 0x0909u && (two_digits & 0xFFu) <= 9) {
            value = static_cast<std::int32_t>((two_digits & 0xFFu) * 10 + (two_digits >> 8));
            return true;
        }
    }
    return false;
}

// A 4-character value field inside the text: a small number read at once,
// anything else through the general conversion.
inline std::int32_t value_field(const char *field) noexcept {
    std::int32_t value;
    if (small_number(field, value)) [[likely]]
        return value;
    return formula::parse_int_field({field, formula::instruction_value_width});
}

// The last four characters of a constant's field as the compiler writes a
// short literal with a point ("d.dd", "dd.d", " d.d"): sets `value` to what
// strtod gives (digits and point make an exact integer and an exact power of
// ten, so one division rounds correctly) and returns true, or returns false.
inline bool short_decimal(const char *tail, double &value) noexcept {
    static constexpr double divisors[] = {1e3, 1e2, 1e1};
    std::uint32_t mantissa = 0;
    int first_digit = -1, point = -1;
    for (int i = 0; i < 4; ++i) {
        const unsigned c = static_cast<unsigned char>(tail[i]);
        if (c == ' ' && first_digit < 0) continue;
        if (first_digit < 0) first_digit = i;
        if (c - unsigned{'0'} <= 9) {
            mantissa = mantissa * 10 + (c - unsigned{'0'});
        } else if (c == '.' && point < 0) {
            point = i;
        } else {
            return false;
        }
    }
    if (point <= first_digit || point == 3) return false;
    value = static_cast<double>(mantissa) / divisors[point];
    return true;
}

// A constant's 20-character field inside the text: sixteen blanks and a
// small number or a short literal with a point, the commonest literals,
// converted at once; anything else by constant_field_value.
inline double constant_field(const char *field) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t blanks = 0x2020202020202020u;
        std::uint64_t first, second;
        std::memcpy(&first, field, sizeof first);
        std::memcpy(&second, field + 8, sizeof second);
        if (first == blanks && second == blanks) {
            std::int32_t number;
            if (small_number(field + 16, number)) return number;
            double value;
            if (ZERIZI_EXACT_DIVISION && short_decimal(field + 16, value)) return value;
        }
    }
    return constant_field_value(field);
}

static_assert(formula::header_count_width == formula::instruction_value_width);

// How many records of `record_width` characters the text holds complete,
// at most as many as its header counts.
inline std::size_t record_count(const char *text, std::size_t length, std::size_t record_width) noexcept {
    if (length <= formula::header_width) return 0;
    return formula::complete_records({text, length}, value_field(text + formula::header_count_offset), record_width);
}

// The operation of each kind character: Operando and Riferimento push, any
// other character but Operatore's does nothing; Operatore's operation
// depends on its value (op_by_value, see operator_operation).
inline constexpr auto operation_of_kind = [] {
    std::array<operation_code, 256> table{};  // op_nothing
    table['0' + formula::Operatore] = op_by_value;
    table['0' + formula::Operando] = op_push_symbol;
    table['0' + formula::Riferimento] = op_push_integer;
    return table;
}();

// The operation an Operatore record's value names. STOP, the one opcode of
// two digits the compiler writes in every code, is recognised at once.
ZERIZI_ALWAYS_INLINE operation_code operator_operation(const char *record) noexcept {
    const char *const field = record + formula::instruction_value_offset;
    std::int32_t value;
    if (!one_digit_number(field, value)) [[unlikely]] {
        static_assert(formula::STOP == 99);
        if (std::memcmp(field, "  99", formula::instruction_value_width) == 0) return op_STOP;
        value = value_field(field);
    }
    return static_cast<std::uint32_t>(value) <= std::uint32_t{formula::largest_opcode}
               ? operation_of_opcode[static_cast<std::size_t>(value)]
               : op_nothing;
}

// The operation of an instruction record's kind character (op_by_value for
// an Operatore).
ZERIZI_ALWAYS_INLINE operation_code kind_operation(const char *record) noexcept {
    return operation_of_kind[static_cast<unsigned char>(record[formula::instruction_kind_offset])];
}

// The operation of an instruction record (see operation_code), the value of
// an Operatore decoded too.
ZERIZI_ALWAYS_INLINE operation_code record_operation(const char *record) noexcept {
    const operation_code by_kind = kind_operation(record);
    return by_kind != op_by_value ? by_kind : operator_operation(record);
}

// A symbol record's tipo and scope characters as one number, and the number
// that a tipo and a scope written as digits give.
inline unsigned tipo_and_scope(const char *record) noexcept {
    static_assert(formula::symbol_scope_offset == formula::symbol_tipo_offset + 1);
    std::uint16_t both;
    std::memcpy(&both, record + formula::symbol_tipo_offset, sizeof both);
    return both;
}
constexpr unsigned symbol_kind(int tipo, int scope) noexcept {
    const unsigned first = static_cast<unsigned>('0' + tipo), second = static_cast<unsigned>('0' + scope);
    return std::endian::native == std::endian::little ? first | second << 8 : first << 8 | second;
}

// How a symbol starts an evaluation. A constant takes the value of its
// literal, and a variable 0.0, except that every local symbol starts at 0.0,
// a constant declared local too, and that an input variable takes the next
// element of the inputs (*next_input, which then moves on; 0.0 without
// inputs). `is_output` tells whether the symbol is an output variable.
inline double symbol_start(const char *record, const double *&next_input, bool &is_output) noexcept {
    const char *const field = record + formula::symbol_text_offset;
    is_output = false;
    // Input variables, output variables and constants as the compiler
    // writes them first; anything else by the general rule.
    switch (tipo_and_scope(record)) {
        case symbol_kind(formula::tipo_variable, formula::scope_input):
            return next_input ? *next_input++ : 0.0;
        case symbol_kind(formula::tipo_variable, formula::scope_output):
            is_output = true;
            return 0.0;
        case symbol_kind(formula::tipo_constant, formula::scope_input):
            return constant_field(field);
        default: {
            const std::int32_t tipo = one_character_field(record + formula::symbol_tipo_offset);
            const std::int32_t scope = one_character_field(record + formula::symbol_scope_offset);
            if (tipo == formula::tipo_constant) return scope == formula::scope_local ? 0.0 : constant_field(field);
            if (tipo != formula::tipo_variable) return 0.0;
            is_output = scope == formula::scope_output;
            return scope == formula::scope_input && next_input ? *next_input++ : 0.0;
        }
    }
}

}  // namespace zerizi
