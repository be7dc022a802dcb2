#include "app/progress_panel.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace lumapress {
namespace {

constexpr int kTickMilliseconds = 1000;  // the clock shows whole seconds

wxString Text(const std::string& text) { return wxString::FromUTF8(text); }

// A line whose text changes during a run without changing the dialog's layout: it is as wide
// as `widest` at least, and a longer text (a long file name) is shortened in the middle.
wxStaticText* AddLine(wxWindow* parent, int id, const std::string& widest) {
  auto* line = new wxStaticText(parent, id, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_MIDDLE);
  line->SetMinSize(wxSize(line->GetTextExtent(Text(widest)).x, line->GetCharHeight()));
  return line;
}

}  // namespace

ProgressPanel::ProgressPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY), ticker_(this) {
  image_ = AddLine(this, kProgressImageId, "");
  bar_ = new wxGauge(this, kProgressBarId, 1);
  cancel_ = new wxButton(this, kStopRunId, "Cancel");
  elapsed_ = AddLine(this, kProgressElapsedId, ElapsedLine(std::chrono::hours(99)));
  remaining_ = AddLine(this, kProgressRemainingId, kStoppingText);

  const int gap = ConvertDialogToPixels(wxSize(4, 2)).x;
  auto* barRow = new wxBoxSizer(wxHORIZONTAL);
  barRow->Add(bar_, wxSizerFlags(1).CenterVertical());
  barRow->Add(cancel_, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(image_, wxSizerFlags().Expand());
  sizer->Add(barRow, wxSizerFlags().Expand().Border(wxTOP | wxBOTTOM, gap / 2));
  sizer->Add(elapsed_, wxSizerFlags().Expand());
  sizer->Add(remaining_, wxSizerFlags().Expand());
  SetSizer(sizer);

  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ShowTimes(); });
}

void ProgressPanel::Start(std::vector<std::string> inputPaths) {
  inputPaths_ = std::move(inputPaths);
  clock_.emplace(inputPaths_.size(), RunClock::Clock::now());
  stopping_ = false;
  bar_->SetRange(static_cast<int>(std::max<size_t>(inputPaths_.size(), 1)));
  bar_->SetValue(0);
  cancel_->Enable();
  image_->SetLabel(Text(ImageLine(0, inputPaths_)));
  ShowTimes();
  ticker_.Start(kTickMilliseconds);
}

void ProgressPanel::ImagesDone(size_t imagesDone) {
  if (!clock_) return;
  clock_->ImagesDone(imagesDone, RunClock::Clock::now());
  bar_->SetValue(static_cast<int>(std::min<size_t>(imagesDone, inputPaths_.size())));
  image_->SetLabel(Text(ImageLine(imagesDone, inputPaths_)));
  ShowTimes();
}

void ProgressPanel::Stopping() {
  stopping_ = true;
  cancel_->Disable();
  remaining_->SetLabel(kStoppingText);
}

void ProgressPanel::Stop() {
  ticker_.Stop();
  clock_.reset();
}

void ProgressPanel::ShowTimes() {
  if (!clock_) return;
  const auto now = RunClock::Clock::now();
  elapsed_->SetLabel(Text(ElapsedLine(clock_->Elapsed(now))));
  if (!stopping_) remaining_->SetLabel(Text(RemainingLine(clock_->Remaining(now))));
}

}  // namespace lumapress
