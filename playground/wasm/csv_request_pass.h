// The pass over a CSV file that the page's CSV and Compare requests make:
// every line handed on, and where formeval stops at the first line it cannot
// use, the page notes the line (its row number and formeval's message) and
// goes on. Notices (the rows that met a zero divisor) are kept as text.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "playground/wasm/json_text.h"
#include "tools/formeval/csv_row_reader.h"
#include "tools/formeval/csv_rows.h"

namespace playground {

struct bad_rows {
    std::vector<long long> rows;        // row numbers
    std::vector<std::string> messages;  // formeval's message for each

    // The fields bad_rows and row_messages of a request's answer.
    json_object &write(json_object &json) const;
};

// take_line(line, error) returns false with formeval's message (without
// "formeval: ") for a line it cannot use.
template <typename TakeLine>
bad_rows take_every_line(std::string_view csv, const formeval::csv_row_reader &reader, TakeLine take_line) {
    bad_rows bad;
    const auto take = [&](std::string_view line) {
        std::string error;
        if (!take_line(line, error)) {
            bad.rows.push_back(reader.line_number());
            bad.messages.push_back("formeval: " + error);
        }
        return true;
    };
    formeval::line_splitter lines;
    formeval::split_status status = lines.feed(csv, take);
    if (status == formeval::split_status::ok) status = lines.finish(take);
    if (status == formeval::split_status::line_too_long) {
        bad.rows.push_back(reader.line_number() + 1);
        bad.messages.push_back("formeval: " + reader.line_too_long_message());
    }
    return bad;
}

// A stream in memory for the evaluator's notices, read back as text.
class notice_stream {
public:
    notice_stream();
    ~notice_stream();
    notice_stream(const notice_stream &) = delete;
    notice_stream &operator=(const notice_stream &) = delete;

    std::FILE *stream() const noexcept { return stream_; }
    // What was written; the stream is closed.
    std::string text();

private:
    char *buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE *stream_ = nullptr;
};

}  // namespace playground
