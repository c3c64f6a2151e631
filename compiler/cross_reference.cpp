#include "compiler/cross_reference.h"

namespace formcomp {

namespace {

std::vector<name_occurrence> occurrences;
std::vector<statement_record> statements;
token_value formula_name{};

}  // namespace

void record_name(name_role role, const token_value &name, int declaration_class) {
    occurrences.push_back({name.text, role, declaration_class, name.where});
}

void record_statement(statement_kind kind, const source_range &where, int first_address, int end_address) {
    statements.push_back({kind, where, first_address, end_address});
}

void record_formula_name(const token_value &name) {
    formula_name = name;
}

const std::vector<name_occurrence> &name_occurrences() {
    return occurrences;
}

const std::vector<statement_record> &statement_records() {
    return statements;
}

const token_value &recorded_formula_name() {
    return formula_name;
}

void reset_cross_reference() {
    occurrences.clear();
    statements.clear();
    formula_name = token_value{};
}

}  // namespace formcomp
