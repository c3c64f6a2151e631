// Fuzzes the evaluator with arbitrary symbol and code texts. The input is cut
// at its first zero byte: the symbol text before it, the code text after it
// (up to a second zero byte, since both are zero-terminated strings). The
// value array has room for as many inputs as a 4-digit count can declare.
//
// The texts are also prepared through ZERIZI_PREPARED, with their jumps and
// without them, and a few evaluations compared with the engine's and fresh
// Formula calls, zero divisors included; their translation into steps on
// registers is run under a run budget as well.
//
// A formula whose own jumps loop forever is legitimate and never returns, so
// this harness bounds every run of the engine with a run budget
// (run_budget.h), and calls Formula and the prepared formula only on code the
// engine ran to its end within it; the steps on registers of the other code
// must stop at their budget. An observer checks every instruction fetched,
// assignment and zero divisor.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "evaluator/engine.h"
#include "evaluator/execution.h"
#include "evaluator/operation_modes.h"
#include "evaluator/register_code.h"
#include "evaluator/run_budget.h"
#include "formula/format.h"
#include "zerizi.h"
#include "zerizi_prepared.h"

namespace {

constexpr std::uint64_t instruction_budget = 20000;

struct checking_observer {
    bool before_instruction(std::int32_t address, const zerizi::instruction &, const zerizi::value_stack &stack) {
        // The loop must only ever fetch instructions 1 .. n + 1 and keep its
        // stack inside itself.
        if (address < 1 || address > engine->instruction_count() + 1) __builtin_trap();
        if (stack.depth() > stack.capacity()) __builtin_trap();
        return true;
    }
    void after_assign(std::int32_t index, double) {
        if (!engine->names_symbol(index)) __builtin_trap();
    }
    void zero_divisor(std::int32_t address) {
        const zerizi::operation_mode &mode = zerizi::mode_of(engine->code(address).operation);
        if (!mode.divides) __builtin_trap();
    }
    const zerizi::engine *engine;
};

// What the steps on registers return when they give up (a zero divisor).
constexpr int gave_up = -100;

// Compares the prepared formula of `texts` with the engine on a few inputs:
// where the engine ends within its budget, element 0 and the zero divisors of
// the engine, Formula and FormulaEvaluate agree, and the steps on registers
// under a budget of as many instructions neither ask it nor differ; where
// the engine does not end, the steps stop at their budget or give up.
void compare_prepared(const std::string &symbols, const std::string &code, std::vector<double> &values) {
    const char *texts[2] = {symbols.c_str(), code.c_str()};
    std::string kept_symbols = symbols, kept_code = code;
    const char *kept_texts[2] = {kept_symbols.c_str(), kept_code.c_str()};
    PreparedFormula *prepared = FormulaPrepare(kept_texts);
    if (prepared == nullptr) __builtin_trap();
    kept_symbols.assign(kept_symbols.size(), '1');
    kept_code.assign(kept_code.size(), '1');
    zerizi::engine engine;
    engine.load_formula(texts);
    zerizi::register_code steps;
    steps.translate(engine);
    for (int evaluation = 0; evaluation < 3; ++evaluation) {
        for (std::size_t i = 1; i < 8; ++i) values[i] = static_cast<double>((i + evaluation) % 5) - 1.5 * evaluation;
        values[0] = 0.25 * evaluation;
        std::vector<double> by_engine = values;
        const int engine_divisors = zerizi::run_bound_code(engine, by_engine.data(), checking_observer{&engine},
                                                           zerizi::stopping_after(instruction_budget));
        std::vector<double> by_steps = values;
        if (engine_divisors != zerizi::stopped_by_budget) {
            std::vector<double> fresh = values;
            Formula(fresh.data(), texts);
            const int prepared_divisors = FormulaEvaluate(prepared, values.data());
            if (std::memcmp(&fresh[0], &values[0], sizeof(double)) != 0) __builtin_trap();
            if (std::memcmp(&by_engine[0], &values[0], sizeof(double)) != 0) __builtin_trap();
            if (prepared_divisors != engine_divisors) __builtin_trap();
            // The steps charge at most the instructions the engine ran.
            const zerizi::run_budget never{instruction_budget, [](void *) -> bool { __builtin_trap(); }, nullptr};
            const int result =
                steps.run(by_steps.data(), never, [](zerizi::register_code &, double *) { return gave_up; });
            if (result != gave_up && (result != 0 || std::memcmp(&by_steps[0], &values[0], sizeof(double)) != 0))
                __builtin_trap();
        } else {
            long asked = 0;
            const zerizi::run_budget bounded{64, [](void *context) { return ++*static_cast<long *>(context) < 1000; },
                                             &asked};
            const int result =
                steps.run(by_steps.data(), bounded, [](zerizi::register_code &, double *) { return gave_up; });
            if (result == zerizi::stopped_by_budget &&
                (asked != 1000 || std::memcmp(&by_steps[0], &values[0], sizeof(double)) != 0))
                __builtin_trap();
        }
    }
    engine.release_formula();
    FormulaRelease(prepared);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string input(reinterpret_cast<const char *>(data), size);
    std::size_t cut = input.find('\0');
    std::string symbols = input.substr(0, cut);
    std::string code = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    code = code.substr(0, code.find('\0'));
    const char *texts[2] = {symbols.c_str(), code.c_str()};

    std::vector<double> values(10001);
    for (std::size_t i = 1; i < values.size(); ++i) values[i] = static_cast<double>(i % 7) - 2.5;

    zerizi::engine engine;
    engine.load_formula(texts);
    zerizi::run_bound_code(engine, values.data(), checking_observer{&engine}, zerizi::stopping_after(instruction_budget));
    engine.release_formula();

    // Formula itself, on texts whose code cannot loop: every jump removed.
    std::string straight = code;
    for (std::size_t p = formula::header_width; p + formula::instruction_record_width <= straight.size();
         p += formula::instruction_record_width) {
        int value = formula::parse_int_field(std::string_view(straight).substr(p + 1, 4));
        if (straight[p] == '1' && (value == formula::BRF || value == formula::BR)) straight[p] = '0';
    }
    const char *straight_texts[2] = {symbols.c_str(), straight.c_str()};
    Formula(values.data(), straight_texts);

    // Both prepared once, from buffers rewritten after prepare.
    compare_prepared(symbols, code, values);
    compare_prepared(symbols, straight, values);
    return 0;
}
