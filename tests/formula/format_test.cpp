#include "formula/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace formula;

// The CALC formula: input A, output R, R = A * 2.
TEST(FormatWriting, WritesTheCalcExampleByteForByte) {
    std::string symbols;
    append_header(symbols, "CALC", 3);
    append_symbol_record(symbols, tipo_variable, scope_input, "A");
    append_symbol_record(symbols, tipo_variable, scope_output, "R");
    append_symbol_record(symbols, tipo_constant, scope_input, "2");
    EXPECT_EQ(symbols,
              "    CALC   3"
              "11                   A"
              "12                   R"
              "31                   2");

    std::string code;
    append_header(code, "CALC", 6);
    append_instruction_record(code, Operando, 1);
    append_instruction_record(code, Operando, 3);
    append_instruction_record(code, Operatore, MULT);
    append_instruction_record(code, Riferimento, 2);
    append_instruction_record(code, Operatore, ASSIGN);
    append_instruction_record(code, Operatore, STOP);
    EXPECT_EQ(code, "    CALC   62   12   31   43   21   11  99");
    EXPECT_EQ(code.size(), 42u);
}

TEST(FormatWriting, FieldsFollowPrintfWidths) {
    std::string out;
    append_header(out, "EIGHTCHR", 0);
    EXPECT_EQ(out, "EIGHTCHR   0");
    out.clear();
    append_instruction_record(out, Riferimento, -1);
    EXPECT_EQ(out, "3  -1");
    out.clear();
    append_symbol_record(out, tipo_constant, scope_input, "2.5");
    EXPECT_EQ(out, std::string("31") + std::string(17, ' ') + "2.5");
    // A field wider than its column is written whole, as printf does.
    out.clear();
    append_header(out, "TOOLONGNAME", 12345);
    EXPECT_EQ(out, "TOOLONGNAME12345");
}

TEST(FormatReading, IntegerFieldsConvertLikeAtoi) {
    EXPECT_EQ(parse_int_field("   6"), 6);
    EXPECT_EQ(parse_int_field("  -1"), -1);
    EXPECT_EQ(parse_int_field("+12x"), 12);
    EXPECT_EQ(parse_int_field("    "), 0);
    EXPECT_EQ(parse_int_field("ab12"), 0);
    EXPECT_EQ(parse_int_field("\t 7 "), 7);
    EXPECT_EQ(parse_int_field(""), 0);
    EXPECT_EQ(parse_int_field("- 5"), 0);
}

TEST(FormatReading, FieldsNeverReachPastTheText) {
    std::string_view text = "    CALC   6";
    EXPECT_EQ(read_header_count(text), 6);
    EXPECT_EQ(cut_field(text, 10, 4), " 6");
    EXPECT_EQ(cut_field(text, 12, 4), "");
    EXPECT_EQ(read_header_count("  CA"), 0);
    EXPECT_EQ(read_int_field("", 8, 4), 0);
}

TEST(FormatReading, CompleteRecordsAreBoundedByTextAndCount) {
    std::string text = "    CALC   6" + std::string(5 * 6, '1');
    EXPECT_EQ(complete_records(text, 6, instruction_record_width), 6u);
    EXPECT_EQ(complete_records(text, 9, instruction_record_width), 6u);
    EXPECT_EQ(complete_records(text.substr(0, 12 + 5 * 4 + 3), 6, instruction_record_width), 4u);
    EXPECT_EQ(complete_records(text, -3, instruction_record_width), 0u);
    EXPECT_EQ(complete_records("  ", 5, instruction_record_width), 0u);
    EXPECT_EQ(record_position(1, symbol_record_width), 12u);
    EXPECT_EQ(record_position(3, symbol_record_width), 56u);
}

TEST(FormatNames, OpcodeAndKindNames) {
    EXPECT_STREQ(opcode_name(ASSIGN), "ASSIGN");
    EXPECT_STREQ(opcode_name(MODOPER), "MODOPER");
    EXPECT_STREQ(opcode_name(LOGISIN), "LOGISIN");
    EXPECT_STREQ(opcode_name(FLOOR), "FLOOR");
    EXPECT_STREQ(opcode_name(STOP), "STOP");
    EXPECT_EQ(opcode_name(0), nullptr);
    EXPECT_EQ(opcode_name(26), nullptr);
    EXPECT_EQ(opcode_name(98), nullptr);
    EXPECT_EQ(opcode_name(100), nullptr);
    EXPECT_STREQ(kind_name(Operatore), "Operatore");
    EXPECT_STREQ(kind_name(Operando), "Operando");
    EXPECT_STREQ(kind_name(Riferimento), "Riferimento");
    EXPECT_EQ(kind_name(4), nullptr);
}

}  // namespace
