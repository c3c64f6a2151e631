// The names of a replacement's temporary files (platform/replacement_file.h),
// for both implementations: in the target's folder, "." and the target's
// name (its first 64 bytes, so the name fits wherever the target's name
// fits), then "." and 16 lower-case hexadecimal digits, then ".tmp".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

struct replacement_names {
    std::string folder;  // with its closing separator, or empty
    std::string prefix;  // "." NAME "."

    // `separators`: the characters that end a folder in a path.
    replacement_names(const std::string &target, const char *separators) {
        const std::size_t separator = target.find_last_of(separators);
        folder = separator == std::string::npos ? std::string() : target.substr(0, separator + 1);
        prefix.assign(1, '.').append(target, folder.size(), 64).push_back('.');
    }

    std::string temporary(std::uint64_t number) const {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%016llx.tmp", static_cast<unsigned long long>(number));
        return folder + prefix + suffix;
    }

    // Whether a name in the folder is exactly one of the temporary names.
    bool matches(std::string_view name) const {
        constexpr std::size_t digits = 16;
        if (name.size() != prefix.size() + digits + 4 || !name.starts_with(prefix) || !name.ends_with(".tmp"))
            return false;
        for (const char c : name.substr(prefix.size(), digits))
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
        return true;
    }
};

}  // namespace platform
