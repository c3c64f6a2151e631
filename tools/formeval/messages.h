// formeval's messages, in Italian like every message of the system. Each is
// written on standard error as "formeval: " followed by the text.
#pragma once

namespace formeval {

inline constexpr const char *usage_text =
    "uso: formeval NOME [INGRESSO ...]\n"
    "     formeval --list NOME\n"
    "     formeval --trace NOME [INGRESSO ...]\n"
    "     formeval --csv NOME FILE.csv [-o USCITA.csv]\n"
    "     formeval --check NOME FILE.csv [--tolerance T]\n"
    "     formeval --compare VECCHIA NUOVA FILE.csv [-o USCITA.csv] [--tolerance T]\n"
    "     formeval --coverage SORGENTE.frm FILE.csv [--lcov USCITA.info]\n"
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
    "  --check      confronta il risultato di ogni riga con quello atteso, nell'ultima\n"
    "               colonna (il file che --csv scrive); --tolerance ammette differenze\n"
    "               fino a T\n"
    "  --compare    valuta ogni riga con due versioni della formula e scrive le righe\n"
    "               i cui risultati differiscono (prima, dopo, differenza)\n"
    "  --coverage   compila SORGENTE.frm, valuta ogni riga e mostra quante volte e'\n"
    "               stata eseguita ogni linea del sorgente; --lcov scrive anche un file\n"
    "               per genhtml\n"
    "  -h, --help   mostra questo aiuto\n"
    "  --version    mostra la versione\n"
    "  --           gli argomenti che seguono non sono opzioni\n"
    "\n"
    "Gli ingressi sono numeri con il punto decimale (12.5, -3, 1e3).\n"
    "Un NOME puo' indicare un'altra cartella: vecchia/PREMIO legge vecchia/PREMIO.sym.\n"
    "Codici di uscita: 0 valutata (--check, --compare: nessuna differenza); 1 righe\n"
    "diverse (--check, --compare); 2 riga di comando o file non utilizzabili.\n"
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
// The lock file NAME.lock, taken shared while NAME.sym and NAME.obj are read,
// so that a formcomp replacing them is waited for. %s: the lock file's name.
inline constexpr const char *lock_not_a_regular_file_text = "il file di blocco %s non e' un file regolare";
inline constexpr const char *lock_not_opened_text = "impossibile aprire il file di blocco %s";
// After the result (exit code 0): %s: the formula's name.
inline constexpr const char *no_output_variable_text =
    "la formula %s non ha una variabile output: il risultato e' sempre 0";

// --trace: %ld: the limit (trace_instruction_limit).
inline constexpr const char *trace_cut_off_text =
    "traccia interrotta dopo %ld istruzioni: la formula non arriva a STOP";

// --csv. Row numbers count the lines of the file from 1, the header included.
// %s: the file name.
inline constexpr const char *unwritable_file_text = "impossibile scrivere il file %s";
// Every mode: what it wrote to standard output was lost.
inline constexpr const char *unwritable_output_text = "impossibile scrivere lo standard output";
// -o: %s: the output file; %s: the CSV file it is the same file as.
inline constexpr const char *output_replaces_input_text = "il file di uscita %s sostituirebbe il file di ingresso %s";
inline constexpr const char *empty_output_name_text = "manca il nome del file di uscita dopo -o";
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
// --coverage: a row that does not end; %lld: the instructions it ran.
inline constexpr const char *row_cut_off_text = "la valutazione non arriva a STOP dopo %lld istruzioni";
// A row whose evaluation met a zero divisor (after the message of the evaluator).
inline constexpr const char *row_zero_divisor_text = "divisione per zero nella valutazione";
// The output column when the formula has no output variable.
inline constexpr const char *no_output_column = "risultato";

// --check and --compare: %s the tolerance as given.
inline constexpr const char *tolerance_text = "la tolleranza non e' un numero non negativo: %s";
// --check, on standard output: %lld the row; %s the expected and the obtained
// result, as --csv writes numbers.
inline constexpr const char *check_row_differs_text = "riga %lld: atteso %s, ottenuto %s";
// %lld rows checked; %lld rows that differ.
inline constexpr const char *check_summary_text = "%lld righe controllate, %lld diverse";
// --compare: %s and %s the two formulas; %d and %d their input variables.
inline constexpr const char *compare_input_counts_text =
    "le formule %s e %s chiedono %d e %d ingressi: non si possono confrontare";
// The columns after the inputs in --compare's output.
inline constexpr const char *compare_columns = "prima,dopo,differenza";
// On standard error: %lld rows read; %lld rows that differ.
inline constexpr const char *compare_summary_text = "%lld righe lette, %lld diverse";
// %s the largest difference (NEW - OLD, absolute); %lld its row.
inline constexpr const char *compare_largest_absolute_text = "differenza assoluta massima %s alla riga %lld";
// %s the largest difference relative to OLD's result, in per cent; %lld its row.
inline constexpr const char *compare_largest_relative_text = "differenza relativa massima %s%% alla riga %lld";

// --coverage, the closing line: %zu lines run, %zu lines with statements, %.2f their share.
inline constexpr const char *coverage_summary_text = "righe eseguite: %zu di %zu (%.2f%%)";

// Exit codes: 0 evaluated, 1 rows that differ (--check, --compare), 2 a
// command line or a file that cannot be used (a bad row of a CSV file
// included), or a trace cut off.
inline constexpr int exit_evaluated = 0;
inline constexpr int exit_rows_differ = 1;
inline constexpr int exit_refused = 2;

}  // namespace formeval
