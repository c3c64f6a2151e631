// formeval NAME [INPUT ...]: reads NAME.sym and NAME.obj from the current
// folder, evaluates them through Formula with the inputs in elements 1, 2, ...
// of the value array, and prints element 0 in the shortest form that reads
// back as the same double.
#include <cstdio>
#include <string>
#include <vector>

#include "formula/format.h"
#include "zerizi.h"
#include "tools/formeval/arguments.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace formeval {
namespace {

template <typename... Args>
int refuse(const char *format, Args... args) {
    std::fputs("formeval: ", stderr);
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
    return exit_refused;
}

// Reads one of the two texts and checks its header.
bool load_text(const std::string &path, std::size_t record_width, std::string &text, int &exit_code) {
    if (!read_file(path, text)) {
        exit_code = refuse(unreadable_file_text, path.c_str());
        return false;
    }
    if (!has_header(text, record_width)) {
        exit_code = refuse(missing_header_text, path.c_str());
        return false;
    }
    return true;
}

int evaluate(const invocation &call) {
    std::vector<double> values(1, 0.0);
    for (std::size_t i = 0; i < call.inputs.size(); ++i) {
        auto number = parse_number(call.inputs[i]);
        if (!number) return refuse(not_a_number_text, static_cast<int>(i + 1), call.inputs[i].c_str());
        values.push_back(*number);
    }
    std::string symbols, code;
    int exit_code = exit_evaluated;
    if (!load_text(call.name + ".sym", formula::symbol_record_width, symbols, exit_code) ||
        !load_text(call.name + ".obj", formula::instruction_record_width, code, exit_code))
        return exit_code;
    // The value array must hold an element for every input variable.
    int needed = count_input_variables(symbols);
    if (needed != static_cast<int>(call.inputs.size()))
        return refuse(input_count_text, needed, static_cast<int>(call.inputs.size()));

    const char *texts[2] = {symbols.c_str(), code.c_str()};
    Formula(values.data(), texts);
    std::printf("%s\n", shortest_text(values[0]).c_str());
    return exit_evaluated;
}

}  // namespace
}  // namespace formeval

int main(int argc, char **argv) {
    formeval::invocation call;
    std::string error;
    if (!formeval::parse_arguments(argc, argv, call, error)) return formeval::refuse("%s", error.c_str());
    return formeval::evaluate(call);
}
