// Translating a loaded formula into steps on registers (register_code.h).
//
// The translation follows the code as the run would, with registers in
// place of values. Its state at an instruction says which register holds
// each value the run would have there: every symbol's value, every symbol's
// "assigned in this evaluation" flag, and every value on the stack. A
// location's register is fixed when every path to the instruction agrees on
// it; it is known before the run when it holds a value every run starts with.
//
// First the state at every block's start (instruction 1, every jump target,
// every instruction after a BRF) is found by going round the code until
// nothing changes: where the latest states of the paths into a block
// disagree on a location, the location gets a register of that block's own,
// which every path into the block fills with a move. Each instruction that
// computes writes a register of its own. States met on the way (before
// every path was followed with what it finally carries) leave no join
// behind, unless a block's state keeps changing: then its joins stay, and
// the search ends. Then every
// block is translated once more, emitting its steps and the moves of every
// path out of it, and the steps are tidied: a jump to a stop becomes the
// stop, a stop after the output's last step becomes part of that step, and a
// move whose register nothing reads goes.
//
// The code stays on the engine (translate returns false) when the stack's
// depth differs where paths join, when a jump target or the index of an
// ASSIGN or LOGISIN is not known before the run, or when a register would
// be written while a value it holds is still wanted.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "evaluator/register_code.h"
#include "evaluator/truncation.h"

namespace zerizi {

namespace {

constexpr std::uint32_t no_register = UINT32_MAX;

// Where paths join with more locations than this, or the search would go
// round longer, the code stays on the engine: a bound on the time and memory
// a formula's preparation may take.
constexpr std::size_t largest_search = 20'000'000;
// How often a block's starting state is worked out before the joins it has
// stay (see settle).
constexpr std::uint32_t settles_before_joins_stay = 16;
// How many steps before a move its value's step is looked for (see tidy),
// which keeps the tidying of long code linear.
constexpr std::size_t move_writer_reach = 64;

// A path's state: registers of the symbols' values (0 .. count - 1), of
// their flags (count .. 2 count - 1), then of the stack from the bottom.
using state = std::vector<std::uint32_t>;

bool jumps_to_step(const register_step &step) {
    return step.kind == step_jump || step.kind == step_jump_if_zero ||
           (step.kind >= operation_count && step.kind < 2 * operation_count);
}

// A path out of a block: the state it carries into the block at `to`.
struct path {
    std::int32_t to;
    state carried;
};

}  // namespace

class register_translation {
public:
    explicit register_translation(const engine &loaded)
        : loaded_(loaded),
          symbols_(static_cast<std::size_t>(loaded.symbol_count())),
          closing_stop_(loaded.instruction_count() + 1),
          result_of_(static_cast<std::size_t>(closing_stop_) + 1, no_register),
          entry_(static_cast<std::size_t>(closing_stop_) + 1),
          is_block_start_(static_cast<std::size_t>(closing_stop_) + 1, false),
          simulated_by_(static_cast<std::size_t>(closing_stop_) + 1, 0) {}

    bool translate(register_code &code);

private:
    // Registers.
    std::uint32_t add_register(double value, bool known) {
        values_.push_back(value);
        known_.push_back(known);
        return static_cast<std::uint32_t>(values_.size() - 1);
    }
    std::uint32_t constant(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        const auto found = constants_.find(bits);
        if (found != constants_.end()) return found->second;
        const std::uint32_t reg = add_register(value, true);
        constants_.emplace(bits, reg);
        return reg;
    }
    std::uint32_t result_of(std::int32_t address) {
        std::uint32_t &reg = result_of_[static_cast<std::size_t>(address)];
        if (reg == no_register) reg = add_register(0.0, false);
        return reg;
    }
    std::uint32_t joined(std::int32_t address, std::size_t location) {
        const auto key = std::make_pair(address, location);
        const auto found = joined_.find(key);
        if (found != joined_.end()) return found->second;
        const std::uint32_t reg = add_register(0.0, false);
        joined_.emplace(key, reg);
        return reg;
    }
    bool is_joined(std::int32_t address, std::size_t location, std::uint32_t reg) const {
        const auto found = joined_.find(std::make_pair(address, location));
        return found != joined_.end() && found->second == reg;
    }
    // The value of a register known before the run, truncated; false for
    // any other register.
    bool known_integer(std::uint32_t reg, std::int32_t &integer) const {
        if (!known_[reg]) return false;
        integer = truncate_to_int32(values_[reg]);
        return true;
    }
    std::size_t flag(std::int32_t symbol) const { return symbols_ + static_cast<std::size_t>(symbol); }

    // The search for every block's starting state.
    void start_block_at(std::int32_t address);
    // Works the block's starting state out again from the latest state of
    // every path into it; false where the stack's depth differs.
    bool settle(std::int32_t block);
    // Follows the block at `start`; adds the paths out of it to `out`, and
    // with emit set, appends its steps. False when the code cannot run on
    // registers.
    bool follow_block(std::int32_t start, bool emit, std::vector<path> &out);
    // The moves that bring a path's state to the state at its block's start;
    // false when a register they write holds a value still wanted there.
    bool emit_moves(const path &along, std::vector<register_step> &into);
    void emit(step_kind kind, std::uint32_t result, std::uint32_t left, std::uint32_t right,
              std::uint16_t charge = 0) {
        steps_.push_back({kind, charge, result, left, right, 0, 0});
    }
    void tidy(std::int32_t output);

    const engine &loaded_;
    const std::size_t symbols_;
    const std::int32_t closing_stop_;
    std::vector<double> values_;
    std::vector<bool> known_;
    std::unordered_map<std::uint64_t, std::uint32_t> constants_;
    std::vector<std::uint32_t> result_of_;
    std::map<std::pair<std::int32_t, std::size_t>, std::uint32_t> joined_;
    std::vector<state> entry_;             // by block start; empty until reached
    // By block start, the latest state of each path into it, by the block it
    // comes from (0 for the run's start).
    std::vector<std::map<std::int32_t, state>> arriving_ =
        std::vector<std::map<std::int32_t, state>>(static_cast<std::size_t>(closing_stop_) + 1);
    std::vector<std::uint32_t> settled_ = std::vector<std::uint32_t>(static_cast<std::size_t>(closing_stop_) + 1, 0);
    std::vector<std::vector<std::int32_t>> leaving_ =
        std::vector<std::vector<std::int32_t>>(static_cast<std::size_t>(closing_stop_) + 1);  // by block: its paths' blocks
    std::vector<bool> is_block_start_;
    std::vector<std::int32_t> simulated_by_;  // the block that last went through an instruction
    std::deque<std::int32_t> pending_;
    std::vector<bool> is_pending_ = std::vector<bool>(static_cast<std::size_t>(closing_stop_) + 1, false);
    std::size_t search_ = 0;
    // Emission.
    std::vector<register_step> steps_;
    std::vector<register_step> moves_out_;  // the moves of taken BRFs, placed after the code
    std::size_t block_first_step_ = 0;
    std::uint32_t scratch_ = no_register;
};

void register_translation::start_block_at(std::int32_t address) {
    if (is_block_start_[static_cast<std::size_t>(address)]) return;
    is_block_start_[static_cast<std::size_t>(address)] = true;
    // A block that ran through the address must now stop there.
    const std::int32_t through = simulated_by_[static_cast<std::size_t>(address)];
    if (through != 0 && !is_pending_[static_cast<std::size_t>(through)]) {
        is_pending_[static_cast<std::size_t>(through)] = true;
        pending_.push_back(through);
    }
}

bool register_translation::settle(std::int32_t block) {
    const std::map<std::int32_t, state> &paths = arriving_[static_cast<std::size_t>(block)];
    state at;
    for (const auto &[from, carried] : paths) {
        search_ += carried.size();
        if (at.empty()) {
            at = carried;
            continue;
        }
        if (at.size() != carried.size()) return false;
        for (std::size_t location = 0; location < at.size(); ++location)
            if (at[location] != carried[location]) at[location] = joined(block, location);
    }
    // A block whose state keeps changing keeps the joins it has, so that
    // the search ends.
    if (++settled_[static_cast<std::size_t>(block)] > settles_before_joins_stay)
        for (std::size_t location = 0; location < at.size(); ++location)
            if (joined_.count(std::make_pair(block, location)) != 0) at[location] = joined(block, location);
    state &entry = entry_[static_cast<std::size_t>(block)];
    if (at != entry) {
        entry = std::move(at);
        if (!is_pending_[static_cast<std::size_t>(block)]) {
            is_pending_[static_cast<std::size_t>(block)] = true;
            pending_.push_back(block);
        }
    }
    return true;
}

bool register_translation::follow_block(std::int32_t start, bool emit_steps, std::vector<path> &out) {
    state now = entry_[static_cast<std::size_t>(start)];
    const std::size_t bottom = 2 * symbols_;
    const std::uint32_t zero = 0;
    const auto push = [&](std::uint32_t reg) { now.push_back(reg); };
    const auto pop = [&] {
        if (now.size() == bottom) return zero;
        const std::uint32_t reg = now.back();
        now.pop_back();
        return reg;
    };
    const auto jump_target = [&](std::uint32_t reg, std::int32_t &address) {
        if (!known_integer(reg, address)) return false;
        if (!loaded_.names_instruction(address)) address = closing_stop_;
        start_block_at(address);
        return true;
    };
    std::uint16_t count = 0;
    for (std::int32_t address = start;; ++address) {
        if (address != start && is_block_start_[static_cast<std::size_t>(address)]) {
            out.push_back({address, std::move(now)});
            return !emit_steps || emit_moves(out.back(), steps_);
        }
        simulated_by_[static_cast<std::size_t>(address)] = start;
        if (++search_ > largest_search) return false;
        ++count;
        const instruction &at = loaded_.code(address);
        const operation_code operation = at.operation;
        const operation_mode &mode = mode_of(operation);
        if (operation == op_push_symbol) {
            push(loaded_.names_symbol(at.value) ? now[static_cast<std::size_t>(at.value)] : zero);
        } else if (operation == op_push_integer) {
            push(constant(static_cast<double>(at.value)));
        } else if (operation == op_assign_to || operation == op_by_value) {
            return false;  // translated before fuse_assignments; never in an engine's code
        } else if (mode.stops) {
            if (emit_steps) {
                const std::int32_t output = loaded_.last_output();
                emit(step_stop, 0, output != 0 ? now[static_cast<std::size_t>(output)] : zero, output != 0 ? 1 : 0);
            }
            return true;
        } else if (mode.jumps) {
            std::int32_t target;
            if (!jump_target(pop(), target)) return false;
            const std::uint32_t condition = mode.pops == 2 ? pop() : no_register;
            const bool conditional = condition != no_register;
            if (conditional) start_block_at(address + 1);
            if (!emit_steps) {
                out.push_back({target, now});
                if (conditional) out.push_back({address + 1, std::move(now)});
                return true;
            }
            const std::size_t taken = out.size();
            out.push_back({target, now});
            if (!conditional) {
                if (!emit_moves(out[taken], steps_)) return false;
                emit(step_jump, static_cast<std::uint32_t>(target), 0, 0, count);
                return true;
            }
            // A comparison whose value only this BRF reads branches itself.
            const register_step *last = steps_.empty() ? nullptr : &steps_.back();
            const bool fuses = last != nullptr && block_first_step_ < steps_.size() && last->kind < operation_count &&
                               last->result == condition &&
                               std::find(now.begin(), now.end(), condition) == now.end();
            // The moves of the taken path stand after the code, where the
            // branch goes and which jump on to the target.
            std::vector<register_step> taken_moves;
            if (!emit_moves(out[taken], taken_moves)) return false;
            std::uint32_t destination = static_cast<std::uint32_t>(target);
            if (!taken_moves.empty()) {
                destination = static_cast<std::uint32_t>(closing_stop_ + 1 + moves_out_.size());
                moves_out_.insert(moves_out_.end(), taken_moves.begin(), taken_moves.end());
                moves_out_.push_back({step_jump, 0, static_cast<std::uint32_t>(target), 0, 0, 0, 0});
            }
            if (fuses) {
                steps_.back().kind = branch_unless(static_cast<operation_code>(last->kind));
                steps_.back().result = destination;
                steps_.back().charge = count;
            } else {
                emit(step_jump_if_zero, destination, condition, 0, count);
            }
            out.push_back({address + 1, std::move(now)});
            return emit_moves(out.back(), steps_);
        } else if (mode.index == index_use::assigns) {
            std::int32_t index;
            if (!known_integer(pop(), index)) return false;
            const std::uint32_t value = pop();
            if (loaded_.names_symbol(index)) {
                now[static_cast<std::size_t>(index)] = value;
                now[flag(index)] = constant(1.0);
            }
        } else if (mode.index == index_use::tests) {
            std::int32_t index;
            if (!known_integer(pop(), index)) return false;
            push(loaded_.names_symbol(index) ? now[flag(index)] : zero);
        } else if (computes(mode)) {
            const std::uint32_t right = mode.pops == 2 ? pop() : zero;
            const std::uint32_t left = pop();
            const std::uint32_t result = result_of(address);
            if (emit_steps) {
                // The run of this instruction overwrites the value an earlier
                // run of it left, which must no longer be wanted.
                if (std::find(now.begin(), now.end(), result) != now.end()) return false;
                emit(static_cast<step_kind>(operation), result, left, right);
            }
            push(result);
        } else {
            for (int k = 0; k < mode.pops; ++k) pop();  // INF, ERM and what is not an operation
        }
    }
}

bool register_translation::emit_moves(const path &along, std::vector<register_step> &into) {
    const state &there = entry_[static_cast<std::size_t>(along.to)];
    // (destination, source): destinations are the block's own registers.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> moves;
    for (std::size_t location = 0; location < there.size(); ++location) {
        if (there[location] == along.carried[location]) continue;
        if (!is_joined(along.to, location, there[location])) return false;  // the search did not settle
        moves.emplace_back(there[location], along.carried[location]);
    }
    // A location the paths agree on keeps its register, which no move may write.
    for (std::size_t location = 0; location < there.size(); ++location)
        if (there[location] == along.carried[location])
            for (const auto &move : moves)
                if (move.first == there[location]) return false;
    // All moves read before any writes: a move goes first when no other
    // reads its destination; a cycle goes through the scratch register.
    while (!moves.empty()) {
        bool moved = false;
        for (std::size_t k = 0; k < moves.size(); ++k) {
            const std::uint32_t destination = moves[k].first;
            const bool read = std::any_of(moves.begin(), moves.end(), [&](const auto &other) {
                return &other != &moves[k] && other.second == destination;
            });
            if (read) continue;
            if (destination != moves[k].second) into.push_back({step_move, 0, destination, moves[k].second, 0, 0, 0});
            moves.erase(moves.begin() + static_cast<std::ptrdiff_t>(k));
            moved = true;
            break;
        }
        if (moved) continue;
        if (scratch_ == no_register) scratch_ = add_register(0.0, false);
        const std::uint32_t saved = moves.front().first;
        into.push_back({step_move, 0, scratch_, saved, 0, 0, 0});
        for (auto &move : moves)
            if (move.second == saved) move.second = scratch_;
    }
    return true;
}

void register_translation::tidy(std::int32_t output) {
    const auto targeted = [&] {
        std::vector<bool> is_target(steps_.size() + 1, false);
        for (const register_step &step : steps_)
            if (jumps_to_step(step)) is_target[step.result] = true;
        return is_target;
    };
    // Drops the steps marked, pointing jumps at the step that follows a dropped one.
    const auto drop = [&](const std::vector<bool> &dropped) {
        std::vector<std::uint32_t> renumbered(steps_.size() + 1);
        std::uint32_t kept = 0;
        for (std::size_t k = 0; k <= steps_.size(); ++k) {
            renumbered[k] = kept;
            if (k < steps_.size() && !dropped[k]) ++kept;
        }
        std::vector<register_step> remaining;
        for (std::size_t k = 0; k < steps_.size(); ++k) {
            if (dropped[k]) continue;
            register_step step = steps_[k];
            if (jumps_to_step(step)) step.result = renumbered[step.result];
            remaining.push_back(step);
        }
        steps_ = std::move(remaining);
    };

    // A jump to a stop is that stop.
    for (register_step &step : steps_)
        if (step.kind == step_jump && steps_[step.result].kind == step_stop) {
            const std::uint16_t charge = step.charge;
            step = steps_[step.result];
            step.charge = charge;
        }
    // A stop right after a move hands back what the move read.
    std::vector<bool> is_target = targeted();
    for (std::size_t k = 1; k < steps_.size(); ++k)
        if (steps_[k].kind == step_stop && !is_target[k] && steps_[k - 1].kind == step_move &&
            steps_[k - 1].result == steps_[k].left)
            steps_[k].left = steps_[k - 1].left;
    // How many times the steps read each register.
    const auto reads = [&] {
        std::vector<std::uint32_t> count(values_.size(), 0);
        for (const register_step &step : steps_) {
            if (step.kind == step_jump || (step.kind >= step_bind_inputs && step.kind < step_pair_first)) continue;
            if (step.kind == step_stop) {
                if (step.right != 0) ++count[step.left];
                continue;
            }
            ++count[step.left];
            if (step.kind == step_move || step.kind == step_jump_if_zero) continue;
            ++count[step.right];  // register 0 for a step of one operand
            if (is_pair_step(step.kind)) ++count[step.third];
            if (is_twin_step(step.kind)) ++count[step.fourth];
        }
        return count;
    };
    // Moves whose register nothing reads, until there are none.
    for (bool dropping = true; dropping;) {
        const std::vector<std::uint32_t> read = reads();
        std::vector<bool> dropped(steps_.size(), false);
        dropping = false;
        for (std::size_t k = 0; k < steps_.size(); ++k)
            if (steps_[k].kind == step_move && read[steps_[k].result] == 0) dropped[k] = dropping = true;
        if (dropping) drop(dropped);
    }
    // The output's last step, right before a stop, hands its value back itself.
    if (output != 0) {
        is_target = targeted();
        std::vector<bool> dropped(steps_.size(), false);
        for (std::size_t k = 1; k < steps_.size(); ++k) {
            register_step &before = steps_[k - 1];
            if (steps_[k].kind == step_stop && !is_target[k] && before.kind < operation_count &&
                before.result == steps_[k].left) {
                before.kind = compute_and_stop(static_cast<operation_code>(before.kind));
                before.charge = steps_[k].charge;
                dropped[k] = true;
            }
        }
        drop(dropped);
    }
    // Three arithmetic steps in a row, where the third alone reads the
    // values of the two before it, become one twin step; then two, where
    // the second alone reads the first's value, one pair step.
    const auto pairs = [](const register_step &step) {
        return step.kind < operation_count && paired_place(static_cast<operation_code>(step.kind)) >= 0;
    };
    {
        is_target = targeted();
        const std::vector<std::uint32_t> read = reads();
        std::vector<bool> dropped(steps_.size(), false);
        for (std::size_t k = 0; k + 2 < steps_.size(); ++k) {
            register_step &first = steps_[k];
            const register_step &second = steps_[k + 1];
            const register_step &outer = steps_[k + 2];
            if (!pairs(first) || !pairs(second) || !pairs(outer) || is_target[k + 1] || is_target[k + 2] ||
                outer.left != first.result || outer.right != second.result || read[first.result] != 1 ||
                read[second.result] != 1)
                continue;
            first.kind = twin_step(static_cast<operation_code>(outer.kind), static_cast<operation_code>(first.kind),
                                   static_cast<operation_code>(second.kind));
            first.third = second.left;
            first.fourth = second.right;
            first.result = outer.result;
            dropped[k + 1] = dropped[k + 2] = true;
            k += 2;
        }
        drop(dropped);
    }
    {
        is_target = targeted();
        const std::vector<std::uint32_t> read = reads();
        std::vector<bool> dropped(steps_.size(), false);
        for (std::size_t k = 0; k + 1 < steps_.size(); ++k) {
            register_step &inner = steps_[k];
            const register_step &outer = steps_[k + 1];
            if (!pairs(inner) || !pairs(outer) || is_target[k + 1] || read[inner.result] != 1) continue;
            if (outer.left != inner.result && outer.right != inner.result) continue;
            const bool inner_on_left = outer.left == inner.result;
            inner.kind = pair_step(static_cast<operation_code>(outer.kind), static_cast<operation_code>(inner.kind),
                                   inner_on_left);
            inner.third = inner_on_left ? outer.right : outer.left;
            inner.result = outer.result;
            dropped[++k] = true;
        }
        drop(dropped);
    }
    // A move of a value that nothing else reads, from the step that
    // computed it a few steps before (with no jump, nor step that touches the
    // move's destination, in between), is that step writing the destination
    // itself: the value carried round a loop, as in R = R + ... at its end.
    {
        is_target = targeted();
        const std::vector<std::uint32_t> read = reads();
        std::vector<bool> dropped(steps_.size(), false);
        const auto writes = [](const register_step &step) {
            return step.kind < operation_count || is_pair_step(step.kind);
        };
        const auto touches = [](const register_step &step, std::uint32_t reg) {
            return step.result == reg || step.left == reg || step.right == reg ||
                   (is_pair_step(step.kind) && step.third == reg) || (is_twin_step(step.kind) && step.fourth == reg);
        };
        for (std::size_t k = 1; k < steps_.size(); ++k) {
            const register_step &move = steps_[k];
            if (move.kind != step_move || read[move.left] != 1 || is_target[k]) continue;
            for (std::size_t j = k; j-- > 0 && k - j <= move_writer_reach;) {
                register_step &writer = steps_[j];
                if (writes(writer) && writer.result == move.left) {
                    writer.result = move.result;
                    dropped[k] = true;
                    break;
                }
                if (!writes(writer) && writer.kind != step_move) break;  // a jump, branch or stop
                if (touches(writer, move.result) || touches(writer, move.left) || is_target[j]) break;
            }
        }
        drop(dropped);
    }
}

bool register_translation::translate(register_code &code) {
    // Every run starts with: 0.0 in register 0, the inputs in 1 .. n, every
    // other symbol at its value as loaded, no flag set.
    add_register(0.0, true);
    constants_.emplace(0, 0);
    state start(2 * symbols_, 0);
    const std::int32_t inputs = loaded_.input_count();
    for (std::int32_t k = 0; k < inputs; ++k)
        start[static_cast<std::size_t>(loaded_.input_index(k))] = add_register(0.0, false);
    std::vector<bool> is_input(symbols_, false);
    for (std::int32_t k = 0; k < inputs; ++k) is_input[static_cast<std::size_t>(loaded_.input_index(k))] = true;
    for (std::size_t i = 1; i < symbols_; ++i)
        if (!is_input[i]) start[i] = constant(loaded_.symbol(static_cast<std::int32_t>(i)).value);

    // The search: a path from nowhere into instruction 1.
    start_block_at(1);
    arriving_[1][0] = start;
    if (!settle(1)) return false;
    std::vector<path> out;
    while (!pending_.empty()) {
        const std::int32_t block = pending_.front();
        pending_.pop_front();
        is_pending_[static_cast<std::size_t>(block)] = false;
        if (entry_[static_cast<std::size_t>(block)].empty()) continue;  // no longer reached
        out.clear();
        if (!follow_block(block, false, out)) return false;
        // The block's paths as they are now replace those it had before (it
        // may now end sooner, at a block that starts inside it).
        std::vector<std::int32_t> &leaving = leaving_[static_cast<std::size_t>(block)];
        std::vector<std::int32_t> settling = leaving;
        for (const std::int32_t to : leaving) arriving_[static_cast<std::size_t>(to)].erase(block);
        leaving.clear();
        for (path &next : out) {
            leaving.push_back(next.to);
            settling.push_back(next.to);
            arriving_[static_cast<std::size_t>(next.to)][block] = std::move(next.carried);
        }
        for (const std::int32_t to : settling)
            if (!settle(to)) return false;
        if (search_ > largest_search) return false;
    }

    // The steps: the inputs bound, then block by block in the order of the
    // code, which keeps every path that falls through next to its block.
    if (inputs > 0) {
        const auto count = static_cast<std::uint32_t>(inputs);
        emit(static_cast<step_kind>(step_bind_inputs + (count <= inputs_bound_unrolled ? count : 0)), 0, count, 0);
    }
    if (!emit_moves({1, start}, steps_)) return false;
    std::vector<std::uint32_t> at_block(static_cast<std::size_t>(closing_stop_) + 1, 0);
    for (std::int32_t address = 1; address <= closing_stop_; ++address) {
        if (!is_block_start_[static_cast<std::size_t>(address)] || entry_[static_cast<std::size_t>(address)].empty())
            continue;
        at_block[static_cast<std::size_t>(address)] = static_cast<std::uint32_t>(steps_.size());
        block_first_step_ = steps_.size();
        out.clear();
        if (!follow_block(address, true, out)) return false;
    }
    // Jumps name addresses, and addresses past the code the moves of a
    // taken BRF: now they name steps.
    const std::uint32_t code_steps = static_cast<std::uint32_t>(steps_.size());
    steps_.insert(steps_.end(), moves_out_.begin(), moves_out_.end());
    for (std::size_t k = 0; k < steps_.size(); ++k) {
        register_step &step = steps_[k];
        if (!jumps_to_step(step)) continue;
        step.result = step.result > static_cast<std::uint32_t>(closing_stop_)
                          ? code_steps + (step.result - static_cast<std::uint32_t>(closing_stop_) - 1)
                          : at_block[step.result];
    }
    tidy(loaded_.last_output());
    // A jump goes on by as many steps as lie between it and its target.
    for (std::size_t k = 0; k < steps_.size(); ++k)
        if (jumps_to_step(steps_[k]))
            steps_[k].result = static_cast<std::uint32_t>(static_cast<std::int32_t>(steps_[k].result) -
                                                          static_cast<std::int32_t>(k));

    code.registers_ = std::move(values_);
    code.steps_ = std::move(steps_);
    return true;
}

bool register_code::translate(const engine &loaded) {
    register_code translated;
    if (!register_translation(loaded).translate(translated)) return false;
    *this = std::move(translated);
    return true;
}

}  // namespace zerizi
