// Formulas of up to 64 symbols and 512 instructions are evaluated without a
// heap allocation; larger ones use the heap and still evaluate. The program's
// replacement of operator new counts every allocation the library makes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "formula_builder.h"

namespace {
std::atomic<long> allocations{0};
}

void *operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void operator delete(void *block) noexcept { std::free(block); }
void operator delete[](void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }
void operator delete[](void *block, std::size_t) noexcept { std::free(block); }

namespace {

using namespace formula;

// `symbols` symbols (an output R, then constants 1, 2, ...) and `instructions`
// instructions: R = 1 + 2 + ... as far as the count allows, padded with INF.
test_support::formula_texts sized_formula(int symbols, int instructions, double &expected) {
    test_support::formula_builder f;
    int r = f.output("R");
    for (int k = 1; k < symbols; ++k) f.constant(std::to_string(k));
    expected = 0.0;
    f.operand(2);
    expected += 1;
    // each term: operand, PLUS; then reference, ASSIGN, STOP at the end
    for (int k = 1; k < symbols - 1 && f.next_address() + 2 + 3 <= instructions + 1; ++k) {
        f.operand(2 + k);
        f.op(PLUS);
        expected += k + 1;
    }
    while (f.next_address() + 3 <= instructions) f.op(INF);
    f.assign_to(r);
    f.op(STOP);
    EXPECT_EQ(f.next_address() - 1, instructions);
    return f.build();
}

long allocations_for(const test_support::formula_texts &texts, double &result) {
    double values[1] = {0.0};
    const char *pointers[2] = {texts.symbols.c_str(), texts.code.c_str()};
    long before = allocations.load();
    Formula(values, pointers);
    long made = allocations.load() - before;
    result = values[0];
    return made;
}

TEST(HeapAllocation, NoneUpTo1023SymbolsAnd512Instructions) {
    for (auto [symbols, instructions] : {std::pair{3, 6}, {64, 512}, {65, 200}, {1023, 512}, {10, 512}}) {
        double expected, result;
        auto texts = sized_formula(symbols, instructions, expected);
        EXPECT_EQ(allocations_for(texts, result), 0) << symbols << " symbols, " << instructions << " instructions";
        EXPECT_EQ(result, expected);
    }
}

TEST(HeapAllocation, LargerTablesUseTheHeapAndStillEvaluate) {
    for (auto [symbols, instructions] : {std::pair{1024, 200}, {20, 600}, {400, 3000}}) {
        double expected, result;
        auto texts = sized_formula(symbols, instructions, expected);
        EXPECT_GT(allocations_for(texts, result), 0) << symbols << " symbols, " << instructions << " instructions";
        EXPECT_EQ(result, expected);
    }
}

}  // namespace
