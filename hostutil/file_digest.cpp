// RMDcalc: the RIPEMD-160 digest of a file as 40 lower-case hex digits.
#include "hostutil/file_digest.h"

#include <cstdint>
#include <memory>

#include "hostutil/input_file.h"
#include "ventus.h"

namespace ventus {

std::optional<ripemd160_digest> RMDbinary(const char *path) {
    input_file file{path};
    if (!file.is_open()) return std::nullopt;
    ripemd160 hash;
    constexpr std::size_t block_size = 1024 * 1024;
    const auto block = std::make_unique_for_overwrite<unsigned char[]>(block_size);
    for (;;) {
        const std::size_t length = file.read(block.get(), block_size);
        hash.update(block.get(), length);
        if (length < block_size) break;
    }
    if (file.failed()) return std::nullopt;
    return hash.finish();
}

}  // namespace ventus

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL RMDcalc(const char *path, char *digest) {
    if (digest == nullptr) return 0;
    digest[0] = '\0';
    try {
        const auto binary = ventus::RMDbinary(path);
        if (!binary) return 0;
        static constexpr char hex[] = "0123456789abcdef";
        for (std::size_t i = 0; i < binary->size(); ++i) {
            digest[2 * i] = hex[(*binary)[i] >> 4];
            digest[2 * i + 1] = hex[(*binary)[i] & 0x0F];
        }
        digest[2 * binary->size()] = '\0';
        return 1;
    } catch (...) {  // out of memory for the read buffer
        return 0;
    }
}
