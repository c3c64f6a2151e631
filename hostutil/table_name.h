// The table name that EqualBin places into its query text: accepted only as a
// plain or qualified identifier, so nothing but a name can reach the SQL.
#ifndef HOSTUTIL_TABLE_NAME_H
#define HOSTUTIL_TABLE_NAME_H

#include <cstddef>

namespace ventus {

// True when name is one or more parts joined by '.', each part either letters,
// digits and '_', or any non-empty text quoted in [] or "" that does not hold
// its closing quote.
bool is_table_identifier(const char *name);

// Size of EqualBin's query buffer, terminating NUL included.
constexpr std::size_t document_query_size = 256;

// Writes the document query for table into query; false when the result would
// not fit.
bool compose_document_query(const char *table, char (&query)[document_query_size]);

}  // namespace ventus

#endif
