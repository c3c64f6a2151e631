// DefaultPrinter from the private scheduler's destinations, and SetupDialog,
// which has no dialog to show on this system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "spooler_environment.h"
#include "ventus.h"

namespace {

// Three caller buffers of the documented 129 bytes, with room behind them to
// notice a write past the end.
struct printer_names {
    static constexpr std::size_t size = 129;
    static constexpr std::size_t guard = 64;
    char device[size + guard];
    char driver[size + guard];
    char port[size + guard];

    printer_names() {
        std::memset(device, '#', sizeof device);
        std::memset(driver, '#', sizeof driver);
        std::memset(port, '#', sizeof port);
    }
    bool guards_intact() const {
        for (const char *buffer : {device, driver, port})
            for (std::size_t i = size; i < size + guard; ++i)
                if (buffer[i] != '#') return false;
        return true;
    }
};

class DefaultPrinterTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(spooler::folder().empty()) << "the spooler fixture is not running";
        unsetenv("LPDEST");
        unsetenv("PRINTER");
    }
    const std::string listener_uri =
        "socket://127.0.0.1:" + spooler::variable("SPOOLER_LISTENER_PORT");
};

TEST_F(DefaultPrinterTest, NamedByLpdestOrPrinter) {
    for (const char *variable : {"LPDEST", "PRINTER"}) {
        SCOPED_TRACE(variable);
        setenv(variable, spooler::raw_queue, 1);
        printer_names names;
        EXPECT_EQ(DefaultPrinter(names.device, names.driver, names.port), 1);
        EXPECT_STREQ(names.device, spooler::raw_queue);
        EXPECT_STRNE(names.driver, "");  // the queue's make and model
        EXPECT_EQ(names.port, listener_uri);
        unsetenv(variable);
    }
}

TEST_F(DefaultPrinterTest, NoDefaultGivesThreeEmptyTexts) {
    printer_names names;
    EXPECT_EQ(DefaultPrinter(names.device, names.driver, names.port), 1);
    EXPECT_STREQ(names.device, "");
    EXPECT_STREQ(names.driver, "");
    EXPECT_STREQ(names.port, "");
    EXPECT_TRUE(names.guards_intact());
}

TEST_F(DefaultPrinterTest, FieldLongerThan128BytesKeepsItsFirst128) {
    setenv("LPDEST", spooler::long_uri_queue, 1);
    printer_names names;
    EXPECT_EQ(DefaultPrinter(names.device, names.driver, names.port), 1);
    EXPECT_STREQ(names.device, spooler::long_uri_queue);
    const std::string device_uri = "socket://127.0.0.1:9/" + std::string(200, 'x');
    EXPECT_EQ(names.port, device_uri.substr(0, 128));
    EXPECT_TRUE(names.guards_intact());
}

TEST(SetupDialogTest, NoDialogLeavesTheRecordAsItWas) {
    char device[129] = "device", driver[129] = "driver", port[129] = "port";
    PrintSetupRecord record{device, driver, port, 3, 2, 9, 0x12345678u,
                            reinterpret_cast<void *>(0x1234)};
    const PrintSetupRecord before = record;
    EXPECT_EQ(SetupDialog(&record), 0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_STREQ(device, "device");
    EXPECT_STREQ(driver, "driver");
    EXPECT_STREQ(port, "port");
}

}  // namespace
