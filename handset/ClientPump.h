#pragma once
// Shared by the send and receive roads: hands the caller's pump (and cancel question) to a
// mail client for the length of one road.
#include <functional>
#include <utility>

#include "base/TransferContext.h"

namespace moriva {

// Puts the context's ProcessMessages into a client's callback slot, wrapped so that a true
// CancelRequested runs `cancel`; the client's own callback comes back at the end of the scope.
class TPumpScope {
 public:
  TPumpScope(std::function<void()>& slot, const TTransferContext& context,
             std::function<void()> cancel = {})
      : slot_(slot), saved_(slot) {
    std::function<void()> pump = context.ProcessMessages ? context.ProcessMessages : saved_;
    if (!context.CancelRequested || !cancel) {
      slot_ = std::move(pump);
      return;
    }
    slot_ = [pump = std::move(pump), asked = context.CancelRequested, cancel = std::move(cancel)] {
      if (pump) pump();
      if (asked()) cancel();
    };
  }
  ~TPumpScope() { slot_ = std::move(saved_); }
  TPumpScope(const TPumpScope&) = delete;
  TPumpScope& operator=(const TPumpScope&) = delete;

 private:
  std::function<void()>& slot_;
  std::function<void()> saved_;
};

}  // namespace moriva
