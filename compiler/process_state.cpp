#include "compiler/process_state.h"

#include "compiler/output_files.h"

#include <cstring>

namespace formcomp {

int debug_listing = 0;
int write_header = 1;
int compile_ok = 1;

int option_index = 1;
const char *option_letters = nullptr;

char token_text[token_text_size] = {};
int current_line = 1;
scan_state scanner_state = scan_state::NORMAL;
scanner_buffer input_buffer;
text_input source_text;

variable_entry var_table[var_capacity];
int var_count = 1;
short var_index[var_index_slots];
label_entry label_table[label_capacity];
int label_count = 1;
instruction code_table[code_capacity];
int code_count = 1;
int patch_stack[patch_capacity];
int patch_depth = 0;
int current_class = 0;
char formula_name[token_text_size] = {};
int formula_name_line = 0;
capacity_overflows overflowed;

run_channels channels;

void reset_process_state() {
    debug_listing = 0;
    write_header = 1;
    compile_ok = 1;
    option_index = 1;
    option_letters = nullptr;
    std::memset(token_text, 0, sizeof token_text);
    current_line = 1;
    scanner_state = scan_state::NORMAL;
    input_buffer = scanner_buffer{};
    source_text.attach(nullptr);
    var_count = label_count = code_count = 1;
    std::memset(var_index, 0, sizeof var_index);
    patch_depth = 0;
    current_class = 0;
    std::memset(formula_name, 0, sizeof formula_name);
    formula_name_line = 0;
    overflowed = capacity_overflows{};
    channels = run_channels{};
    reset_output_files();
}

}  // namespace formcomp
