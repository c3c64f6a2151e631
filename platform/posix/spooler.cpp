#include "platform/spooler.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/replacement_file.h"

namespace platform {

namespace {

constexpr int connect_timeout_ms = 30000;

bool is_printer_uri(const char *name) {
    return std::strncmp(name, "ipp://", 6) == 0 || std::strncmp(name, "ipps://", 7) == 0;
}

bool succeeded(ipp_status_t status) { return status < IPP_STATUS_REDIRECTION_OTHER_SITE; }

// strerror_r comes in a GNU form (returns the text) and an XSI form (fills the buffer).
[[maybe_unused]] const char *error_message(int result, const char *buffer) {
    return result == 0 ? buffer : "";
}
[[maybe_unused]] const char *error_message(const char *result, const char *) { return result; }

const char *system_error_text(int code, char *buffer, std::size_t size) {
    return error_message(strerror_r(code, buffer, size), buffer);
}

// A connection to the scheduler that CUPS_SERVER, client.conf or the default names.
http_t *connect_to_scheduler() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                        connect_timeout_ms, nullptr);
}

}  // namespace

struct printer::platform_state {
    http_t *connection = nullptr;
    cups_dest_t *destination = nullptr;
    cups_dinfo_t *destination_info = nullptr;  // printers given by URI only
    bool by_uri = false;
    std::string document_name;
    int job_id = 0;
    bool document_open = false;  // between start_document and end_document
    // CUPS takes no empty document: the document's request starts with its first
    // byte, and a job that got none is closed without a document.
    bool document_sent = false;

    // A document with an output file: put in place when the document ends.
    replacement_file output;

    ipp_status_t close_job() const;

    platform_state() = default;
    platform_state(const platform_state &) = delete;
    platform_state &operator=(const platform_state &) = delete;
    ~platform_state() {
        if (destination_info) cupsFreeDestInfo(destination_info);
        if (destination) cupsFreeDests(1, destination);
        if (connection) httpClose(connection);
    }
};

// Closes a job that got no document (Close-Job), so that it does not wait for one.
ipp_status_t printer::platform_state::close_job() const {
    const platform_state &state = *this;
    if (state.by_uri)
        return cupsCloseDestJob(state.connection, state.destination, state.destination_info,
                                state.job_id);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", state.destination->name);
    ipp_t *request = ippNewRequest(IPP_OP_CLOSE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", state.job_id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    const std::string resource = std::string("/printers/") + state.destination->name;
    ippDelete(cupsDoRequest(state.connection, request, resource.c_str()));
    return cupsLastError();
}

printer::printer() = default;

printer::~printer() { close(); }

void printer::record_last_error() {
    ipp_status_t code = cupsLastError();
    const char *text = cupsLastErrorString();
    if (succeeded(code)) code = IPP_STATUS_ERROR_INTERNAL;  // a failure that CUPS did not name
    record_error(static_cast<long>(code), text && *text ? text : ippErrorString(code));
}

bool printer::open(const char *name) {
    close();
    auto state = std::make_unique<platform_state>();
    if (name == nullptr || *name == '\0') {
        // An empty name would select the default destination.
        record_error(IPP_STATUS_ERROR_NOT_FOUND, ippErrorString(IPP_STATUS_ERROR_NOT_FOUND));
        return false;
    }
    if (is_printer_uri(name)) {
        state->by_uri = true;
        state->destination = cupsGetDestWithURI(nullptr, name);
        if (!state->destination) {
            record_last_error();
            return false;
        }
        // Straight to the printer, not through a queue of the local scheduler.
        char resource[1024] = "/";
        state->connection = cupsConnectDest(state->destination, CUPS_DEST_FLAGS_DEVICE,
                                            connect_timeout_ms, nullptr, resource,
                                            sizeof resource, nullptr, nullptr);
        if (!state->connection) {
            record_last_error();
            return false;
        }
        state->destination_info = cupsCopyDestInfo(state->connection, state->destination);
        if (!state->destination_info) {
            record_last_error();
            return false;
        }
    } else {
        state->connection = connect_to_scheduler();
        if (!state->connection) {
            record_last_error();
            return false;
        }
        state->destination = cupsGetNamedDest(state->connection, name, nullptr);
        if (!state->destination) {
            record_last_error();
            return false;
        }
    }
    state_ = std::move(state);
    return true;
}

bool printer::start_document(const char *document_name, const char *output_file) {
    if (!state_ || state_->document_open) {
        char buffer[error_text_size];
        record_error(EBADF, system_error_text(EBADF, buffer, sizeof buffer));
        return false;
    }
    platform_state &state = *state_;

    if (output_file) {
        if (!state.output.open(output_file)) {
            const int code = static_cast<int>(state.output.error());
            char buffer[error_text_size];
            record_error(code, system_error_text(code, buffer, sizeof buffer));
            return false;
        }
        state.document_open = true;
        return true;
    }

    if (state.by_uri) {
        ipp_status_t status =
            cupsCreateDestJob(state.connection, state.destination, state.destination_info,
                              &state.job_id, document_name, 0, nullptr);
        if (!succeeded(status) || state.job_id <= 0) {
            record_last_error();
            return false;
        }
    } else {
        state.job_id = cupsCreateJob(state.connection, state.destination->name, document_name,
                                     0, nullptr);
        if (state.job_id <= 0) {
            record_last_error();
            return false;
        }
    }
    state.document_name = document_name ? document_name : "";
    state.document_sent = false;
    state.document_open = true;
    return true;
}

bool printer::write(const void *data, std::uint32_t size, std::uint32_t &written) {
    written = 0;
    if (!state_ || !state_->document_open) {
        char buffer[error_text_size];
        record_error(EBADF, system_error_text(EBADF, buffer, sizeof buffer));
        return false;
    }
    platform_state &state = *state_;
    if (state.output.is_open()) {
        // What reached the file stays part of the document, as on a printer.
        written = static_cast<std::uint32_t>(state.output.write_some(data, size));
        if (written == 0 && size > 0) {
            const int code = static_cast<int>(state.output.error());
            char buffer[error_text_size];
            record_error(code, system_error_text(code, buffer, sizeof buffer));
            return false;
        }
        return true;
    }
    if (size == 0) return true;
    if (!state.document_sent) {
        const http_status_t status =
            state.by_uri
                ? cupsStartDestDocument(state.connection, state.destination,
                                        state.destination_info, state.job_id,
                                        state.document_name.c_str(), CUPS_FORMAT_RAW, 0, nullptr, 1)
                : cupsStartDocument(state.connection, state.destination->name, state.job_id,
                                    state.document_name.c_str(), CUPS_FORMAT_RAW, 1);
        if (status != HTTP_STATUS_CONTINUE) {
            record_last_error();
            return false;
        }
        state.document_sent = true;
    }
    if (cupsWriteRequestData(state.connection, static_cast<const char *>(data), size) !=
        HTTP_STATUS_CONTINUE) {
        record_last_error();
        return false;
    }
    written = size;
    return true;
}

bool printer::end_document() {
    if (!state_ || !state_->document_open) {
        char buffer[error_text_size];
        record_error(EBADF, system_error_text(EBADF, buffer, sizeof buffer));
        return false;
    }
    platform_state &state = *state_;
    state.document_open = false;

    if (state.output.is_open()) {
        if (state.output.commit()) return true;
        const int code = static_cast<int>(state.output.error());
        char buffer[error_text_size];
        record_error(code, system_error_text(code, buffer, sizeof buffer));
        return false;
    }

    ipp_status_t status;
    if (!state.document_sent)
        status = state.close_job();
    else if (state.by_uri)
        status = cupsFinishDestDocument(state.connection, state.destination, state.destination_info);
    else
        status = cupsFinishDocument(state.connection, state.destination->name);
    state.job_id = 0;
    state.document_sent = false;
    if (!succeeded(status)) {
        record_last_error();
        return false;
    }
    return true;
}

void printer::close() {
    if (!state_) return;
    if (state_->document_open) end_document();
    state_.reset();
}

}  // namespace platform
