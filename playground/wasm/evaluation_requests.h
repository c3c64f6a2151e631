// Evaluations for the page, through the engine that Formula runs, loaded from
// the two headered texts of a compile. Each returns a JSON object.
//
// evaluate_to_json: one evaluation of the inputs (one number per line, as
// typed). Fields: error (formeval's message for inputs it would refuse, else
// empty), output (element 0 as formeval prints it), zero_divisions (the
// addresses of the DIV and MODOPER instructions that met a zero divisor),
// cut_off (the message when the run reached the page's evaluation limit, else
// empty).
//
// trace_to_json: the same evaluation traced as formeval --trace traces it.
// Fields: error, trace (formeval's text), cut_off (formeval's message when
// the trace was cut off, else empty), zero_divisor_steps (the steps of the
// trace, its Trc lines counted from 1, whose instruction met a zero divisor).
//
// Both runs end at a run budget (run_budget.h): at the first jump after the
// page's limit.
//
// csv_to_json: every row of a CSV file, as formeval --csv evaluates them,
// except that a bad row does not stop the run, for the formula that `source`
// compiles to (failure: formcomp's messages when it does not compile).
// Fields: csv (the output, header first; without the bad rows), bad_rows (row
// numbers) and row_messages (formeval's message for each), notices
// (formeval's notices of rows that met a zero divisor), rows_evaluated, and
// coverage: each source line's count as formeval --coverage counts it over
// the rows evaluated (null for a line without statements).
#pragma once

#include <string>
#include <string_view>

namespace playground {

// The instructions after which the page stops an evaluation.
inline constexpr long page_evaluation_instruction_limit = 10'000'000;
// The instructions after which the page stops a trace.
inline constexpr long page_trace_instruction_limit = 100'000;

std::string evaluate_to_json(std::string_view symbols, std::string_view code, std::string_view inputs);
std::string trace_to_json(std::string_view symbols, std::string_view code, std::string_view inputs);
std::string csv_to_json(std::string_view source, std::string_view file_name, std::string_view csv);

}  // namespace playground
