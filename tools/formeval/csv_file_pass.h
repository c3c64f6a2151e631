// The pass over a CSV file that every CSV mode makes: the file read in large
// blocks, cut into lines, each handed on, with a progress bar on a terminal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "tools/formeval/csv_row_reader.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/progress_bar.h"

namespace formeval {

enum class csv_pass {
    read,                 // every line taken
    stopped_by_row,       // a line could not be used: `error` says why
    stopped_after_block,  // after_block failed and has reported it
    unreadable,           // the file could not be read to its end
};

// Reads `input` (of `size` bytes, 0 when unknown) and hands every line to
// take_line(line, error), which returns false to stop with a complete
// message in `error`; after each block, after_block() may write what the
// rows gave, and returns false when that failed.

template <typename TakeLine, typename AfterBlock>
csv_pass read_csv_lines(std::FILE *input, std::uintmax_t size, csv_row_reader &reader, TakeLine take_line,
                        AfterBlock after_block, std::string &error) {
    constexpr std::size_t block_size = std::size_t{1} << 20;
    const auto take = [&](std::string_view line) { return take_line(line, error); };
    line_splitter lines;
    std::unique_ptr<char[]> block(new char[block_size]);
    std::uintmax_t done = 0;
    split_status status = split_status::ok;
    {
        progress_bar progress(size);
        for (;;) {
            const std::size_t count = std::fread(block.get(), 1, block_size, input);
            if (count == 0) break;
            done += count;
            status = lines.feed({block.get(), count}, take);
            if (status != split_status::ok) break;
            if (!after_block()) return csv_pass::stopped_after_block;
            progress.update(done, reader.line_number());
        }
    }
    if (std::ferror(input)) return csv_pass::unreadable;
    if (status == split_status::ok) status = lines.finish(take);
    if (status == split_status::line_too_long) error = reader.line_too_long_message();
    return status == split_status::ok ? csv_pass::read : csv_pass::stopped_by_row;
}

}  // namespace formeval
