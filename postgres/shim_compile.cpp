// formula_compile's C++ side: the compile library, in memory.
#include "postgres/formula_shim.h"

#include <string>
#include <string_view>

#include "compiler/compile.h"
#include "compiler/messages.h"
#include "postgres/shim_text_copy.h"

namespace {

using formula_postgres::malloc_copy;

std::string_view without_line_end(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The tables' and the scanner's limits: the source is too large rather than wrong.
bool is_limit_message(const formcomp::compile_message &message) {
    if (message.kind == formcomp::message_kind::scanner_failure) return true;
    for (std::string_view limit : {"Troppe ", "Troppi ", "troppo lungo"})
        if (message.text.find(limit) != std::string::npos) return true;
    return false;
}

formula_compile_outcome refused(const formcomp::compile_result &result) {
    formula_compile_outcome outcome{formula_source_refused, nullptr, nullptr, nullptr, nullptr};
    std::string first, others;
    if (result.messages.empty()) {
        first = without_line_end(result.standard_error.empty() ? result.standard_output : result.standard_error);
    } else {
        first = without_line_end(result.messages.front().text);
        if (is_limit_message(result.messages.front())) outcome.status = formula_source_too_large;
        for (std::size_t i = 1; i < result.messages.size(); ++i) {
            if (!others.empty()) others += '\n';
            others += without_line_end(result.messages[i].text);
        }
    }
    outcome.message = malloc_copy(first);
    if (!others.empty()) outcome.detail = malloc_copy(others);
    if (outcome.message == nullptr) outcome.status = formula_out_of_memory;
    return outcome;
}

}  // namespace

extern "C" formula_compile_outcome formula_shim_compile(const char *source, size_t length) {
    formula_compile_outcome outcome{formula_out_of_memory, nullptr, nullptr, nullptr, nullptr};
    try {
        const formcomp::compile_result result = formcomp::compile_source(std::string_view(source, length));
        if (!result.succeeded) return refused(result);
        outcome.symbol_text = malloc_copy(result.texts.symbol_text);
        outcome.code_text = malloc_copy(result.texts.code_text);
        if (outcome.symbol_text != nullptr && outcome.code_text != nullptr) {
            outcome.status = formula_compiled;
            return outcome;
        }
    } catch (...) {
        // Only memory can run out in a compile held in memory.
    }
    formula_shim_free(outcome.symbol_text);
    formula_shim_free(outcome.code_text);
    return {formula_out_of_memory, nullptr, nullptr, nullptr, nullptr};
}
