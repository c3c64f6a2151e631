#include "tools/formeval/csv_mode.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_handle.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_file_pass.h"
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
    std::string error;
    const auto take_line = [&](std::string_view line, std::string &message) {
        return evaluator.take_line(line, out, message);
    };
    const auto after_block = [&] { return output.write_when_full(out); };
    switch (read_csv_lines(input.get(), size_for_progress(call.csv_path), evaluator.reader(), take_line, after_block,
                           error)) {
        case csv_pass::read:
            break;
        case csv_pass::stopped_after_block:
            return output.refuse_unwritten();
        case csv_pass::unreadable:
            return refuse(unreadable_file_text, call.csv_path.c_str());
        case csv_pass::stopped_by_row:
            // The rows before the bad one reach standard output; a file target is left alone.
            if (output.to_standard_output()) output.write(out);
            std::fflush(stdout);
            return refuse("%s", error.c_str());
    }
    if (!output.write(out) || !output.commit()) return output.refuse_unwritten();
    return exit_evaluated;
}

}  // namespace formeval
