#include "hostutil/message_text.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace ventus {

void compose_message(char *buffer, std::size_t size, const char *format, const char *name,
                     long number) {
    if (size == 0) return;
    if (name == nullptr) name = "";
    int length = std::snprintf(buffer, size, format, name, number);
    if (length < 0 || static_cast<std::size_t>(length) < size) return;

    static constexpr char ellipsis[] = "...";
    const std::size_t name_length = std::strlen(name);
    const std::size_t surrounding = static_cast<std::size_t>(length) - name_length;
    const std::size_t fixed = surrounding + (sizeof ellipsis - 1);
    const std::size_t room = size - 1 > fixed ? size - 1 - fixed : 0;

    const char *tail = name + name_length - (room < name_length ? room : name_length);
    while ((static_cast<unsigned char>(*tail) & 0xC0) == 0x80) ++tail;  // UTF-8 continuation
    const std::string shortened = std::string(ellipsis) + tail;
    std::snprintf(buffer, size, format, shortened.c_str(), number);
}

}  // namespace ventus
