// The page's Compare: two versions of a formula (sources, each compiled as
// formcomp compiles it) over the rows of one CSV file, through the comparison
// of formeval --compare OLD NEW FILE.csv (tools/formeval/csv_comparison.h);
// as on the page's CSV test, a bad row does not stop the run. The result is a
// JSON object:
//   failure       a version that does not compile (formcomp's messages after
//                 the page's words), or versions with different numbers of
//                 inputs (formeval's message); nothing else then
//   csv           formeval --compare's output: the header, then the rows
//                 whose results differ
//   summary       what formeval --compare says on standard error at the end
//   rows, differing            the rows read and those that differ
//   bad_rows, row_messages, notices   as in the CSV request
//   histogram     the differences (NEW - OLD) of the differing rows that are
//                 numbers, in bins: edges (bins + 1 numbers, ascending) and
//                 counts; bin i holds edges[i] <= d < edges[i + 1], the last
//                 one its upper edge too. not_numbers counts the other rows
//                 (a NaN or an infinity on either side).
//   largest       the largest changes by absolute difference (ties: the
//                 earlier row first): line, inputs, before, after, difference
//                 (the numbers as formeval --compare writes them)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace playground {

// The most bins of the histogram, and the most rows of `largest`.
inline constexpr std::size_t compare_histogram_bins = 20;
inline constexpr std::size_t compare_largest_rows = 10;

std::string compare_to_json(std::string_view old_source, std::string_view new_source, std::string_view file_name,
                            std::string_view csv);

}  // namespace playground
