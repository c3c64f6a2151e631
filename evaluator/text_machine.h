// The machine a call of Formula runs (see execution.h): the symbol text is
// read once into a table of values, with the inputs bound as it is read, and
// the code runs straight from the code text, each instruction decoded when it
// is fetched. A call thus reads each text once and builds no code table.
// Tables of up to 64 symbols are held inside the machine; only larger ones
// use the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "evaluator/inline_table.h"
#include "evaluator/operation_code.h"
#include "evaluator/record_fields.h"
#include "evaluator/truncation.h"
#include "evaluator/value_stack.h"
#include "formula/format.h"

namespace zerizi {

class text_machine {
public:
    // A position is the start of an instruction record.
    using position = const char *;

    // texts[0] is the symbol text, texts[1] the code text; a null text reads
    // as an empty one. They must stay unchanged while the machine runs.
    explicit text_machine(const char *const *texts) noexcept : texts_(texts) {}
    text_machine(const text_machine &) = delete;
    text_machine &operator=(const text_machine &) = delete;

    // Called when the run starts: reads both texts, binding the inputs from
    // `values`. Only the records that stand complete in a text count, however
    // large its header's count. Only an allocation can throw.
    void start(const double *values);

    value_stack &stack() noexcept { return stack_; }
    position first() const noexcept { return first_; }
    static position after(position at) noexcept { return at + formula::instruction_record_width; }
    static position before(position at) noexcept { return at - formula::instruction_record_width; }
    ZERIZI_ALWAYS_INLINE static operation_code operation(position at) noexcept { return record_operation(at); }
    // An index that names no symbol reads entry 0, which holds 0.0.
    double operand(position at) const noexcept {
        const auto index = static_cast<std::uint32_t>(integer(at));
        return symbols_[index < symbol_count_ ? index : 0].value;
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
    void assign(std::int32_t index, double value) noexcept {
        symbols_[static_cast<std::size_t>(index)] = {value, true};
    }
    bool assigned(std::int32_t index) const noexcept { return symbols_[static_cast<std::size_t>(index)].assigned; }
    // Element 0 receives the value of the output variable that stands last in
    // the symbol text; without an output variable it is left alone.
    void collect_outputs(double *values) const noexcept {
        if (last_output_ != 0) values[0] = symbols_[last_output_].value;
    }

private:
    struct symbol_state {
        double value;
        bool assigned;  // set by ASSIGN, read by LOGISIN
    };
    static constexpr std::size_t inline_symbols = 64;
    static constexpr std::size_t inline_copied_instructions = 512;

    const char *const *texts_;
    position first_ = nullptr;
    position stop_ = nullptr;  // the last STOP, where a jump outside the code goes
    std::uint32_t instruction_count_ = 0;
    std::uint32_t symbol_count_ = 1;  // entry 0 included
    std::size_t last_output_ = 0;
    inline_table<symbol_state, inline_symbols + 1> symbols_;
    // The code with a STOP added, when it does not end with one.
    inline_table<char, (inline_copied_instructions + 1) * formula::instruction_record_width> code_copy_;
    value_stack stack_;
};

inline void text_machine::start(const double *values) {
    const char *const *const texts = texts_;
    const char *const code = texts[1] ? texts[1] : "";
    const std::size_t instructions = record_count(code, text_length(code), formula::instruction_record_width);
    instruction_count_ = static_cast<std::uint32_t>(instructions);
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
        code_copy_.allocate(length + formula::instruction_record_width);
        std::memcpy(code_copy_.data(), records, length);
        std::memcpy(code_copy_.data() + length, stop_record, formula::instruction_record_width);
        records = code_copy_.data();
        stop_ = records + length;
    } else {
        stop_ = last;
    }
    first_ = records;
    // Without a loop no run can stack more values than there are instructions.
    stack_.reserve(instructions + 1);

    const char *const symbol_text = texts[0] ? texts[0] : "";
    const std::size_t count = record_count(symbol_text, text_length(symbol_text), formula::symbol_record_width);
    symbols_.allocate(count + 1);
    symbol_state *const symbols = symbols_.data();
    symbols[0] = {0.0, false};
    std::size_t last_output = 0;
    const double *next_input = values + 1;
    const char *record = count != 0 ? symbol_text + formula::header_width : symbol_text;
    for (std::size_t i = 1; i <= count; ++i, record += formula::symbol_record_width) {
        bool is_output;
        symbols[i] = {symbol_start(record, next_input, is_output), false};
        if (is_output) last_output = i;
    }
    last_output_ = last_output;
    symbol_count_ = static_cast<std::uint32_t>(count + 1);
}

}  // namespace zerizi
