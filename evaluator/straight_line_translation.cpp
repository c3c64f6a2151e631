// Translating a loaded formula into steps on registers (straight_line_code.h):
// the run is followed from instruction 1 with a stack of registers in place of
// values, which is possible wherever each value's register is fixed before the
// run: that is, up to STOP without a jump.
#include <cstdint>
#include <utility>
#include <vector>

#include "evaluator/straight_line_code.h"
#include "evaluator/truncation.h"

namespace zerizi {

namespace {

// The registers as the translation builds them, and whether the value each
// holds at the start of every run is known now (everything but the inputs and
// the steps' results).
class register_file {
public:
    std::uint32_t add(double value, bool known) {
        values_.push_back(value);
        known_.push_back(known);
        return static_cast<std::uint32_t>(values_.size() - 1);
    }
    // The value of a register known now, truncated as an index; false for
    // any other register.
    bool known_index(std::uint32_t reg, std::int32_t &index) const {
        if (!known_[reg]) return false;
        index = truncate_to_int32(values_[reg]);
        return true;
    }
    std::vector<double> take() && { return std::move(values_); }

private:
    std::vector<double> values_;
    std::vector<bool> known_;
};

}  // namespace

bool straight_line_code::translate(const engine &loaded) {
    const std::int32_t symbol_count = loaded.symbol_count();
    register_file registers;
    const std::uint32_t zero = registers.add(0.0, true);
    // Where each symbol's value stands: at first its value as the run starts,
    // after an ASSIGN the register of the value stored.
    std::vector<std::uint32_t> current(static_cast<std::size_t>(symbol_count), zero);
    std::vector<bool> is_input(static_cast<std::size_t>(symbol_count), false);
    for (std::int32_t k = 0; k < loaded.input_count(); ++k) {
        const std::int32_t index = loaded.input_index(k);
        current[static_cast<std::size_t>(index)] = registers.add(0.0, false);
        is_input[static_cast<std::size_t>(index)] = true;
    }
    for (std::int32_t i = 1; i < symbol_count; ++i)
        if (!is_input[static_cast<std::size_t>(i)])
            current[static_cast<std::size_t>(i)] = registers.add(loaded.symbol(i).value, true);
    std::vector<bool> assigned(static_cast<std::size_t>(symbol_count), false);
    std::uint32_t one = zero;  // the 1.0 of LOGISIN, added when first needed

    std::vector<std::uint32_t> stack;
    std::vector<register_step> steps;
    bool calls_out = false;
    const auto push = [&](std::uint32_t reg) { stack.push_back(reg); };
    const auto pop = [&] {
        if (stack.empty()) return zero;
        const std::uint32_t reg = stack.back();
        stack.pop_back();
        return reg;
    };
    const auto step = [&](operation_code operation, std::uint32_t left, std::uint32_t right) {
        const std::uint32_t result = registers.add(0.0, false);
        steps.push_back({operation, result, left, right});
        push(result);
    };
    const auto symbol_register = [&](std::int32_t index) {
        return loaded.names_symbol(index) ? current[static_cast<std::size_t>(index)] : zero;
    };

    // Instruction instruction_count() + 1 is the engine's closing STOP.
    for (std::int32_t address = 1;; ++address) {
        const instruction &at = loaded.code(address);
        switch (at.operation) {
            case op_push_symbol:
                push(symbol_register(at.value));
                break;
            case op_push_integer:
            case op_assign_to:
                push(registers.add(static_cast<double>(at.value), true));
                break;
            case op_ASSIGN: {
                std::int32_t index;
                if (!registers.known_index(pop(), index)) return false;
                const std::uint32_t value = pop();
                if (loaded.names_symbol(index)) {
                    current[static_cast<std::size_t>(index)] = value;
                    assigned[static_cast<std::size_t>(index)] = true;
                }
                break;
            }
            case op_LOGISIN: {
                std::int32_t index;
                if (!registers.known_index(pop(), index)) return false;
                const bool was_assigned = loaded.names_symbol(index) && assigned[static_cast<std::size_t>(index)];
                if (was_assigned && one == zero) one = registers.add(1.0, true);
                push(was_assigned ? one : zero);
                break;
            }
            case op_SIGN:
            case op_LOGNOT:
                step(at.operation, pop(), zero);
                break;
            case op_PLUS:
            case op_MINUS:
            case op_MULT:
            case op_DIV:
            case op_PERC:
            case op_MODOPER:
            case op_LOGAND:
            case op_LOGOR:
            case op_LGT:
            case op_LLT:
            case op_LGE:
            case op_LLE:
            case op_LNE:
            case op_LEQ:
            case op_ROUND:
            case op_CEIL:
            case op_FLOOR: {
                const std::uint32_t right = pop();
                const std::uint32_t left = pop();
                step(at.operation, left, right);
                calls_out = calls_out || at.operation == op_MODOPER || at.operation == op_ROUND ||
                            at.operation == op_CEIL || at.operation == op_FLOOR;
                break;
            }
            case op_nothing:
            case op_INF:
            case op_ERM:
                break;
            case op_STOP: {
                const std::int32_t output = loaded.last_output();
                steps.push_back({op_STOP, 0, symbol_register(output), output != 0 ? 1u : 0u});
                calls_out_ = calls_out;
                input_count_ = static_cast<std::uint32_t>(loaded.input_count());
                registers_ = std::move(registers).take();
                steps_ = std::move(steps);
                return true;
            }
            case op_BRF:
            case op_BR:
            case op_by_value:
                return false;
        }
    }
}

}  // namespace zerizi
