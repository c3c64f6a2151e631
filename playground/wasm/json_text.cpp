#include "playground/wasm/json_text.h"

#include <cstdio>

namespace playground {

std::string quoted(std::string_view value) {
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (const char c : value) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

void json_object::key(std::string_view name) {
    if (body_.size() > 1) body_ += ',';
    body_ += quoted(name);
    body_ += ':';
}

json_object &json_object::text(std::string_view name, std::string_view value) {
    key(name);
    body_ += quoted(value);
    return *this;
}

json_object &json_object::number(std::string_view name, long long value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

json_object &json_object::boolean(std::string_view name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

json_object &json_object::texts(std::string_view name, const std::vector<std::string> &values) {
    key(name);
    body_ += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0) body_ += ',';
        body_ += quoted(values[i]);
    }
    body_ += ']';
    return *this;
}

json_object &json_object::raw(std::string_view name, std::string_view json) {
    key(name);
    body_ += json;
    return *this;
}

}  // namespace playground
