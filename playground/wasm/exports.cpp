// The functions the page's worker calls. Every text arrives as a pointer and
// a length (a source may hold any bytes, zero bytes included) and every
// result is a JSON text in memory from malloc, which the caller frees.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include <emscripten/emscripten.h>

#include "playground/wasm/compare_request.h"
#include "playground/wasm/compile_request.h"
#include "playground/wasm/evaluation_requests.h"
#include "playground/wasm/json_text.h"

namespace {

char *handed_over(const std::string &json) {
    char *copy = static_cast<char *>(std::malloc(json.size() + 1));
    if (copy) std::memcpy(copy, json.c_str(), json.size() + 1);
    return copy;
}

// Runs `request`; an allocation that fails becomes an error the page shows.
template <typename Request>
char *answer(Request &&request) {
    try {
        return handed_over(request());
    } catch (const std::bad_alloc &) {
        return handed_over(playground::json_object().text("failure", "memoria esaurita").finished());
    }
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char *playground_compile(const char *source, std::size_t source_length) {
    return answer([&] { return playground::compile_to_json({source, source_length}); });
}

EMSCRIPTEN_KEEPALIVE char *playground_evaluate(const char *symbols, std::size_t symbols_length, const char *code,
                                               std::size_t code_length, const char *inputs,
                                               std::size_t inputs_length) {
    return answer([&] {
        return playground::evaluate_to_json({symbols, symbols_length}, {code, code_length},
                                            {inputs, inputs_length});
    });
}

EMSCRIPTEN_KEEPALIVE char *playground_trace(const char *symbols, std::size_t symbols_length, const char *code,
                                            std::size_t code_length, const char *inputs,
                                            std::size_t inputs_length) {
    return answer([&] {
        return playground::trace_to_json({symbols, symbols_length}, {code, code_length},
                                         {inputs, inputs_length});
    });
}

EMSCRIPTEN_KEEPALIVE char *playground_csv(const char *source, std::size_t source_length, const char *file_name,
                                          std::size_t file_name_length, const char *csv, std::size_t csv_length) {
    return answer([&] {
        return playground::csv_to_json({source, source_length}, {file_name, file_name_length}, {csv, csv_length});
    });
}

EMSCRIPTEN_KEEPALIVE char *playground_compare(const char *old_source, std::size_t old_source_length,
                                              const char *new_source, std::size_t new_source_length,
                                              const char *file_name, std::size_t file_name_length, const char *csv,
                                              std::size_t csv_length) {
    return answer([&] {
        return playground::compare_to_json({old_source, old_source_length}, {new_source, new_source_length},
                                           {file_name, file_name_length}, {csv, csv_length});
    });
}

}  // extern "C"
