// Builds the two texts of a compiled formula through formula/format.h, the way
// the compiler writes them, and evaluates them through Formula.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "formula/format.h"
#include "zerizi.h"

namespace test_support {

struct formula_texts {
    std::string symbols;
    std::string code;

    double evaluate(std::vector<double> inputs = {}, double element0 = -12345.0) const {
        std::vector<double> values{element0};
        values.insert(values.end(), inputs.begin(), inputs.end());
        const char *texts[2] = {symbols.c_str(), code.c_str()};
        int result = Formula(values.data(), texts);
        if (result != 1) return -99999.0;
        return values[0];
    }
};

class formula_builder {
public:
    int variable(int scope, const std::string &name) {
        symbols_.push_back({formula::tipo_variable, scope, name});
        return static_cast<int>(symbols_.size());
    }
    int input(const std::string &name) { return variable(formula::scope_input, name); }
    int output(const std::string &name) { return variable(formula::scope_output, name); }
    int constant(const std::string &literal) {
        symbols_.push_back({formula::tipo_constant, formula::scope_input, literal});
        return static_cast<int>(symbols_.size());
    }

    // Instructions; each returns the address of the instruction it appended.
    int operand(int index) { return emit(formula::Operando, index); }
    int reference(int value) { return emit(formula::Riferimento, value); }
    int op(int opcode) { return emit(formula::Operatore, opcode); }
    int emit(int kind, int value) {
        code_.emplace_back(kind, value);
        return static_cast<int>(code_.size());
    }
    // The address the next instruction will have.
    int next_address() const { return static_cast<int>(code_.size()) + 1; }
    void patch(int address, int value) { code_[address - 1].second = value; }

    // value-code already emitted; stores it into `index`.
    void assign_to(int index) {
        reference(index);
        op(formula::ASSIGN);
    }

    formula_texts build(const std::string &name = "TEST") const {
        formula_texts texts;
        formula::append_header(texts.symbols, name, static_cast<int>(symbols_.size()));
        for (const auto &symbol : symbols_)
            formula::append_symbol_record(texts.symbols, symbol.tipo, symbol.scope, symbol.text);
        formula::append_header(texts.code, name, static_cast<int>(code_.size()));
        for (const auto &[kind, value] : code_) formula::append_instruction_record(texts.code, kind, value);
        return texts;
    }

private:
    struct symbol {
        int tipo;
        int scope;
        std::string text;
    };
    std::vector<symbol> symbols_;
    std::vector<std::pair<int, int>> code_;
};

// The CALC formula: input A, output R, R = A * 2.
inline formula_texts calc_example() {
    formula_builder f;
    int a = f.input("A");
    int r = f.output("R");
    int two = f.constant("2");
    f.operand(a);
    f.operand(two);
    f.op(formula::MULT);
    f.assign_to(r);
    f.op(formula::STOP);
    return f.build("CALC");
}

// R = A OP B, with A and B the inputs.
inline formula_texts binary_formula(int opcode) {
    formula_builder f;
    int a = f.input("A");
    int b = f.input("B");
    int r = f.output("R");
    f.operand(a);
    f.operand(b);
    f.op(opcode);
    f.assign_to(r);
    f.op(formula::STOP);
    return f.build();
}

// R = OP A, with A the input.
inline formula_texts unary_formula(int opcode) {
    formula_builder f;
    int a = f.input("A");
    int r = f.output("R");
    f.operand(a);
    f.op(opcode);
    f.assign_to(r);
    f.op(formula::STOP);
    return f.build();
}

inline double apply(int opcode, double a, double b) { return binary_formula(opcode).evaluate({a, b}); }
inline double apply(int opcode, double x) { return unary_formula(opcode).evaluate({x}); }

}  // namespace test_support
