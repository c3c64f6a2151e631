/* The extension's own messages, in Italian like every message of the
   system (docs/changes.md lists them). The compiler's messages are
   formcomp's, the division message is the evaluator's, and the input count
   and no-output messages are formeval's (formula_shim_formeval_text). */
#ifndef FORMULA_MESSAGES_H
#define FORMULA_MESSAGES_H

#define FORMULA_INVALID_SYMBOL_TEXT \
    "testo dei simboli non valido: servono l'intestazione di 12 caratteri e tutti i record che conta"
#define FORMULA_INVALID_CODE_TEXT \
    "testo del codice non valido: servono l'intestazione di 12 caratteri e tutte le istruzioni che conta"
#define FORMULA_MISSING_CODE_LINE \
    "valore formula non valido: servono il testo dei simboli e il testo del codice, su due righe"
#define FORMULA_DAMAGED_VALUE "valore formula danneggiato"
#define FORMULA_OUT_OF_MEMORY "memoria insufficiente per la formula"

#endif
