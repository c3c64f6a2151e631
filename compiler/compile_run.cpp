#include "compiler/compile_run.h"

#include "compiler/code.h"
#include "compiler/console_output.h"
#include "compiler/cross_reference.h"
#include "compiler/diagnostics.h"
#include "compiler/grammar.h"
#include "compiler/grammar_actions.h"
#include "compiler/labels.h"
#include "compiler/messages.h"
#include "compiler/options.h"
#include "compiler/scanner.h"
#include "compiler/tables.h"

#include <utility>

namespace formcomp {

void reset_compile_state() {
    reset_options();
    reset_console();
    reset_scanner();
    reset_variables();
    reset_labels();
    reset_code();
    reset_grammar_actions();
    reset_diagnostics();
    reset_cross_reference();
    reset_output_files();
}

void start_run(run_channels setup) {
    reset_compile_state();
    set_scanner_input(setup.input);
    capture_console(setup.standard_output, setup.standard_error);
    set_output_destination(std::move(setup.output_folder), setup.texts);
}

int compile_formula() {
    start_compile();
    int parse_result;
    try {
        parse_result = parse_formula();
    } catch (const scanner_failure &) {
        return exit_scanner_failure;
    }
    if (parse_result == 0 && compile_ok() == 1) {
        print_output("%s", messages::parsing_ok);
        return exit_success;
    }
    return exit_compile_error;
}

int run_formcomp(int argc, char **argv, run_channels setup) {
    start_run(std::move(setup));
    for (int option; (option = next_option(argc, argv, "dbh")) != -1;) {
        switch (option) {
            case 'd': flags().debug_listing = 1; break;
            case 'b': flags().write_header = 0; break;
            case 'h':
                print_output("%s", messages::help_text);
                return exit_compile_error;
            default:
                return exit_compile_error;
        }
    }
    return compile_formula();
}

}  // namespace formcomp
