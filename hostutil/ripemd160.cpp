#include "hostutil/ripemd160.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ventus {

namespace {

// Message word selected at each of the 80 steps, left and right line.
constexpr std::uint8_t word_left[80] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,
    7, 4, 13, 1, 10, 6, 15, 3, 12, 0, 9, 5, 2, 14, 11, 8,
    3, 10, 14, 4, 9, 15, 8, 1, 2, 7, 0, 6, 13, 11, 5, 12,
    1, 9, 11, 10, 0, 8, 12, 4, 13, 3, 7, 15, 14, 5, 6, 2,
    4, 0, 5, 9, 7, 12, 2, 10, 14, 1, 3, 8, 11, 6, 15, 13};
constexpr std::uint8_t word_right[80] = {
    5, 14, 7, 0, 9, 2, 11, 4, 13, 6, 15, 8, 1, 10, 3, 12,
    6, 11, 3, 7, 0, 13, 5, 10, 14, 15, 8, 12, 4, 9, 1, 2,
    15, 5, 1, 3, 7, 14, 6, 9, 11, 8, 12, 2, 10, 0, 4, 13,
    8, 6, 4, 1, 3, 11, 15, 0, 5, 12, 2, 13, 9, 7, 10, 14,
    12, 15, 10, 4, 1, 5, 8, 7, 6, 2, 13, 14, 0, 3, 9, 11};

// Left rotation amounts at each step.
constexpr std::uint8_t shift_left[80] = {
    11, 14, 15, 12, 5, 8, 7, 9, 11, 13, 14, 15, 6, 7, 9, 8,
    7, 6, 8, 13, 11, 9, 7, 15, 7, 12, 15, 9, 11, 7, 13, 12,
    11, 13, 6, 7, 14, 9, 13, 15, 14, 8, 13, 6, 5, 12, 7, 5,
    11, 12, 14, 15, 14, 15, 9, 8, 9, 14, 5, 6, 8, 6, 5, 12,
    9, 15, 5, 11, 6, 8, 13, 12, 5, 12, 13, 14, 11, 8, 5, 6};
constexpr std::uint8_t shift_right[80] = {
    8, 9, 9, 11, 13, 15, 15, 5, 7, 7, 8, 11, 14, 14, 12, 6,
    9, 13, 15, 7, 12, 8, 9, 11, 7, 7, 12, 7, 6, 15, 13, 11,
    9, 7, 15, 11, 8, 6, 6, 14, 12, 13, 5, 14, 13, 13, 7, 5,
    15, 5, 8, 11, 14, 14, 6, 14, 6, 9, 12, 9, 12, 5, 15, 8,
    8, 5, 12, 9, 12, 5, 14, 6, 8, 13, 6, 5, 15, 13, 11, 11};

constexpr std::uint32_t constant_left[5] = {0x00000000, 0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC,
                                            0xA953FD4E};
constexpr std::uint32_t constant_right[5] = {0x50A28BE6, 0x5C4DD124, 0x6D703EF3, 0x7A6D76E9,
                                             0x00000000};

constexpr std::uint32_t rotate(std::uint32_t x, unsigned n) { return (x << n) | (x >> (32 - n)); }

// The five boolean functions; round r of the left line uses function r,
// round r of the right line function 4 - r.
template <int Function>
constexpr std::uint32_t boolean(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    if constexpr (Function == 0) return x ^ y ^ z;
    if constexpr (Function == 1) return ((y ^ z) & x) ^ z;  // (x & y) | (~x & z)
    if constexpr (Function == 2) return (x | ~y) ^ z;
    if constexpr (Function == 3) return ((x ^ y) & z) ^ y;  // (x & z) | (y & ~z)
    if constexpr (Function == 4) return x ^ (y | ~z);
}

std::uint32_t load_little_endian(const std::uint8_t *bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
           std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
}

// The whole compression is unrolled into one function so that the working
// words stay in registers; a call per step would keep them in memory.
#if defined(__GNUC__)
#define RIPEMD160_INLINE [[gnu::always_inline]] inline
#else
#define RIPEMD160_INLINE inline
#endif

// One step of both lines. The five working words rotate their roles by one
// position per step; indexing by the step number keeps them in registers.
template <int Step>
RIPEMD160_INLINE void step(std::uint32_t (&left)[5], std::uint32_t (&right)[5], const std::uint32_t (&x)[16]) {
    constexpr int a = (0 - Step % 5 + 5) % 5, b = (a + 1) % 5, c = (a + 2) % 5, d = (a + 3) % 5,
                  e = (a + 4) % 5;
    constexpr int round = Step / 16;
    left[a] = rotate(left[a] + boolean<round>(left[b], left[c], left[d]) + x[word_left[Step]] +
                         constant_left[round],
                     shift_left[Step]) +
              left[e];
    left[c] = rotate(left[c], 10);
    right[a] = rotate(right[a] + boolean<4 - round>(right[b], right[c], right[d]) +
                          x[word_right[Step]] + constant_right[round],
                      shift_right[Step]) +
               right[e];
    right[c] = rotate(right[c], 10);
}

template <std::size_t... Steps>
RIPEMD160_INLINE void compress(std::uint32_t (&chain)[5], const std::uint8_t *block,
                               std::index_sequence<Steps...>) {
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = load_little_endian(block + 4 * i);
    std::uint32_t left[5] = {chain[0], chain[1], chain[2], chain[3], chain[4]};
    std::uint32_t right[5] = {chain[0], chain[1], chain[2], chain[3], chain[4]};
    (step<Steps>(left, right, x), ...);
    const std::uint32_t t = chain[1] + left[2] + right[3];
    chain[1] = chain[2] + left[3] + right[4];
    chain[2] = chain[3] + left[4] + right[0];
    chain[3] = chain[4] + left[0] + right[1];
    chain[4] = chain[0] + left[1] + right[2];
    chain[0] = t;
}

}  // namespace

ripemd160::ripemd160() : chain_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {}

void ripemd160::compress_blocks(const std::uint8_t *blocks, std::size_t count) {
    std::uint32_t chain[5] = {chain_[0], chain_[1], chain_[2], chain_[3], chain_[4]};
    for (; count > 0; --count, blocks += 64) compress(chain, blocks, std::make_index_sequence<80>{});
    chain_ = {chain[0], chain[1], chain[2], chain[3], chain[4]};
}

void ripemd160::update(const void *data, std::size_t length) {
    const auto *bytes = static_cast<const std::uint8_t *>(data);
    byte_count_ += length;
    if (pending_length_ > 0) {
        const std::size_t take = std::min(length, pending_.size() - pending_length_);
        std::memcpy(pending_.data() + pending_length_, bytes, take);
        pending_length_ += take;
        bytes += take;
        length -= take;
        if (pending_length_ < pending_.size()) return;
        compress_blocks(pending_.data(), 1);
        pending_length_ = 0;
    }
    compress_blocks(bytes, length / 64);
    pending_length_ = length % 64;
    std::memcpy(pending_.data(), bytes + length - pending_length_, pending_length_);
}

ripemd160_digest ripemd160::finish() {
    const std::uint64_t bit_count = byte_count_ * 8;
    std::uint8_t tail[128] = {};
    std::memcpy(tail, pending_.data(), pending_length_);
    tail[pending_length_] = 0x80;
    const std::size_t tail_length = pending_length_ < 56 ? 64 : 128;
    for (int i = 0; i < 8; ++i) tail[tail_length - 8 + i] = static_cast<std::uint8_t>(bit_count >> (8 * i));
    compress_blocks(tail, tail_length / 64);
    ripemd160_digest digest;
    for (int word = 0; word < 5; ++word) {
        for (int i = 0; i < 4; ++i) digest[4 * word + i] = static_cast<std::uint8_t>(chain_[word] >> (8 * i));
    }
    return digest;
}

}  // namespace ventus
