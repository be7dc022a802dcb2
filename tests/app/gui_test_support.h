#pragma once

// Helpers for tests that drive real windows under Xvfb: dialogs expected through wx's testing
// hook, with every unexpected dialog dismissed (so a failing test never waits for a person).

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>
#include <string>
#include <thread>

#include "app/conversion_thread.h"

namespace lumapress::test {

class DismissingModalHook : public wxTestingModalHook {
 public:
  using wxTestingModalHook::wxTestingModalHook;

 protected:
  int Enter(wxDialog* dialog) override {
    const int result = wxTestingModalHook::Enter(dialog);
    return result == wxID_NONE ? wxID_CANCEL : result;
  }
  void ReportFailure(const wxString& message) override { ADD_FAILURE() << message.utf8_string(); }
};

// A message box with exactly this text, captioned "Lumapress", answered with `answer`.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
 public:
  // How many expected message boxes have been shown so far (for waiting on one).
  static inline int shownCount = 0;

  explicit ExpectMessage(std::string text, int answer = wxID_OK)
      : text_(std::move(text)), answer_(answer) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    ++shownCount;
    EXPECT_EQ(dialog->GetMessage().utf8_string(), text_);
    EXPECT_EQ(dialog->GetCaption().utf8_string(), "Lumapress");
    return answer_;
  }
  wxString GetDefaultDescription() const override {
    return "message box \"" + wxString::FromUTF8(text_) + "\"";
  }

 private:
  std::string text_;
  int answer_;
};

// Lets events run until `done` holds, for at most about two seconds.
template <typename Condition>
void ProcessEventsUntil(Condition done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
    wxMilliSleep(10);
  }
}

// Lets queued events run, deleted windows go and idle-time updates happen.
inline void ProcessEvents() {
  for (int i = 0; i < 3; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
  }
}

// A conversion call that reports an image every few milliseconds until a report returns false.
class EndlessRun {
 public:
  ConversionCall Call() {
    return [this](const ConversionSettings&, std::span<const std::string> paths,
                  const ConversionCallbacks& callbacks) {
      for (size_t done = 1;; ++done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ConversionProgress report;
        report.imagesDone = std::min(done, paths.size() - 1);
        report.imageCount = paths.size();
        if (!callbacks.progress(report)) break;
      }
      stopped = true;
      return MakeResult(Status::kCancelled);
    };
  }
  std::atomic<bool> stopped = false;
};

// Runs an event loop of its own, as the dialog's modal loop does, calling `tick` every
// `interval` until `done` holds; false when `limit` passes first.
template <typename Done, typename Tick>
bool RunEventLoopUntil(Done done, Tick tick, std::chrono::milliseconds interval,
                       std::chrono::seconds limit) {
  wxEvtHandler owner;
  wxTimer timer(&owner);
  wxGUIEventLoop loop;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool finished = done();
  owner.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    tick();
    finished = done();
    if (finished || std::chrono::steady_clock::now() > deadline) loop.Exit();
  });
  if (finished) return true;
  timer.Start(static_cast<int>(interval.count()));
  loop.Run();
  timer.Stop();
  return finished;
}

}  // namespace lumapress::test

#undef wxTEST_DIALOG_HOOK_CLASS
#define wxTEST_DIALOG_HOOK_CLASS lumapress::test::DismissingModalHook
