// The evaluation stack of doubles. Slot 0 always holds 0.0 and is never
// pushed into: a push raises the top and stores there, a pop reads the top and
// lowers it unless the stack is empty, so a pop from an empty stack yields 0.0
// (which happens after a zero divisor) without a test of its own. The stack is
// sized from the code before the run, and the execution loop makes it grow, by
// doubling, after a jump that could otherwise fill it (see execution.h), so
// nothing is ever written outside it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>

namespace zerizi {

class value_stack {
public:
    // Slots held inside the object: formulas of up to 512 instructions
    // never allocate unless a loop keeps pushing.
    static constexpr std::size_t inline_slots = 520;

    value_stack() noexcept { slots_[0] = 0.0; }
    value_stack(const value_stack &) = delete;
    value_stack &operator=(const value_stack &) = delete;

    // Makes room for `values` values before the run starts (the code's
    // length bounds the depth of any run without a loop).
    void reserve(std::size_t values) {
        if (values + 1 > capacity_) resize(values + 1);
    }

    // For the execution loop, which keeps the top and the slots in locals:
    // the slots (slot 0 included), the highest slot index, setting the depth
    // back, and doubling the capacity (the slots may move).
    double *slots() noexcept { return slots_; }
    std::size_t last_slot() const noexcept { return capacity_ - 1; }
    void set_depth(std::size_t depth) noexcept { top_ = depth; }
    void grow();

    std::size_t depth() const noexcept { return top_; }
    std::size_t capacity() const noexcept { return capacity_ - 1; }
    bool on_heap() const noexcept { return heap_ != nullptr; }
    // The values on the stack, bottom first.
    std::span<const double> values() const noexcept { return {slots_ + 1, top_}; }
    void clear() noexcept { top_ = 0; }

private:
    void resize(std::size_t slots) {
        std::unique_ptr<double[]> larger(new double[slots]);
        std::copy(slots_, slots_ + top_ + 1, larger.get());
        heap_ = std::move(larger);
        slots_ = heap_.get();
        capacity_ = slots;
    }

    double *slots_ = inline_slots_;
    std::size_t top_ = 0;
    std::size_t capacity_ = inline_slots;
    std::unique_ptr<double[]> heap_;
    double inline_slots_[inline_slots];
};

// Kept out of line: the execution loop calls it after jumps, rarely.
#if defined(__GNUC__)
[[gnu::noinline]]
#endif
inline void value_stack::grow() { resize(capacity_ * 2); }

}  // namespace zerizi
