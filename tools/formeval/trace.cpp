#include "tools/formeval/trace.h"

#include <span>

#include "formula/listing.h"
#include "tools/formeval/code_listing.h"
#include "tools/formeval/evaluation_front_end.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

namespace {

void append_stack(std::string &out, const zerizi::value_stack &stack) {
    std::span<const double> values = stack.values();
    out += " [";
    if (values.size() > shown_stack_values) {
        out += '+';
        out += std::to_string(values.size() - shown_stack_values);
        out += ": ";
        values = values.last(shown_stack_values);
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0) out += ' ';
        append_shortest_text(out, values[i]);
    }
    out += "]\n";
}

}  // namespace

std::string trace_observer::symbol_name(std::int32_t index) const {
    const auto &symbols = runner_.formula().symbols();
    if (index >= 1 && static_cast<std::size_t>(index) <= symbols.size())
        return symbols[static_cast<std::size_t>(index) - 1].text;
    std::string text = "?";
    text += std::to_string(index);
    return text;
}

void trace_observer::complete_pending_line(const zerizi::value_stack &stack) {
    if (pending_line_.empty()) return;
    out_ += pending_line_;
    append_stack(out_, stack);
    out_ += assignments_;
    pending_line_.clear();
    assignments_.clear();
    if (out_.size() >= (std::size_t{1} << 16)) write_to_sink();
}

void trace_observer::write_to_sink() {
    if (!sink_) return;
    write_checked(sink_, out_);
    out_.clear();
}

bool trace_observer::before_instruction(std::int32_t address, const zerizi::instruction &instruction,
                                        const zerizi::value_stack &stack) {
    complete_pending_line(stack);
    ++steps_;
    const instruction_record record{instruction.kind, instruction.value};
    pending_line_ = "Trc: ";
    formula::listing::append_instruction_columns(pending_line_, address, kind_text(record.kind),
                                                 operand_text(record, runner_.formula().symbols()));
    return true;
}

void trace_observer::after_assign(std::int32_t index, double value) {
    append_value_line(assignments_, "Ass", symbol_name(index), value);
}

// The instruction has popped its operands and pushes nothing: its line is
// complete, and goes out before the division message.
void trace_observer::zero_divisor(std::int32_t) {
    zero_divisor_steps_.push_back(steps_);
    complete_pending_line(runner_.stack());
    write_to_sink();
    if (sink_) std::fflush(sink_);
}

void trace_observer::finish(const zerizi::value_stack &stack) {
    complete_pending_line(stack);
}

trace_outcome trace_evaluation(formula_runner &runner, const std::vector<double> &inputs, long instruction_limit,
                               std::string &out, std::FILE *sink) {
    const std::vector<std::string> &names = runner.formula().input_names();
    std::vector<double> values(inputs.size() + 1, 0.0);
    std::copy(inputs.begin(), inputs.end(), values.begin() + 1);
    for (std::size_t i = 0; i < inputs.size() && i < names.size(); ++i) append_value_line(out, "Inp", names[i], inputs[i]);
    trace_observer observer(runner, out, sink);
    const int ending = runner.evaluate(values.data(), observer, zerizi::stopping_after(instruction_limit));
    observer.finish(runner.stack());
    trace_outcome outcome{ending != zerizi::stopped_by_budget, values[0], observer.zero_divisor_steps()};
    if (!outcome.complete) return outcome;
    out += "Out: ";
    append_shortest_text(out, outcome.output);
    out += '\n';
    return outcome;
}

}  // namespace formeval
