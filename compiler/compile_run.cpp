#include "compiler/compile_run.h"

#include "compiler/console_output.h"
#include "compiler/grammar.h"
#include "compiler/messages.h"
#include "compiler/options.h"
#include "compiler/scanner.h"

#include <utility>

namespace formcomp {

int run_formcomp(int argc, char **argv, run_channels setup) {
    reset_process_state();
    channels = std::move(setup);
    for (int option; (option = next_option(argc, argv, "dbh")) != -1;) {
        switch (option) {
            case 'd': debug_listing = 1; break;
            case 'b': write_header = 0; break;
            case 'h':
                print_output("%s", messages::help_text);
                return exit_compile_error;
            default:
                return exit_compile_error;
        }
    }
    compile_ok = 1;
    int parse_result;
    try {
        parse_result = parse_formula();
    } catch (const scanner_failure &) {
        return exit_scanner_failure;
    }
    if (parse_result == 0 && compile_ok == 1) {
        print_output("%s", messages::parsing_ok);
        return exit_success;
    }
    return exit_compile_error;
}

}  // namespace formcomp
