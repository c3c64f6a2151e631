#include "tools/formeval/output_sink.h"

#include "platform/file_identity.h"
#include "tools/formeval/messages.h"
#include "tools/formeval/refusal.h"
#include "tools/formeval/standard_output.h"

namespace formeval {

output_sink::output_sink(const std::string &target) : target_(target) {}

int output_sink::open(const std::string &input_path) {
    if (target_.empty()) return 0;
    // Compared as files, so that "./in.csv" or a link to it is caught too.
    if (platform::same_file(target_, input_path))
        return refuse(output_replaces_input_text, target_.c_str(), input_path.c_str());
    if (!file_.open(target_.c_str())) return refuse(unwritable_file_text, target_.c_str());
    return 0;
}

bool output_sink::write(std::string &buffer) {
    const bool written = target_.empty() ? write_checked(stdout, buffer) : file_.write(buffer.data(), buffer.size());
    buffer.clear();
    return written;
}

bool output_sink::write_when_full(std::string &buffer) {
    return buffer.size() < (std::size_t{1} << 20) || write(buffer);
}

bool output_sink::commit() {
    if (target_.empty()) return finish_standard_output();
    return file_.commit();
}

int output_sink::refuse_unwritten() const {
    return target_.empty() ? refuse("%s", unwritable_output_text) : refuse(unwritable_file_text, target_.c_str());
}

}  // namespace formeval
