#include "tools/formula_lsp/document_analysis.h"

#include "tools/formula_lsp/messages.h"

#include "formula/formatted_text.h"

#include <algorithm>
#include <tuple>

namespace formula_lsp {

namespace {

using formcomp::name_class;
using formcomp::name_role;
using formcomp::named_entity;
using formcomp::source_range;
using formcomp::statement_kind;
using formcomp::statement_record;

// A read of a variable that no assignment before it has set, for every class
// but input (whose value comes from the host).
void find_reads_before_assignment(const named_entity &variable, std::vector<warning> &warnings) {
    if (variable.kind == name_class::input || variable.kind == name_class::undeclared) return;
    for (const formcomp::name_use &use : variable.uses) {
        if (use.role == name_role::assignment) return;
        if (use.role == name_role::read) {
            warnings.push_back(
                {formula::formatted_text(messages::read_before_assignment, variable.name.c_str()), use.where});
            return;
        }
    }
}

void find_unassigned_output(const named_entity &variable, std::vector<warning> &warnings) {
    if (variable.kind != name_class::output) return;
    for (const formcomp::name_use &use : variable.uses) {
        if (use.role == name_role::assignment) return;
    }
    warnings.push_back(
        {formula::formatted_text(messages::output_never_assigned, variable.name.c_str()), variable.declaration});
}

void find_unused_label(const named_entity &label, std::vector<warning> &warnings) {
    if (label.declaration.line == 0) return;
    for (const formcomp::name_use &use : label.uses) {
        if (use.role == name_role::jump) return;
    }
    warnings.push_back(
        {formula::formatted_text(messages::label_never_used, label.name.c_str()), label.declaration});
}

// Statements after a goto or return that no path reaches: the following
// statements of the same list, up to the next label (or the "else" that
// starts the other branch). The lists come from the statements' ranges: a
// statement belongs to the innermost statement that contains it.
void find_unreachable_statements(std::vector<statement_record> statements, std::vector<warning> &warnings) {
    // Source order; of two statements that start together, the outer first.
    auto order = [](const statement_record &s) {
        return std::tuple(s.where.line, s.where.column, -s.where.end_line, -s.where.end_column);
    };
    std::sort(statements.begin(), statements.end(),
              [&](const statement_record &a, const statement_record &b) { return order(a) < order(b); });
    auto ends_before = [](const source_range &outer, const source_range &inner) {
        return outer.end_line != inner.line ? outer.end_line < inner.line : outer.end_column <= inner.column;
    };
    // Walk in source order keeping the open statements; each list is the
    // children of the statement on top (or of the formula).
    struct open_list {
        source_range owner;
        bool unreachable = false;
        source_range first, last;
    };
    std::vector<open_list> lists{{source_range{}, false, source_range{}, source_range{}}};
    auto close_list = [&](open_list &list) {
        if (list.unreachable && list.first.line != 0) {
            source_range whole{list.first.line, list.first.column, list.last.end_line, list.last.end_column};
            warnings.push_back({messages::unreachable_statements, whole});
        }
    };
    for (const statement_record &statement : statements) {
        while (lists.size() > 1 && ends_before(lists.back().owner, statement.where)) {
            close_list(lists.back());
            lists.pop_back();
        }
        open_list &list = lists.back();
        if (statement.kind == statement_kind::label || statement.kind == statement_kind::branch) {
            close_list(list);
            list.unreachable = false;
            list.first = list.last = source_range{};
            continue;
        }
        if (list.unreachable) {
            if (list.first.line == 0) list.first = statement.where;
            list.last = statement.where;
        }
        if (statement.kind == statement_kind::jump || statement.kind == statement_kind::stop) {
            list.unreachable = true;
        }
        lists.push_back({statement.where, false, source_range{}, source_range{}});
    }
    while (!lists.empty()) {
        close_list(lists.back());
        lists.pop_back();
    }
}

}  // namespace

bool contains(const source_range &range, int line, int column) {
    if (line < range.line || line > range.end_line) return false;
    if (line == range.line && column < range.column) return false;
    if (line == range.end_line && column > range.end_column) return false;
    return true;
}

document_analysis::document_analysis(std::string text) : text_(std::move(text)) {
    line_starts_.push_back(0);
    for (std::size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '\n') line_starts_.push_back(i + 1);
    }
    result_ = formcomp::compile_source(text_, {.kept_messages = shown_diagnostics, .keep_printed_text = false});
    for (const named_entity &variable : result_.variables) {
        find_reads_before_assignment(variable, warnings_);
        find_unassigned_output(variable, warnings_);
    }
    for (const named_entity &label : result_.labels) find_unused_label(label, warnings_);
    find_unreachable_statements(std::move(result_.statements), warnings_);
    keep_what_is_shown();
}

// An analysis stays while its document is open: it keeps the names and what
// its diagnostics show, and drops the rest, so that a document with
// millions of messages costs no more than its names.
void document_analysis::keep_what_is_shown() {
    for (const formcomp::compile_message &message : result_.messages) {
        has_syntax_error_ = has_syntax_error_ || message.kind == formcomp::message_kind::syntax;
    }
    std::size_t messages = std::min(result_.messages.size(), shown_diagnostics);
    std::size_t warnings = std::min(warnings_.size(), shown_diagnostics - messages);
    diagnostics_left_out_ =
        result_.messages_left_out + result_.messages.size() + warnings_.size() - messages - warnings;
    result_.messages.resize(messages);
    result_.messages.shrink_to_fit();
    warnings_.resize(warnings);
    warnings_.shrink_to_fit();
    result_.statements = {};
    result_.standard_output = {};
    result_.standard_error = {};
    result_.texts = {};
}

std::string document_analysis::line_text(int line) const {
    if (line < 1 || static_cast<std::size_t>(line) > line_starts_.size()) return {};
    std::size_t start = line_starts_[static_cast<std::size_t>(line) - 1];
    std::size_t end = static_cast<std::size_t>(line) < line_starts_.size()
                          ? line_starts_[static_cast<std::size_t>(line)] - 1
                          : text_.size();
    return text_.substr(start, end - start);
}

editor_position document_analysis::to_editor(int line, int column) const {
    if (line < 1) return {};
    std::string text = line_text(line);
    std::size_t bytes = column > 1 ? std::min(text.size(), static_cast<std::size_t>(column - 1)) : 0;
    int units = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte
        units += c >= 0xF0 ? 2 : 1;        // four-byte sequences are surrogate pairs
    }
    return {line - 1, units};
}

editor_range document_analysis::to_editor(const source_range &range) const {
    return {to_editor(range.line, range.column), to_editor(range.end_line, range.end_column)};
}

void document_analysis::to_source(const editor_position &position, int &line, int &column) const {
    // Past the last line is the empty line after it; the count of lines fits an int.
    std::size_t index = std::min(static_cast<std::size_t>(std::max(position.line, 0)), line_starts_.size());
    line = static_cast<int>(index) + 1;
    std::string text = line_text(line);
    int units = 0;
    std::size_t i = 0;
    while (i < text.size() && units < position.character) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        units += c >= 0xF0 ? 2 : 1;
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    column = static_cast<int>(i) + 1;
}

const named_entity *document_analysis::entity_at(int line, int column) const {
    for (const auto *entities : {&result_.variables, &result_.labels}) {
        for (const named_entity &entity : *entities) {
            if (entity.declaration.line != 0 && contains(entity.declaration, line, column)) return &entity;
            for (const formcomp::name_use &use : entity.uses) {
                if (contains(use.where, line, column)) return &entity;
            }
        }
    }
    return nullptr;
}

std::string document_analysis::word_at(int line, int column) const {
    std::string text = line_text(line);
    auto is_name_char = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    std::size_t at = static_cast<std::size_t>(std::max(column - 1, 0));
    if (at > text.size()) return {};
    std::size_t start = at, end = at;
    while (start > 0 && is_name_char(text[start - 1])) --start;
    while (end < text.size() && is_name_char(text[end])) ++end;
    return text.substr(start, end - start);
}

std::string document_analysis::line_before(int line, int column) const {
    std::string text = line_text(line);
    return text.substr(0, std::min(text.size(), static_cast<std::size_t>(std::max(column - 1, 0))));
}

}  // namespace formula_lsp
