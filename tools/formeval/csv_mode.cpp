#include "tools/formeval/csv_mode.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/replace_file.h"
#include "tools/formeval/csv_evaluation.h"
#include "tools/formeval/csv_rows.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/progress_bar.h"

namespace formeval {

namespace {

constexpr std::size_t block_size = std::size_t{1} << 20;

struct file_closer {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

template <typename... Args>
int refuse(const char *format, Args... args) {
    std::fputs("formeval: ", stderr);
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
    return exit_refused;
}

// Standard output, or a temporary file beside the target that is renamed
// into place by commit() and removed if the run ends without it.
class output_sink {
public:
    explicit output_sink(const std::string &target) : target_(target) {
        if (target_.empty()) return;
        temporary_ = target_ + ".tmp";
        file_.reset(std::fopen(temporary_.c_str(), "wb"));
        created_ = file_ != nullptr;
    }
    output_sink(const output_sink &) = delete;
    output_sink &operator=(const output_sink &) = delete;
    ~output_sink() {
        file_.reset();
        if (created_ && !committed_) std::remove(temporary_.c_str());
    }

    bool opened() const noexcept { return target_.empty() || file_; }
    std::FILE *stream() const noexcept { return target_.empty() ? stdout : file_.get(); }

    bool write(std::string &buffer) {
        bool written = buffer.empty() || std::fwrite(buffer.data(), 1, buffer.size(), stream()) == buffer.size();
        buffer.clear();
        return written;
    }

    bool commit() {
        if (target_.empty()) return std::fflush(stdout) == 0 && !std::ferror(stdout);
        bool written = std::fflush(file_.get()) == 0 && !std::ferror(file_.get());
        written = std::fclose(file_.release()) == 0 && written;
        committed_ = written && platform::replace_file(temporary_.c_str(), target_.c_str());
        return committed_;
    }

    int refuse_unwritten() const {
        return target_.empty() ? refuse("%s", unwritable_output_text)
                               : refuse(unwritable_file_text, target_.c_str());
    }

private:
    std::string target_;
    std::string temporary_;
    file_handle file_;
    bool created_ = false;
    bool committed_ = false;
};

}  // namespace

int evaluate_csv_file(loaded_formula &formula, const invocation &call) {
    file_handle input(std::fopen(call.csv_path.c_str(), "rb"));
    if (!input) return refuse(unreadable_file_text, call.csv_path.c_str());
    std::error_code size_error;
    const std::uintmax_t size = std::filesystem::file_size(call.csv_path, size_error);

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
