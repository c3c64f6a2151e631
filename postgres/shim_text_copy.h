// Texts handed to the C side: malloc'd copies, null when memory runs out.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace formula_postgres {

inline char *malloc_copy(std::string_view text) noexcept {
    auto *copy = static_cast<char *>(std::malloc(text.size() + 1));
    if (copy == nullptr) return nullptr;
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

}  // namespace formula_postgres
