#pragma once

namespace lumapress {

// SIGINT, SIGTERM and SIGHUP stop the conversion instead of the process, so that it removes
// its temporary files and keeps the batch movies it finished. The handler only stores the
// signal's number in a lock-free atomic (async-signal-safe); the run polls StopRequested()
// from any of its threads. A second signal of the same kind ends the process at once, as
// usual; a later run to the same output removes what that leaves.
//
// The handlers are installed without SA_RESTART, so a signal also ends a blocking read such
// as the answer to the folder question.
class StopSignals {
 public:
  StopSignals();   // installs the handlers
  ~StopSignals();  // restores the ones before
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // True once one of the signals arrived. Callable from any thread.
  static bool StopRequested();
  // The conventional exit status after the signal that arrived: 128 + its number (130 for
  // SIGINT, 143 for SIGTERM, 129 for SIGHUP); 0 when none did.
  static int ExitStatus();
};

}  // namespace lumapress
