// Counts the calls of the global operator new in this program (the library's
// allocations included, since the program's replacement serves them too).
#pragma once

#include <cstddef>

namespace bench_support {

std::size_t allocation_count() noexcept;

}  // namespace bench_support
