#pragma once
// Ctrl+C during a long command (a receive, a sync, an import) asks it to stop at its next
// look at g_interrupted rather than killing the process: files are then left whole (a receive
// stops after the mail in hand, so uidl.ini still records what was handled).
#include <signal.h>

#include <csignal>

namespace moriva {

inline volatile std::sig_atomic_t g_interrupted = 0;

// Catches SIGINT while it lives; the previous handling comes back after.
class TInterruptScope {
 public:
  TInterruptScope() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = [](int) { g_interrupted = 1; };
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &saved_);
  }
  ~TInterruptScope() { sigaction(SIGINT, &saved_, nullptr); }
  TInterruptScope(const TInterruptScope&) = delete;
  TInterruptScope& operator=(const TInterruptScope&) = delete;

 private:
  struct sigaction saved_ {};
};

}  // namespace moriva
