#include "platform/default_printer.h"

#include <cups/cups.h>

#include <cstdio>

namespace platform {

namespace {

constexpr int connect_timeout_ms = 30000;

// Owns what the lookup of the default destination acquires.
struct default_destination {
    http_t *connection = nullptr;
    cups_dest_t *destination = nullptr;

    default_destination() {
        connection = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(),
                                  1, connect_timeout_ms, nullptr);
        // A null name asks for the user's default: LPDEST, PRINTER, lpoptions, then
        // the scheduler's default destination.
        if (connection) destination = cupsGetNamedDest(connection, nullptr, nullptr);
    }
    default_destination(const default_destination &) = delete;
    default_destination &operator=(const default_destination &) = delete;
    ~default_destination() {
        if (destination) cupsFreeDests(1, destination);
        if (connection) httpClose(connection);
    }

    const char *option(const char *name) const {
        const char *value = cupsGetOption(name, destination->num_options, destination->options);
        return value ? value : "";
    }
};

}  // namespace

void read_default_printer_entry(char *entry, std::size_t size) {
    if (size == 0) return;
    default_destination lookup;
    if (!lookup.destination) {
        std::snprintf(entry, size, ",,,");
        return;
    }
    const cups_dest_t &destination = *lookup.destination;
    std::snprintf(entry, size, "%s%s%s,%s,%s", destination.name,
                  destination.instance ? "/" : "", destination.instance ? destination.instance : "",
                  lookup.option("printer-make-and-model"), lookup.option("device-uri"));
}

}  // namespace platform
