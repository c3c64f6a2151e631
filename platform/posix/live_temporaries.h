// The temporary files of the replacements (platform/replacement_file.h) open
// in this process, in a fixed table that a signal handler can read.
#pragma once

namespace platform {

// Removes every one of them. Async-signal-safe: for the handler of a signal
// that ends the process (platform/interrupt_cleanup.h).
void remove_live_temporaries() noexcept;

}  // namespace platform
