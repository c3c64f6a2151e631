// formcomp: compiles the formula on standard input into NAME.sym and NAME.obj.
#include "compiler/compile_run.h"

int main(int argc, char **argv) {
    return formcomp::run_formcomp(argc, argv);
}
