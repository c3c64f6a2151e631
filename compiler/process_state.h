// The process-wide state of one compile run, all of it in one place: the run
// flags, the option scanner's position, the scanner's buffer and line
// counter, the tables that the grammar actions fill, and where the run's input
// and output go. formcomp compiles one formula per process; tests, the fuzz
// target and the benchmarks run many compiles in one process and call
// reset_process_state() before each (run_formcomp does it).
#pragma once

#include "compiler/text_input.h"

#include <cstddef>
#include <memory>
#include <string>

namespace formcomp {

// ---- Run flags (command line and compile run) ----
extern int debug_listing;  // option -d: print the listings
extern int write_header;   // cleared by option -b: no header in the files
extern int compile_ok;     // 1 before the parse, cleared by every error

// ---- Option scanner (next_option) ----
extern int option_index;           // the next argument to look at
extern const char *option_letters;  // the rest of the group in progress, or null

// ---- Scanner ----
enum class scan_state { NORMAL, BLOCK_COMMENT, LINE_COMMENT };

inline constexpr std::size_t token_text_size = 20;  // 19 characters and the zero
inline constexpr std::size_t input_buffer_size = 16384;
inline constexpr std::size_t largest_read = 8192;

extern char token_text[token_text_size];
extern int current_line;
extern scan_state scanner_state;

struct scanner_buffer {
    std::unique_ptr<char[]> chars;  // input_buffer_size characters and two end markers
    std::size_t lexeme_start = 0;   // first character of the lexeme being matched
    std::size_t data_end = 0;       // one past the last character read
    bool input_ended = false;       // a read found the end of the input
    bool terminal = false;          // the input is read one line at a time
};
extern scanner_buffer input_buffer;
extern text_input source_text;

// ---- Tables ----
inline constexpr int var_capacity = 1024;    // symbols 1 to 1023
inline constexpr int label_capacity = 64;    // labels 1 to 63
inline constexpr int code_capacity = 4096;   // instructions 1 to 4095
inline constexpr int patch_capacity = 50;    // entries on patch_stack

struct variable_entry {
    char name[token_text_size];
    int tipo;
    int scope;
};

enum label_state : int { label_defined = 1, label_pending = 2 };

struct label_entry {
    char name[token_text_size];
    int address;  // defined: its address; pending: the newest jump of its chain
    int declar;
};

struct instruction {
    int kind;
    int value;
};

extern variable_entry var_table[var_capacity];
extern int var_count;
// Where each name of var_table stands (open addressing, 0 marks a free slot),
// so that a lookup does not compare the name with every entry. Names in
// var_table are unique, so it finds what a search in entry order finds.
inline constexpr int var_index_slots = 2 * var_capacity;
extern short var_index[var_index_slots];
extern label_entry label_table[label_capacity];
extern int label_count;
extern instruction code_table[code_capacity];
extern int code_count;
extern int patch_stack[patch_capacity];
extern int patch_depth;
extern int current_class;
extern char formula_name[token_text_size];
extern int formula_name_line;  // where the formula's name stands (the first NAME)

// Tables that ran full, each reported once; pushes beyond patch_stack's
// capacity are counted so that their pops stay paired.
struct capacity_overflows {
    bool symbols = false;
    bool labels = false;
    bool instructions = false;
    bool nesting = false;
    int lost_patches = 0;
};
extern capacity_overflows overflowed;

// ---- Where input and output go ----
struct compiled_texts {
    std::string symbol_name, symbol_text;  // file name and contents
    std::string code_name, code_text;
};

struct run_channels {
    input_source *input = nullptr;           // null: standard input
    std::string *standard_output = nullptr;  // null: the process's standard output
    std::string *standard_error = nullptr;   // null: the process's standard error
    std::string output_folder;               // empty: the current directory
    compiled_texts *texts = nullptr;         // set: the texts are kept here, no file is touched
};
extern run_channels channels;

// Everything back to its state at process start.
void reset_process_state();

}  // namespace formcomp
