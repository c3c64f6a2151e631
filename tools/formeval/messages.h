// formeval's messages, in Italian like every message of the system. Each is
// written on standard error as "formeval: " followed by the text.
#pragma once

namespace formeval {

inline constexpr const char *usage_text = "uso: formeval NOME [INGRESSO ...]";
// %s: the option as given.
inline constexpr const char *unknown_option_text = "opzione sconosciuta: %s";
// %s: the file name.
inline constexpr const char *unreadable_file_text = "impossibile leggere il file %s";
// %s: the file name.
inline constexpr const char *missing_header_text =
    "il file %s non ha l'intestazione di 12 caratteri (scritto con formcomp -b?): "
    "aggiungerla prima di valutarlo";
// %d: the input's position (1, 2, ...); %s: the text given.
inline constexpr const char *not_a_number_text = "l'ingresso %d non e' un numero: %s";
// %d: input variables of the formula; %d: inputs given.
inline constexpr const char *input_count_text =
    "numero di ingressi errato: la formula ne chiede %d, ne sono stati dati %d";

// Exit codes: 0 evaluated, 2 a command line or a file that cannot be used.
inline constexpr int exit_evaluated = 0;
inline constexpr int exit_refused = 2;

}  // namespace formeval
