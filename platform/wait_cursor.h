// Shows the system's wait cursor for the lifetime of the object and then puts
// back the cursor that was shown before.
// Windows: LoadCursorA(IDC_WAIT) and SetCursor. POSIX: nothing.
#pragma once

namespace platform {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    void *previous_cursor_ = nullptr;
};

}  // namespace platform
