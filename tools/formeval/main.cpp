// formeval: evaluates, lists and traces compiled formulas from the command
// line (see arguments.h for the four modes). It reads NAME.sym and NAME.obj
// from the current folder and refuses texts without their header. A plain
// evaluation goes through Formula in the shared ZERIZI library, as a host
// application does; --trace and --csv load the texts once into the same
// engine that Formula runs, to watch it work or to run it row after row.
#include <cstdio>
#include <string>
#include <vector>

#include "formula/format.h"
#include "formula_version.h"
#include "zerizi.h"
#include "tools/formeval/arguments.h"
#include "tools/formeval/code_listing.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/csv_mode.h"
#include "tools/formeval/loaded_formula.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"
#include "tools/formeval/refusal.h"
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

bool load_texts(const invocation &call, std::string &symbols, std::string &code, int &exit_code) {
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
        std::printf("%s\n%s", usage_text, help_text);
        return exit_evaluated;
    }
    if (call.mode == mode::version) {
        std::printf("formeval (%s) %s\n", FORMULA_PRODUCT_NAME, FORMULA_VERSION);
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
            std::fputs(list_compiled_formula(symbols, code).c_str(), stdout);
            return exit_evaluated;
        case mode::evaluate: {
            if (!read_inputs(call, symbols, inputs, exit_code)) return exit_code;
            std::vector<double> values(1, 0.0);
            values.insert(values.end(), inputs.begin(), inputs.end());
            const char *texts[2] = {symbols.c_str(), code.c_str()};
            Formula(values.data(), texts);
            std::printf("%s\n", shortest_text(values[0]).c_str());
            if (!has_output_variable(symbols)) warn_without_output(call);
            return exit_evaluated;
        }
        case mode::trace: {
            if (!read_inputs(call, symbols, inputs, exit_code)) return exit_code;
            loaded_formula formula(std::move(symbols), std::move(code));
            std::string trace;
            double output = 0.0;
            const bool complete = trace_evaluation(formula, inputs, trace, output, stdout);
            std::fwrite(trace.data(), 1, trace.size(), stdout);
            std::fflush(stdout);
            if (!complete) return refuse(trace_cut_off_text, trace_instruction_limit);
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
    return formeval::run(call);
}
