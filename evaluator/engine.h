// The engine: a compiled formula loaded into a symbol table and a decoded
// code table, and the evaluation stack. A prepared formula (ZERIZI_PREPARED)
// and formeval keep one loaded and restart it before every evaluation;
// Formula itself runs straight from the texts (text_machine.h). Tables of up
// to 64 symbols and 512 instructions are held inside the engine; only larger
// ones use the heap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "evaluator/inline_table.h"
#include "evaluator/operation_code.h"
#include "evaluator/truncation.h"
#include "evaluator/value_stack.h"
#include "formula/format.h"

namespace zerizi {

struct symbol_entry {
    // A variable's 20-character text as it stands in the symbol text (not
    // zero-terminated; formula::symbol_text_width characters), null for a constant.
    const char *name;
    std::int32_t tipo;   // 1 variable, 3 constant
    std::int32_t scope;  // declaration class 1 to 5
    bool assigned;       // cleared by restart, set by ASSIGN, read by LOGISIN
    double value;
};

struct instruction {
    std::int32_t kind;         // 1 Operatore, 2 Operando, 3 Riferimento; anything else is passed over
    std::int32_t value;        // opcode, symbol index or integer
    operation_code operation;  // decoded from kind and value at load
    // For op_push_symbol only, where the value to push is read: the value of
    // the symbol that `value` names, or of entry 0 (0.0) when there is no
    // such symbol. The loop then needs no bounds test.
    const double *operand;
};

class engine {
public:
    static constexpr std::size_t inline_symbols = 64;
    static constexpr std::size_t inline_instructions = 512;

    engine() = default;
    engine(const engine &) = delete;
    engine &operator=(const engine &) = delete;

    // texts[0] is the symbol text, texts[1] the code text; a null text reads
    // as an empty one. Loads the code, then the symbols, and records the
    // start of every symbol and which symbols a run can change (see
    // restart). Loading has no failure of its own; only an allocation can throw.
    void load_formula(const char *const *texts);
    // Element 0 receives the value of the output variable that stands last in
    // the symbol table (every output variable writes element 0 in turn, so the
    // last one is what the caller sees); without an output variable it is left
    // alone.
    int collect_outputs(double *values) const noexcept {
        if (last_output_ != 0) values[0] = symbols_[last_output_].value;
        return symbol_count_;
    }
    void release_formula() noexcept;

    // Every evaluation starts from nothing, as a fresh Formula call does:
    // restart brings every symbol a run can change back to its start
    // (constants to their literal even after code assigned to them; inout,
    // static, local and output variables to 0.0), clears their assigned
    // flags, binds the inputs of `values` (input k takes element k + 1) and
    // empties the stack. The execution loop calls it as the run starts.
    void restart(const double *values) noexcept;  // defined below, inline
    // For a formula run without an observer only: fuses every "Riferimento i,
    // ASSIGN" into one operation (see op_assign_to).
    void fuse_assignments() noexcept;

    bool loaded() const noexcept { return loaded_; }

    // The input variables, in binding order (input k takes
    // element k + 1 of the value array), and the output variable whose value
    // collect_outputs hands back (0 when there is none).
    std::int32_t input_count() const noexcept { return input_count_; }
    std::int32_t input_index(std::int32_t k) const noexcept { return input_indices_[static_cast<std::size_t>(k)]; }
    std::int32_t last_output() const noexcept { return last_output_; }

    // Symbols 1 .. symbol_count - 1; entry 0 is a constant 0.0 that stands for
    // every index outside the table.
    std::int32_t symbol_count() const noexcept { return symbol_count_; }
    symbol_entry &symbol(std::int32_t index) noexcept { return symbols_[index]; }
    const symbol_entry &symbol(std::int32_t index) const noexcept { return symbols_[index]; }
    bool names_symbol(std::int32_t index) const noexcept { return index >= 1 && index < symbol_count_; }

    // Instructions 1 .. instruction_count(); entry instruction_count() + 1 is
    // a STOP that ends a run that goes past the last instruction.
    std::int32_t instruction_count() const noexcept { return instruction_count_; }
    const instruction &code(std::int32_t address) const noexcept { return code_[address]; }
    bool names_instruction(std::int32_t address) const noexcept {
        return address >= 1 && address <= instruction_count_;
    }

    // The engine as the execution loop runs it (see execution.h): a position
    // is an entry of the code table.
    using position = const instruction *;
    bool start(const double *values) noexcept {
        restart(values);
        return true;
    }
    position first() const noexcept { return code_.data() + 1; }
    static position after(position at) noexcept { return at + 1; }
    static position before(position at) noexcept { return at - 1; }
    static std::size_t instructions_between(position from, position to) noexcept {
        return static_cast<std::size_t>(to - from);
    }
    static operation_code operation(position at) noexcept { return at->operation; }
    // The loader decodes every Operatore, so the loop never asks, and
    // fuse_assignments decides which assignments run as one step.
    static operation_code operator_operation(position) noexcept { return op_nothing; }
    static constexpr bool assignment_follows(position) noexcept { return false; }
    static constexpr bool names_fused_symbol(std::int32_t) noexcept { return true; }  // see fuse_assignments
    static double operand(position at) noexcept { return *at->operand; }
    static std::int32_t integer(position at) noexcept { return at->value; }
    position jump(double target) const noexcept {
        const std::int32_t address = truncate_to_int32(target);
        return code_.data() + (names_instruction(address) ? address : instruction_count_ + 1);
    }
    std::int32_t address(position at) const noexcept { return static_cast<std::int32_t>(at - code_.data()); }
    void assign(std::int32_t index, double value) noexcept {
        symbols_[index].value = value;
        symbols_[index].assigned = true;
    }
    bool assigned(std::int32_t index) const noexcept { return symbols_[index].assigned; }

    value_stack &stack() noexcept { return stack_; }
    const value_stack &stack() const noexcept { return stack_; }


private:
    void load_code(const char *text);
    void load_symbols(const char *text);
    void resolve_operands() noexcept;
    void record_start();
    std::size_t find_changeable_symbols(std::int32_t *changeable);

    bool loaded_ = false;
    std::int32_t symbol_count_ = 1;
    std::int32_t instruction_count_ = 0;
    // Index of the last output variable (0 when there is none): collect_outputs
    // writes only its value, which is the value the caller sees.
    std::int32_t last_output_ = 0;
    inline_table<symbol_entry, inline_symbols + 1> symbols_;
    inline_table<double, inline_symbols + 1> start_values_;          // every symbol's value as loaded
    inline_table<std::int32_t, inline_symbols + 1> input_indices_;  // the input variables, in binding order
    std::int32_t input_count_ = 0;
    inline_table<std::int32_t, inline_symbols + 1> changeable_;  // the symbols a run can change
    std::size_t changeable_count_ = 0;
    inline_table<instruction, inline_instructions + 2> code_;
    value_stack stack_;
};

// Inline: a prepared formula's evaluation restarts in the loop's own frame.
inline void engine::restart(const double *values) noexcept {
    symbol_entry *const symbols = symbols_.data();
    const double *const start = start_values_.data();
    const std::int32_t *const changeable = changeable_.data();
    for (std::size_t k = 0; k < changeable_count_; ++k) {
        symbol_entry &entry = symbols[changeable[k]];
        entry.value = start[changeable[k]];
        entry.assigned = false;
    }
    const std::int32_t *const inputs = input_indices_.data();
    for (std::int32_t k = 0; k < input_count_; ++k) symbols[inputs[k]].value = values[k + 1];
    stack_.clear();
}

}  // namespace zerizi
