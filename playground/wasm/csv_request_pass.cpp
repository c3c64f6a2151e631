#include "playground/wasm/csv_request_pass.h"

#include <cstdlib>

namespace playground {

json_object &bad_rows::write(json_object &json) const {
    std::string numbers = "[";
    for (const long long row : rows) {
        if (numbers.size() > 1) numbers += ',';
        numbers += std::to_string(row);
    }
    return json.raw("bad_rows", numbers + "]").texts("row_messages", messages);
}

notice_stream::notice_stream() : stream_(open_memstream(&buffer_, &size_)) {}

notice_stream::~notice_stream() {
    if (stream_) std::fclose(stream_);
    std::free(buffer_);
}

std::string notice_stream::text() {
    if (stream_) std::fclose(stream_);
    stream_ = nullptr;
    return std::string(buffer_ ? buffer_ : "", size_);
}

}  // namespace playground
