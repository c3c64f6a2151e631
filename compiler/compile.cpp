#include "compiler/compile.h"

#include "compiler/compile_run.h"
#include "compiler/input_source.h"
#include "compiler/options.h"
#include "compiler/scanner.h"

#include <utility>

#include <map>

namespace formcomp {

namespace {

// The names of the run's cross reference, each with its declaration and
// its uses.
void collect_names(compile_result &result) {
    std::map<std::string, std::size_t> variable_index, label_index;
    std::vector<named_entity> undeclared;
    std::map<std::string, std::size_t> undeclared_index;
    for (const name_occurrence &seen : name_occurrences()) {
        bool is_label = seen.role == name_role::label_definition || seen.role == name_role::jump;
        if (is_label) {
            auto [at, added] = label_index.try_emplace(seen.name, result.labels.size());
            if (added) result.labels.push_back({seen.name, name_class::label, {}, {}});
            named_entity &label = result.labels[at->second];
            if (seen.role == name_role::label_definition && label.declaration.line == 0) {
                label.declaration = seen.where;
            } else {
                label.uses.push_back({seen.role, seen.where});
            }
            continue;
        }
        if (seen.role == name_role::declaration) {
            auto [at, added] = variable_index.try_emplace(seen.name, result.variables.size());
            if (added) {
                result.variables.push_back({seen.name, static_cast<name_class>(seen.declaration_class), seen.where, {}});
            } else {
                result.variables[at->second].uses.push_back({seen.role, seen.where});
            }
            continue;
        }
        if (auto known = variable_index.find(seen.name); known != variable_index.end()) {
            result.variables[known->second].uses.push_back({seen.role, seen.where});
            continue;
        }
        auto [at, added] = undeclared_index.try_emplace(seen.name, undeclared.size());
        if (added) undeclared.push_back({seen.name, name_class::undeclared, {}, {}});
        undeclared[at->second].uses.push_back({seen.role, seen.where});
    }
    for (named_entity &entity : undeclared) result.variables.push_back(std::move(entity));
}

}  // namespace

compile_result compile_source(std::string_view source, const compile_settings &settings) {
    compile_result result;
    memory_input_source input(source);
    run_channels channels;
    channels.input = &input;
    channels.standard_output = &result.standard_output;
    channels.standard_error = &result.standard_error;
    channels.texts = &result.texts;
    start_run(std::move(channels));
    flags().debug_listing = settings.debug_listing ? 1 : 0;
    flags().write_header = settings.write_header ? 1 : 0;
    result.exit_code = compile_formula();
    result.succeeded = result.exit_code == exit_success;
    result.messages = compile_messages();
    result.formula_name = recorded_formula_name();
    result.statements = statement_records();
    collect_names(result);
    reset_compile_state();
    return result;
}

}  // namespace formcomp
