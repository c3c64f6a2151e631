// Sorting of the host's comma-separated lists (SortList, SortList2).
#pragma once

#include <string>
#include <string_view>

namespace ventus {

// Items "key:value" ordered by the integer key; the values joined by ",".
// Empty items are skipped, an item without ':' is a key with an empty value,
// and a repeated key keeps the value of its last item.
std::string sort_by_key(std::string_view list);

// Plain items ordered byte-wise (unsigned), repeated items dropped; every
// stretch between commas is an item, also an empty one.
std::string sort_distinct(std::string_view list);

// The key of a SortList item, read as atoi reads: leading white space, an
// optional sign, decimal digits. Out-of-range values saturate at the 32-bit
// limits.
int parse_key(std::string_view text);

}  // namespace ventus
