#include "compiler/compile.h"

#include "compiler/compile_run.h"
#include "compiler/console_output.h"
#include "compiler/input_source.h"
#include "compiler/options.h"
#include "compiler/scanner.h"

#include <utility>

namespace formcomp {

compile_result compile_source(std::string_view source, const compile_settings &settings) {
    compile_result result;
    memory_input_source input(source);
    run_channels channels;
    channels.input = &input;
    channels.standard_output = &result.standard_output;
    channels.standard_error = &result.standard_error;
    channels.texts = &result.texts;
    start_run(std::move(channels));
    flags().debug_listing = settings.debug_listing ? 1 : 0;
    flags().write_header = settings.write_header ? 1 : 0;
    keep_messages_up_to(settings.kept_messages);
    start_cross_reference();
    if (!settings.keep_printed_text) discard_console();
    result.exit_code = compile_formula();
    result.succeeded = result.exit_code == exit_success;
    result.messages = take_compile_messages();
    result.messages_left_out = compile_messages_left_out();
    result.formula_name = recorded_formula_name();
    result.statements = take_statement_records();
    result.variables = take_variables();
    result.labels = take_labels();
    reset_compile_state();
    return result;
}

}  // namespace formcomp
