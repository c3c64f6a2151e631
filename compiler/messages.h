// Every text that formcomp prints, in one place. The formats that carry a
// line end in "linea %d" and are printed with the scanner's current_line();
// a "massimo %d" is printed with the capacity of the table that ran full, so
// the number always matches the table's size.
#pragma once

namespace formcomp::messages {

// Command line (compile_run.cpp, options.cpp).
inline constexpr char unknown_option[] = "%s: unknown option %c\n";  // standard error
inline constexpr char help_text[] =
    "Parser help:\n"
    " -d: debug output\n"
    " -b: No header in output files\n"
    " -h: This help\n";
inline constexpr char parsing_ok[] = "Parsing ok\n";

// Parser errors, through report_parse_error (grammar.y).
inline constexpr char parse_error_format[] = "%s: linea %d\n";
inline constexpr char syntax_error[] = "syntax error";
inline constexpr char stack_overflow[] = "yacc stack overflow";

// Scanner failures, through scanner_fatal on standard error, exit code 2.
inline constexpr char input_failed[] = "input in flex scanner failed";
inline constexpr char buffer_overflow[] =
    "input buffer overflow, can't enlarge buffer because scanner uses REJECT";
inline constexpr char out_of_memory[] = "out of dynamic memory in yy_create_buffer()";

// Semantic errors (tables.cpp, labels.cpp, grammar_actions.cpp).
inline constexpr char variable_undefined[] = "Variabile %s non definita linea %d\n";
inline constexpr char variable_redefined[] = "Variabile %s ridefinita linea %d\n";
inline constexpr char label_redefined[] = "Label %s ridefinita linea %d\n";
inline constexpr char label_undeclared[] = "Label %s non dichiarata\n";
inline constexpr char patch_stack_empty[] = "Stack sfondato! linea %d\n";
inline constexpr char not_a_variable[] = "%s non e' una variabile, linea %d\n";

// Errors that formcomp adds: each clears compile_ok, so no file is written.
// A name or number longer than the longest_token_text characters (scanner.cpp).
inline constexpr char name_too_long[] = "Nome %s troppo lungo (massimo %d caratteri) linea %d\n";
inline constexpr char number_too_long[] = "Numero %s troppo lungo (massimo %d caratteri) linea %d\n";
// A formula name wider than the columns of the header (grammar_actions.cpp).
inline constexpr char formula_name_too_long[] =
    "Nome della formula %s troppo lungo (massimo %d caratteri) linea %d\n";
// A table full; each is printed once per run (tables.cpp).
inline constexpr char too_many_symbols[] = "Troppe variabili e costanti (massimo %d) linea %d\n";
inline constexpr char too_many_labels[] = "Troppe label (massimo %d) linea %d\n";
inline constexpr char too_many_instructions[] = "Troppe istruzioni (massimo %d) linea %d\n";
inline constexpr char nesting_too_deep[] = "Troppi if e while annidati (massimo %d) linea %d\n";
// An output file that could not be created, written or put in place (output_files.cpp).
inline constexpr char file_not_written[] = "Impossibile scrivere il file %s linea %d\n";
// The lock file beside the pair (NAME.lock): something other than a regular
// file under its name, or a file that cannot be opened or locked.
inline constexpr char lock_not_a_regular_file[] = "Il file di blocco %s non e' un file regolare linea %d\n";
inline constexpr char lock_not_opened[] = "Impossibile aprire il file di blocco %s linea %d\n";

// The listings of option -d are in formula/listing.h, shared with formeval --list.

}  // namespace formcomp::messages
