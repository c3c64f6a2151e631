#include "compile_and_evaluate.h"

#include "compiler/compile_run.h"
#include "compiler/input_source.h"

#include <zerizi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace end_to_end {

namespace fs = std::filesystem;

std::string read_text_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

compiled_formula compile(std::string_view source) {
    static std::atomic<unsigned> counter{0};
    fs::path folder = fs::temp_directory_path() /
                      ("formula_end_to_end_" + std::to_string(std::random_device{}()) + "_" +
                       std::to_string(counter++));
    fs::create_directories(folder);

    formcomp::memory_input_source input(source);
    compiled_formula result;
    std::string errors;
    formcomp::run_channels setup;
    setup.input = &input;
    setup.standard_output = &result.messages;
    setup.standard_error = &errors;
    setup.output_folder = folder.string();
    char program[] = "formcomp";
    char *argv[] = {program, nullptr};
    result.exit_code = formcomp::run_formcomp(1, argv, setup);
    formcomp::reset_compile_state();

    for (const fs::directory_entry &entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.ends_with(".sym")) result.symbol_text = read_text_file(entry.path().string());
        if (name.ends_with(".obj")) result.code_text = read_text_file(entry.path().string());
    }
    fs::remove_all(folder);
    return result;
}

double evaluate(const compiled_formula &formula, const std::vector<double> &inputs, double before) {
    std::vector<double> values{before};
    values.insert(values.end(), inputs.begin(), inputs.end());
    const char *texts[2] = {formula.symbol_text.c_str(), formula.code_text.c_str()};
    EXPECT_EQ(Formula(values.data(), texts), 1);
    return values[0];
}

double run(std::string_view source, const std::vector<double> &inputs) {
    compiled_formula formula = compile(source);
    EXPECT_EQ(formula.exit_code, 0) << formula.messages;
    EXPECT_FALSE(formula.code_text.empty());
    return evaluate(formula, inputs);
}

}  // namespace end_to_end
