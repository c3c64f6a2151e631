// Loading a compiled formula into the engine, binding the inputs, handing the
// output back and releasing the tables.
#include <cstdint>

#include "evaluator/constant_conversion.h"
#include "evaluator/engine.h"
#include "formula/format.h"

namespace zerizi {

namespace {

std::string_view text_view(const char *text) noexcept {
    return text ? std::string_view(text) : std::string_view();
}

// A one-character field as the C library's integer conversion reads it: a
// digit gives its value, anything else 0.
inline std::int32_t one_character_field(const char *field) noexcept {
    const unsigned digit = static_cast<unsigned char>(field[0]) - unsigned{'0'};
    return digit <= 9 ? static_cast<std::int32_t>(digit) : 0;
}

// A 4-character value field. What the compiler writes ("%4d" of a number that
// is not negative: blanks, then digits to the end) is read here directly;
// anything else goes through the general conversion.
inline std::int32_t value_field(const char *field) noexcept {
    std::size_t i = 0;
    while (i < formula::instruction_value_width && field[i] == ' ') ++i;
    std::int32_t value = 0;
    for (; i < formula::instruction_value_width; ++i) {
        const unsigned digit = static_cast<unsigned char>(field[i]) - unsigned{'0'};
        if (digit > 9) return formula::parse_int_field({field, formula::instruction_value_width});
        value = value * 10 + static_cast<std::int32_t>(digit);
    }
    return value;
}

static_assert(formula::header_count_width == formula::instruction_value_width);

// The record count in positions 8-11 of a text's header.
inline int header_count(std::string_view text) noexcept {
    if (text.size() < formula::header_width) return formula::read_header_count(text);
    return value_field(text.data() + formula::header_count_offset);
}

}  // namespace

void engine::load_formula(const char *const *texts) {
    load_code(texts);
    load_symbols(texts);
    loaded_ = true;
}

// Reads the code text (texts[1]). Only the records that stand complete in the
// text are loaded, however large the header's count. One STOP is added after
// the last instruction, so that running past the end stops as STOP does.
void engine::load_code(const char *const *texts) {
    std::string_view text = text_view(texts[1]);
    const std::size_t count = formula::complete_records(text, header_count(text), formula::instruction_record_width);
    code_.allocate(count + 2);
    code_[0] = {0, 0, op_nothing, nullptr};
    highest_inline_operand_ = 0;
    const char *record = text.data() + formula::header_width;
    for (std::size_t i = 1; i <= count; ++i, record += formula::instruction_record_width) {
        instruction &entry = code_[i];
        entry.kind = one_character_field(record + formula::instruction_kind_offset);
        entry.value = value_field(record + formula::instruction_value_offset);
        entry.operation = decode_operation(entry.kind, entry.value);
        if (entry.operation == op_push_symbol) entry.operand = inline_operand(entry.value);
    }
    code_[count + 1] = {formula::Operatore, formula::STOP, op_STOP, nullptr};
    instruction_count_ = static_cast<std::int32_t>(count);
    // Without a loop no run can stack more values than there are instructions
    // (and the loop keeps one slot free above the top).
    stack_.clear();
    stack_.reserve(count + 1);
}

// Reads the symbol text (texts[0]): tipo, scope and the 20-character text of
// every complete record. A constant takes the value of its literal; a
// variable starts at 0.0 and keeps its text, leading blanks included, as name.
// Every local symbol starts at 0.0, a constant declared local too.
void engine::load_symbols(const char *const *texts) {
    std::string_view text = text_view(texts[0]);
    const std::size_t count = formula::complete_records(text, header_count(text), formula::symbol_record_width);
    symbols_.allocate(count + 1);
    symbols_[0] = {nullptr, 0, 0, false, 0.0};
    last_output_ = 0;
    const char *record = text.data() + formula::header_width;
    for (std::size_t i = 1; i <= count; ++i, record += formula::symbol_record_width) {
        symbol_entry &entry = symbols_[i];
        entry.tipo = one_character_field(record + formula::symbol_tipo_offset);
        entry.scope = one_character_field(record + formula::symbol_scope_offset);
        entry.assigned = true;
        std::string_view field(record + formula::symbol_text_offset, formula::symbol_text_width);
        if (entry.tipo == formula::tipo_constant) {
            entry.name = nullptr;
            entry.value = entry.scope == formula::scope_local ? 0.0 : constant_value(field);
        } else {
            entry.name = field.data();
            entry.value = 0.0;
        }
        if (entry.tipo == formula::tipo_variable && entry.scope == formula::scope_output)
            last_output_ = static_cast<std::int32_t>(i);
    }
    symbol_count_ = static_cast<std::int32_t>(count + 1);
    if (symbols_.on_heap()) {
        resolve_operands();
    } else {
        // Inline entries past the table that malformed code reads hold 0.0.
        for (std::size_t i = count + 1; i <= highest_inline_operand_; ++i) symbols_[i].value = 0.0;
    }
}

// Where an Operando of symbol `value` reads its value, worked out while the
// code is loaded, before the symbol table is known: the table's inline entry
// `value`, or entry 0 (0.0) for an index beyond the inline entries. That is
// right whenever the table turns out to be inline; load_symbols sets the
// inline entries past the table that the code reads to 0.0, and resolves
// every Operando again when the table is on the heap.
const double *engine::inline_operand(std::int32_t value) noexcept {
    auto index = static_cast<std::uint32_t>(value);
    if (index > inline_symbols) index = 0;
    if (index > highest_inline_operand_) highest_inline_operand_ = index;
    return &symbols_.inline_data()[index].value;
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
