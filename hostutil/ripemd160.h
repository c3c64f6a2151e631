// RIPEMD-160 (ISO/IEC 10118-3): 160-bit hash of a byte stream of any length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ventus {

using ripemd160_digest = std::array<std::uint8_t, 20>;

class ripemd160 {
public:
    ripemd160();
    void update(const void *data, std::size_t length);
    // Pads, appends the 64-bit bit length and returns the digest: the five
    // chaining words, each least significant byte first. The object is spent.
    ripemd160_digest finish();

private:
    void compress_blocks(const std::uint8_t *blocks, std::size_t count);

    std::array<std::uint32_t, 5> chain_;
    std::uint64_t byte_count_ = 0;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pending_length_ = 0;
};

}  // namespace ventus
