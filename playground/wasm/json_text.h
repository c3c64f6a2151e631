// A JSON object written field by field, for the results the page reads. Texts
// are copied byte for byte except for the characters JSON must escape, so a
// message reaches the page exactly as the compiler or the evaluator wrote it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace playground {

class json_object {
public:
    json_object &text(std::string_view key, std::string_view value);
    json_object &number(std::string_view key, long long value);
    json_object &boolean(std::string_view key, bool value);
    json_object &texts(std::string_view key, const std::vector<std::string> &values);
    // `json` is already JSON (an object or an array written by this class).
    json_object &raw(std::string_view key, std::string_view json);

    // The object's text, closed.
    std::string finished() const { return body_ + "}"; }

private:
    void key(std::string_view name);
    std::string body_ = "{";
};

// `value` as a JSON string, quotes included.
std::string quoted(std::string_view value);

}  // namespace playground
