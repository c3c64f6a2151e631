#include "tools/formeval/coverage_mode.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "formula/formatted_text.h"
#include "platform/file_handle.h"
#include "platform/replacement_file.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/coverage_report.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_file_pass.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/execution_counts.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

namespace {

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

    const loaded_formula formula(compiled.texts.symbol_text, compiled.texts.code_text);
    formula_runner runner(formula);
    execution_counts counts(runner);
    csv_row_reader reader(formula.input_names(), call.csv_path);
    const auto take_line = [&](std::string_view line, std::string &error) {
        const csv_row_reader::line_kind kind = reader.take_line(line, error);
        if (kind != csv_row_reader::line_kind::row) return kind == csv_row_reader::line_kind::header;
        double output = 0.0;
        const int zero_divisors = counts.evaluate(reader.row(), output);
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
    const auto lines = line_counts(compiled.statements, counts.executions(), source_lines(source).size());
    if (!write_checked(stdout, gcov_text(source, lines))) return refuse("%s", unwritable_output_text);
    if (!call.lcov_path.empty()) {
        std::error_code ignored;
        const std::string source_path = std::filesystem::absolute(call.name, ignored).string();
        if (!write_tracefile(call.lcov_path, lcov_tracefile(source_path, lines)))
            return refuse(unwritable_file_text, call.lcov_path.c_str());
    }
    return exit_evaluated;
}

}  // namespace formeval
