#include "playground/wasm/compile_request.h"

#include <vector>

#include "compiler/compile_run.h"
#include "compiler/input_source.h"
#include "playground/wasm/json_text.h"
#include "playground/wasm/message_places.h"
#include "tools/formeval/loaded_formula.h"

namespace playground {

namespace {

struct compile_outcome {
    int exit_code = 0;
    std::string output;
    std::string error;
    formcomp::compiled_texts texts;
};

// One in-process run of formcomp with `option` (or none) on `source`.
compile_outcome run_compile(std::string_view source, const char *option) {
    formcomp::memory_input_source input(source);
    compile_outcome outcome;
    formcomp::run_channels channels;
    channels.input = &input;
    channels.standard_output = &outcome.output;
    channels.standard_error = &outcome.error;
    channels.texts = &outcome.texts;
    std::vector<char *> arguments{const_cast<char *>("formcomp")};
    if (option) arguments.push_back(const_cast<char *>(option));
    arguments.push_back(nullptr);
    outcome.exit_code = formcomp::run_formcomp(static_cast<int>(arguments.size() - 1), arguments.data(),
                                               std::move(channels));
    return outcome;
}

std::string places_json(const std::vector<message_place> &places) {
    std::string json = "[";
    for (const message_place &place : places) {
        if (json.size() > 1) json += ',';
        json += json_object()
                    .number("line", place.line)
                    .number("column", place.column)
                    .number("end_column", place.end_column)
                    .text("message", place.message)
                    .finished();
    }
    return json + "]";
}

std::string without_extension(const std::string &file_name) {
    return file_name.substr(0, file_name.rfind('.'));
}

}  // namespace

std::string compile_to_json(std::string_view source) {
    const compile_outcome plain = run_compile(source, nullptr);
    const compile_outcome listed = run_compile(source, "-d");
    const std::string messages = plain.output + plain.error;
    json_object result;
    result.number("exit", plain.exit_code)
        .text("messages", messages)
        .raw("places", places_json(place_messages(source, messages)))
        .text("listing", listed.output + listed.error);
    if (plain.exit_code != formcomp::exit_success) return result.finished();

    const compile_outcome bare = run_compile(source, "-b");
    const formeval::loaded_formula formula(plain.texts.symbol_text, plain.texts.code_text);
    result.text("name", without_extension(plain.texts.symbol_name))
        .text("symbol_file", plain.texts.symbol_name)
        .text("code_file", plain.texts.code_name)
        .text("symbols", plain.texts.symbol_text)
        .text("code", plain.texts.code_text)
        .text("symbols_bare", bare.texts.symbol_text)
        .text("code_bare", bare.texts.code_text)
        .texts("inputs", formula.input_names())
        .text("output", formula.output_name());
    return result.finished();
}

}  // namespace playground
