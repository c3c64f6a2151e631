#include "platform/wait_cursor.h"

namespace platform {

// A terminal has no cursor shape to change.
WaitCursor::WaitCursor() { previous_cursor_ = nullptr; }

WaitCursor::~WaitCursor() = default;

}  // namespace platform
