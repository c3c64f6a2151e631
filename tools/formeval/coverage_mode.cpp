#include "tools/formeval/coverage_mode.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "evaluator/run_budget.h"
#include "formula/formatted_text.h"
#include "platform/file_handle.h"
#include "platform/replacement_file.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/coverage_report.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/loaded_formula.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

namespace {

// A row that runs this many instructions without reaching STOP is taken for
// one that never ends.
constexpr std::uint64_t coverage_row_instruction_limit = 100'000'000;

// Counts the executions of every instruction, by address.
struct execution_counter : zerizi::no_observer {
    std::vector<std::uint64_t> &executions;

    explicit execution_counter(std::vector<std::uint64_t> &counts) : executions(counts) {}

    bool before_instruction(std::int32_t address, const zerizi::instruction &, const zerizi::value_stack &) {
        if (static_cast<std::size_t>(address) < executions.size()) ++executions[static_cast<std::size_t>(address)];
        return true;
    }
};

bool write_tracefile(const std::string &path, const std::string &contents) {
    platform::replacement_file file(path.c_str());
    return file.is_open() && file.write(contents.data(), contents.size()) && file.commit();
}

}  // namespace

int report_coverage(const invocation &call) {
    std::string source;
    if (!read_file(call.name, source)) return refuse(unreadable_file_text, call.name.c_str());
    const formcomp::compile_result compiled = formcomp::compile_source(source);
    if (!compiled.succeeded) {
        write_checked(stdout, compiled.standard_output);
        finish_standard_output();
        std::fputs(compiled.standard_error.c_str(), stderr);
        return exit_refused;
    }
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());

    loaded_formula formula(compiled.texts.symbol_text, compiled.texts.code_text);
    csv_row_reader reader(formula.input_names(), call.csv_path);
    std::vector<std::uint64_t> executions(formula.code().size() + 2, 0);
    std::vector<double> values(formula.input_names().size() + 1, 0.0);
    const auto take_line = [&](std::string_view line, std::string &error) {
        const csv_row_reader::line_kind kind = reader.take_line(line, error);
        if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
        values[0] = 0.0;
        std::copy(reader.row().begin(), reader.row().end(), values.begin() + 1);
        const zerizi::run_budget budget{coverage_row_instruction_limit, [](void *) { return false; }, nullptr};
        const int zero_divisors = formula.evaluate(values.data(), execution_counter{executions}, budget);
        if (zero_divisors == zerizi::stopped_by_budget) {
            error = reader.row_message(
                formula::formatted_text(row_cut_off_text, static_cast<long long>(coverage_row_instruction_limit)));
            return false;
        }
        if (zero_divisors != 0)
            std::fprintf(stderr, "formeval: %s\n", reader.row_message(row_zero_divisor_text).c_str());
        return true;
    };
    std::string error;
    switch (read_csv_lines(input.get(), size_for_progress(call.csv_path), reader, take_line, [] { return true; },
                           error)) {
        case csv_pass::read:
            break;
        case csv_pass::stopped_after_block:
        case csv_pass::unreadable:
            return refuse(unreadable_file_text, call.csv_path.c_str());
        case csv_pass::stopped_by_row:
            return refuse("%s", error.c_str());
    }
    const auto counts = line_counts(compiled.statements, executions, source_lines(source).size());
    if (!write_checked(stdout, gcov_text(source, counts))) return refuse("%s", unwritable_output_text);
    if (!call.lcov_path.empty()) {
        std::error_code ignored;
        const std::string source_path = std::filesystem::absolute(call.name, ignored).string();
        if (!write_tracefile(call.lcov_path, lcov_tracefile(source_path, counts)))
            return refuse(unwritable_file_text, call.lcov_path.c_str());
    }
    return exit_evaluated;
}

}  // namespace formeval
