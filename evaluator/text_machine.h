// The machine a call of Formula runs (see execution.h): the symbol text is
// read once into a table of values, with the inputs bound as it is read, and
// the code runs straight from the code text, each instruction decoded when it
// is fetched. A call thus reads each text once and builds no code table.
// The machine holds up to 1023 symbols, as many as the compiler writes, and
// uses the heap only for a stack that outgrows it; Formula runs larger texts
// on the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "evaluator/operation_code.h"
#include "evaluator/operation_modes.h"
#include "evaluator/record_fields.h"
#include "evaluator/truncation.h"
#include "evaluator/value_stack.h"
#include "formula/format.h"

namespace zerizi {

// The two texts a Formula call runs (see run_bound_code).
struct text_source {
    const char *const *texts;
};

class text_machine {
public:
    // A position is the start of an instruction record.
    using position = const char *;

    // texts[0] is the symbol text, texts[1] the code text; a null text reads
    // as an empty one. They must stay unchanged while the machine runs.
    explicit text_machine(text_source source) noexcept : texts_(source.texts) {}
    text_machine(const text_machine &) = delete;
    text_machine &operator=(const text_machine &) = delete;

    // The most symbols the machine holds: as many as formcomp writes (its
    // symbol table holds 1023), so that only malformed texts need the engine.
    static constexpr std::size_t largest_symbol_count = 1023;

    // Called when the run starts: reads both texts, binding the inputs from
    // `values`. Only the records that stand complete in a text count, however
    // large its header's count. Returns false, before anything is bound, when
    // the machine cannot hold them: more than largest_symbol_count symbols,
    // or code that does not end with STOP and has more than 512 instructions
    // to copy. Only an allocation (of stack) can throw.
    bool start(const double *values);

    value_stack &stack() noexcept { return stack_; }
    position first() const noexcept { return first_; }
    static position after(position at) noexcept { return at + formula::instruction_record_width; }
    static position before(position at) noexcept { return at - formula::instruction_record_width; }
    static std::size_t instructions_between(position from, position to) noexcept {
        return static_cast<std::size_t>(to - from) / formula::instruction_record_width;
    }
    // The operation of the kind character; an Operatore gives op_by_value,
    // and the loop then asks for the operation its value names.
    ZERIZI_ALWAYS_INLINE static operation_code operation(position at) noexcept { return kind_operation(at); }
    ZERIZI_ALWAYS_INLINE static operation_code operator_operation(position at) noexcept {
        return zerizi::operator_operation(at);
    }
    // Whether the instruction at `at` is an ASSIGN as the compiler writes it
    // (the code ends with STOP, so a record follows every other one).
    static bool assignment_follows(position at) noexcept {
        return std::memcmp(at, assign_record, formula::instruction_record_width) == 0;
    }
    // An index that names no symbol reads entry 0, which holds 0.0.
    double operand(position at) const noexcept {
        const auto index = static_cast<std::uint32_t>(integer(at));
        // Masked rather than tested: no branch on the way.
        return values_[index & (0u - static_cast<std::uint32_t>(index < symbol_count_))];
    }
    static std::int32_t integer(position at) noexcept { return value_field(at + formula::instruction_value_offset); }
    position jump(double target) const noexcept {
        const std::int32_t address = truncate_to_int32(target);
        if (address < 1 || static_cast<std::uint32_t>(address) > instruction_count_) return stop_;
        return first_ + static_cast<std::size_t>(address - 1) * formula::instruction_record_width;
    }

    std::size_t instruction_count() const noexcept { return instruction_count_; }
    bool names_symbol(std::int32_t index) const noexcept {
        return index >= 1 && static_cast<std::uint32_t>(index) < symbol_count_;
    }
    bool names_fused_symbol(std::int32_t index) const noexcept { return names_symbol(index); }
    void assign(std::int32_t index, double value) noexcept {
        values_[static_cast<std::size_t>(index)] = value;
        assigned_[static_cast<std::size_t>(index)] = true;
    }
    bool assigned(std::int32_t index) const noexcept { return assigned_[static_cast<std::size_t>(index)]; }
    // Element 0 receives the value of the output variable that stands last in
    // the symbol text; without an output variable it is left alone.
    void collect_outputs(double *values) const noexcept {
        if (last_output_ != 0) values[0] = values_[last_output_];
    }

private:
    static constexpr char assign_record[] = "1   1";
    static_assert(sizeof assign_record - 1 == formula::instruction_record_width);
    static constexpr std::size_t largest_copied_instructions = 512;

    // Everything but the texts is set by start, which every run calls first,
    // so a machine costs no stores it does not need.
    const char *const *texts_;
    position first_;
    position stop_;  // the last STOP, where a jump outside the code goes
    std::uint32_t instruction_count_;
    std::uint32_t symbol_count_;  // entry 0 included
    std::size_t last_output_;
    value_stack stack_;
    // The symbols' values, and whether ASSIGN has stored into each (read by
    // LOGISIN), entry 0 included.
    double values_[largest_symbol_count + 1];
    bool assigned_[largest_symbol_count + 1];
    // The code with a STOP added, when it does not end with one.
    char code_copy_[(largest_copied_instructions + 1) * formula::instruction_record_width];
};

ZERIZI_ALWAYS_INLINE bool text_machine::start(const double *values) {
    const char *const *const texts = texts_;
    const char *const code = texts[1] ? texts[1] : "";
    const std::size_t instructions = record_count(code, text_length(code), formula::instruction_record_width);
    const char *records = code + (instructions != 0 ? formula::header_width : 0);
    const std::size_t length = instructions * formula::instruction_record_width;
    // The run ends at a STOP, so the loop need not test for the end of the
    // code when the last instruction is one (as the compiler writes it); other
    // code is copied with a STOP added.
    static constexpr char stop_record[] = "1  99";
    static_assert(sizeof stop_record - 1 == formula::instruction_record_width);
    const char *const last = instructions != 0 ? records + length - formula::instruction_record_width : nullptr;
    if (last == nullptr ||
        (std::memcmp(last, stop_record, formula::instruction_record_width) != 0 && record_operation(last) != op_STOP)) {
        if (length + formula::instruction_record_width > sizeof code_copy_) return false;
        std::memcpy(code_copy_, records, length);
        std::memcpy(code_copy_ + length, stop_record, formula::instruction_record_width);
        records = code_copy_;
        stop_ = records + length;
    } else {
        stop_ = last;
    }
    const char *const symbol_text = texts[0] ? texts[0] : "";
    const std::size_t count = record_count(symbol_text, text_length(symbol_text), formula::symbol_record_width);
    if (count > largest_symbol_count) return false;

    first_ = records;
    instruction_count_ = static_cast<std::uint32_t>(instructions);
    // What a run without a jump can stack (see execution.h).
    stack_.reserve(instructions * most_values_pushed + 1);

    values_[0] = 0.0;
    assigned_[0] = false;
    std::size_t last_output = 0;
    const double *next_input = values + 1;
    const char *record = count != 0 ? symbol_text + formula::header_width : symbol_text;
    for (std::size_t i = 1; i <= count; ++i, record += formula::symbol_record_width) {
        bool is_output;
        values_[i] = symbol_start(record, next_input, is_output);
        assigned_[i] = false;
        if (is_output) last_output = i;
    }
    last_output_ = last_output;
    symbol_count_ = static_cast<std::uint32_t>(count + 1);
    return true;
}

}  // namespace zerizi
