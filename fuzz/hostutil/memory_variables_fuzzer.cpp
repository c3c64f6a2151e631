// VEDIVAR on arbitrary files. The first input byte gives the length of the
// name (taken from the following bytes); the rest is the file. The result is
// checked against a plain reading of the record rules that uses checked
// access only.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_files.h"
#include "ventus.h"

namespace {

constexpr char untouched = '\x77';

struct expected_outcome {
    int result;
    std::string value;  // empty with written == false: untouched
    bool written;
};

expected_outcome expected_for(const std::string &file, const std::string &name) {
    const std::string data = file.substr(0, 10000);
    const std::string key = name + std::string(1, '\0');
    const std::size_t match = data.find(key);
    if (match == std::string::npos || match + key.size() + 2 > data.size()) return {-1, {}, false};
    if (match + 11 >= data.size()) return {-1, {}, false};
    const auto type = static_cast<unsigned char>(data.at(match + 11));
    if (type != 0xC3 && type != 0xCC) return {1, {}, false};
    if (match + 32 >= data.size()) return {-1, {}, false};
    if (type == 0xCC) return {1, data.at(match + 32) != 0 ? "T" : "F", true};
    const std::string rest = data.substr(match + 32);
    return {1, rest.substr(0, rest.find('\0')), true};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t name_length = std::min<std::size_t>(data[0] % 16, size - 1);
    std::string name(reinterpret_cast<const char *>(data + 1), name_length);
    name = name.c_str();  // a name ends at its first zero byte
    const std::uint8_t *file = data + 1 + name_length;
    const std::size_t file_size = size - 1 - name_length;

    const std::string path = fuzz_files::scratch("variables.mem");
    fuzz_files::write(path, file, file_size);
    std::vector<char> value(10001, untouched);
    const int result = VEDIVAR(path.c_str(), name.c_str(), value.data());

    const expected_outcome expected =
        file_size == 0 ? expected_outcome{-3, {}, false}
                       : expected_for(std::string(reinterpret_cast<const char *>(file), file_size), name);
    if (result != expected.result) fuzz_files::fail("unexpected result");
    if (expected.written) {
        if (std::memcmp(value.data(), expected.value.c_str(), expected.value.size() + 1) != 0) {
            fuzz_files::fail("unexpected value");
        }
        if (value[expected.value.size() + 1] != untouched) fuzz_files::fail("written beyond the value");
    } else if (value[0] != untouched) {
        fuzz_files::fail("value written without a converted type");
    }
    return 0;
}
