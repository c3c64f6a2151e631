#include "tools/formeval/compiled_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "formula/format.h"

namespace formeval {

bool read_file(const std::string &path, std::string &contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

namespace {

// "%4d" of a count >= 0: blanks, then at least one digit up to the field's end.
bool is_count_field(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i == field.size()) return false;
    for (; i < field.size(); ++i)
        if (field[i] < '0' || field[i] > '9') return false;
    return true;
}

}  // namespace

bool has_header(const std::string &text, std::size_t record_width) {
    if (text.size() < formula::header_width) return false;
    std::string_view field = formula::cut_field(text, formula::header_count_offset, formula::header_count_width);
    if (!is_count_field(field)) return false;
    std::size_t expected = formula::header_width + record_width * static_cast<std::size_t>(formula::parse_int_field(field));
    std::string_view rest = std::string_view(text).substr(std::min(expected, text.size()));
    return text.size() >= expected && (rest.empty() || rest == "\n" || rest == "\r\n");
}

int count_input_variables(const std::string &symbol_text) {
    int inputs = 0;
    for (const symbol_record &record : read_symbol_records(symbol_text))
        inputs += (record.tipo == formula::tipo_variable && record.scope == formula::scope_input);
    return inputs;
}

bool has_output_variable(const std::string &symbol_text) {
    for (const symbol_record &record : read_symbol_records(symbol_text))
        if (record.tipo == formula::tipo_variable && record.scope == formula::scope_output) return true;
    return false;
}

std::vector<symbol_record> read_symbol_records(const std::string &symbol_text) {
    const std::size_t count = formula::complete_records(symbol_text, formula::read_header_count(symbol_text),
                                                        formula::symbol_record_width);
    std::vector<symbol_record> records(count);
    for (std::size_t i = 1; i <= count; ++i) {
        std::size_t position = formula::record_position(i, formula::symbol_record_width);
        symbol_record &record = records[i - 1];
        record.tipo = formula::read_int_field(symbol_text, position + formula::symbol_tipo_offset, 1);
        record.scope = formula::read_int_field(symbol_text, position + formula::symbol_scope_offset, 1);
        std::string_view text = formula::cut_field(symbol_text, position + formula::symbol_text_offset,
                                                   formula::symbol_text_width);
        text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
        record.text = text;
    }
    return records;
}

std::vector<instruction_record> read_instruction_records(const std::string &code_text) {
    const std::size_t count = formula::complete_records(code_text, formula::read_header_count(code_text),
                                                        formula::instruction_record_width);
    std::vector<instruction_record> records(count);
    for (std::size_t i = 1; i <= count; ++i) {
        std::size_t position = formula::record_position(i, formula::instruction_record_width);
        records[i - 1].kind = formula::read_int_field(code_text, position + formula::instruction_kind_offset, 1);
        records[i - 1].value = formula::read_int_field(code_text, position + formula::instruction_value_offset,
                                                       formula::instruction_value_width);
    }
    return records;
}

}  // namespace formeval
