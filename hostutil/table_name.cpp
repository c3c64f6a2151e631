#include "hostutil/table_name.h"

#include <cstdio>

namespace ventus {

namespace {

bool is_plain_character(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_';
}

// Consumes one part starting at name; returns the position after it, or null
// when no valid part starts there.
const char *skip_part(const char *name)
{
    if (*name == '[' || *name == '"') {
        const char closing = *name == '[' ? ']' : '"';
        const char *end = name + 1;
        while (*end != '\0' && *end != closing)
            ++end;
        if (*end != closing || end == name + 1)
            return nullptr;  // unterminated or empty
        return end + 1;
    }
    const char *end = name;
    while (is_plain_character(*end))
        ++end;
    return end == name ? nullptr : end;
}

}  // namespace

bool is_table_identifier(const char *name)
{
    if (name == nullptr)
        return false;
    for (;;) {
        name = skip_part(name);
        if (name == nullptr)
            return false;
        if (*name == '\0')
            return true;
        if (*name != '.')
            return false;
        ++name;
    }
}

bool compose_document_query(const char *table, char (&query)[document_query_size])
{
    const int written = std::snprintf(
        query, sizeof query, "SELECT documento,datalength(documento) FROM %s WHERE iddoc=?", table);
    return written >= 0 && static_cast<std::size_t>(written) < sizeof query;
}

}  // namespace ventus
