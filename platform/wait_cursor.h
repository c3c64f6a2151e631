// Shows the system's wait cursor for the lifetime of the object and then puts
// back the cursor that was shown before.
// Windows: LoadCursorA(IDC_WAIT) and SetCursor. POSIX: nothing.
#pragma once

namespace platform {

class wait_cursor {
public:
    wait_cursor();
    ~wait_cursor();
    wait_cursor(const wait_cursor &) = delete;
    wait_cursor &operator=(const wait_cursor &) = delete;

private:
    void *previous_cursor_ = nullptr;
};

}  // namespace platform
