// Reading the document pair of a fetched row: the stored length (column 2,
// an unsigned 32-bit integer) and the blob (column 1), in that order.
#ifndef HOSTUTIL_DOCUMENT_COLUMNS_H
#define HOSTUTIL_DOCUMENT_COLUMNS_H

#include <cstddef>
#include <cstdint>

#include "platform/odbc.h"

#include "hostutil/byte_buffer.h"

namespace ventus {

enum class column_read { ok, failed, null, no_memory };

// Reads column 2 as SQL_C_ULONG into stored_length.
column_read read_stored_length(SQLHSTMT statement, std::uint32_t &stored_length);

// Reads the whole blob of column 1 into blob, starting with a buffer of
// stored_length bytes. When the driver reports more data than the buffer holds,
// the buffer grows and the rest is fetched with further SQLGetData calls;
// length receives the number of bytes actually stored, never more than the
// buffer's capacity whatever the driver reports.
column_read read_blob(SQLHSTMT statement, std::uint32_t stored_length, byte_buffer &blob,
                     std::size_t &length);

}  // namespace ventus

#endif
