// The language's keywords and built-ins as the editor shows them: each
// built-in with its signature, a snippet of its arguments and the one-line
// description of docs/language.md.
#pragma once

#include <span>
#include <string_view>

namespace formula_lsp {

struct builtin {
    std::string_view name;
    std::string_view signature;
    std::string_view snippet;  // LSP snippet syntax
    std::string_view description;
};

std::span<const builtin> builtins();
const builtin *find_builtin(std::string_view name);

// Every keyword of the scanner, built-ins included (the server's tests check
// the list against the scanner's table).
std::span<const std::string_view> keywords();

}  // namespace formula_lsp
