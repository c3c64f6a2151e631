// Evaluations for the page, through the engine that Formula runs, loaded from
// the two headered texts of a compile. Each returns a JSON object.
//
// evaluate_to_json: one evaluation of the inputs (one number per line, as
// typed). Fields: error (formeval's message for inputs it would refuse, else
// empty), output (element 0 as formeval prints it), zero_divisions (the
// addresses of the DIV and MODOPER instructions that met a zero divisor),
// steps, cut_off (the message when the run reached the step limit, else empty).
//
// trace_to_json: the same evaluation traced as formeval --trace traces it.
// Fields: error, trace (formeval's text), cut_off (formeval's message when
// the trace was cut off, else empty), zero_divisions.
//
// csv_to_json: every row of a CSV file, as formeval --csv evaluates them,
// except that a bad row does not stop the run. Fields: csv (the output,
// header first; without the bad rows), bad_rows (row numbers) and
// row_messages (formeval's message for each), notices (formeval's notices of
// rows that met a zero divisor), rows_evaluated.
#pragma once

#include <string>
#include <string_view>

namespace playground {

// The most instructions one evaluation of the page runs.
inline constexpr long evaluation_step_limit = 10'000'000;
// The most instructions a trace of the page shows.
inline constexpr long trace_step_limit = 100'000;

std::string evaluate_to_json(std::string_view symbols, std::string_view code, std::string_view inputs);
std::string trace_to_json(std::string_view symbols, std::string_view code, std::string_view inputs);
std::string csv_to_json(std::string_view symbols, std::string_view code, std::string_view file_name,
                        std::string_view csv);

}  // namespace playground
