// The two output files of a compile. Each text is first written to a
// temporary file beside its target; once both are complete they are renamed
// into place, so a failure never leaves a half-written file and the previous
// files of that name stay as they were. A file that cannot be created,
// written or renamed is reported with its name and the compile fails.
#pragma once

#include <string>

namespace formcomp {

enum class output_kind { symbols, code };

struct compiled_texts {
    std::string symbol_name, symbol_text;  // file name and contents
    std::string code_name, code_text;
};

// Where the next compile puts its files: `folder` (empty: the current
// directory), or, when `texts` is set, only into `texts`, touching no file.
void set_output_destination(std::string folder, compiled_texts *texts);
void reset_output_files();

// Writes `text` to a temporary file for the target `file_name` (or keeps it
// in the run's captured texts when the run asked for that).
void stage_output_file(output_kind kind, const std::string &file_name, const std::string &text);

// With compile_ok still 1: renames both staged files into place, or, when
// that fails, leaves the previous pair as it was. Then removes whatever
// temporary files remain.
void finish_output_files();

}  // namespace formcomp
