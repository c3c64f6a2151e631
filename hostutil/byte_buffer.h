// A heap buffer of bytes that can grow in place. Allocation failure is reported
// as false, never thrown, so that each export can answer with its own code.
#ifndef HOSTUTIL_BYTE_BUFFER_H
#define HOSTUTIL_BYTE_BUFFER_H

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace ventus {

class byte_buffer {
public:
    // Replaces the contents with capacity uninitialised bytes.
    bool allocate(std::size_t capacity)
    {
        data_.reset();
        capacity_ = 0;
        return grow(capacity);
    }

    // Keeps the bytes already held and extends the buffer to capacity bytes.
    bool grow(std::size_t capacity)
    {
        if (data_ && capacity <= capacity_)
            return true;
        // realloc lets large blocks grow without a second copy of the contents.
        void *moved = std::realloc(data_.get(), capacity == 0 ? 1 : capacity);
        if (moved == nullptr)
            return false;
        data_.release();
        data_.reset(static_cast<unsigned char *>(moved));
        capacity_ = capacity;
        return true;
    }

    unsigned char *data() { return data_.get(); }
    const unsigned char *data() const { return data_.get(); }
    std::size_t capacity() const { return capacity_; }

private:
    struct free_deleter {
        void operator()(unsigned char *bytes) const { std::free(bytes); }
    };
    std::unique_ptr<unsigned char, free_deleter> data_;
    std::size_t capacity_ = 0;
};

}  // namespace ventus

#endif
