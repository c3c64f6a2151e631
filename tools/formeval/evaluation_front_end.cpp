#include "tools/formeval/evaluation_front_end.h"

#include <cstdio>

#include "formula/formatted_text.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/number_text.h"

namespace formeval {

bool read_inputs(std::span<const std::string_view> typed, int needed, std::vector<double> &inputs,
                 std::string &error) {
    inputs.clear();
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const auto number = parse_number(typed[i]);
        if (!number) {
            error = formula::formatted_text(not_a_number_text, static_cast<int>(i + 1), std::string(typed[i]).c_str());
            return false;
        }
        inputs.push_back(*number);
    }
    if (needed != static_cast<int>(inputs.size())) {
        // Two numbers: room enough on the stack (formatted_text's first try
        // would be cut short, which the compiler warns of).
        char text[160];
        std::snprintf(text, sizeof text, input_count_text, needed, static_cast<int>(inputs.size()));
        error = text;
        return false;
    }
    return true;
}

void append_value_line(std::string &out, const char *prefix, const std::string &name, double value) {
    out.append(prefix).append(": ").append(name).append(" = ");
    append_shortest_text(out, value);
    out += '\n';
}

std::string result_line(double value) {
    std::string line;
    append_shortest_text(line, value);
    line += '\n';
    return line;
}

}  // namespace formeval
