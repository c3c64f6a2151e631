// Token codes shared by the scanner and the parser: 0 is the end of the
// input, 1 to 255 a single character, 257 to 290 the named tokens.
#pragma once

namespace formcomp {

enum token_code : int {
    end_of_input = 0,
    NUMBER = 257,
    NAME,
    INPUT,
    OUTPUT,
    INOUT,
    LOCAL,
    STATIC,
    IF,
    THEN,
    ELSE,
    WHILE,
    GOTO,
    LABEL,
    METHOD,
    PROC,
    ENDP,
    END,
    MESSAGE,
    ERRMSG,
    RETURN,
    MOD,
    AND,
    OR,
    NOT,
    LE,
    LT,
    EQ,
    NE,
    GE,
    GT,
    ISIN,
    ROUND,
    CEIL,
    FLOOR,  // 290
};

static_assert(FLOOR == 290, "token codes 257 to 290");

}  // namespace formcomp
