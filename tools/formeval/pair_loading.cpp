#include "tools/formeval/pair_loading.h"

#include "formula/format.h"
#include "platform/file_lock.h"
#include "tools/formeval/compiled_files.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/refusal.h"

namespace formeval {

namespace {

// Reads one of the two texts and checks its header.
bool load_text(const std::string &path, std::size_t record_width, std::string &text, int &exit_code) {
    if (!read_file(path, text)) {
        exit_code = refuse(unreadable_file_text, path.c_str());
        return false;
    }
    if (!has_header(text, record_width)) {
        exit_code = refuse(missing_header_text, path.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool load_pair(const std::string &name, std::string &symbols, std::string &code, int &exit_code) {
    const std::string lock_name = name + ".lock";
    const platform::file_lock lock(lock_name, platform::lock_mode::shared);
    if (!lock.held()) {
        exit_code = refuse(lock.status() == platform::lock_status::not_a_regular_file ? lock_not_a_regular_file_text
                                                                                       : lock_not_opened_text,
                           lock_name.c_str());
        return false;
    }
    return load_text(name + ".sym", formula::symbol_record_width, symbols, exit_code) &&
           load_text(name + ".obj", formula::instruction_record_width, code, exit_code);
}

}  // namespace formeval
