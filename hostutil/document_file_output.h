// Writes a document to its file through a temporary file in the same folder,
// renamed into place only when every byte was written, so a failure leaves an
// existing file untouched.
#ifndef HOSTUTIL_DOCUMENT_FILE_OUTPUT_H
#define HOSTUTIL_DOCUMENT_FILE_OUTPUT_H

#include <cstddef>

namespace hostutil {

// False when the file could not be created, written or renamed into place;
// the temporary file is removed then.
bool write_document_file(const char *path, const unsigned char *bytes, std::size_t length);

}  // namespace hostutil

#endif
