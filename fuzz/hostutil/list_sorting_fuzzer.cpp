// SortList and SortList2 on arbitrary lists, with guard bytes around a result
// buffer of exactly strlen(list) + 1 bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_files.h"
#include "ventus.h"

namespace {

constexpr char guard = '\x5A';
constexpr std::size_t guard_size = 32;

std::string sorted(int32_t (*sort)(const char *, char *), const std::string &list) {
    std::vector<char> buffer(list.size() + 1 + 2 * guard_size, guard);
    char *result = buffer.data() + guard_size;
    const int32_t status = sort(list.c_str(), result);
    for (std::size_t i = 0; i < guard_size; ++i) {
        if (buffer[i] != guard || buffer[buffer.size() - 1 - i] != guard) {
            fuzz_files::fail("written outside the result buffer");
        }
    }
    if (list.empty()) {
        if (status != -1 || result[0] != guard) fuzz_files::fail("empty list not refused");
        return {};
    }
    if (status != 0) fuzz_files::fail("list refused");
    if (std::memchr(result, '\0', list.size() + 1) == nullptr) fuzz_files::fail("result not terminated");
    return result;
}

std::vector<std::string_view> items_of(std::string_view text) {
    std::vector<std::string_view> items;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos; start = comma + 1) {
        items.push_back(text.substr(start, comma - start));
    }
    items.push_back(text.substr(start));
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The list ends at its first zero byte, as a C text does.
    const std::string list(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    const std::string by_key = sorted(SortList, list);
    const std::string distinct = sorted(SortList2, list);
    if (list.empty()) return 0;

    // SortList2: strictly ascending items, each one an item of the list.
    const auto input_items = items_of(list);
    const auto output_items = items_of(distinct);
    for (std::size_t i = 1; i < output_items.size(); ++i) {
        if (!(output_items[i - 1] < output_items[i])) fuzz_files::fail("SortList2 output not ascending");
    }
    for (std::string_view item : output_items) {
        bool present = false;
        for (std::string_view candidate : input_items) present = present || candidate == item;
        if (!present) fuzz_files::fail("SortList2 output holds an item not in the list");
    }
    // SortList: never more values than non-empty items.
    std::size_t non_empty = 0;
    for (std::string_view item : input_items) non_empty += item.empty() ? 0 : 1;
    if (non_empty == 0 ? !by_key.empty() : items_of(by_key).size() > non_empty) {
        fuzz_files::fail("SortList output holds more values than items");
    }
    return 0;
}
