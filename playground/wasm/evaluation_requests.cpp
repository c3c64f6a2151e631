#include "playground/wasm/evaluation_requests.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "compiler/compile.h"
#include "evaluator/execution.h"
#include "evaluator/run_budget.h"
#include "formula/formatted_text.h"
#include "playground/wasm/csv_request_pass.h"
#include "playground/wasm/json_text.h"
#include "playground/wasm/messages.h"
#include "tools/formeval/coverage_report.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/evaluation_front_end.h"
#include "tools/formeval/execution_counts.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/trace.h"

namespace playground {

namespace {

using formula::formatted_text;

// A message of formeval's, as it prints it.
template <typename... Args>
std::string formeval_message(const char *format, Args... args) {
    return "formeval: " + formatted_text(format, args...);
}

template <typename Number>
std::string numbers_json(const std::vector<Number> &numbers) {
    std::string json = "[";
    for (const Number number : numbers) {
        if (json.size() > 1) json += ',';
        json += std::to_string(number);
    }
    return json + "]";
}

// Notes the address of every DIV or MODOPER that met a zero divisor.
struct zero_divisor_addresses : zerizi::no_observer {
    std::vector<std::int32_t> addresses;
    void zero_divisor(std::int32_t address) { addresses.push_back(address); }
};

// The inputs, one per line, checked as formeval checks its command line;
// false with formeval's message in `error`.
bool read_typed_inputs(std::string_view text, const formeval::loaded_formula &formula, std::vector<double> &inputs,
                       std::string &error) {
    std::vector<std::string_view> typed;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        typed.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    if (formeval::read_inputs(typed, static_cast<int>(formula.input_names().size()), inputs, error)) return true;
    error = "formeval: " + error;
    return false;
}

// Each line's count, or null for a line without statements.
std::string line_counts_json(const std::vector<std::optional<std::uint64_t>> &counts) {
    std::string json = "[";
    for (const auto &count : counts) {
        if (json.size() > 1) json += ',';
        json += count ? std::to_string(*count) : "null";
    }
    return json + "]";
}

}  // namespace

std::string evaluate_to_json(std::string_view symbols, std::string_view code, std::string_view inputs_text) {
    const formeval::loaded_formula formula{std::string(symbols), std::string(code)};
    std::vector<double> inputs;
    std::string error;
    json_object result;
    if (!read_typed_inputs(inputs_text, formula, inputs, error)) return result.text("error", error).finished();
    formeval::formula_runner runner(formula);

    std::vector<double> values(1, 0.0);
    values.insert(values.end(), inputs.begin(), inputs.end());
    zero_divisor_addresses divisions;
    const int ending =
        runner.evaluate(values.data(), divisions, zerizi::stopping_after(page_evaluation_instruction_limit));
    const bool cut_off = ending == zerizi::stopped_by_budget;
    return result.text("error", "")
        .text("output", formeval::shortest_text(values[0]))
        .raw("zero_divisions", numbers_json(divisions.addresses))
        .text("cut_off", cut_off ? formatted_text(evaluation_cut_off_text, page_evaluation_instruction_limit) : "")
        .finished();
}

std::string trace_to_json(std::string_view symbols, std::string_view code, std::string_view inputs_text) {
    const formeval::loaded_formula formula{std::string(symbols), std::string(code)};
    std::vector<double> inputs;
    std::string error;
    json_object result;
    if (!read_typed_inputs(inputs_text, formula, inputs, error)) return result.text("error", error).finished();

    formeval::formula_runner runner(formula);
    std::string trace;
    const formeval::trace_outcome outcome =
        formeval::trace_evaluation(runner, inputs, page_trace_instruction_limit, trace);
    return result.text("error", "")
        .text("trace", trace)
        .text("output", formeval::shortest_text(outcome.output))
        .raw("zero_divisor_steps", numbers_json(outcome.zero_divisor_steps))
        .text("cut_off",
              outcome.complete ? "" : formeval_message(formeval::trace_cut_off_text, page_trace_instruction_limit))
        .finished();
}

std::string csv_to_json(std::string_view source, std::string_view file_name, std::string_view csv) {
    const formcomp::compile_result compiled = formcomp::compile_source(source);
    if (!compiled.succeeded)
        return json_object().text("failure", compiled.standard_output + compiled.standard_error).finished();
    const formeval::loaded_formula formula(compiled.texts.symbol_text, compiled.texts.code_text);
    formeval::formula_runner runner(formula);
    formeval::execution_counts counts(runner);
    notice_stream notices;
    formeval::csv_evaluator evaluator(formula, std::string(file_name), notices.stream());
    std::string out = evaluator.header();
    const bad_rows bad = take_every_line(csv, evaluator.reader(), [&](std::string_view line, std::string &error) {
        const long long evaluated = evaluator.rows_evaluated();
        if (!evaluator.take_line(line, out, error)) return false;
        double output = 0.0;
        if (evaluator.rows_evaluated() != evaluated) counts.evaluate(evaluator.reader().row(), output);
        return true;
    });
    const auto lines =
        formeval::line_counts(compiled.statements, counts.executions(), formeval::source_lines(source).size());
    json_object result;
    result.text("csv", out);
    return bad.write(result)
        .text("notices", notices.text())
        .number("rows_evaluated", evaluator.rows_evaluated())
        .raw("coverage", line_counts_json(lines))
        .finished();
}

}  // namespace playground
