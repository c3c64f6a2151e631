#include "tools/formeval/csv_mode.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_handle.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_output_pass.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/output_sink.h"
#include "tools/formeval/refusal.h"

namespace formeval {

std::uintmax_t size_for_progress(const std::string &path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

int evaluate_csv_file(const loaded_formula &formula, const invocation &call) {
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    output_sink output(call.output_path);
    if (const int refused = output.open(call.csv_path)) return refused;

    csv_evaluator evaluator(formula, call.csv_path, stderr);
    std::string out = evaluator.header();
    const auto take_line = [&](std::string_view line, std::string &rows, std::string &error) {
        return evaluator.take_line(line, rows, error);
    };
    return write_csv_rows(input.get(), call.csv_path, evaluator.reader(), take_line, output, out);
}

}  // namespace formeval
