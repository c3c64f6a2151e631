#include "in_process_compile.h"

#include "test_files.h"

#include "compiler/compile_run.h"
#include "compiler/input_source.h"

namespace formcomp_test {

in_process_run compile_in_process(std::string_view source, const std::vector<std::string> &options) {
    std::string joined;
    for (const std::string &option : options) joined += (joined.empty() ? "" : " ") + option;
    record_in_corpus(source, joined);

    formcomp::memory_input_source input(source);
    in_process_run run;
    formcomp::run_channels setup;
    setup.input = &input;
    setup.standard_output = &run.standard_output;
    setup.standard_error = &run.standard_error;
    setup.texts = &run.texts;
    std::vector<std::string> arguments{"formcomp"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    run.exit_code = formcomp::run_formcomp(static_cast<int>(arguments.size()), argv.data(), setup);
    formcomp::reset_compile_state();
    return run;
}

}  // namespace formcomp_test
