// A table of trivially copyable entries whose size is known when it is created:
// up to InlineCapacity entries live inside the object itself (no allocation,
// nothing initialised), larger tables on the heap, owned and freed by the table.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace zerizi {

template <typename Entry, std::size_t InlineCapacity>
class inline_table {
    static_assert(std::is_trivially_copyable_v<Entry> && std::is_trivially_default_constructible_v<Entry>);

public:
    inline_table() = default;
    inline_table(const inline_table &) = delete;
    inline_table &operator=(const inline_table &) = delete;

    // Makes room for `size` entries; their contents are left unset. Previous
    // entries are discarded.
    void allocate(std::size_t size) {
        heap_.reset();
        if (size <= InlineCapacity) {
            entries_ = inline_entries_;
        } else {
            heap_.reset(new Entry[size]);
            entries_ = heap_.get();
        }
        size_ = size;
    }

    // Frees a heap block, if any; the table is then empty.
    void release() noexcept {
        heap_.reset();
        entries_ = inline_entries_;
        size_ = 0;
    }

    std::size_t size() const noexcept { return size_; }
    bool on_heap() const noexcept { return heap_ != nullptr; }
    Entry *data() noexcept { return entries_; }
    const Entry *data() const noexcept { return entries_; }
    Entry &operator[](std::size_t i) noexcept { return entries_[i]; }
    const Entry &operator[](std::size_t i) const noexcept { return entries_[i]; }

private:
    Entry *entries_ = inline_entries_;
    std::size_t size_ = 0;
    std::unique_ptr<Entry[]> heap_;
    Entry inline_entries_[InlineCapacity];
};

}  // namespace zerizi
