// The dialog's layout. These tests run twice: with the system's text as it is, and in a program
// of their own with GTK's text scaling at 1.5 (GDK_DPI_SCALE, set by its main before the toolkit
// starts), as a desktop's large-text setting does: fonts grow, and with them the dialog units,
// while icons and frames keep their pixel sizes.
#include <wx/display.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/statbox.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/converter_dialog.h"
#include "app/progress_panel.h"
#include "gui_test_support.h"

#ifndef LUMAPRESS_GUI_TEXT_SCALE
#define LUMAPRESS_GUI_TEXT_SCALE "1"
#endif

namespace lumapress {
namespace {

using test::ProcessEvents;

// The screen the dialog must fit, and what a window manager adds around a window at this text
// size (borders and a title bar); Xvfb runs without one.
const wxSize kSmallScreen(1024, 768);
const wxSize kWindowFrame(16, 64);

class ConverterDialogLayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog_ = new ConverterDialog(nullptr, nullptr, run_.Call());
    dialog_->AddInputFiles({"/home/ann/pictures/holiday/beach.png",
                            "/home/ann/pictures/a folder with a rather long name/sunset.png"});
    dialog_->Show();
    ProcessEvents();
  }
  void TearDown() override {
    dialog_->Destroy();
    ProcessEvents();
  }

  // GTK moves the windows a moment after the sizers have placed them.
  void ResizeTo(const wxSize& size) {
    dialog_->SetSize(size);
    dialog_->Layout();
    for (int i = 0; i < 10; ++i) {
      ProcessEvents();
      wxMilliSleep(20);
    }
  }
  wxWindow* Find(int id) { return dialog_->FindWindow(id); }
  // Where a window lies in the dialog's client area.
  wxRect ClientRect(wxWindow* window) {
    return wxRect(dialog_->ScreenToClient(window->GetScreenPosition()), window->GetSize());
  }

  // The controls a person sees: the shown windows in the dialog, the group boxes and the
  // progress panel (which only hold others) and the controls' own inner windows left out.
  std::vector<wxWindow*> Controls() {
    std::vector<wxWindow*> controls;
    const auto visit = [&](auto&& self, wxWindow* parent) -> void {
      for (wxWindow* child : parent->GetChildren()) {
        if (!child->IsShownOnScreen()) continue;
        if (dynamic_cast<wxStaticBox*>(child) || dynamic_cast<ProgressPanel*>(child)) {
          self(self, child);
        } else {
          controls.push_back(child);
        }
      }
    };
    visit(visit, dialog_);
    return controls;
  }

  // Every control lies inside the window, gets at least the size it asks for (so no text is
  // cut), and overlaps no other.
  void ExpectControlsFit() {
    const wxRect client(dialog_->GetClientSize());
    const std::vector<wxWindow*> controls = Controls();
    ASSERT_GE(controls.size(), 20u);
    for (size_t i = 0; i < controls.size(); ++i) {
      wxWindow* control = controls[i];
      const std::string name = std::to_string(control->GetId()) + " \"" +
                               control->GetLabel().utf8_string() + "\"";
      const wxRect rect = ClientRect(control);
      EXPECT_TRUE(client.Contains(rect)) << name << " lies outside the window";
      const wxSize wanted = control->GetEffectiveMinSize();
      EXPECT_GE(rect.width, wanted.x) << name << " is narrower than its text";
      EXPECT_GE(rect.height, wanted.y) << name << " is lower than its text";
      for (size_t j = i + 1; j < controls.size(); ++j) {
        EXPECT_FALSE(rect.Intersects(ClientRect(controls[j])))
            << name << " overlaps " << controls[j]->GetId();
      }
    }
  }

  test::EndlessRun run_;
  ConverterDialog* dialog_ = nullptr;
};

TEST_F(ConverterDialogLayoutTest, TextHasTheScaleOfThisRun) {
  const char* scale = std::getenv("GDK_DPI_SCALE");
  ASSERT_EQ(std::string(scale != nullptr ? scale : "1"), LUMAPRESS_GUI_TEXT_SCALE);
  // A line of the system font is 1.1 to 1.45 times the font's nominal height at the screen's
  // resolution, times the text scale.
  const wxFont font = dialog_->GetFont();
  const double nominal = font.GetFractionalPointSize() * wxGetDisplayPPI().y / 72.0;
  const double lineToNominal = dialog_->GetCharHeight() / nominal / std::atof(scale ? scale : "1");
  EXPECT_GE(lineToNominal, 1.1);
  EXPECT_LE(lineToNominal, 1.45);
}

TEST_F(ConverterDialogLayoutTest, TheSmallestWindowFitsA1024By768Screen) {
  const wxSize smallest = dialog_->GetMinSize();
  EXPECT_LE(smallest.x + kWindowFrame.x, kSmallScreen.x) << "smallest width " << smallest.x;
  EXPECT_LE(smallest.y + kWindowFrame.y, kSmallScreen.y) << "smallest height " << smallest.y;

  ResizeTo(wxSize(1, 1));
  EXPECT_EQ(dialog_->GetSize(), smallest) << "the window never gets smaller than that";
  ExpectControlsFit();
}

TEST_F(ConverterDialogLayoutTest, TheProgressFitsInTheSmallestWindow) {
  ResizeTo(dialog_->GetMinSize());
  wxCommandEvent convert(wxEVT_BUTTON, wxID_OK);
  dynamic_cast<wxTextCtrl*>(Find(kOutputPathId))->ChangeValue("/out/show.swf");
  Find(wxID_OK)->GetEventHandler()->ProcessEvent(convert);
  ProcessEvents();
  ASSERT_TRUE(dialog_->Converting());
  ASSERT_TRUE(Find(kStopRunId)->IsShownOnScreen());
  EXPECT_EQ(dialog_->GetSize(), dialog_->GetMinSize()) << "a run needs no larger window";
  ExpectControlsFit();
}

TEST_F(ConverterDialogLayoutTest, TheSlideShowGroupSitsBelowTheOtherSettings) {
  ResizeTo(dialog_->GetMinSize());
  wxWindow* group = Find(kStageSizeId)->GetParent();
  for (int id : {kFitId, kBackgroundId, kBackgroundPickerId, kFadeId, kFadeInId, kStopOnLastImageId}) {
    EXPECT_EQ(Find(id)->GetParent(), group) << id << " in the group";
  }
  // (GTK puts a group box's own rectangle below its title, so the controls are compared.)
  const wxRect output = ClientRect(Find(kOutputPathId)->GetParent());
  EXPECT_EQ(ClientRect(group).x, output.x) << "in the settings column";
  EXPECT_EQ(ClientRect(group).width, output.width);
  EXPECT_GT(ClientRect(Find(kStageSizeId)).y, ClientRect(Find(kOutputPathId)).GetBottom())
      << "below the output group";
  EXPECT_LT(ClientRect(Find(kStopOnLastImageId)).GetBottom(), ClientRect(Find(wxID_OK)).y)
      << "above Convert";
  // The number fields of every group line up.
  for (int id : {kStageSizeId, kBackgroundId, kFadeId}) {
    EXPECT_EQ(ClientRect(Find(id)).x, ClientRect(Find(kDelayId)).x) << id;
  }
}

TEST_F(ConverterDialogLayoutTest, TheFirstSizeFitsTheScreen) {
  const wxRect screen = wxDisplay(dialog_).GetClientArea();
  EXPECT_LE(dialog_->GetSize().x, screen.width);
  EXPECT_LE(dialog_->GetSize().y, screen.height);
}

TEST_F(ConverterDialogLayoutTest, ExtraRoomGoesToTheList) {
  const wxSize smallest = dialog_->GetMinSize();
  ResizeTo(smallest);
  wxWindow* list = Find(kInputListId);
  const wxSize listBefore = list->GetSize();
  const wxSize optionsBefore = Find(kDelayId)->GetParent()->GetSize();
  const wxRect client = wxRect(dialog_->GetClientSize());
  const wxRect quitBefore = ClientRect(Find(wxID_CANCEL));

  const wxSize extra(300, 200);
  ResizeTo(smallest + extra);
  EXPECT_EQ(list->GetSize(), listBefore + extra) << "the list takes all the extra room";
  EXPECT_EQ(Find(kDelayId)->GetParent()->GetSize(), optionsBefore) << "the groups keep theirs";
  const wxRect quit = ClientRect(Find(wxID_CANCEL));
  EXPECT_EQ(quit.GetPosition(), quitBefore.GetPosition() + wxPoint(extra.x, extra.y))
      << "Quit stays in the bottom right corner";
  EXPECT_EQ(client.GetRight() - quitBefore.GetRight(),
            dialog_->GetClientSize().x - 1 - quit.GetRight());
  ExpectControlsFit();
  EXPECT_EQ(dynamic_cast<wxListCtrl*>(list)->GetColumnWidth(0), list->GetClientSize().x)
      << "the list's column follows its width";
}

}  // namespace
}  // namespace lumapress
