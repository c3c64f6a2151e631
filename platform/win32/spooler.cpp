#include "platform/spooler.h"

#include <windows.h>
#include <winspool.h>

namespace platform {

struct printer::platform_state {
    HANDLE printer = nullptr;
    bool document_open = false;
};

printer::printer() = default;

printer::~printer() { close(); }

void printer::record_last_error() {
    DWORD code = GetLastError();
    error_code_ = static_cast<long>(code);
    // The system's text for the code: no inserts, default language, cut to the buffer.
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), error_text_,
                       static_cast<DWORD>(sizeof error_text_), nullptr) == 0)
        error_text_[0] = '\0';
}

bool printer::open(const char *name) {
    close();
    HANDLE printer = nullptr;
    if (!OpenPrinterA(const_cast<char *>(name), &printer, nullptr)) {
        record_last_error();
        return false;
    }
    state_ = std::make_unique<platform_state>();
    state_->printer = printer;
    return true;
}

bool printer::start_document(const char *document_name, const char *output_file) {
    // The spooler resolves no output name against the caller's folder: a
    // relative name would be taken for a port. The full path goes instead.
    char full_path[MAX_PATH];
    if (output_file && output_file[0] != '\0') {
        const DWORD length = GetFullPathNameA(output_file, sizeof full_path, full_path, nullptr);
        if (length > 0 && length < sizeof full_path) output_file = full_path;
    }
    DOC_INFO_1A document = {};
    document.pDocName = const_cast<char *>(document_name);
    document.pOutputFile = const_cast<char *>(output_file);
    document.pDatatype = nullptr;  // the printer's default data type
    if (StartDocPrinterA(state_ ? state_->printer : nullptr, 1,
                         reinterpret_cast<LPBYTE>(&document)) == 0) {
        record_last_error();
        return false;
    }
    state_->document_open = true;
    return true;
}

bool printer::write(const void *data, std::uint32_t size, std::uint32_t &written) {
    DWORD count = 0;
    BOOL ok = WritePrinter(state_ ? state_->printer : nullptr, const_cast<void *>(data), size,
                           &count);
    written = count;
    if (!ok) {
        record_last_error();
        return false;
    }
    return true;
}

bool printer::end_document() {
    if (state_) state_->document_open = false;
    if (!EndDocPrinter(state_ ? state_->printer : nullptr)) {
        record_last_error();
        return false;
    }
    return true;
}

void printer::close() {
    if (!state_) return;
    if (state_->document_open) end_document();
    ClosePrinter(state_->printer);
    state_.reset();
}

}  // namespace platform
