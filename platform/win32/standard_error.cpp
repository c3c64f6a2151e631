#include "platform/standard_error.h"

#include <io.h>

namespace platform {

bool standard_error_is_terminal() {
    return _isatty(2) != 0;
}

}  // namespace platform
