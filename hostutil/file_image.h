// Whole-file reading for the document exports: the file's bytes in one buffer
// of exactly the file's length, or its length alone for streaming comparison.
#ifndef HOSTUTIL_FILE_IMAGE_H
#define HOSTUTIL_FILE_IMAGE_H

#include <cstddef>
#include <cstdio>
#include <memory>

#include "hostutil/byte_buffer.h"
#include "platform/file_handle.h"

namespace ventus {

using platform::file_handle;

// Opens path for reading in binary mode; empty when path is null or the file
// cannot be opened.
file_handle open_for_reading(const char *path);

// The length of an open file, leaving the position at its start; false when
// it cannot be determined.
bool file_length(std::FILE *file, std::size_t &length);

enum class file_read { ok, failed, no_memory };

// Reads the rest of an open file of the given length into image.
file_read read_file_image(std::FILE *file, std::size_t length, byte_buffer &image);

}  // namespace ventus

#endif
