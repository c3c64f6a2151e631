// Messages of the playground's own, in Italian like every message of the
// system. The page shows them beside formcomp's and formeval's.
#pragma once

namespace playground {

// An evaluation that did not reach STOP within the page's limit.
// %ld: the limit (page_evaluation_instruction_limit).
inline constexpr const char *evaluation_cut_off_text =
    "valutazione interrotta dopo %ld istruzioni: la formula non arriva a STOP";

// Compare: a version that does not compile (formcomp's messages follow).
inline constexpr const char *compare_old_uncompiled_text = "la versione di confronto non si compila:";
inline constexpr const char *compare_new_uncompiled_text = "la formula nell'editor non si compila:";

}  // namespace playground
