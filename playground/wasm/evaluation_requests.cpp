#include "playground/wasm/evaluation_requests.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "evaluator/execution.h"
#include "evaluator/run_budget.h"
#include "formula/formatted_text.h"
#include "playground/wasm/json_text.h"
#include "playground/wasm/messages.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/loaded_formula.h"
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
bool read_inputs(std::string_view text, const formeval::loaded_formula &formula, std::vector<double> &inputs,
                 std::string &error) {
    std::vector<std::string> typed;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        typed.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const auto number = formeval::parse_number(typed[i]);
        if (!number) {
            error = formeval_message(formeval::not_a_number_text, static_cast<int>(i + 1), typed[i].c_str());
            return false;
        }
        inputs.push_back(*number);
    }
    const int needed = static_cast<int>(formula.input_names().size());
    if (needed != static_cast<int>(inputs.size())) {
        error = formeval_message(formeval::input_count_text, needed, static_cast<int>(inputs.size()));
        return false;
    }
    return true;
}

// "PREFIX: NAME = VALUE\n", as formeval's trace writes its input and output lines.
void append_value_line(std::string &out, const char *prefix, const std::string &name, double value) {
    out.append(prefix).append(": ").append(name).append(" = ");
    formeval::append_shortest_text(out, value);
    out += '\n';
}

struct memory_stream_closer {
    void operator()(std::FILE *stream) const noexcept { std::fclose(stream); }
};

}  // namespace

std::string evaluate_to_json(std::string_view symbols, std::string_view code, std::string_view inputs_text) {
    formeval::loaded_formula formula{std::string(symbols), std::string(code)};
    std::vector<double> inputs;
    std::string error;
    json_object result;
    if (!read_inputs(inputs_text, formula, inputs, error)) return result.text("error", error).finished();

    std::vector<double> values(1, 0.0);
    values.insert(values.end(), inputs.begin(), inputs.end());
    zero_divisor_addresses divisions;
    const int ending =
        formula.evaluate(values.data(), divisions, zerizi::stopping_after(page_evaluation_instruction_limit));
    const bool cut_off = ending == zerizi::stopped_by_budget;
    return result.text("error", "")
        .text("output", formeval::shortest_text(values[0]))
        .raw("zero_divisions", numbers_json(divisions.addresses))
        .text("cut_off", cut_off ? formatted_text(evaluation_cut_off_text, page_evaluation_instruction_limit) : "")
        .finished();
}

std::string trace_to_json(std::string_view symbols, std::string_view code, std::string_view inputs_text) {
    formeval::loaded_formula formula{std::string(symbols), std::string(code)};
    std::vector<double> inputs;
    std::string error;
    json_object result;
    if (!read_inputs(inputs_text, formula, inputs, error)) return result.text("error", error).finished();

    // As formeval::trace_evaluation, with the page's shorter limit.
    std::string trace;
    std::vector<double> values(1, 0.0);
    values.insert(values.end(), inputs.begin(), inputs.end());
    for (std::size_t i = 0; i < inputs.size(); ++i)
        append_value_line(trace, "Inp", formula.input_names()[i], inputs[i]);
    formeval::trace_observer observer(formula, trace);
    const int ending = formula.evaluate(values.data(), observer, zerizi::stopping_after(page_trace_instruction_limit));
    observer.finish(formula.stack());
    const bool cut_off = ending == zerizi::stopped_by_budget;
    if (!cut_off) {
        trace += "Out: ";
        formeval::append_shortest_text(trace, values[0]);
        trace += '\n';
    }
    return result.text("error", "")
        .text("trace", trace)
        .text("output", formeval::shortest_text(values[0]))
        .raw("zero_divisor_steps", numbers_json(observer.zero_divisor_steps()))
        .text("cut_off", cut_off ? formeval_message(formeval::trace_cut_off_text, page_trace_instruction_limit) : "")
        .finished();
}

std::string csv_to_json(std::string_view symbols, std::string_view code, std::string_view file_name,
                        std::string_view csv) {
    formeval::loaded_formula formula{std::string(symbols), std::string(code)};
    char *notice_text = nullptr;
    std::size_t notice_size = 0;
    std::unique_ptr<std::FILE, memory_stream_closer> notices(open_memstream(&notice_text, &notice_size));

    formeval::csv_evaluator evaluator(formula, std::string(file_name), notices.get());
    std::string out = evaluator.header();
    std::vector<std::string> row_messages;
    std::string bad_rows = "[";
    const auto take = [&](std::string_view line) {
        std::string error;
        if (!evaluator.take_line(line, out, error)) {
            row_messages.push_back("formeval: " + error);
            if (bad_rows.size() > 1) bad_rows += ',';
            bad_rows += std::to_string(evaluator.rows_taken());
        }
        return true;
    };
    formeval::line_splitter lines;
    formeval::split_status status = lines.feed(csv, take);
    if (status == formeval::split_status::ok) status = lines.finish(take);
    if (status == formeval::split_status::line_too_long) {
        row_messages.push_back("formeval: " + evaluator.line_too_long_message());
        if (bad_rows.size() > 1) bad_rows += ',';
        bad_rows += std::to_string(evaluator.rows_taken() + 1);
    }
    notices.reset();
    const std::string notice(notice_text ? notice_text : "", notice_size);
    std::free(notice_text);
    return json_object()
        .text("csv", out)
        .raw("bad_rows", bad_rows + "]")
        .texts("row_messages", row_messages)
        .text("notices", notice)
        .number("rows_evaluated", evaluator.rows_evaluated())
        .finished();
}

}  // namespace playground
