// The spooler tests: the fixture's environment first, so that libcups and the
// CUPS commands reach the private scheduler and never the machine's own.
#include <gtest/gtest.h>

#include "spooler_environment.h"

int main(int argc, char **argv) {
    spooler::load_fixture_environment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
