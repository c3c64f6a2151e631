// Loading a compiled formula into the engine, binding the inputs, handing the
// output back and releasing the tables. Each text is measured once, then its
// fixed-width records are decoded in one pass straight into the tables: the
// fields as the compiler writes them are read inline, and only other texts
// go through the general conversions.
#include <bit>
#include <cstdint>
#include <cstring>

#include "evaluator/constant_conversion.h"
#include "evaluator/engine.h"
#include "formula/format.h"

namespace zerizi {

namespace {

// The length of a text; a null text reads as an empty one.
std::size_t text_length(const char *text) noexcept { return text ? std::strlen(text) : 0; }

// A one-character field as the C library's integer conversion reads it: a
// digit gives its value, anything else 0.
inline std::int32_t one_character_field(const char *field) noexcept {
    const unsigned digit = static_cast<unsigned char>(field[0]) - unsigned{'0'};
    return digit <= 9 ? static_cast<std::int32_t>(digit) : 0;
}

// Four characters inside the text as the compiler writes a number below 100
// ("%4d": two blanks, then a blank or a digit, then a digit), read from one
// word: sets `value` and returns true, or returns false for anything else.
inline bool small_number(const char *field, std::int32_t &value) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t word;
        std::memcpy(&word, field, sizeof word);
        const unsigned units = (word >> 24) - unsigned{'0'};
        if ((word & 0xFFFFu) == 0x2020u && units <= 9) [[likely]] {
            const unsigned tens = ((word >> 16) & 0xFFu) - unsigned{'0'};
            if (tens == unsigned{' '} - unsigned{'0'}) [[likely]] {
                value = static_cast<std::int32_t>(units);
                return true;
            }
            if (tens <= 9) {
                value = static_cast<std::int32_t>(tens * 10 + units);
                return true;
            }
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

// A constant's 20-character field inside the text: sixteen blanks and a
// small number, the commonest literal, converted at once (the number is an
// exact double, as strtod gives it); anything else by constant_field_value.
inline double constant_field(const char *field) noexcept {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t blanks = 0x2020202020202020u;
        std::uint64_t first, second;
        std::memcpy(&first, field, sizeof first);
        std::memcpy(&second, field + 8, sizeof second);
        std::int32_t value;
        if (first == blanks && second == blanks && small_number(field + 16, value)) return value;
    }
    return constant_field_value(field);
}

// A symbol record's tipo and scope characters as one number, and the number
// that a tipo and a scope written as digits give.
inline unsigned tipo_and_scope(const char *record) noexcept {
    static_assert(formula::symbol_scope_offset == formula::symbol_tipo_offset + 1);
    return static_cast<unsigned char>(record[formula::symbol_tipo_offset]) * 256u +
           static_cast<unsigned char>(record[formula::symbol_scope_offset]);
}
constexpr unsigned symbol_kind(int tipo, int scope) noexcept {
    return static_cast<unsigned>('0' + tipo) * 256u + static_cast<unsigned>('0' + scope);
}

static_assert(formula::header_count_width == formula::instruction_value_width);

// How many records of `record_width` characters the text holds complete,
// at most as many as its header counts.
inline std::size_t record_count(const char *text, std::size_t length, std::size_t record_width) noexcept {
    if (length <= formula::header_width) return 0;
    return formula::complete_records({text, length}, value_field(text + formula::header_count_offset), record_width);
}

}  // namespace

// Both passes are folded into load_formula: one frame for the whole load.
#if defined(__GNUC__)
#define ZERIZI_LOAD_PASS [[gnu::always_inline]] inline
#else
#define ZERIZI_LOAD_PASS inline
#endif

// Reads the code text. Only the records that stand complete in the text are
// loaded, however large the header's count. One STOP is added after the last
// instruction, so that running past the end stops as STOP does.
ZERIZI_LOAD_PASS void engine::load_code(const char *text) {
    const std::size_t length = text_length(text);
    const std::size_t count = record_count(text, length, formula::instruction_record_width);
    code_.allocate(count + 2);
    instruction *const code = code_.data();
    code[0] = {0, 0, op_nothing, nullptr};
    std::uint32_t highest_operand = 0;
    symbol_entry *const inline_symbols_data = symbols_.inline_data();
    const char *record = text + formula::header_width;
    for (std::size_t i = 1; i <= count; ++i, record += formula::instruction_record_width) {
        instruction &entry = code[i];
        const std::int32_t value = value_field(record + formula::instruction_value_offset);
        entry.value = value;
        switch (record[formula::instruction_kind_offset]) {
            case '0' + formula::Operando: {
                // The table's inline entry `value`, or entry 0 (0.0) beyond
                // the inline entries; see resolve_operands for tables on the heap.
                auto index = static_cast<std::uint32_t>(value);
                if (index > inline_symbols) index = 0;
                if (index > highest_operand) highest_operand = index;
                entry.kind = formula::Operando;
                entry.operation = op_push_symbol;
                entry.operand = &inline_symbols_data[index].value;
                break;
            }
            case '0' + formula::Operatore:
                entry.kind = formula::Operatore;
                entry.operation = static_cast<std::uint32_t>(value) <= std::uint32_t{formula::largest_opcode}
                                      ? operation_of_opcode[static_cast<std::size_t>(value)]
                                      : op_nothing;
                break;
            case '0' + formula::Riferimento:
                entry.kind = formula::Riferimento;
                entry.operation = op_push_integer;
                break;
            default:
                entry.kind = one_character_field(record + formula::instruction_kind_offset);
                entry.operation = op_nothing;
        }
    }
    code[count + 1] = {formula::Operatore, formula::STOP, op_STOP, nullptr};
    instruction_count_ = static_cast<std::int32_t>(count);
    highest_inline_operand_ = highest_operand;
    // Without a loop no run can stack more values than there are instructions
    // (and the loop keeps one slot free above the top).
    stack_.clear();
    stack_.reserve(count + 1);
}

// Reads the symbol text: tipo, scope and the 20-character text of every
// complete record. A constant takes the value of its literal; a variable
// starts at 0.0 and keeps its text, leading blanks included, as name. Every
// local symbol starts at 0.0, a constant declared local too. With `values`,
// the input variables take elements 1, 2, ... in symbol order at once, as
// bind_inputs would.
ZERIZI_LOAD_PASS void engine::load_symbols(const char *text, const double *values) {
    const std::size_t length = text_length(text);
    const std::size_t count = record_count(text, length, formula::symbol_record_width);
    symbols_.allocate(count + 1);
    symbol_entry *const symbols = symbols_.data();
    symbols[0] = {nullptr, 0, 0, false, 0.0};
    std::int32_t last_output = 0;
    const double *next_input = values ? values + 1 : nullptr;
    const char *record = text + formula::header_width;
    for (std::size_t i = 1; i <= count; ++i, record += formula::symbol_record_width) {
        symbol_entry &entry = symbols[i];
        const char *const field = record + formula::symbol_text_offset;
        // Input variables, output variables and constants as the compiler
        // writes them first; anything else by the general rule.
        switch (tipo_and_scope(record)) {
            case symbol_kind(formula::tipo_variable, formula::scope_input):
                entry = {field, formula::tipo_variable, formula::scope_input, false, next_input ? *next_input++ : 0.0};
                break;
            case symbol_kind(formula::tipo_variable, formula::scope_output):
                entry = {field, formula::tipo_variable, formula::scope_output, false, 0.0};
                last_output = static_cast<std::int32_t>(i);
                break;
            case symbol_kind(formula::tipo_constant, formula::scope_input):
                entry = {nullptr, formula::tipo_constant, formula::scope_input, false, constant_field(field)};
                break;
            default: {
                const std::int32_t tipo = one_character_field(record + formula::symbol_tipo_offset);
                const std::int32_t scope = one_character_field(record + formula::symbol_scope_offset);
                entry.tipo = tipo;
                entry.scope = scope;
                entry.assigned = false;
                if (tipo == formula::tipo_constant) {
                    entry.name = nullptr;
                    entry.value = scope == formula::scope_local ? 0.0 : constant_field(field);
                } else {
                    entry.name = field;
                    entry.value = 0.0;
                    if (tipo == formula::tipo_variable) {
                        if (scope == formula::scope_output) last_output = static_cast<std::int32_t>(i);
                        if (scope == formula::scope_input && next_input) entry.value = *next_input++;
                    }
                }
            }
        }
    }
    last_output_ = last_output;
    symbol_count_ = static_cast<std::int32_t>(count + 1);
    if (symbols_.on_heap()) {
        resolve_operands();
    } else {
        // Inline entries past the table that malformed code reads hold 0.0.
        for (std::size_t i = count + 1; i <= highest_inline_operand_; ++i) symbols[i].value = 0.0;
    }
}

void engine::load_formula(const char *const *texts) { load_formula(texts, nullptr); }

void engine::load_formula(const char *const *texts, const double *values) {
    load_code(texts[1]);
    load_symbols(texts[0], values);
    loaded_ = true;
}

// Every Operando reads the value of the symbol its value names, or the 0.0 of
// entry 0 when there is none.
void engine::resolve_operands() noexcept {
    const symbol_entry *const symbols = symbols_.data();
    const auto symbol_count = static_cast<std::uint32_t>(symbol_count_);
    instruction *const code = code_.data();
    const std::int32_t last_address = instruction_count_;
    for (std::int32_t address = 1; address <= last_address; ++address) {
        if (code[address].operation != op_push_symbol) continue;
        const auto index = static_cast<std::uint32_t>(code[address].value);
        code[address].operand = &symbols[index < symbol_count ? index : 0].value;
    }
}

// Input variables take elements 1, 2, ... of the value array in symbol order;
// every flag is cleared. (Local symbols need no reset: they start at 0.0 when
// loaded and when restarted.)
void engine::bind_inputs(const double *values) {
    const double *next_input = values + 1;
    for (std::int32_t i = 1; i < symbol_count_; ++i) {
        symbol_entry &entry = symbols_[i];
        if (entry.scope == formula::scope_input && entry.tipo == formula::tipo_variable)
            entry.value = *next_input++;
        entry.assigned = false;
    }
}

void engine::keep_start() {
    const auto count = static_cast<std::size_t>(symbol_count_);
    start_values_.reset(new double[count]);
    input_indices_.reset(new std::int32_t[count]);
    input_count_ = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const symbol_entry &entry = symbols_[i];
        start_values_[i] = entry.value;
        if (i != 0 && entry.scope == formula::scope_input && entry.tipo == formula::tipo_variable)
            input_indices_[static_cast<std::size_t>(input_count_++)] = static_cast<std::int32_t>(i);
    }
}

void engine::restart() noexcept {
    for (std::int32_t i = 1; i < symbol_count_; ++i) symbols_[i].value = start_values_[static_cast<std::size_t>(i)];
    stack_.clear();
}

void engine::restart(const double *values) noexcept {
    symbol_entry *const symbols = symbols_.data();
    const double *const start = start_values_.get();
    for (std::int32_t i = 1; i < symbol_count_; ++i) {
        symbols[i].value = start[i];
        symbols[i].assigned = false;
    }
    const std::int32_t *const inputs = input_indices_.get();
    for (std::int32_t k = 0; k < input_count_; ++k) symbols[inputs[k]].value = values[k + 1];
    stack_.clear();
}

void engine::release_formula() noexcept {
    if (!loaded_) return;
    symbols_.release();
    code_.release();
    start_values_.reset();
    input_indices_.reset();
    loaded_ = false;
}

}  // namespace zerizi
