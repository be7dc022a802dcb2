#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/convert_command.h"
#include "lumapress/convert.h"

namespace lumapress {

// What the dialog hears from a run, always on the dialog's thread: the folder question
// (AskYesNo, while the run waits for the answer), each finished image, and the end.
class RunListener : public DialogUser {
 public:
  virtual void RunProgressed(const ConversionProgress& progress) = 0;
  // The run has ended and its thread is joined; `result` as RunConversion returned it.
  virtual void RunFinished(const ConversionResult& result) = 0;
};

// The library's conversion call, made on the worker thread.
using ConversionCall =
    std::function<ConversionResult(const ConversionSettings& settings, std::span<const std::string> inputPaths,
                                   const ConversionCallbacks& callbacks)>;

// Runs one conversion at a time on a worker thread of its own and turns the run's callbacks
// into calls on the dialog's thread. `post` queues a call on the dialog's thread and may be
// called from any thread.
class ConversionThread {
 public:
  using Post = std::function<void(std::function<void()> call)>;

  ConversionThread(Post post, RunListener& listener, ConversionCall call = RunConversion);
  // Cancels a run under way (its open question is answered No) and waits for its thread; the
  // listener hears nothing more.
  ~ConversionThread();
  ConversionThread(const ConversionThread&) = delete;
  ConversionThread& operator=(const ConversionThread&) = delete;

  // Starts converting; false (and nothing started) while a run is active.
  bool Start(ConversionSettings settings, std::vector<std::string> inputPaths);
  // The run stops after the image under way: its next progress report returns false. From
  // then on a question is answered No.
  void Cancel();

  // From Start until RunFinished has been called.
  bool Active() const { return active_; }
  bool Cancelled() const { return cancelled_; }

 private:
  // State the worker and the calls it posts share with this object; `detached` once this
  // object is gone, so calls still queued do nothing.
  struct Shared;

  void Work();
  // Runs `ask` on the dialog's thread and waits for it; `fallback` once the run is cancelled.
  bool AskOnDialogThread(std::function<bool()> ask, bool fallback);
  void Finished(const ConversionResult& result);

  Post post_;
  RunListener& listener_;
  ConversionCall call_;
  std::shared_ptr<Shared> shared_;

  // The run under way; read by the worker, written only while no worker runs.
  ConversionSettings settings_;
  std::vector<std::string> inputPaths_;
  std::thread worker_;
  bool active_ = false;  // dialog's thread only
  std::atomic<bool> cancelled_ = false;
};

}  // namespace lumapress
