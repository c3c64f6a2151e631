// formcomp: compiles the formula on standard input into NAME.sym and NAME.obj.
#include "compiler/compile_run.h"
#include "platform/interrupt_cleanup.h"

int main(int argc, char **argv) {
    platform::remove_temporaries_on_interrupt();
    return formcomp::run_formcomp(argc, argv);
}
