// Loading a compiled formula into the engine, binding the inputs, handing the
// output back and releasing the tables. Each text is measured once, then its
// fixed-width records are decoded in one pass straight into the tables.
#include <cstdint>

#include "evaluator/engine.h"
#include "evaluator/operation_modes.h"
#include "evaluator/record_fields.h"
#include "formula/format.h"

namespace zerizi {

// Reads the code text. Only the records that stand complete in the text are
// loaded, however large the header's count. One STOP is added after the last
// instruction, so that running past the end stops as STOP does.
void engine::load_code(const char *text) {
    const std::size_t count = record_count(text, text_length(text), formula::instruction_record_width);
    code_.allocate(count + 2);
    instruction *const code = code_.data();
    code[0] = {0, 0, op_nothing, nullptr};
    for (std::size_t i = 1; i <= count; ++i) {
        const char *const record = text + formula::record_position(i, formula::instruction_record_width);
        code[i] = {one_character_field(record + formula::instruction_kind_offset),
                   value_field(record + formula::instruction_value_offset), record_operation(record), nullptr};
    }
    code[count + 1] = {formula::Operatore, formula::STOP, op_STOP, nullptr};
    instruction_count_ = static_cast<std::int32_t>(count);
    // What a run without a jump can stack (see execution.h).
    stack_.clear();
    stack_.reserve(count * most_values_pushed + 1);
}

// Reads the symbol text: tipo, scope and the 20-character text of every
// complete record, and each symbol's start (see symbol_start). A variable
// keeps its text, leading blanks included, as name.
void engine::load_symbols(const char *text) {
    const std::size_t count = record_count(text, text_length(text), formula::symbol_record_width);
    symbols_.allocate(count + 1);
    symbol_entry *const symbols = symbols_.data();
    symbols[0] = {nullptr, 0, 0, false, 0.0};
    std::int32_t last_output = 0;
    const double *no_inputs = nullptr;
    for (std::size_t i = 1; i <= count; ++i) {
        const char *const record = text + formula::record_position(i, formula::symbol_record_width);
        const std::int32_t tipo = one_character_field(record + formula::symbol_tipo_offset);
        bool is_output;
        const double value = symbol_start(record, no_inputs, is_output);
        symbols[i] = {tipo == formula::tipo_constant ? nullptr : record + formula::symbol_text_offset, tipo,
                      one_character_field(record + formula::symbol_scope_offset), false, value};
        if (is_output) last_output = static_cast<std::int32_t>(i);
    }
    last_output_ = last_output;
    symbol_count_ = static_cast<std::int32_t>(count + 1);
}

void engine::load_formula(const char *const *texts) {
    load_code(texts[1]);
    load_symbols(texts[0]);
    resolve_operands();
    record_start();
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

namespace {

// The operations whose popped integer decides what a run changes: the symbol
// an assignment stores into, and where a jump goes (in the code as loaded,
// before fuse_assignments).
constexpr bool takes_pushed_integer(operation_code operation) noexcept {
    return mode_of(operation).jumps || mode_of(operation).index == index_use::assigns;
}

}  // namespace

// The symbols a run can change are those an ASSIGN stores into. When every
// ASSIGN, BR and BRF follows a Riferimento, and no jump that such a
// Riferimento names lands on one of them, each of them only ever runs right
// after its Riferimento: an ASSIGN then stores into the symbol its Riferimento
// names, and nothing else changes. Otherwise any symbol may change.
std::size_t engine::find_changeable_symbols(std::int32_t *changeable) {
    const instruction *const code = code_.data();
    const auto known_integer_before = [&](std::int32_t address) {
        return address > 1 &&
               (code[address - 1].operation == op_push_integer || code[address - 1].operation == op_assign_to);
    };
    bool known = true;
    for (std::int32_t address = 1; address <= instruction_count_ && known; ++address) {
        const operation_code operation = code[address].operation;
        if (!takes_pushed_integer(operation)) continue;
        if (!known_integer_before(address)) {
            known = false;
        } else if (operation != op_ASSIGN) {
            const std::int32_t target = code[address - 1].value;
            known = !names_instruction(target) || !takes_pushed_integer(code[target].operation);
        }
    }
    std::size_t count = 0;
    if (!known) {
        for (std::int32_t i = 1; i < symbol_count_; ++i) changeable[count++] = i;
        return count;
    }
    // The assigned flags, all clear after loading, mark the symbols listed.
    symbol_entry *const symbols = symbols_.data();
    for (std::int32_t address = 2; address <= instruction_count_; ++address) {
        if (code[address].operation != op_ASSIGN) continue;
        const std::int32_t index = code[address - 1].value;
        if (!names_symbol(index) || symbols[index].assigned) continue;
        symbols[index].assigned = true;
        changeable[count++] = index;
    }
    for (std::size_t k = 0; k < count; ++k) symbols[changeable[k]].assigned = false;
    return count;
}

// What restart brings back: every symbol's value as loaded, the input
// variables in binding order, and the symbols a run can change.
void engine::record_start() {
    const auto count = static_cast<std::size_t>(symbol_count_);
    start_values_.allocate(count);
    input_indices_.allocate(count);
    changeable_.allocate(count);
    input_count_ = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const symbol_entry &entry = symbols_[i];
        start_values_[i] = entry.value;
        if (i != 0 && entry.scope == formula::scope_input && entry.tipo == formula::tipo_variable)
            input_indices_[static_cast<std::size_t>(input_count_++)] = static_cast<std::int32_t>(i);
    }
    changeable_count_ = find_changeable_symbols(changeable_.data());
}

// Every "Riferimento i, ASSIGN" whose i names a symbol becomes one operation
// at the Riferimento's address; the ASSIGN stays for jumps that land on it.
void engine::fuse_assignments() noexcept {
    instruction *const code = code_.data();
    for (std::int32_t address = 2; address <= instruction_count_; ++address) {
        instruction &reference = code[address - 1];
        if (code[address].operation == op_ASSIGN && reference.operation == op_push_integer &&
            names_symbol(reference.value))
            reference.operation = op_assign_to;
    }
}

void engine::release_formula() noexcept {
    if (!loaded_) return;
    symbols_.release();
    code_.release();
    start_values_.release();
    input_indices_.release();
    changeable_.release();
    changeable_count_ = 0;
    loaded_ = false;
}

}  // namespace zerizi
