#include "hostutil/profile_entry.h"

#include <cstdio>

namespace ventus {

void split_profile_entry(const char *entry, char *device, char *driver, char *port) {
    device[0] = '\0';
    driver[0] = '\0';
    port[0] = '\0';
    std::sscanf(entry, "%128[^,],%128[^,],%128[^,]", device, driver, port);
}

}  // namespace ventus
