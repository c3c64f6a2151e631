// ConvertToUnicode and ConvertToAnsi on arbitrary files. One round trip
// through UTF-16 gives text that a second round trip leaves unchanged (for
// inputs without lines beyond a line read's 16383 bytes).
#include <cstdint>
#include <string>

#include "fuzz_files.h"
#include "ventus.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string source = fuzz_files::scratch("source");
    const std::string wide = fuzz_files::scratch("wide");
    const std::string narrow = fuzz_files::scratch("narrow");
    fuzz_files::write(source, data, size);

    if (ConvertToAnsi(source.c_str(), narrow.c_str()) != 1) fuzz_files::fail("ConvertToAnsi failed");
    if (ConvertToUnicode(source.c_str(), wide.c_str()) != 1) fuzz_files::fail("ConvertToUnicode failed");
    const std::string unicode = fuzz_files::read(wide);
    if (unicode.size() % 2 != 0 || unicode.compare(0, 2, "\xFF\xFE") != 0) {
        fuzz_files::fail("UTF-16 output without byte-order mark or whole units");
    }
    if (size > 16000) return 0;

    if (ConvertToAnsi(wide.c_str(), narrow.c_str()) != 1) fuzz_files::fail("ConvertToAnsi failed");
    const std::string once = fuzz_files::read(narrow);
    if (ConvertToUnicode(narrow.c_str(), wide.c_str()) != 1 ||
        ConvertToAnsi(wide.c_str(), narrow.c_str()) != 1) {
        fuzz_files::fail("second round trip failed");
    }
    if (fuzz_files::read(narrow) != once) fuzz_files::fail("round trip not stable");
    return 0;
}
