// The texts that formula-lsp adds to formcomp's own messages: the warnings
// that formcomp does not give, the limits of what it analyses and shows, and
// the related information of a syntax error.
#pragma once

namespace formula_lsp::messages {

inline constexpr char read_before_assignment[] = "Variabile %s letta prima di essere assegnata";
inline constexpr char output_never_assigned[] = "Variabile di output %s mai assegnata";
inline constexpr char label_never_used[] = "Label %s mai usata";
inline constexpr char unreachable_statements[] = "Istruzioni mai raggiunte";
// The last diagnostic of a document with more than can be shown; %zu: how many more.
inline constexpr char more_diagnostics[] = "Altre %zu segnalazioni non mostrate";
// A document past the size the server analyses; %zu: its size, then the limit, in bytes.
inline constexpr char document_too_large[] = "Documento di %zu byte non analizzato: il limite e' %zu byte";
// A syntax error's related information, as the issue that asked for it words it.
inline constexpr char found_expected[] = "found %s, expected %s";

}  // namespace formula_lsp::messages
