#include "platform/wait_cursor.h"

#include <windows.h>

namespace platform {

wait_cursor::wait_cursor() { previous_cursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

wait_cursor::~wait_cursor() { SetCursor(static_cast<HCURSOR>(previous_cursor_)); }

}  // namespace platform
