// An evaluation observer for the playground: it ends a run after a number of
// instructions, so that a formula whose jumps never reach STOP cannot hold the
// page, and notes the address of every DIV or MODOPER that meets a zero
// divisor, so that the division message can be shown where it occurred. Every
// call is handed on to an inner observer (a trace, or nothing).
#pragma once

#include <cstdint>
#include <vector>

#include "evaluator/execution.h"
#include "formula/format.h"

namespace playground {

template <typename Inner = zerizi::no_observer>
class bounded_run {
public:
    bounded_run(long step_limit, Inner &inner) : step_limit_(step_limit), inner_(inner) {}

    bool before_instruction(std::int32_t address, const zerizi::instruction &instruction,
                            const zerizi::value_stack &stack) {
        if (steps_ == step_limit_) {
            stopped_at_limit_ = true;
            return false;
        }
        ++steps_;
        if (instruction.kind == formula::Operatore &&
            (instruction.value == formula::DIV || instruction.value == formula::MODOPER)) {
            const auto values = stack.values();
            if ((values.empty() ? 0.0 : values.back()) == 0.0) zero_divisions_.push_back(address);
        }
        return inner_.before_instruction(address, instruction, stack);
    }
    void after_assign(std::int32_t index, double value) { inner_.after_assign(index, value); }

    long steps() const noexcept { return steps_; }
    bool stopped_at_limit() const noexcept { return stopped_at_limit_; }
    const std::vector<std::int32_t> &zero_divisions() const noexcept { return zero_divisions_; }

private:
    long step_limit_;
    Inner &inner_;
    long steps_ = 0;
    bool stopped_at_limit_ = false;
    std::vector<std::int32_t> zero_divisions_;
};

}  // namespace playground
