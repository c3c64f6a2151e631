// The pure parts of printing: messages cut to their buffer, the profile entry
// split into its three names, and blocks handed to a printer that takes less
// than it is given (no spooler here does that, so a stand-in printer does).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hostutil/message_text.h"
#include "hostutil/print_transfer.h"
#include "hostutil/profile_entry.h"

namespace {

TEST(ComposeMessageTest, FitsOrShortensTheName) {
    char message[128];
    ventus::compose_message(message, sizeof message, "OpenPrinter per '%s' fallita: %ld", "Laser",
                              1801);
    EXPECT_STREQ(message, "OpenPrinter per 'Laser' fallita: 1801");

    // Exactly 127 bytes fit as they are.
    const std::string fitting(127 - std::strlen("Non posso aprire il '' per leggerlo."), 'f');
    ventus::compose_message(message, sizeof message, "Non posso aprire il '%s' per leggerlo.",
                              fitting.c_str());
    EXPECT_EQ(std::string(message), "Non posso aprire il '" + fitting + "' per leggerlo.");

    // One byte more: the name loses its beginning, the message keeps its end.
    const std::string name = "A" + std::string(400, 'n') + "Z";
    ventus::compose_message(message, sizeof message, "OpenPrinter per '%s' fallita: %ld",
                              name.c_str(), 1801);
    const std::string text = message;
    EXPECT_EQ(text.size(), 127u);
    EXPECT_EQ(text.rfind("OpenPrinter per '...nnn", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 17), "nZ' fallita: 1801");
}

TEST(ComposeMessageTest, NeverStartsTheShortenedNameInsideAUtf8Character) {
    std::string name;
    for (int i = 0; i < 100; ++i) name += "\xC3\xA8";  // è
    char message[128];
    for (std::size_t size : {64u, 65u, 128u}) {
        ventus::compose_message(message, size, "Non posso aprire il '%s' per leggerlo.",
                                  name.c_str());
        const std::string text = message;
        const std::size_t start = text.find("...") + 3;
        EXPECT_EQ(static_cast<unsigned char>(text[start]), 0xC3u) << "size " << size;
        EXPECT_LT(text.size(), size);
    }
}

TEST(SplitProfileEntryTest, SplitsAsThePatternDoes) {
    const std::string f128(128, 'a'), f129(129, 'b');
    struct split_case {
        std::string entry, device, driver, port;
    };
    const std::vector<split_case> cases = {
        {"Laser,winspool,LPT1:", "Laser", "winspool", "LPT1:"},
        {",,,", "", "", ""},
        {"", "", "", ""},
        {",winspool,LPT1:", "", "", ""},      // an empty first field stops at once
        {"Laser,,LPT1:", "Laser", "", ""},
        {"Laser", "Laser", "", ""},
        {"Laser,winspool,LPT1:,extra", "Laser", "winspool", "LPT1:"},
        {f128 + ",d," + f128, f128, "d", f128},  // 128 bytes and a comma go on
        {f129 + ",d,p", f129.substr(0, 128), "", ""},  // longer: cut, then stop
        {"x," + f129 + ",p", "x", f129.substr(0, 128), ""},
        {"x,d," + f129, "x", "d", f129.substr(0, 128)},
    };
    for (const split_case &c : cases) {
        SCOPED_TRACE(c.entry);
        char device[129 + 8], driver[129 + 8], port[129 + 8];
        std::memset(device, '#', sizeof device);
        std::memset(driver, '#', sizeof driver);
        std::memset(port, '#', sizeof port);
        ventus::split_profile_entry(c.entry.c_str(), device, driver, port);
        EXPECT_EQ(device, c.device);
        EXPECT_EQ(driver, c.driver);
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(std::string(device + 129, 8), std::string(8, '#'));
    }
}

// Takes at most `limit` bytes per write; fails or takes nothing when told to.
struct stingy_printer {
    stingy_printer(std::size_t per_write, int writes_until_stall = -1, bool fail = false)
        : limit(per_write), writes_before_stall(writes_until_stall), fail_on_stall(fail) {}

    std::size_t limit;
    int writes_before_stall;  // -1: never stalls
    bool fail_on_stall;
    std::string taken;
    int writes = 0;

    bool write(const void *data, std::uint32_t size, std::uint32_t &written) {
        written = 0;
        if (writes_before_stall >= 0 && writes++ >= writes_before_stall) return !fail_on_stall;
        const std::size_t count = size < limit ? size : limit;
        taken.append(static_cast<const char *>(data), count);
        written = static_cast<std::uint32_t>(count);
        return true;
    }
};

TEST(WriteBlockTest, WritesTheRestUntilTheBlockIsThrough) {
    const std::string block(4096, 'q');
    stingy_printer printer(1000);
    EXPECT_TRUE(ventus::write_block(printer, block.data(), block.size()));
    EXPECT_EQ(printer.taken, block);
}

TEST(WriteBlockTest, WriteWithoutProgressOrFailedIsAFailure) {
    const std::string block(4096, 'q');
    for (bool fail : {false, true}) {
        stingy_printer printer(1000, 2, fail);
        EXPECT_FALSE(ventus::write_block(printer, block.data(), block.size()));
        EXPECT_EQ(printer.taken.size(), 2000u);
    }
}

}  // namespace
