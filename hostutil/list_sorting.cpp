#include "hostutil/list_sorting.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "ventus.h"

namespace ventus {

namespace {

bool is_c_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Calls visit(item) for every stretch of list between commas, in order.
template <typename Visit>
void for_each_item(std::string_view list, Visit visit) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        if (comma == std::string_view::npos) {
            visit(list.substr(start));
            return;
        }
        visit(list.substr(start, comma - start));
        start = comma + 1;
    }
}

template <typename Range>
std::string join_with_commas(const Range &texts, std::size_t reserve) {
    std::string joined;
    joined.reserve(reserve);
    bool first = true;
    for (std::string_view text : texts) {
        if (!first) joined.push_back(',');
        joined.append(text);
        first = false;
    }
    return joined;
}

// Writes output and its zero into result, never more than limit bytes in all.
void copy_bounded(const std::string &output, char *result, std::size_t limit) {
    const std::size_t length = std::min(output.size(), limit - 1);
    std::memcpy(result, output.data(), length);
    result[length] = '\0';
}

}  // namespace

int parse_key(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && is_c_space(text[position])) ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    std::int64_t magnitude = 0;
    const std::int64_t limit = negative ? -std::int64_t{INT_MIN} : INT_MAX;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        magnitude = std::min(magnitude * 10 + (text[position] - '0'), limit);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::string sort_by_key(std::string_view list) {
    std::map<int, std::string_view> table;
    for_each_item(list, [&](std::string_view item) {
        if (item.empty()) return;
        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) {
            table[parse_key(item)] = std::string_view{};
        } else {
            table[parse_key(item.substr(0, colon))] = item.substr(colon + 1);
        }
    });
    std::vector<std::string_view> values;
    values.reserve(table.size());
    for (const auto &entry : table) values.push_back(entry.second);
    return join_with_commas(values, list.size());
}

std::string sort_distinct(std::string_view list) {
    std::vector<std::string_view> items;
    items.reserve(static_cast<std::size_t>(std::count(list.begin(), list.end(), ',')) + 1);
    for_each_item(list, [&](std::string_view item) { items.push_back(item); });
    // string_view compares through memcmp: unsigned bytes, a prefix first.
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return join_with_commas(items, list.size());
}

}  // namespace ventus

namespace {

template <typename Sort>
std::int32_t sort_into(const char *list, char *result, Sort sort) {
    if (list == nullptr || result == nullptr || list[0] == '\0') return -1;
    try {
        const std::string_view input{list};
        ventus::copy_bounded(sort(input), result, input.size() + 1);
        return 0;
    } catch (...) {  // out of memory: the buffer stays untouched
        return -1;
    }
}

}  // namespace

extern "C" {

FORMULA_EXPORT int32_t FORMULA_CALL SortList(const char *list, char *result) {
    return sort_into(list, result, ventus::sort_by_key);
}

FORMULA_EXPORT int32_t FORMULA_CALL SortList2(const char *list, char *result) {
    return sort_into(list, result, ventus::sort_distinct);
}

}
