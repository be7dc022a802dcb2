#include "stop_signals.h"

#include <atomic>
#include <csignal>

namespace lumapress {
namespace {

// Written by the handler, read by the run's threads.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free atomic");

extern "C" void OnStopSignal(int signal) { stopSignal.store(signal, std::memory_order_relaxed); }

// 128 + the signal's number is what a shell reports for a process the signal ended.
constexpr int kSignalExitBase = 128;

#ifdef _WIN32
constexpr int kStopSignals[] = {SIGINT, SIGTERM};
using SavedAction = void (*)(int);
#else
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
using SavedAction = struct sigaction;
#endif
constexpr size_t kStopSignalCount = sizeof kStopSignals / sizeof kStopSignals[0];
SavedAction savedActions[kStopSignalCount];

}  // namespace

StopSignals::StopSignals() {
  stopSignal.store(0, std::memory_order_relaxed);
  for (size_t i = 0; i < kStopSignalCount; ++i) {
#ifdef _WIN32
    savedActions[i] = std::signal(kStopSignals[i], OnStopSignal);
#else
    // A signal the process was started ignoring (a background job's SIGINT) stays ignored.
    sigaction(kStopSignals[i], nullptr, &savedActions[i]);
    if (savedActions[i].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // no SA_RESTART: a blocking read returns
    sigaction(kStopSignals[i], &action, nullptr);
#endif
  }
}

StopSignals::~StopSignals() {
  for (size_t i = 0; i < kStopSignalCount; ++i) {
#ifdef _WIN32
    std::signal(kStopSignals[i], savedActions[i]);
#else
    sigaction(kStopSignals[i], &savedActions[i], nullptr);
#endif
  }
}

bool StopSignals::StopRequested() { return stopSignal.load(std::memory_order_relaxed) != 0; }

int StopSignals::ExitStatus() {
  const int signal = stopSignal.load(std::memory_order_relaxed);
  return signal == 0 ? 0 : kSignalExitBase + signal;
}

}  // namespace lumapress
