// formeval: evaluates, lists and traces compiled formulas from the command
// line (see arguments.h for the four modes). It reads NAME.sym and NAME.obj
// from the current folder, under the lock NAME.lock taken shared, and refuses
// texts without their header. Whatever it writes to standard output is
// checked: lost output ends the run with exit code 2. A plain
// evaluation goes through Formula in the shared ZERIZI library, as a host
// application does; --trace and --csv load the texts once into the same
// engine that Formula runs, to watch it work or to run it row after row.
#include <cstdio>
#include <string>
#include <vector>

#include "formula/format.h"
#include "formula_version.h"
#include "platform/file_lock.h"
#include "platform/interrupt_cleanup.h"
#include "zerizi.h"
#include "tools/formeval/arguments.h"
#include "tools/formeval/code_listing.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/loaded_formula.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"
#include "tools/formeval/trace.h"

namespace formeval {
namespace {

// Reads one of the two texts and checks its header.
bool load_text(const std::string &path, std::size_t record_width, std::string &text, int &exit_code) {
    if (!read_file(path, text)) {
        exit_code = refuse(unreadable_file_text, path.c_str());
        return false;
    }
    if (!has_header(text, record_width)) {
        exit_code = refuse(missing_header_text, path.c_str());
        return false;
    }
    return true;
}

// Both texts, read under the lock that formcomp holds while it puts a pair
// in place, so they are one compile's pair.
bool load_texts(const invocation &call, std::string &symbols, std::string &code, int &exit_code) {
    const std::string lock_name = call.name + ".lock";
    const platform::file_lock lock(lock_name, platform::lock_mode::shared);
    if (!lock.held()) {
        exit_code = refuse(lock.status() == platform::lock_status::not_a_regular_file ? lock_not_a_regular_file_text
                                                                                       : lock_not_opened_text,
                           lock_name.c_str());
        return false;
    }
    return load_text(call.name + ".sym", formula::symbol_record_width, symbols, exit_code) &&
           load_text(call.name + ".obj", formula::instruction_record_width, code, exit_code);
}

// The inputs of the command line, checked against the formula's input variables.
bool read_inputs(const invocation &call, const std::string &symbols, std::vector<double> &inputs,
                 int &exit_code) {
    for (std::size_t i = 0; i < call.inputs.size(); ++i) {
        auto number = parse_number(call.inputs[i]);
        if (!number) {
            exit_code = refuse(not_a_number_text, static_cast<int>(i + 1), call.inputs[i].c_str());
            return false;
        }
        inputs.push_back(*number);
    }
    const int needed = count_input_variables(symbols);
    if (needed != static_cast<int>(inputs.size())) {
        exit_code = refuse(input_count_text, needed, static_cast<int>(inputs.size()));
        return false;
    }
    return true;
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
        for (std::size_t i = 0; i < call.inputs.size(); ++i) {
            if (!parse_number(call.inputs[i]))
                return refuse(not_a_number_text, static_cast<int>(i + 1), call.inputs[i].c_str());
        }
    }
    if (!load_texts(call, symbols, code, exit_code)) return exit_code;

    switch (call.mode) {
        case mode::list:
            write_checked(stdout, list_compiled_formula(symbols, code));
            return exit_evaluated;
        case mode::evaluate: {
            if (!read_inputs(call, symbols, inputs, exit_code)) return exit_code;
            std::vector<double> values(1, 0.0);
            values.insert(values.end(), inputs.begin(), inputs.end());
            const char *texts[2] = {symbols.c_str(), code.c_str()};
            Formula(values.data(), texts);
            write_checked(stdout, shortest_text(values[0]) + "\n");
            if (!has_output_variable(symbols)) warn_without_output(call);
            return exit_evaluated;
        }
        case mode::trace: {
            if (!read_inputs(call, symbols, inputs, exit_code)) return exit_code;
            loaded_formula formula(std::move(symbols), std::move(code));
            std::string trace;
            double output = 0.0;
            const bool complete = trace_evaluation(formula, inputs, trace, output, stdout);
            write_checked(stdout, trace);
            if (!complete) {
                finish_standard_output();  // the trace before the message
                return refuse(trace_cut_off_text, trace_step_limit);
            }
            if (formula.output_name().empty()) warn_without_output(call);
            return exit_evaluated;
        }
        case mode::csv: {
            loaded_formula formula(std::move(symbols), std::move(code));
            return evaluate_csv_file(formula, call);
        }
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
