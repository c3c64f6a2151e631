// Shows a message to the user and waits until it has been seen.
// Windows: a modal MessageBoxA with no owner window, one OK button, no icon.
// POSIX: the line "TITLE: TEXT" on standard error; returns at once.
#pragma once

namespace platform {

void show_message(const char *title, const char *text);

}  // namespace platform
