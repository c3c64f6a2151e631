// A host application in miniature for the Windows-only exports: runs a batch of
// calls read from a file, one per line, and prints one result line per call,
// so that a test starts Wine once for many cases. Fields are separated by tabs;
// a field "\N" stands for a null pointer.
//
//   connect CONNECTION_STRING   opens the ODBC connection the calls below use
//   unconnected                 from now on: a connection handle never connected
//   null-connection             from now on: a null connection handle
//   LoadBin SQL PATH            -> LoadBin RESULT
//   SaveBin SQL PATH            -> SaveBin RESULT
//   EqualBin TABLE KEY PATH     -> EqualBin RESULT
//   PrintFile PRINTER OUTPUT PATH          -> PrintFile RESULT
//   DefaultPrinter              -> DefaultPrinter RESULT DEVICE DRIVER PORT
//   SetupDialog COPIES FROM TO FLAGS
//       -> SetupDialog RESULT DEVICE DRIVER PORT COPIES FROM TO FLAGS DC
//          (DC: "none", or "dc" for a device context the dialog returned)
//
// Output fields are tab-separated too. Exit code 0 when every line was a call.
#include <windows.h>
#include <commdlg.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ventus.h"

namespace {

std::vector<std::string> fields_of(const std::string &line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

const char *text_or_null(const std::string &field) {
    return field == "\\N" ? nullptr : field.c_str();
}

// The host's ODBC connection, or a handle in the state a case asks for.
class host_connection {
public:
    host_connection() {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_);
        SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~host_connection() {
        release();
        if (environment_) SQLFreeHandle(SQL_HANDLE_ENV, environment_);
    }
    host_connection(const host_connection &) = delete;
    host_connection &operator=(const host_connection &) = delete;

    std::string connect(const std::string &connection_string) {
        release();
        SQLAllocHandle(SQL_HANDLE_DBC, environment_, &handle_);
        SQLCHAR out[1024];
        SQLSMALLINT out_length = 0;
        const SQLRETURN result = SQLDriverConnect(
            handle_, nullptr,
            reinterpret_cast<SQLCHAR *>(const_cast<char *>(connection_string.c_str())), SQL_NTS,
            out, sizeof out, &out_length, SQL_DRIVER_NOPROMPT);
        connected_ = SQL_SUCCEEDED(result);
        if (connected_) return "1";
        SQLCHAR state[6] = {};
        SQLCHAR message[512] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_DBC, handle_, 1, state, &native, message, sizeof message, &length);
        return std::string("0\t") + reinterpret_cast<char *>(state) + ": " +
               reinterpret_cast<char *>(message);
    }
    void unconnected() {
        release();
        SQLAllocHandle(SQL_HANDLE_DBC, environment_, &handle_);
    }
    void null() { release(); }
    void *handle() const { return handle_; }

private:
    void release() {
        if (connected_) SQLDisconnect(handle_);
        if (handle_) SQLFreeHandle(SQL_HANDLE_DBC, handle_);
        handle_ = SQL_NULL_HDBC;
        connected_ = false;
    }
    SQLHENV environment_ = SQL_NULL_HENV;
    SQLHDBC handle_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

std::string setup_dialog(const std::vector<std::string> &f) {
    char device[256] = "device-before", driver[256] = "driver-before", port[256] = "port-before";
    PrintSetupRecord record{device, driver, port,
                            static_cast<uint16_t>(std::stoul(f[1])),
                            static_cast<uint16_t>(std::stoul(f[2])),
                            static_cast<uint16_t>(std::stoul(f[3])),
                            static_cast<uint32_t>(std::stoul(f[4], nullptr, 0)), nullptr};
    const int32_t result = SetupDialog(&record);
    if (result == 0)  // cancelled (0) or failed: the dialog's own code, for the log
        std::fprintf(stderr, "SetupDialog: CommDlgExtendedError 0x%lx\n",
                     static_cast<unsigned long>(CommDlgExtendedError()));
    std::ostringstream out;
    out << result << '\t' << device << '\t' << driver << '\t' << port << '\t' << record.copies
        << '\t' << record.from_page << '\t' << record.to_page << '\t' << record.flags << '\t'
        << (record.device_context ? "dc" : "none");
    if (record.device_context) DeleteDC(static_cast<HDC>(record.device_context));
    return out.str();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: export_batch CALLS_FILE\n");
        return 2;
    }
    std::ifstream calls(argv[1], std::ios::binary);
    if (!calls) {
        std::fprintf(stderr, "export_batch: cannot read %s\n", argv[1]);
        return 2;
    }
    host_connection connection;
    int status = 0;
    std::string line;
    while (std::getline(calls, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> f = fields_of(line);
        const std::string &name = f[0];
        std::string result;
        if (name == "connect" && f.size() == 2) result = connection.connect(f[1]);
        else if (name == "unconnected" && f.size() == 1) connection.unconnected(), result = "1";
        else if (name == "null-connection" && f.size() == 1) connection.null(), result = "1";
        else if (name == "LoadBin" && f.size() == 3)
            result = std::to_string(
                LoadBin(connection.handle(), text_or_null(f[1]), text_or_null(f[2])));
        else if (name == "SaveBin" && f.size() == 3)
            result = std::to_string(
                SaveBin(connection.handle(), text_or_null(f[1]), text_or_null(f[2])));
        else if (name == "EqualBin" && f.size() == 4)
            result = std::to_string(EqualBin(connection.handle(), text_or_null(f[1]),
                                             text_or_null(f[2]), text_or_null(f[3])));
        else if (name == "PrintFile" && f.size() == 4)
            result = std::to_string(
                PrintFile(text_or_null(f[1]), text_or_null(f[2]), text_or_null(f[3])));
        else if (name == "DefaultPrinter" && f.size() == 1) {
            char device[129 + 64] = "", driver[129 + 64] = "", port[129 + 64] = "";
            result = std::to_string(DefaultPrinter(device, driver, port)) + '\t' + device + '\t' +
                     driver + '\t' + port;
        } else if (name == "SetupDialog" && f.size() == 5)
            result = setup_dialog(f);
        else {
            std::fprintf(stderr, "export_batch: not a call: %s\n", line.c_str());
            status = 2;
            continue;
        }
        std::printf("%s\t%s\n", name.c_str(), result.c_str());
        std::fflush(stdout);
    }
    return status;
}
