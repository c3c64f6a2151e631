// The engine of one evaluation: the loaded symbol table and code, and the
// evaluation stack. It is created by a call of Formula, lives on that call's
// stack and keeps nothing afterwards. Tables of up to 64 symbols and 512
// instructions are held inside the engine; only larger ones use the heap.
#pragma once

#include <cstdint>

#include "evaluator/inline_table.h"
#include "evaluator/value_stack.h"
#include "formula/format.h"

namespace zerizi {

struct symbol_entry {
    // A variable's 20-character text as it stands in the symbol text (not
    // zero-terminated; formula::symbol_text_width characters), null for a constant.
    const char *name;
    std::int32_t tipo;      // 1 variable, 3 constant
    std::int32_t scope;     // declaration class 1 to 5
    bool is_set;            // cleared by bind_inputs and set by nothing
    bool assigned;          // cleared by bind_inputs, set by ASSIGN
    double value;
};

struct instruction {
    std::int32_t kind;   // 1 Operatore, 2 Operando, 3 Riferimento; anything else is passed over
    std::int32_t value;  // opcode, symbol index or integer
    // What the execution loop does, decoded from kind and value at load (see
    // decoded_operation).
    std::uint8_t operation;
    // For push_symbol only, where the value to push is read: the value of the
    // symbol that `value` names, or of entry 0 (0.0) when there is no such
    // symbol. The loop then needs no bounds test.
    const double *operand;
};

// The operations of the execution loop, numbered densely for its dispatch
// table: the opcodes ASSIGN (1) to FLOOR (25) keep their numbers (INF and ERM
// among them do nothing), the others follow.
enum decoded_operation : std::uint8_t {
    do_nothing = 0,      // unknown kinds and numbers that are not opcodes
    stop_run = 26,       // STOP (99)
    push_symbol = 27,    // Operando
    push_integer = 28,   // Riferimento
    operation_count = 29,
};
static_assert(formula::ASSIGN == 1 && formula::FLOOR == 25 && formula::FLOOR < int{stop_run});

constexpr std::uint8_t decode_operation(std::int32_t kind, std::int32_t value) noexcept {
    if (kind == formula::Operando) return push_symbol;
    if (kind == formula::Riferimento) return push_integer;
    if (kind != formula::Operatore) return do_nothing;
    if (value >= formula::ASSIGN && value <= formula::FLOOR) return static_cast<std::uint8_t>(value);
    return value == formula::STOP ? stop_run : do_nothing;
}

// How loading went: 1, or -1 / -2 when the code or the symbol text could not
// be loaded (the loaders have no such path today; the values are kept for the
// callers that test them).
enum load_result : int { load_ok = 1, load_code_failed = -1, load_symbols_failed = -2 };

class engine {
public:
    static constexpr std::size_t inline_symbols = 64;
    static constexpr std::size_t inline_instructions = 512;

    engine() = default;
    engine(const engine &) = delete;
    engine &operator=(const engine &) = delete;

    // texts[0] is the symbol text, texts[1] the code text; a null text reads
    // as an empty one. Loads the code, then the symbols.
    int load_formula(const char *const *texts);
    int load_code(const char *const *texts);
    int load_symbols(const char *const *texts);
    void bind_inputs(const double *values);
    int collect_outputs(double *values) const;
    void release_formula() noexcept;

    bool loaded() const noexcept { return loaded_; }

    // Symbols 1 .. symbol_count - 1; entry 0 is a constant 0.0 that stands for
    // every index outside the table.
    std::int32_t symbol_count() const noexcept { return symbol_count_; }
    symbol_entry &symbol(std::int32_t index) noexcept { return symbols_[index]; }
    const symbol_entry &symbol(std::int32_t index) const noexcept { return symbols_[index]; }
    bool names_symbol(std::int32_t index) const noexcept {
        return index >= 1 && index < symbol_count_;
    }

    // Instructions 1 .. instruction_count(); entry instruction_count() + 1 is
    // a STOP that ends a run that goes past the last instruction.
    std::int32_t instruction_count() const noexcept { return instruction_count_; }
    const instruction &code(std::int32_t address) const noexcept { return code_[address]; }
    // Entry 0 (never run), then instructions 1 .. instruction_count() + 1.
    const instruction *code_table() const noexcept { return code_.data(); }
    bool names_instruction(std::int32_t address) const noexcept {
        return address >= 1 && address <= instruction_count_;
    }

    value_stack &stack() noexcept { return stack_; }
    const value_stack &stack() const noexcept { return stack_; }

    // Whether loading had to use the heap (tests and benchmarks check it).
    bool tables_on_heap() const noexcept { return symbols_.on_heap() || code_.on_heap() || stack_.on_heap(); }

private:
    const double *inline_operand(std::int32_t value) noexcept;
    void resolve_operands() noexcept;

    bool loaded_ = false;
    std::int32_t symbol_count_ = 1;
    std::int32_t instruction_count_ = 0;
    // Index of the last output variable (0 when there is none): collect_outputs
    // writes only its value, which is the value the caller sees.
    std::int32_t last_output_ = 0;
    // The highest inline symbol entry that an Operando reads (see inline_operand).
    std::uint32_t highest_inline_operand_ = 0;
    inline_table<symbol_entry, inline_symbols + 1> symbols_;
    inline_table<instruction, inline_instructions + 2> code_;
    value_stack stack_;
};

}  // namespace zerizi
