#include "evaluator/operators.h"
#include "platform/message_box.h"

namespace zerizi {

void report_zero_divisor() {
    platform::show_message("Errore", "Divisione per zero");
}

}  // namespace zerizi
