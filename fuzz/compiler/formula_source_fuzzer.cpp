// Arbitrary bytes as the source of one compile, run in process: no crash, no
// sanitizer report, an exit code of 0, 1 or 2, and output consistent with it.
// The first byte also picks the options -d and -b, and the size how the
// input is cut into reads, so those paths are explored too.
#include "compiler/compile_run.h"
#include "compiler/input_source.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view source(reinterpret_cast<const char *>(data), size);
    unsigned options = size > 0 ? data[0] : 0;
    formcomp::memory_input_source input(source, size % 7 == 0 ? 1 : 8192);
    std::string output, errors;
    formcomp::compiled_texts texts;
    formcomp::run_channels setup;
    setup.input = &input;
    setup.standard_output = &output;
    setup.standard_error = &errors;
    setup.texts = &texts;

    char program[] = "formcomp", debug[] = "-d", no_header[] = "-b";
    char *argv[4] = {program};
    int argc = 1;
    if (options & 1) argv[argc++] = debug;
    if (options & 2) argv[argc++] = no_header;
    argv[argc] = nullptr;

    int exit_code = formcomp::run_formcomp(argc, argv, setup);
    switch (exit_code) {
        case 0:
            // Success: both texts, and "Parsing ok" last.
            if (texts.code_name.empty() || texts.symbol_name.empty()) std::abort();
            if (!output.ends_with("Parsing ok\n") || !errors.empty()) std::abort();
            break;
        case 1:
            if (output.find("Parsing ok") != std::string::npos) std::abort();
            break;
        case 2:
            if (errors.empty()) std::abort();
            break;
        default:
            std::abort();
    }
    return 0;
}
