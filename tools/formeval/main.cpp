// formeval: evaluates, lists, traces, checks and compares compiled formulas
// from the command line, and measures a source's coverage (see arguments.h
// for the modes). It reads NAME.sym and NAME.obj under the lock NAME.lock
// taken shared, and refuses texts without their header. Whatever it writes
// to standard output is checked: lost output ends the run with exit code 2.
// A plain evaluation goes through Formula in the shared ZERIZI library, as a
// host application does; the CSV modes evaluate their rows through
// ZERIZI_PREPARED, and --trace and --coverage watch the engine that Formula
// runs.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "formula_version.h"
#include "platform/interrupt_cleanup.h"
#include "zerizi.h"
#include "tools/formeval/arguments.h"
#include "tools/formeval/check_mode.h"
#include "tools/formeval/code_listing.h"
#include "tools/formeval/compare_mode.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/coverage_mode.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/evaluation_front_end.h"
#include "tools/formeval/formula_runner.h"
#include "tools/formeval/loaded_formula.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/pair_loading.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"
#include "tools/formeval/trace.h"

namespace formeval {
namespace {

// The inputs of the command line, checked against the formula's input variables.
// `needed`: the formula's count, or the count typed to check only that they
// are numbers.
bool read_command_line_inputs(const invocation &call, int needed, std::vector<double> &inputs, int &exit_code) {
    const std::vector<std::string_view> typed(call.inputs.begin(), call.inputs.end());
    std::string error;
    if (read_inputs(typed, needed, inputs, error)) return true;
    exit_code = refuse("%s", error.c_str());
    return false;
}

// A formula without an output variable hands nothing back: its result is the
// 0 that formeval puts in element 0. Said on standard error, after the result.
void warn_without_output(const invocation &call) {
    std::fflush(stdout);
    std::fputs("formeval: ", stderr);
    std::fprintf(stderr, no_output_variable_text, call.name.c_str());
    std::fputc('\n', stderr);
}

int run(const invocation &call) {
    if (call.mode == mode::help) {
        write_checked(stdout, std::string(usage_text) + "\n" + help_text);
        return exit_evaluated;
    }
    if (call.mode == mode::version) {
        write_checked(stdout, std::string("formeval (") + FORMULA_PRODUCT_NAME + ") " + FORMULA_VERSION + "\n");
        return exit_evaluated;
    }
    std::string symbols, code;
    int exit_code = exit_evaluated;
    std::vector<double> inputs;
    if (call.mode == mode::evaluate || call.mode == mode::trace) {
        // Numbers are checked before the files are read.
        if (!read_command_line_inputs(call, static_cast<int>(call.inputs.size()), inputs, exit_code))
            return exit_code;
    }
    if (call.mode == mode::coverage) return report_coverage(call);
    if (!load_pair(call.name, symbols, code, exit_code)) return exit_code;

    switch (call.mode) {
        case mode::list:
            write_checked(stdout, list_compiled_formula(symbols, code));
            return exit_evaluated;
        case mode::evaluate: {
            if (!read_command_line_inputs(call, count_input_variables(symbols), inputs, exit_code)) return exit_code;
            std::vector<double> values(1, 0.0);
            values.insert(values.end(), inputs.begin(), inputs.end());
            const char *texts[2] = {symbols.c_str(), code.c_str()};
            Formula(values.data(), texts);
            write_checked(stdout, result_line(values[0]));
            if (!has_output_variable(symbols)) warn_without_output(call);
            return exit_evaluated;
        }
        case mode::trace: {
            if (!read_command_line_inputs(call, count_input_variables(symbols), inputs, exit_code)) return exit_code;
            const loaded_formula formula(std::move(symbols), std::move(code));
            formula_runner runner(formula);
            std::string trace;
            const trace_outcome outcome = trace_evaluation(runner, inputs, trace_instruction_limit, trace, stdout);
            write_checked(stdout, trace);
            if (!outcome.complete) {
                finish_standard_output();  // the trace before the message
                return refuse(trace_cut_off_text, trace_instruction_limit);
            }
            if (formula.output_name().empty()) warn_without_output(call);
            return exit_evaluated;
        }
        case mode::csv: {
            loaded_formula formula(std::move(symbols), std::move(code));
            return evaluate_csv_file(formula, call);
        }
        case mode::check: {
            loaded_formula formula(std::move(symbols), std::move(code));
            return check_csv_file(formula, call);
        }
        case mode::compare: {
            loaded_formula old_formula(std::move(symbols), std::move(code));
            std::string new_symbols, new_code;
            if (!load_pair(call.new_name, new_symbols, new_code, exit_code)) return exit_code;
            loaded_formula new_formula(std::move(new_symbols), std::move(new_code));
            return compare_csv_file(old_formula, new_formula, call);
        }
        case mode::coverage:
        case mode::help:
        case mode::version:
            break;
    }
    return exit_refused;
}

}  // namespace
}  // namespace formeval

int main(int argc, char **argv) {
    formeval::invocation call;
    std::string error;
    if (!formeval::parse_arguments(argc, argv, call, error)) return formeval::refuse("%s", error.c_str());
    platform::remove_temporaries_on_interrupt();
    const int exit_code = formeval::run(call);
    // A refusal has said what went wrong; otherwise lost output is the fault.
    if (exit_code == formeval::exit_evaluated && !formeval::finish_standard_output())
        return formeval::refuse("%s", formeval::unwritable_output_text);
    return exit_code;
}
