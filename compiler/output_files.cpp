#include "compiler/output_files.h"

#include "compiler/diagnostics.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "platform/replace_file.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <utility>

namespace formcomp {

namespace {

// Pending output files: written to temporary files, renamed into place once
// both are complete.
struct pending_files {
    std::string symbol_temporary, symbol_target;
    std::string code_temporary, code_target;
};

std::string output_folder;          // empty: the current directory
compiled_texts *kept_texts = nullptr;  // set: the texts are kept here, no file is touched
pending_files output_in_progress;

struct file_closer {
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

std::string in_output_folder(const std::string &file_name) {
    if (output_folder.empty()) return file_name;
    return output_folder + "/" + file_name;
}

// A name beside the target that no other run picks at the same time.
std::string temporary_name_for(const std::string &target) {
    static std::random_device entropy;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(entropy()));
    return target + suffix;
}

bool write_whole_file(const std::string &path, const std::string &text) {
    std::FILE *opened = std::fopen(path.c_str(), "wb");
    if (!opened) return false;
    file_handle file(opened);
    bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    written = std::fflush(file.get()) == 0 && written;
    return std::fclose(file.release()) == 0 && written;
}

void report_not_written(const std::string &path) {
    report_error(token_range(), messages::file_not_written, path.c_str(), current_line());
}

void discard(std::string &temporary) {
    if (!temporary.empty()) std::remove(temporary.c_str());
    temporary.clear();
}

// Renames both staged files over their targets. The previous symbol file is
// set aside first, so that if the code file cannot be put in place the
// previous pair is restored: a host never finds a new symbol file beside an
// old code file.
void put_pair_in_place(pending_files &pending) {
    const std::string &symbols = pending.symbol_target;
    std::error_code ignored;
    bool had_previous = std::filesystem::is_regular_file(symbols, ignored);
    std::string previous = had_previous ? temporary_name_for(symbols) : std::string();
    if (had_previous && !platform::replace_file(symbols.c_str(), previous.c_str())) {
        report_not_written(symbols);
        return;
    }
    if (!platform::replace_file(pending.symbol_temporary.c_str(), symbols.c_str())) {
        if (had_previous) platform::replace_file(previous.c_str(), symbols.c_str());
        report_not_written(symbols);
        return;
    }
    pending.symbol_temporary.clear();
    if (!platform::replace_file(pending.code_temporary.c_str(), pending.code_target.c_str())) {
        // Take the new symbol file back out: the previous one, or none.
        if (had_previous) platform::replace_file(previous.c_str(), symbols.c_str());
        else std::remove(symbols.c_str());
        report_not_written(pending.code_target);
        return;
    }
    pending.code_temporary.clear();
    if (had_previous) std::remove(previous.c_str());
}

}  // namespace

void set_output_destination(std::string folder, compiled_texts *texts) {
    output_folder = std::move(folder);
    kept_texts = texts;
}

void reset_output_files() {
    set_output_destination({}, nullptr);
    output_in_progress = pending_files{};
}

void stage_output_file(output_kind kind, const std::string &file_name, const std::string &text) {
    if (kept_texts) {
        compiled_texts &texts = *kept_texts;
        (kind == output_kind::symbols ? texts.symbol_name : texts.code_name) = file_name;
        (kind == output_kind::symbols ? texts.symbol_text : texts.code_text) = text;
        return;
    }
    std::string target = in_output_folder(file_name);
    std::string temporary = temporary_name_for(target);
    if (!write_whole_file(temporary, text)) {
        std::remove(temporary.c_str());
        report_not_written(target);
        return;
    }
    pending_files &pending = output_in_progress;
    if (kind == output_kind::symbols) {
        pending.symbol_temporary = temporary;
        pending.symbol_target = target;
    } else {
        pending.code_temporary = temporary;
        pending.code_target = target;
    }
}

void finish_output_files() {
    pending_files &pending = output_in_progress;
    bool complete = compile_ok() == 1 && !pending.symbol_temporary.empty() && !pending.code_temporary.empty();
    if (complete) put_pair_in_place(pending);
    discard(pending.symbol_temporary);
    discard(pending.code_temporary);
}

}  // namespace formcomp
