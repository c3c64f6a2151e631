#include "platform/wait_cursor.h"

namespace platform {

// A terminal has no cursor shape to change.
wait_cursor::wait_cursor() { previous_cursor_ = nullptr; }

wait_cursor::~wait_cursor() = default;

}  // namespace platform
