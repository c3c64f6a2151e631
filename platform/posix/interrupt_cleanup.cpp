#include "platform/interrupt_cleanup.h"

#include <signal.h>

#include <initializer_list>

#include "platform/posix/live_temporaries.h"

namespace platform {

namespace {

// The disposition is back to the default on entry (SA_RESETHAND), and the
// signal is blocked until the handler returns: raised again, it then ends
// the process with its usual status.
extern "C" void remove_temporaries_and_end(int signal_number) {
    remove_live_temporaries();
    raise(signal_number);
}

}  // namespace

void remove_temporaries_on_interrupt() {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = remove_temporaries_and_end;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESETHAND;
        sigaction(signal_number, &handler, nullptr);
    }
}

}  // namespace platform
