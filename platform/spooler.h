// A printer on the system's print spooler, with at most one document (job).
//
// Windows: OpenPrinterA, StartDocPrinterA with a DOC_INFO_1, WritePrinter,
// EndDocPrinter, ClosePrinter; errors from GetLastError and FormatMessageA.
// POSIX: a raw CUPS job (the bytes reach the printer unchanged). The printer is
// a CUPS destination name (a job on the scheduler) or an ipp:// or ipps:// URI
// (a job sent to that printer directly). CUPS takes no empty document, so the
// document's request starts with its first byte and a job that got no byte is
// closed without one. A document with an output file name writes its bytes to
// that file instead of making a job; the file appears under its name when the
// document ends. Errors are the CUPS status code and text (cupsLastError,
// cupsLastErrorString), or errno and its text for the output file.
//
// The destructor ends a document still open and closes the printer, so no path
// leaves a job unfinished or a handle open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace platform {

class printer {
public:
    // Room for the error text, NUL included; longer texts are cut.
    static constexpr std::size_t error_text_size = 128;

    printer();
    ~printer();
    printer(const printer &) = delete;
    printer &operator=(const printer &) = delete;

    // Opens the printer by its name, without printer defaults.
    bool open(const char *name);
    // Starts a document named document_name, in the printer's default data type,
    // on the printer's own port (output_file null) or into output_file.
    bool start_document(const char *document_name, const char *output_file);
    // Passes size bytes to the document; written receives the count taken,
    // which may be less than size.
    bool write(const void *data, std::uint32_t size, std::uint32_t &written);
    // Ends the document: the job is complete and goes to the printer.
    bool end_document();
    // Ends an open document and closes the printer; harmless when closed.
    void close();

    // The error of the last call that failed: the spooler's code and its text.
    long error_code() const { return error_code_; }
    const char *error_text() const { return error_text_; }

private:
    struct platform_state;  // the platform's handles

    // Keeps the error of the call that has just failed.
    void record_last_error();  // the spooler's own error of this thread
    void record_error(long code, const char *text) {
        error_code_ = code;
        std::snprintf(error_text_, sizeof error_text_, "%s", text ? text : "");
    }

    std::unique_ptr<platform_state> state_;
    long error_code_ = 0;
    char error_text_[error_text_size] = {};
};

}  // namespace platform
