#include "platform/message_box.h"

#include <windows.h>

namespace platform {

void show_message(const char *title, const char *text) {
    MessageBoxA(nullptr, text, title, MB_OK);
}

}  // namespace platform
