// VEDIVAR: one variable of a memory-variable file, looked up by name.
//
// A record: the name, NUL-terminated, in 11 bytes; the type byte (0xC3
// character, 0xCC logical); 20 bytes not read; the value from offset 32 (a
// NUL-terminated text, or one byte that is 0 for false). The lookup searches
// the first 10000 bytes for the name followed by a NUL and reads the other
// fields at their distances from there.
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "hostutil/input_file.h"
#include "ventus.h"

namespace ventus {

namespace {

constexpr std::size_t examined_bytes = 10000;
constexpr std::size_t type_offset = 11;
constexpr std::size_t value_offset = 32;
constexpr unsigned char type_character = 0xC3;
constexpr unsigned char type_logical = 0xCC;

constexpr std::int32_t found = 1;
constexpr std::int32_t not_found = -1;
constexpr std::int32_t not_opened = -2;
constexpr std::int32_t nothing_read = -3;

std::int32_t look_up_variable(const char *path, const char *name, char *value) {
    if (name == nullptr || value == nullptr) return not_found;
    input_file file{path};
    if (!file.is_open()) return not_opened;
    std::array<char, examined_bytes> buffer;
    const std::string_view data{buffer.data(), file.read(buffer.data(), buffer.size())};
    if (data.empty()) return nothing_read;

    // The name with its NUL; at least two bytes of the data must follow.
    const std::string_view key{name, std::strlen(name) + 1};
    const std::size_t match = data.find(key);
    if (match == std::string_view::npos || data.size() - match < key.size() + 2) return not_found;
    // Nothing beyond the data read is used: a type byte or value out there
    // counts as no match.
    if (match + type_offset >= data.size()) return not_found;
    const auto type = static_cast<unsigned char>(data[match + type_offset]);
    if (type != type_character && type != type_logical) return found;
    if (match + value_offset >= data.size()) return not_found;
    const std::string_view rest = data.substr(match + value_offset);
    if (type == type_logical) {
        std::memcpy(value, rest[0] != 0 ? "T" : "F", 2);
        return found;
    }
    // A text without its NUL inside the data ends with the data.
    const std::string_view text = rest.substr(0, rest.find('\0'));
    std::memcpy(value, text.data(), text.size());
    value[text.size()] = '\0';
    return found;
}

}  // namespace

}  // namespace ventus

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL VEDIVAR(const char *path, const char *name, char *value) {
    return ventus::look_up_variable(path, name, value);
}
