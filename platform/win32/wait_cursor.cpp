#include "platform/wait_cursor.h"

#include <windows.h>

namespace platform {

WaitCursor::WaitCursor() { previous_cursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

WaitCursor::~WaitCursor() { SetCursor(static_cast<HCURSOR>(previous_cursor_)); }

}  // namespace platform
