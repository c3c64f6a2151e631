#include "playground/wasm/compile_request.h"

#include <vector>

#include "compiler/compile.h"
#include "playground/wasm/json_text.h"
#include "tools/formeval/loaded_formula.h"

namespace playground {

namespace {

std::string places_json(const std::vector<formcomp::compile_message> &messages) {
    std::string json = "[";
    for (const formcomp::compile_message &message : messages) {
        if (json.size() > 1) json += ',';
        std::string text = message.text;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        json += json_object()
                    .number("line", message.where.line)
                    .number("column", message.where.column)
                    .number("end_line", message.where.end_line)
                    .number("end_column", message.where.end_column)
                    .text("message", text)
                    .text("found", message.found)
                    .texts("expected", message.expected)
                    .finished();
    }
    return json + "]";
}

std::string without_extension(const std::string &file_name) {
    return file_name.substr(0, file_name.rfind('.'));
}

}  // namespace

std::string compile_to_json(std::string_view source) {
    const formcomp::compile_result plain = formcomp::compile_source(source);
    const formcomp::compile_result listed = formcomp::compile_source(source, {.debug_listing = true});
    json_object result;
    result.number("exit", plain.exit_code)
        .text("messages", plain.standard_output + plain.standard_error)
        .raw("places", places_json(plain.messages))
        .text("listing", listed.standard_output + listed.standard_error);
    if (!plain.succeeded) return result.finished();

    const formcomp::compile_result bare = formcomp::compile_source(source, {.write_header = false});
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
