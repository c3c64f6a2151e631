#include "hostutil/document_columns.h"


#include <limits>

#include "hostutil/odbc_statement.h"

namespace ventus {

namespace {

constexpr SQLUSMALLINT blob_column = 1;
constexpr SQLUSMALLINT length_column = 2;
// Growth step when the driver cannot tell how much data remains.
constexpr std::size_t unknown_rest_step = std::size_t{1} << 20;
// Largest piece handed to one SQLGetData call: some drivers (SQLite's) keep the
// buffer length in 32 bits and overrun the buffer when given more.
constexpr std::size_t largest_piece = std::size_t{1} << 30;

// The capacity needed to receive `rest` more bytes after `received`, or 0 when
// that cannot be expressed.
std::size_t capacity_for(std::size_t received, std::size_t rest)
{
    if (rest > std::numeric_limits<std::size_t>::max() - received)
        return 0;
    return received + rest;
}

}  // namespace

column_read read_stored_length(SQLHSTMT statement, std::uint32_t &stored_length)
{
    SQLUINTEGER value = 0;
    SQLLEN indicator = 0;
    const SQLRETURN result =
        SQLGetData(statement, length_column, SQL_C_ULONG, &value, 0, &indicator);
    if (!odbc_succeeded(result))
        return column_read::failed;
    if (indicator == SQL_NULL_DATA)
        return column_read::null;
    stored_length = static_cast<std::uint32_t>(value);
    return column_read::ok;
}

column_read read_blob(SQLHSTMT statement, std::uint32_t stored_length, byte_buffer &blob,
                     std::size_t &length)
{
    length = 0;
    if (!blob.allocate(stored_length))
        return column_read::no_memory;

    std::size_t received = 0;
    for (bool first = true;; first = false) {
        std::size_t room = blob.capacity() - received;
        if (room > largest_piece)
            room = largest_piece;
        SQLLEN indicator = 0;
        const SQLRETURN result =
            SQLGetData(statement, blob_column, SQL_C_BINARY, blob.data() + received,
                       static_cast<SQLLEN>(room), &indicator);
        if (result == SQL_NO_DATA && !first)
            break;  // everything was delivered by the earlier calls
        if (!odbc_succeeded(result))
            return column_read::failed;
        if (indicator == SQL_NULL_DATA)
            return first ? column_read::null : column_read::failed;

        std::size_t wanted = 0;
        if (indicator == SQL_NO_TOTAL) {
            // The piece filled the buffer and an unknown amount remains.
            if (result == SQL_SUCCESS)
                return column_read::failed;  // no count of what was written
            received += room;
            wanted = capacity_for(received, unknown_rest_step > received ? unknown_rest_step
                                                                         : received);
        } else if (indicator < 0) {
            return column_read::failed;
        } else if (static_cast<std::size_t>(indicator) <= room) {
            received += static_cast<std::size_t>(indicator);
            break;
        } else {
            // Truncated: the indicator counts the bytes that remained before this call.
            received += room;
            wanted = capacity_for(received, static_cast<std::size_t>(indicator) - room);
        }
        if (wanted == 0 || !blob.grow(wanted))
            return column_read::no_memory;
    }
    length = received;
    return column_read::ok;
}

}  // namespace ventus
