// What the language server knows about one open document: the compile
// library's result for its text, the warnings formcomp does not give, and
// the conversion between the compiler's places (lines and byte columns from
// 1) and the editor's (lines from 0, UTF-16 code units from 0).
#pragma once

#include "compiler/compile.h"

#include <string>
#include <vector>

namespace formula_lsp {

struct editor_position {
    int line = 0;       // from 0
    int character = 0;  // UTF-16 code units from the start of the line
};

struct editor_range {
    editor_position start, end;
};

struct warning {
    std::string text;
    formcomp::source_range where;
};

// The most diagnostics shown for one document: the compile's messages
// first, then the warnings. An analysis keeps no more of either.
inline constexpr std::size_t shown_diagnostics = 1000;

class document_analysis {
public:
    explicit document_analysis(std::string text);

    const std::string &text() const { return text_; }
    // The compile's result, with no more than shown_diagnostics messages
    // and without what formcomp would print or write.
    const formcomp::compile_result &result() const { return result_; }
    // No more than shown_diagnostics warnings.
    const std::vector<warning> &warnings() const { return warnings_; }
    // The messages and warnings left out.
    std::size_t diagnostics_left_out() const { return diagnostics_left_out_; }
    bool has_syntax_error() const { return has_syntax_error_; }

    editor_range to_editor(const formcomp::source_range &range) const;
    editor_position to_editor(int line, int column) const;
    // The compiler's line and column (from 1) of an editor position.
    void to_source(const editor_position &position, int &line, int &column) const;

    // The variable or label with an occurrence at (line, column), or null.
    const formcomp::named_entity *entity_at(int line, int column) const;
    // The word of name characters around (line, column), or empty.
    std::string word_at(int line, int column) const;
    // The text of `line` (from 1) up to `column`.
    std::string line_before(int line, int column) const;

private:
    std::string line_text(int line) const;
    void keep_what_is_shown();

    std::string text_;
    std::vector<std::size_t> line_starts_;  // byte offset of each line's start
    formcomp::compile_result result_;
    std::vector<warning> warnings_;
    std::size_t diagnostics_left_out_ = 0;
    bool has_syntax_error_ = false;
};

// Whether (line, column) lies inside `range` (its end included, so that a
// cursor just after a name still finds it).
bool contains(const formcomp::source_range &range, int line, int column);

}  // namespace formula_lsp
