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
  kProgressTimesId = 1019,  // elapsed and remaining time
  kStopRunId = 1020,        // Cancel: stop after the current image
};

// A run's progress inside the dialog: the image under way with its file name, a bar, the elapsed
// and remaining time (brought up to date every second), and Cancel, whose click goes to the
// parent as a button event of kStopRunId.
class ProgressPanel : public wxPanel {
 public:
  explicit ProgressPanel(wxWindow* parent);

  void Start(std::vector<std::string> inputPaths);
  void ImagesDone(size_t imagesDone);
  // After Cancel: the run ends after the image under way.
  void Stopping();
  void Stop();

  static constexpr const char* kStoppingText = "Stopping after the current image...";

 private:
  void ShowTimes();

  std::vector<std::string> inputPaths_;
  std::optional<RunClock> clock_;
  bool stopping_ = false;
  wxTimer ticker_;

  wxStaticText* image_ = nullptr;
  wxGauge* bar_ = nullptr;
  wxStaticText* times_ = nullptr;
  wxButton* cancel_ = nullptr;
};

}  // namespace lumapress
