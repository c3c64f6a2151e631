// Where the scanner's bytes come from: standard input for formcomp, a text in
// memory for tests, the fuzz target and the benchmarks.
#pragma once

#include <cstddef>
#include <string_view>

namespace formcomp {

class input_source {
public:
    virtual ~input_source() = default;
    // At most `size` raw bytes into `buffer`: the number read, 0 at the end of
    // the input, -1 when reading failed.
    virtual long read(char *buffer, std::size_t size) = 0;
    // True when the input is an interactive terminal: the scanner then takes
    // one line at a time.
    virtual bool is_terminal() const = 0;
};

// Standard input of the process, through the platform layer.
class standard_input_source final : public input_source {
public:
    long read(char *buffer, std::size_t size) override;
    bool is_terminal() const override;
};

// A text in memory, handed out in pieces of at most `piece_size` bytes (to
// exercise reads that end anywhere); optionally failing once it is used up.
class memory_input_source final : public input_source {
public:
    explicit memory_input_source(std::string_view text, std::size_t piece_size = 8192,
                                 bool fail_at_end = false) noexcept
        : text_(text), piece_size_(piece_size == 0 ? 1 : piece_size), fail_at_end_(fail_at_end) {}
    long read(char *buffer, std::size_t size) override;
    bool is_terminal() const override { return false; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
    std::size_t piece_size_;
    bool fail_at_end_;
};

}  // namespace formcomp
