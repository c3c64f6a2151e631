#include "tools/formeval/csv_mode.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/file_handle.h"
#include "platform/file_identity.h"
#include "platform/replacement_file.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/progress_bar.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

// Standard output, or a replacement of the target that commit() puts in
// place; without it, the target stays as it was.
class output_sink {
public:
    explicit output_sink(const std::string &target) : target_(target) {
        if (!target_.empty()) file_.open(target_.c_str());
    }

    bool opened() const noexcept { return target_.empty() || file_.is_open(); }

    bool write(std::string &buffer) {
        bool written = target_.empty() ? write_checked(stdout, buffer) : file_.write(buffer.data(), buffer.size());
        buffer.clear();
        return written;
    }

    bool commit() {
        if (target_.empty()) return finish_standard_output();
        return file_.commit();
    }

    int refuse_unwritten() const {
        return target_.empty() ? refuse("%s", unwritable_output_text)
                               : refuse(unwritable_file_text, target_.c_str());
    }

private:
    std::string target_;
    platform::replacement_file file_;
};

}  // namespace

int evaluate_csv_file(loaded_formula &formula, const invocation &call) {
    platform::file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    std::error_code size_error;
    const std::uintmax_t size = std::filesystem::file_size(call.csv_path, size_error);

    // Compared as files, so that "./in.csv" or a link to it is caught too.
    if (!call.output_path.empty() && platform::same_file(call.output_path, call.csv_path))
        return refuse(output_replaces_input_text, call.output_path.c_str(), call.csv_path.c_str());
    output_sink output(call.output_path);
    if (!output.opened()) return refuse(unwritable_file_text, call.output_path.c_str());

    csv_evaluator evaluator(formula, call.csv_path, stderr);
    std::string out = evaluator.header();
    std::string error;
    auto take = [&](std::string_view line) { return evaluator.take_line(line, out, error); };
    line_splitter lines;
    std::unique_ptr<char[]> block(new char[block_size]);
    std::uintmax_t done = 0;
    split_status status = split_status::ok;
    {
        progress_bar progress(size_error ? 0 : size);
        for (;;) {
            const std::size_t count = std::fread(block.get(), 1, block_size, input.get());
            if (count == 0) break;
            done += count;
            status = lines.feed({block.get(), count}, take);
            if (status != split_status::ok) break;
            if (out.size() >= block_size && !output.write(out)) return output.refuse_unwritten();
            progress.update(done, evaluator.rows_taken());
        }
    }
    if (std::ferror(input.get())) return refuse(unreadable_file_text, call.csv_path.c_str());
    if (status == split_status::ok) status = lines.finish(take);
    if (status == split_status::line_too_long) error = evaluator.line_too_long_message();
    if (status != split_status::ok) {
        // The rows before the bad one reach standard output; a file target is left alone.
        if (call.output_path.empty()) output.write(out);
        std::fflush(stdout);
        return refuse("%s", error.c_str());
    }
    if (!output.write(out) || !output.commit()) return output.refuse_unwritten();
    return exit_evaluated;
}

}  // namespace formeval
