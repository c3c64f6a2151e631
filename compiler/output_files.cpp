#include "compiler/output_files.h"

#include "compiler/diagnostics.h"
#include "compiler/messages.h"
#include "compiler/scanner.h"

#include "platform/file_handle.h"
#include "platform/file_lock.h"
#include "platform/replacement_file.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace formcomp {

namespace {

// The two files of the compile in progress, written but not yet in place.
struct staged_pair {
    platform::replacement_file symbols, code;
    std::string symbol_target, code_target;
};
staged_pair staged;

std::string output_folder;             // empty: the current directory
compiled_texts *kept_texts = nullptr;  // set: the texts are kept here, no file is touched

std::string in_output_folder(const std::string &file_name) {
    if (output_folder.empty()) return file_name;
    return output_folder + "/" + file_name;
}

// Drops the staged files, removing their temporary files.
void drop_staged_files() {
    staged.symbols.discard();
    staged.code.discard();
    staged.symbol_target.clear();
    staged.code_target.clear();
}

void report_not_written(const std::string &path) {
    report_error(token_range(), current_line(), messages::file_not_written, path.c_str());
}

// A lock that could not be taken, by its reason.
void report_not_locked(const platform::file_lock &lock, const std::string &lock_name) {
    const char *format = lock.status() == platform::lock_status::not_a_regular_file ? messages::lock_not_a_regular_file
                                                                                    : messages::lock_not_opened;
    report_error(token_range(), current_line(), format, lock_name.c_str());
}

// The lock beside the pair: NAME.lock for NAME.sym and NAME.obj.
std::string lock_name_for(const std::string &symbol_target) {
    return symbol_target.substr(0, symbol_target.size() - std::string_view(".sym").size()) + ".lock";
}

// The bytes of an existing symbol file, to put back if its code file cannot
// follow it; nothing when there is no such file (or it cannot be read).
std::optional<std::string> previous_contents(const std::string &path) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return std::nullopt;
    platform::file_handle file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string text;
    char block[4096];
    while (const std::size_t count = std::fread(block, 1, sizeof block, file.get())) text.append(block, count);
    if (std::ferror(file.get())) return std::nullopt;
    return text;
}

// Puts both staged files in place. Under the lock, two compiles of one name
// put their pairs in place one after the other, so the pair left is one
// compile's. The symbol file goes first; if the code file then cannot follow,
// the previous symbol file comes back: a host never finds a new symbol file
// beside an old code file. Under the lock, the temporary files that killed
// compiles of the name left behind are removed first.
void put_pair_in_place() {
    const std::string lock_name = lock_name_for(staged.symbol_target);
    platform::file_lock lock(lock_name);
    if (!lock.held()) {
        report_not_locked(lock, lock_name);
        return;
    }
    platform::remove_abandoned_replacements(staged.symbol_target.c_str());
    platform::remove_abandoned_replacements(staged.code_target.c_str());
    const std::optional<std::string> previous = previous_contents(staged.symbol_target);
    if (!staged.symbols.commit()) {
        report_not_written(staged.symbol_target);
        return;
    }
    if (!staged.code.commit()) {
        if (previous) {
            platform::replacement_file restored(staged.symbol_target.c_str());
            if (restored.write(previous->data(), previous->size())) restored.commit();
        } else {
            std::remove(staged.symbol_target.c_str());
        }
        report_not_written(staged.code_target);
    }
}

}  // namespace

void set_output_destination(std::string folder, compiled_texts *texts) {
    output_folder = std::move(folder);
    kept_texts = texts;
}

void reset_output_files() {
    set_output_destination({}, nullptr);
    drop_staged_files();
}

void stage_output_file(output_kind kind, const std::string &file_name, const std::string &text) {
    if (kept_texts) {
        compiled_texts &texts = *kept_texts;
        (kind == output_kind::symbols ? texts.symbol_name : texts.code_name) = file_name;
        (kind == output_kind::symbols ? texts.symbol_text : texts.code_text) = text;
        return;
    }
    const bool symbols = kind == output_kind::symbols;
    std::string &target = symbols ? staged.symbol_target : staged.code_target;
    platform::replacement_file &file = symbols ? staged.symbols : staged.code;
    target = in_output_folder(file_name);
    if (!file.open(target.c_str()) || !file.write(text.data(), text.size())) {
        file.discard();
        report_not_written(target);
    }
}

void finish_output_files() {
    if (compile_ok() == 1 && staged.symbols.is_open() && staged.code.is_open()) put_pair_in_place();
    drop_staged_files();
}

}  // namespace formcomp
