// Messages of the playground's own, in Italian like every message of the
// system. The page shows them beside formcomp's and formeval's.
#pragma once

namespace playground {

// An evaluation that did not reach STOP within the page's limit.
// %ld: the limit (page_evaluation_instruction_limit).
inline constexpr const char *evaluation_cut_off_text =
    "valutazione interrotta dopo %ld istruzioni: la formula non arriva a STOP";

}  // namespace playground
