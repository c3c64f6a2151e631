// formeval's messages, in Italian like every message of the system. Each is
// written on standard error as "formeval: " followed by the text.
#pragma once

namespace formeval {

inline constexpr const char *usage_text =
    "uso: formeval NOME [INGRESSO ...]\n"
    "     formeval --list NOME\n"
    "     formeval --trace NOME [INGRESSO ...]\n"
    "     formeval --csv NOME FILE.csv [-o USCITA.csv]\n"
    "     formeval --help | --version";
// --help and -h, on standard output after usage_text.
inline constexpr const char *help_text =
    "\n"
    "Valuta la formula compilata NOME (NOME.sym e NOME.obj, scritti da formcomp\n"
    "nella cartella corrente) con gli ingressi dati, nell'ordine delle variabili\n"
    "input, e scrive il risultato.\n"
    "\n"
    "  --list       elenca il codice compilato come formcomp -d\n"
    "  --trace      mostra la valutazione istruzione per istruzione\n"
    "  --csv        valuta ogni riga di FILE.csv; -o scrive i risultati in USCITA.csv\n"
    "  -h, --help   mostra questo aiuto\n"
    "  --version    mostra la versione\n"
    "  --           gli argomenti che seguono non sono opzioni\n"
    "\n"
    "Gli ingressi sono numeri con il punto decimale (12.5, -3, 1e3).\n"
    "Codici di uscita: 0 valutata; 2 riga di comando o file non utilizzabili.\n"
    "Messaggi ed esempi: man formeval.\n";
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
// After the result (exit code 0): %s: the formula's name.
inline constexpr const char *no_output_variable_text =
    "la formula %s non ha una variabile output: il risultato e' sempre 0";

// --trace: %ld: the limit (trace_instruction_limit).
inline constexpr const char *trace_cut_off_text =
    "traccia interrotta dopo %ld istruzioni: la formula non arriva a STOP";

// --csv. Row numbers count the lines of the file from 1, the header included.
// %s: the file name.
inline constexpr const char *unwritable_file_text = "impossibile scrivere il file %s";
inline constexpr const char *unwritable_output_text = "impossibile scrivere lo standard output";
// %s: the CSV file; %lld: the row; %s: what is wrong with it (one of the texts below).
inline constexpr const char *bad_row_text = "%s, riga %lld: %s";
// %zu: values in the row; %d: input variables of the formula.
inline constexpr const char *row_value_count_text = "%zu valori, la formula ne chiede %d";
// %zu: the column (1, 2, ...); %s: the text found there.
inline constexpr const char *row_not_a_number_text = "il valore %zu non e' un numero: %s";
// %s: the expected header (the input variables' names, comma-separated).
inline constexpr const char *row_neither_numbers_nor_header_text =
    "non e' una riga di numeri ne' l'intestazione attesa %s";
inline constexpr const char *unclosed_quote_text = "virgolette non chiuse";
inline constexpr const char *text_after_quote_text = "testo dopo le virgolette di chiusura";
// %zu: the longest line accepted, in bytes.
inline constexpr const char *line_too_long_text = "riga piu' lunga di %zu caratteri";
// A row whose evaluation met a zero divisor (after the message of the evaluator).
inline constexpr const char *row_zero_divisor_text = "divisione per zero nella valutazione";
// The output column when the formula has no output variable.
inline constexpr const char *no_output_column = "risultato";

// Exit codes: 0 evaluated, 2 a command line or a file that cannot be used
// (a bad row of a CSV file included), or a trace cut off.
inline constexpr int exit_evaluated = 0;
inline constexpr int exit_refused = 2;

}  // namespace formeval
