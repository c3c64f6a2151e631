#include "tools/formula_lsp/builtins.h"

namespace formula_lsp {

namespace {

// The descriptions are those of docs/language.md, word for word (the
// server's tests check that they still stand there).
constexpr builtin builtin_table[] = {
    {"round", "round(a, n)", "round(${1:a}, ${2:n})",
     "a rounded to n decimal places, halves away from zero"},
    {"ceil", "ceil(a, n)", "ceil(${1:a}, ${2:n})", "a rounded up at the n-th decimal place"},
    {"floor", "floor(a, n)", "floor(${1:a}, ${2:n})", "a rounded down at the n-th decimal place"},
    {"mod", "a mod b", "mod ${1:b}", "remainder of a ÷ b with the sign of a"},
    {"isin", "isin(NAME)", "isin(${1:name})",
     "the variable has been assigned by an assignment earlier in this evaluation"},
    {"errmsg", "errmsg expression", "errmsg ${1:expression}",
     "computes the expression and ends the evaluation; the output is handed back as it is"},
    {"message", "message expression", "message ${1:expression}",
     "computes the expression; the evaluator shows nothing (kept for older formulas)"},
};

// The scanner's keywords (compiler/scanner.cpp), in its order.
constexpr std::string_view keyword_table[] = {
    "input", "output", "inout",  "local",   "static", "if",     "then",   "else",  "while",
    "goto",  "label",  "method", "proc",    "endp",   "end",    "message", "errmsg", "return",
    "mod",   "and",    "or",     "not",     "isin",   "round",  "ceil",   "floor",
};

}  // namespace

std::span<const builtin> builtins() {
    return builtin_table;
}

const builtin *find_builtin(std::string_view name) {
    for (const builtin &entry : builtin_table) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

std::span<const std::string_view> keywords() {
    return keyword_table;
}

}  // namespace formula_lsp
