// A prepared formula whose run goes straight from instruction 1 to STOP (no
// jump on the way, and every ASSIGN and LOGISIN with an index known before the
// run) is translated once, at prepare time, into steps on registers: the
// stack's depth at every instruction is then fixed, so each value the stack
// would hold gets a register of its own, and an evaluation only binds the
// inputs and runs one step per operation. Nothing needs restarting: a
// register is written once per evaluation at most, and an ASSIGN only changes
// which register stands for its symbol from then on.
//
// Registers: 0 holds 0.0 (what an empty stack pops, and every index that
// names no symbol); 1 to n the n input variables, in binding order; then every
// other symbol's value at the start of a run; then, in the order the
// translation meets them, the integers the code pushes, the 1.0 of LOGISIN
// and one register per step's result.
#pragma once

#include <cstdint>
#include <vector>

#include "evaluator/dispatch.h"
#include "evaluator/engine.h"
#include "evaluator/operation_code.h"
#include "evaluator/operators.h"
#include "formula/format.h"

namespace zerizi {

// registers[result] = operation(registers[left], registers[right]); SIGN and
// LOGNOT read left only. STOP hands the output back (see run_steps).
struct register_step {
    operation_code operation;
    std::uint32_t result;
    std::uint32_t left;
    std::uint32_t right;
};

class straight_line_code {
public:
    // Until translate succeeds, the code is one op_nothing step: run gives up at once.
    straight_line_code() : steps_{{op_nothing, 0, 0, 0}} {}

    // Translates the engine's code, loaded and after keep_start (a fused
    // "Riferimento i, ASSIGN" reads as the two it was). Returns false, and
    // stays as it was, when the run meets a jump, or an ASSIGN or LOGISIN
    // whose index depends on the inputs or on an earlier operation.
    bool translate(const engine &loaded);

    // One evaluation: binds the inputs of values, runs the steps and hands the
    // output to element 0, as the engine's run would, and returns 0 (no zero
    // divisor). When the code is not translated, or as soon as a divisor is
    // zero, it gives up before anything is shown or handed back and returns
    // give_up(values) instead (which must not throw): the engine's
    // evaluation, division message included.
    template <typename GiveUp>
    int run(double *values, GiveUp give_up) noexcept {
        return calls_out_ ? run_steps<true>(values, give_up) : run_steps<false>(values, give_up);
    }

private:
    // Code without MODOPER, ROUND, CEIL or FLOOR calls no function, so its
    // loop keeps everything in registers that need no saving.
    template <bool CallsOut, typename GiveUp>
    int run_steps(double *values, GiveUp give_up) noexcept;

    std::vector<double> registers_;
    std::vector<register_step> steps_;
    std::uint32_t input_count_ = 0;
    bool calls_out_ = false;
};

template <bool CallsOut, typename GiveUp>
int straight_line_code::run_steps(double *values, GiveUp give_up) noexcept {
    double *const registers = registers_.data();
    for (std::uint32_t k = 1; k <= input_count_; ++k) registers[k] = values[k];
    const register_step *step = steps_.data();
    const auto binary = [&](auto compute) ZERIZI_STEP {
        registers[step->result] = compute(registers[step->left], registers[step->right]);
    };
    const auto unary = [&](auto compute) ZERIZI_STEP { registers[step->result] = compute(registers[step->left]); };

#if ZERIZI_COMPUTED_GOTO
#define ZERIZI_STEP_LABEL(name, number) &&step_##name,
    static const void *const dispatch_table[operation_count] = {
        &&step_nothing, FORMULA_OPCODES(ZERIZI_STEP_LABEL) &&step_push_symbol, &&step_push_integer,
        &&step_assign_to, &&step_by_value,
    };
#undef ZERIZI_STEP_LABEL
#define zerizi_step(name) step_##name:
#define zerizi_next_step      \
    ++step;                   \
    goto *dispatch_table[step->operation]
    goto *dispatch_table[step->operation];
#else
#define zerizi_step(name) case op_##name:
#define zerizi_next_step \
    ++step;              \
    continue
    for (;;) switch (step->operation)
#endif
    {
        zerizi_step(PLUS) binary(operation_result<op_PLUS>{});
        zerizi_next_step;
        zerizi_step(MINUS) binary(operation_result<op_MINUS>{});
        zerizi_next_step;
        zerizi_step(MULT) binary(operation_result<op_MULT>{});
        zerizi_next_step;
        zerizi_step(PERC) binary(operation_result<op_PERC>{});
        zerizi_next_step;
        // A zero divisor (0.0 or -0.0) gives up.
        zerizi_step(DIV) if (registers[step->right] == 0.0) return give_up(values);
        binary(operation_result<op_DIV>{});
        zerizi_next_step;
        zerizi_step(SIGN) unary(operation_result<op_SIGN>{});
        zerizi_next_step;
        zerizi_step(LOGNOT) unary(operation_result<op_LOGNOT>{});
        zerizi_next_step;
        zerizi_step(LOGAND) binary(operation_result<op_LOGAND>{});
        zerizi_next_step;
        zerizi_step(LOGOR) binary(operation_result<op_LOGOR>{});
        zerizi_next_step;
        zerizi_step(LGT) binary(operation_result<op_LGT>{});
        zerizi_next_step;
        zerizi_step(LLT) binary(operation_result<op_LLT>{});
        zerizi_next_step;
        zerizi_step(LGE) binary(operation_result<op_LGE>{});
        zerizi_next_step;
        zerizi_step(LLE) binary(operation_result<op_LLE>{});
        zerizi_next_step;
        zerizi_step(LNE) binary(operation_result<op_LNE>{});
        zerizi_next_step;
        zerizi_step(LEQ) binary(operation_result<op_LEQ>{});
        zerizi_next_step;
        // Hands back the value of the register `left` when `right` is 1
        // (the formula has an output variable).
        zerizi_step(STOP) {
            if (step->right != 0) values[0] = registers[step->left];
            return 0;
        }
        // The operations that call a function, in code that has them (other
        // code never has them as steps).
        zerizi_step(MODOPER) if constexpr (CallsOut) {
            if (registers[step->right] == 0.0) return give_up(values);
            binary(operation_result<op_MODOPER>{});
            zerizi_next_step;
        } else {
            return give_up(values);
        }
        zerizi_step(ROUND) if constexpr (CallsOut) {
            binary(operation_result<op_ROUND>{});
            zerizi_next_step;
        } else {
            return give_up(values);
        }
        zerizi_step(CEIL) if constexpr (CallsOut) {
            binary(operation_result<op_CEIL>{});
            zerizi_next_step;
        } else {
            return give_up(values);
        }
        zerizi_step(FLOOR) if constexpr (CallsOut) {
            binary(operation_result<op_FLOOR>{});
            zerizi_next_step;
        } else {
            return give_up(values);
        }
        // The step of code that is not translated; the other operations
        // never become steps.
        zerizi_step(nothing) zerizi_step(ASSIGN) zerizi_step(BRF) zerizi_step(BR) zerizi_step(INF) zerizi_step(ERM)
            zerizi_step(LOGISIN) zerizi_step(push_symbol) zerizi_step(push_integer) zerizi_step(assign_to)
                zerizi_step(by_value) return give_up(values);
    }
#undef zerizi_step
#undef zerizi_next_step
}

}  // namespace zerizi
