// Raw printing and printer selection: PrintFile sends a printer-ready file
// unchanged to a printer as one job, SetupDialog lets the user choose a printer
// in the system dialog, DefaultPrinter reports the default printer's names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include "hostutil/message_text.h"
#include "hostutil/print_transfer.h"
#include "hostutil/profile_entry.h"
#include "platform/default_printer.h"
#include "platform/file_handle.h"
#include "platform/message_box.h"
#include "platform/print_dialog.h"
#include "platform/spooler.h"
#include "platform/wait_cursor.h"
#include "ventus.h"

static_assert(sizeof(PrintSetupRecord) == (sizeof(void *) == 4 ? 26 : 42),
              "PrintSetupRecord is packed: 26 bytes with 32-bit pointers, 42 with 64-bit");
static_assert(offsetof(PrintSetupRecord, copies) == 3 * sizeof(void *) &&
                  offsetof(PrintSetupRecord, from_page) == 3 * sizeof(void *) + 2 &&
                  offsetof(PrintSetupRecord, to_page) == 3 * sizeof(void *) + 4 &&
                  offsetof(PrintSetupRecord, flags) == 3 * sizeof(void *) + 6 &&
                  offsetof(PrintSetupRecord, device_context) == 3 * sizeof(void *) + 10,
              "PrintSetupRecord has no gaps between its fields");

namespace {

constexpr const char *message_title = "Ziv Ovodaz";
constexpr std::size_t transfer_buffer_size = 4097;
static_assert(transfer_buffer_size > ventus::print_block_size);
constexpr std::size_t message_size = 128;
constexpr std::size_t profile_entry_size = 256;

void show(const char *text) { platform::show_message(message_title, text); }

// The two messages of a spooler failure: the step with the name and the error
// code, then the spooler's own text for that error.
void show_spooler_failure(const char *format, const char *name, const platform::printer &printer) {
    char message[message_size];
    ventus::compose_message(message, sizeof message, format, name, printer.error_code());
    show(message);
    show(printer.error_text());
}

}  // namespace

extern "C" {

// Resources are released in the reverse order of their declaration: cursor,
// printer (ending its document), file, transfer buffer.
int32_t FORMULA_CALL PrintFile(const char *printer, const char *output, const char *path) {
    if (printer == nullptr) printer = "";
    if (path == nullptr) path = "";

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[transfer_buffer_size]);
    if (!buffer) {
        show("Memoria insufficente per copiare il file");
        return 0;
    }

    platform::file_handle file(std::fopen(path, "rb"));
    if (!file) {
        char message[message_size];
        ventus::compose_message(message, sizeof message, "Non posso aprire il '%s' per leggerlo.",
                                  path);
        show(message);
        return 0;
    }

    platform::printer spooler;
    if (!spooler.open(printer)) {
        show_spooler_failure("OpenPrinter per '%s' fallita: %ld", printer, spooler);
        return 0;
    }
    // Without an output file the document goes to the printer's own port,
    // which the message names by the printer.
    const char *destination = output ? output : printer;
    if (!spooler.start_document(path, output)) {
        show_spooler_failure("Inizio stampa su '%s' fallita: %ld", destination, spooler);
        return 0;
    }

    std::optional<platform::wait_cursor> wait_cursor(std::in_place);
    if (!ventus::send_file(file.get(), spooler, buffer.get())) {
        show("Trasmissione dati alla stampante fallito");
        return 0;
    }
    wait_cursor.reset();
    // The job is accepted only when its end is: a refusal there is a failure too.
    if (!spooler.end_document()) {
        show_spooler_failure("Fine stampa su '%s' fallita: %ld", destination, spooler);
        return 0;
    }
    return 1;
}

int32_t FORMULA_CALL SetupDialog(PrintSetupRecord *record) {
    if (record == nullptr) return 0;
    platform::print_dialog_settings settings;
    settings.flags = record->flags;
    settings.copies = record->copies;
    settings.from_page = record->from_page;
    settings.to_page = record->to_page;

    const int32_t result =
        platform::run_print_dialog(settings, record->device, record->driver, record->port);
    if (result != 0) {
        record->device_context = settings.device_context;
        record->copies = settings.copies;
        record->from_page = settings.from_page;
        record->to_page = settings.to_page;
    }
    return result;
}

int32_t FORMULA_CALL DefaultPrinter(char *device, char *driver, char *port) {
    char entry[profile_entry_size];
    platform::read_default_printer_entry(entry, sizeof entry);
    ventus::split_profile_entry(entry, device, driver, port);
    return 1;
}

}  // extern "C"
