#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace zt::cli {

namespace {

// All the handler may touch; one catcher at a time sets it up. Atomic, as the
// ports of a batch each ask it from a thread of their own.
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler stores it");

extern "C" void Catch(int) {
    caught = 1;
    // Windows resets the handler by itself; elsewhere this makes the second
    // Ctrl+C end ztcli as the first would have.
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace

CtrlCCatcher::CtrlCCatcher() {
    caught = 0;
    previous_ = std::signal(SIGINT, Catch);  // the handler before, or SIG_ERR
    if (previous_ == SIG_ERR) previous_ = SIG_DFL;
}

CtrlCCatcher::~CtrlCCatcher() {
    std::signal(SIGINT, previous_);
}

bool CtrlCCatcher::Caught() const {
    return caught != 0;
}

}  // namespace zt::cli
