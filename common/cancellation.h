#pragma once

#include <atomic>
#include <functional>
#include <utility>

namespace lumapress {

// A run's request to stop early. Long loops (decoding rows, encoding, compressing, writing)
// poll CancellationRequested() on whichever thread does the work; the run installs its check
// on every thread that works for it with a CancellationScope, so the loops need no parameter.
class CancellationCheck {
 public:
  // `requested` is asked on any thread, possibly on several at once. Empty: never.
  explicit CancellationCheck(std::function<bool()> requested) : requested_(std::move(requested)) {}
  CancellationCheck(const CancellationCheck&) = delete;
  CancellationCheck& operator=(const CancellationCheck&) = delete;

  // True once a request was seen; it stays true.
  bool Requested() const;

 private:
  std::function<bool()> requested_;
  mutable std::atomic<bool> seen_{false};
};

// Installs `check` as this thread's cancellation for the object's lifetime (null: none), and
// restores the one before it afterwards.
class CancellationScope {
 public:
  explicit CancellationScope(const CancellationCheck* check);
  ~CancellationScope();
  CancellationScope(const CancellationScope&) = delete;
  CancellationScope& operator=(const CancellationScope&) = delete;

 private:
  const CancellationCheck* previous_;
};

// True when the cancellation installed on this thread has been requested; false without one.
bool CancellationRequested();

}  // namespace lumapress
