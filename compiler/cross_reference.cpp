#include "compiler/cross_reference.h"

#include <functional>
#include <map>
#include <string_view>
#include <utility>

namespace formcomp {

namespace {

// Entities of one kind, found by name.
class entity_list {
public:
    named_entity *find(std::string_view name) {
        auto found = positions_.find(name);
        return found == positions_.end() ? nullptr : &entities_[found->second];
    }

    named_entity &add(std::string_view name, name_class kind) {
        positions_.emplace(std::string(name), entities_.size());
        return entities_.emplace_back(named_entity{std::string(name), kind, {}, {}});
    }

    std::vector<named_entity> take() {
        positions_.clear();
        return std::exchange(entities_, {});
    }

private:
    std::vector<named_entity> entities_;
    std::map<std::string, std::size_t, std::less<>> positions_;
};

bool recording = false;
entity_list variables, undeclared, labels;
std::vector<statement_record> statements;
token_value formula_name{};

void record_label(name_role role, std::string_view name, const source_range &where) {
    named_entity *label = labels.find(name);
    if (!label) label = &labels.add(name, name_class::label);
    if (role == name_role::label_definition && label->declaration.line == 0) {
        label->declaration = where;
    } else {
        label->uses.push_back({role, where});
    }
}

}  // namespace

void start_cross_reference() {
    recording = true;
}

void record_name(name_role role, const token_value &name, int declaration_class) {
    if (!recording) return;
    std::string_view text(name.text);
    if (role == name_role::label_definition || role == name_role::jump) {
        record_label(role, text, name.where);
        return;
    }
    named_entity *variable = variables.find(text);
    if (!variable && role == name_role::declaration) {
        variables.add(text, static_cast<name_class>(declaration_class)).declaration = name.where;
        return;
    }
    if (!variable) variable = undeclared.find(text);
    if (!variable) variable = &undeclared.add(text, name_class::undeclared);
    variable->uses.push_back({role, name.where});
}

void record_statement(statement_kind kind, const source_range &where, int first_address, int end_address) {
    if (!recording) return;
    statements.push_back({kind, where, first_address, end_address});
}

void record_formula_name(const token_value &name) {
    formula_name = name;
}

std::vector<named_entity> take_variables() {
    std::vector<named_entity> all = variables.take();
    for (named_entity &entity : undeclared.take()) all.push_back(std::move(entity));
    return all;
}

std::vector<named_entity> take_labels() {
    return labels.take();
}

std::vector<statement_record> take_statement_records() {
    return std::exchange(statements, {});
}

const token_value &recorded_formula_name() {
    return formula_name;
}

void reset_cross_reference() {
    recording = false;
    variables.take();
    undeclared.take();
    labels.take();
    statements = {};
    formula_name = token_value{};
}

}  // namespace formcomp
