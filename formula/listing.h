// The listings of a compiled formula's tables, as formcomp -d prints them and
// formeval --list prints them again from the compiled texts: the variables
// (constants included), the labels, then the instructions.
#pragma once

#include <string>
#include <string_view>

namespace formula::listing {

inline constexpr char variable_title[] = "Var: # ord tipo, scope, name\n";
inline constexpr char label_title[] = "Lab: address, declar, name\n";
inline constexpr char instruction_title[] = "Pol: #ord        tipo  riferimento\n";

// "Var: # %3d %4d %5d %20s\n": index, tipo, scope, the name or literal text.
void append_variable_line(std::string &out, int index, int tipo, int scope, std::string_view name);

// "Lab: %7d %6d %21s\n": address, declaration state, name.
void append_label_line(std::string &out, int address, int declar, std::string_view name);

// "Pol: %3d %11s  %7s\n": address, the kind's name, the operand's text.
void append_instruction_line(std::string &out, int address, std::string_view kind,
                             std::string_view operand);

// The same columns without the "Pol: " in front and the line end, for tools
// that print instructions in lines of their own.
void append_instruction_columns(std::string &out, int address, std::string_view kind,
                                std::string_view operand);

}  // namespace formula::listing
