// A bound on a run, for the tools and hosts that must stop a formula that
// never ends (formeval's trace, the playground, a database server's cancel
// check): every `instructions` instructions run, the run asks `go_on`, which
// returns true to run another `instructions`, or false to stop the run at
// once (the run then hands nothing back and returns stopped_by_budget).
//
// The instructions are charged at jumps, as many as the run went through
// since the last charge: a run can only repeat itself through a jump, and so
// code without jumps never pays for the budget nor calls go_on.
#pragma once

#include <cstdint>

namespace zerizi {

struct run_budget {
    std::uint64_t instructions;
    bool (*go_on)(void *context);
    void *context;
};

// What an unbounded run passes in a budget's place: the loops are generic
// over the two, and a run without a budget has no charge compiled in.
struct no_budget {};

// A budget that stops the run once `instructions` instructions have run (at
// the first jump at or past them): the limit of a tool that shows a run.
constexpr run_budget stopping_after(std::uint64_t instructions) noexcept {
    return {instructions, [](void *) { return false; }, nullptr};
}

// What a run that the budget stopped returns in place of its count of zero
// divisors (not_started, -1, is the machine's that could not hold the texts).
inline constexpr int stopped_by_budget = -2;

}  // namespace zerizi
