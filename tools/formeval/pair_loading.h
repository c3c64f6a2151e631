// Reading a compiled formula's pair for formeval: NAME.sym and NAME.obj
// (NAME may name another folder), under the lock NAME.lock taken shared, so
// that both come from one compile even while formcomp replaces them; each
// must start with its header.
#pragma once

#include <string>

namespace formeval {

// False, with the refusal reported and its exit code in `exit_code`, when
// the pair cannot be used.
bool load_pair(const std::string &name, std::string &symbols, std::string &code, int &exit_code);

}  // namespace formeval
