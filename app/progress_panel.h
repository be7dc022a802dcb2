#pragma once

#include <wx/panel.h>
#include <wx/timer.h>

#include <optional>
#include <string>
#include <vector>

#include "app/run_progress.h"

class wxButton;
class wxGauge;
class wxStaticText;

namespace lumapress {

// Window ids of the panel's controls (next to the dialog's own ids).
enum ProgressId : int {
  kProgressImageId = 1017,  // "Image 3 of 10: beach.png"
  kProgressBarId = 1018,
  kStopRunId = 1019,  // Cancel: stop after the current image
  kProgressElapsedId = 1020,
  kProgressRemainingId = 1021,
};

// A run's progress inside the dialog: the image under way with its file name, a bar with Cancel
// (whose click goes to the parent as a button event of kStopRunId), and the elapsed and
// remaining time, brought up to date every second.
class ProgressPanel : public wxPanel {
 public:
  explicit ProgressPanel(wxWindow* parent);

  void Start(std::vector<std::string> inputPaths);
  void ImagesDone(size_t imagesDone);
  // After Cancel: the run ends after the image under way.
  void Stopping();
  void Stop();

  // Shown in place of the remaining time once Cancel has been clicked.
  static constexpr const char* kStoppingText = "Stopping after this image...";

 private:
  void ShowTimes();

  std::vector<std::string> inputPaths_;
  std::optional<RunClock> clock_;
  bool stopping_ = false;
  wxTimer ticker_;

  wxStaticText* image_ = nullptr;
  wxGauge* bar_ = nullptr;
  wxStaticText* elapsed_ = nullptr;
  wxStaticText* remaining_ = nullptr;
  wxButton* cancel_ = nullptr;
};

}  // namespace lumapress
