#include "platform/interrupt_cleanup.h"

namespace platform {

// See the header: the temporary files of a stopped program are removed by
// the next formcomp of the same name.
void remove_temporaries_on_interrupt() {}

}  // namespace platform
