// RunPrg: starts a program from the current directory and waits for it.
#include <cstdint>
#include <vector>

#include "platform/process_launch.h"
#include "ventus.h"

extern "C" FORMULA_EXPORT int32_t FORMULA_CALL RunPrg(const char *program, const char *arg1,
                                                      const char *arg2, const char *arg3,
                                                      const char *arg4, const char *arg5) {
    // The argument list ends at the first null pointer.
    const char *const given[] = {arg1, arg2, arg3, arg4, arg5};
    std::size_t count = 0;
    while (count < 5 && given[count] != nullptr) ++count;
    return platform::run_program_and_wait(program, {given, count});
}
