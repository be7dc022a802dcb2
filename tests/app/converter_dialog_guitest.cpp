// The real dialog under a display, driven through its controls.
#include "app/converter_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/progress_panel.h"
#include "gui_test_support.h"
#include "support/png_maker.h"
#include "support/temp_folder.h"

namespace lumapress {
namespace {

using test::EndlessRun;
using test::ExpectMessage;
using test::ProcessEvents;

class FakeChoosers : public FileChoosers {
 public:
  std::vector<std::string> ChooseInputImages(wxWindow*) override {
    ++calls;
    return images;
  }
  std::optional<std::string> ChooseControlFile(wxWindow*) override {
    ++calls;
    return controlFile;
  }
  std::optional<std::string> ChooseOutputFile(wxWindow*) override {
    ++calls;
    lastChoice = "file";
    return outputFile;
  }
  std::optional<std::string> ChooseOutputFolder(wxWindow*) override {
    ++calls;
    lastChoice = "folder";
    return outputFolder;
  }

  int calls = 0;
  std::string lastChoice;
  std::vector<std::string> images;
  std::optional<std::string> controlFile, outputFile, outputFolder;
};

// The file dialog ends with OK and `path` chosen. GTK's chooser takes a path in the
// background, so the expectation waits (briefly) until the dialog reports it.
class ExpectFileChosen : public wxExpectModalBase<wxFileDialog, ExpectFileChosen> {
 public:
  explicit ExpectFileChosen(const wxString& path) : path_(path) {}

 protected:
  int OnInvoked(wxFileDialog* dialog) const override {
    dialog->SetPath(path_);
    for (int i = 0; i < 100 && dialog->GetPath().empty(); ++i) {
      wxYield();
      wxMilliSleep(10);
    }
    return wxID_OK;
  }

 private:
  wxString path_;
};

class ConverterDialogTest : public testing::Test {
 protected:
  void SetUp() override { Open(nullptr, Recorder()); }
  void TearDown() override {
    dialog_->Destroy();
    ProcessEvents();
  }

  ConversionCall Recorder() {
    return [this](const ConversionSettings& settings, std::span<const std::string> paths,
                  const ConversionCallbacks&) {
      ++runs_;
      settings_ = settings;
      inputs_.assign(paths.begin(), paths.end());
      return runResult_;
    };
  }

  void Open(std::unique_ptr<FileChoosers> choosers, ConversionCall call) {
    if (dialog_ != nullptr) {
      dialog_->Destroy();
      ProcessEvents();
    }
    if (!choosers) {
      auto fake = std::make_unique<FakeChoosers>();
      choosers_ = fake.get();
      choosers = std::move(fake);
    }
    dialog_ = new ConverterDialog(nullptr, std::move(choosers), std::move(call));
    dialog_->Show();
    ProcessEvents();
  }

  template <typename T>
  T* Control(int id) {
    auto* control = dynamic_cast<T*>(dialog_->FindWindow(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }
  wxTextCtrl* Edit(int id) { return Control<wxTextCtrl>(id); }
  wxListCtrl* List() { return Control<wxListCtrl>(kInputListId); }
  std::string Label(int id) { return dialog_->FindWindow(id)->GetLabel().utf8_string(); }

  void Click(int id) {
    Press(id);
    ProcessEvents();
  }
  // The button's handler alone, with no queued event run after it.
  void Press(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog_->FindWindow(id));
    dialog_->FindWindow(id)->GetEventHandler()->ProcessEvent(event);
  }
  void SetBatchMode(bool on) {
    auto* box = Control<wxCheckBox>(kBatchModeId);
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, kBatchModeId);
    event.SetEventObject(box);
    event.SetInt(on ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
  }
  void SelectItem(long index) {
    List()->SetItemState(index, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    ProcessEvents();
  }
  std::vector<std::string> ListTexts() {
    std::vector<std::string> texts;
    for (long i = 0; i < List()->GetItemCount(); ++i) {
      texts.push_back(List()->GetItemText(i).utf8_string());
    }
    return texts;
  }
  long SelectedIndex() {
    return List()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  }
  // Runs the idle-time enabling of Remove, Up and Down.
  std::vector<bool> Enabled() {
    dialog_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return {dialog_->FindWindow(kRemoveId)->IsEnabled(), dialog_->FindWindow(kUpId)->IsEnabled(),
            dialog_->FindWindow(kDownId)->IsEnabled()};
  }
  // The controls a person edits or starts a run with.
  static constexpr int kSettingIds[] = {
      kInputListId,  kAddId,        kDelayId,   kQualityId,          kControlFileId,
      kControlFileBrowseId, kFramesPerSecondId, kSmallestId, kBatchModeId, kOutputPathId,
      kOutputBrowseId, kStageSizeId, kFitId,   kBackgroundId,       kBackgroundPickerId,
      kFadeId,       kFadeInId,     kStopOnLastImageId, wxID_OK};
  // Each setting's id and whether it is enabled now.
  std::vector<std::pair<int, bool>> SettingsEnabled() {
    dialog_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    std::vector<std::pair<int, bool>> states;
    for (int id : kSettingIds) states.emplace_back(id, dialog_->FindWindow(id)->IsEnabled());
    return states;
  }
  static std::vector<std::pair<int, bool>> AllSettings(bool enabled) {
    std::vector<std::pair<int, bool>> states;
    for (int id : kSettingIds) states.emplace_back(id, enabled);
    return states;
  }
  void AddThree() {
    choosers_->images = {"/pics/A.png", "/pics/B.png", "/pics/C.png"};
    Click(kAddId);
  }
  // A fresh dialog converting with `call`, with three images and an output file.
  void OpenReadyToConvert(ConversionCall call) {
    Open(nullptr, std::move(call));
    AddThree();
    Edit(kOutputPathId)->ChangeValue("/out/show.swf");
  }
  // Lets the dialog's loop run until the conversion has ended.
  bool WaitForRunEnd(std::chrono::seconds limit = std::chrono::seconds(10)) {
    return test::RunEventLoopUntil([&] { return !dialog_->Converting(); }, [] {},
                                   std::chrono::milliseconds(10), limit);
  }

  ConverterDialog* dialog_ = nullptr;
  FakeChoosers* choosers_ = nullptr;
  // Written by the conversion's thread; read once the run has ended (its thread is joined).
  int runs_ = 0;
  ConversionResult runResult_ = MakeResult(Status::kOk);
  ConversionSettings settings_;
  std::vector<std::string> inputs_;
};

TEST_F(ConverterDialogTest, StartsWithTheDefaults) {
  EXPECT_EQ(Edit(kDelayId)->GetValue(), "1");
  EXPECT_EQ(Edit(kQualityId)->GetValue(), "100");
  EXPECT_EQ(Edit(kFramesPerSecondId)->GetValue(), "12");
  EXPECT_EQ(Edit(kOutputPathId)->GetValue(), "");
  EXPECT_EQ(Edit(kControlFileId)->GetValue(), "");
  EXPECT_FALSE(Control<wxCheckBox>(kBatchModeId)->IsChecked());
  EXPECT_EQ(Edit(kStageSizeId)->GetValue(), "") << "the first image's size";
  wxChoice* fit = Control<wxChoice>(kFitId);
  std::vector<std::string> fits;
  for (const wxString& name : fit->GetStrings()) fits.push_back(name.utf8_string());
  EXPECT_EQ(fits, (std::vector<std::string>{"none", "contain", "cover"}));
  EXPECT_EQ(fit->GetStringSelection(), "none");
  EXPECT_EQ(Edit(kBackgroundId)->GetValue(), "FFFFFF");
  EXPECT_EQ(Control<wxColourPickerCtrl>(kBackgroundPickerId)->GetColour(), *wxWHITE);
  EXPECT_EQ(Edit(kFadeId)->GetValue(), "0");
  EXPECT_FALSE(Control<wxCheckBox>(kFadeInId)->IsChecked());
  EXPECT_FALSE(Control<wxCheckBox>(kStopOnLastImageId)->IsChecked());
  EXPECT_EQ(List()->GetItemCount(), 0);
  EXPECT_EQ(dialog_->GetTitle(), "Lumapress 1.2 by https://lumapress.example/");
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(dialog_->FindWindow(kAddId)->IsEnabled());
}

TEST_F(ConverterDialogTest, DelayZeroShowsTheRangeMessageAndDoesNotConvert) {
  AddThree();
  Edit(kOutputPathId)->ChangeValue("/out/a.swf");
  Edit(kDelayId)->ChangeValue("0");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please enter a number between 0.01 and 100."));
  EXPECT_EQ(runs_, 0);
}

TEST_F(ConverterDialogTest, EnterInAFieldRunsConvert) {
  wxTextCtrl* fps = Edit(kFramesPerSecondId);
  dialog_->Raise();
  fps->SetFocus();
  wxUIActionSimulator simulator;
  simulator.MouseMove(fps->GetScreenRect().GetPosition() + wxPoint(5, 5));
  ProcessEvents();
  simulator.Text("3");
  test::ProcessEventsUntil([&] { return fps->GetValue().EndsWith("3"); });
  EXPECT_TRUE(fps->GetValue().EndsWith("3")) << "typed keys reach the field";
  const int shownBefore = ExpectMessage::shownCount;
  wxTEST_DIALOG(
      {
        // Without a window manager Xvfb now and then drops a synthesised key: one retry.
        for (int attempt = 0; attempt < 2 && ExpectMessage::shownCount == shownBefore; ++attempt) {
          simulator.Char(WXK_RETURN);
          test::ProcessEventsUntil([&] { return ExpectMessage::shownCount > shownBefore; });
        }
      },
      ExpectMessage("Please add at least one input image first."));
  EXPECT_EQ(runs_, 0);
  EXPECT_TRUE(dialog_->IsShown()) << "Convert never closes the dialog";
}

TEST_F(ConverterDialogTest, AddUpDownAndRemoveEditTheList) {
  AddThree();
  EXPECT_EQ(ListTexts(),
            (std::vector<std::string>{"A.png (/pics/)", "B.png (/pics/)", "C.png (/pics/)"}));
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false}));

  SelectItem(1);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, true}));
  Click(kUpId);
  EXPECT_EQ(ListTexts(),
            (std::vector<std::string>{"B.png (/pics/)", "A.png (/pics/)", "C.png (/pics/)"}));
  EXPECT_EQ(SelectedIndex(), 0);
  EXPECT_EQ(List()->GetItemState(0, wxLIST_STATE_FOCUSED), wxLIST_STATE_FOCUSED);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, false, true}));

  Click(kDownId);
  EXPECT_EQ(ListTexts(),
            (std::vector<std::string>{"A.png (/pics/)", "B.png (/pics/)", "C.png (/pics/)"}));
  EXPECT_EQ(SelectedIndex(), 1);

  SelectItem(2);
  EXPECT_EQ(Enabled(), (std::vector<bool>{true, true, false}));
  Click(kRemoveId);
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"A.png (/pics/)", "B.png (/pics/)"}));
  EXPECT_EQ(SelectedIndex(), -1);
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(dialog_->Inputs().Paths(), (std::vector<std::string>{"/pics/A.png", "/pics/B.png"}));
}

TEST_F(ConverterDialogTest, CancelledAddAndDroppedFiles) {
  Click(kAddId);  // the chooser returns nothing
  EXPECT_EQ(choosers_->calls, 1);
  EXPECT_EQ(List()->GetItemCount(), 0);
  dialog_->AddDroppedFiles({"/pics/x.png", "/pics/readme.txt", "/pics/Y.PNG"});
  EXPECT_EQ(ListTexts(), (std::vector<std::string>{"x.png (/pics/)", "Y.PNG (/pics/)"}));
}

TEST_F(ConverterDialogTest, BatchModeAdjustsTheOutputPath) {
  wxTextCtrl* output = Edit(kOutputPathId);
  output->ChangeValue("/out/Movie.SWF");
  SetBatchMode(true);
  EXPECT_EQ(output->GetValue(), "/out/Movie");
  SetBatchMode(false);
  EXPECT_EQ(output->GetValue(), "/out/Movie.swf");
  output->ChangeValue("");
  SetBatchMode(true);
  EXPECT_EQ(output->GetValue(), "");
  SetBatchMode(false);
  EXPECT_EQ(output->GetValue(), ".swf");
}

TEST_F(ConverterDialogTest, BrowseButtonsFillTheirFields) {
  choosers_->outputFile = "/out/movie.swf";
  choosers_->outputFolder = "/out/movies/";
  choosers_->controlFile = "/swf/control.swf";
  Edit(kDelayId)->ChangeValue("2.5");  // typed text stays when a browse fills another field
  Click(kOutputBrowseId);
  EXPECT_EQ(choosers_->lastChoice, "file");
  EXPECT_EQ(Edit(kOutputPathId)->GetValue(), "/out/movie.swf");
  SetBatchMode(true);
  Click(kOutputBrowseId);
  EXPECT_EQ(choosers_->lastChoice, "folder");
  EXPECT_EQ(Edit(kOutputPathId)->GetValue(), "/out/movies/");
  Click(kControlFileBrowseId);
  EXPECT_EQ(Edit(kControlFileId)->GetValue(), "/swf/control.swf");
  EXPECT_EQ(Edit(kDelayId)->GetValue(), "2.5");

  choosers_->outputFolder.reset();  // cancelled: nothing changes
  Click(kOutputBrowseId);
  EXPECT_EQ(Edit(kOutputPathId)->GetValue(), "/out/movies/");
}

TEST_F(ConverterDialogTest, SaveDialogAddsTheMovieExtension) {
  Open(std::make_unique<SystemFileChoosers>(), Recorder());
  const wxString folder = wxString::FromUTF8(std::filesystem::temp_directory_path().string());
  wxTEST_DIALOG(Click(kOutputBrowseId), ExpectFileChosen(folder + "/movie"));
  EXPECT_EQ(Edit(kOutputPathId)->GetValue(), folder + "/movie.swf");
}

TEST_F(ConverterDialogTest, ConvertChecksComeInOrder) {
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please add at least one input image first."));
  AddThree();
  SetBatchMode(true);
  Edit(kOutputPathId)->ChangeValue("");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please select an output folder first."));
  SetBatchMode(false);
  Edit(kOutputPathId)->ChangeValue("");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please select an output file first."));
  EXPECT_EQ(runs_, 0);
}

TEST_F(ConverterDialogTest, TheColourPickerAndTheBackgroundTextFollowEachOther) {
  auto* picker = Control<wxColourPickerCtrl>(kBackgroundPickerId);
  wxTextCtrl* background = Edit(kBackgroundId);
  background->SetValue("#0a80Ff");  // typed, so the text event is sent
  EXPECT_EQ(picker->GetColour(), wxColour(0x0A, 0x80, 0xFF));
  background->SetValue("0a80F");  // not yet a colour: the picker keeps the last one
  EXPECT_EQ(picker->GetColour(), wxColour(0x0A, 0x80, 0xFF));
  EXPECT_EQ(background->GetValue(), "0a80F") << "the text is left as typed";

  picker->SetColour(wxColour(0x12, 0x00, 0xEF));
  wxColourPickerEvent picked(picker, kBackgroundPickerId, picker->GetColour());
  picker->GetEventHandler()->ProcessEvent(picked);
  EXPECT_EQ(background->GetValue(), "1200EF");
}

TEST_F(ConverterDialogTest, SlideShowSettingsAreCheckedByTheLibraryWhenConvertIsPressed) {
  AddThree();
  Edit(kOutputPathId)->ChangeValue("/out/show.swf");
  Edit(kStageSizeId)->ChangeValue("9000x10");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please enter a stage size as WIDTHxHEIGHT, each "
                                              "side from 1 to 8191 pixels."));
  EXPECT_EQ(wxWindow::FindFocus(), Edit(kStageSizeId)) << "the field to correct has the focus";
  Edit(kStageSizeId)->ChangeValue("");

  Edit(kFadeId)->ChangeValue("-1");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Please enter a fade time between 0 and 100 seconds."));
  EXPECT_EQ(wxWindow::FindFocus(), Edit(kFadeId));

  Edit(kFadeId)->ChangeValue("0.5");
  SetBatchMode(true);
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Fades and stopping on the last image are for slide "
                                              "shows, not for batch mode."));
  Edit(kFadeId)->ChangeValue("0");
  Control<wxCheckBox>(kStopOnLastImageId)->SetValue(true);
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Fades and stopping on the last image are for slide "
                                              "shows, not for batch mode."));
  EXPECT_EQ(runs_, 0);
}

TEST_F(ConverterDialogTest, SuccessfulConvertPassesTheSettingsAndReports) {
  AddThree();
  Edit(kOutputPathId)->ChangeValue("/out/show.swf");
  Edit(kDelayId)->ChangeValue("0.5");
  Edit(kQualityId)->ChangeValue("80");
  Edit(kFramesPerSecondId)->ChangeValue("24");
  Edit(kControlFileId)->ChangeValue("/swf/control.swf");
  EXPECT_FALSE(Control<wxCheckBox>(kSmallestId)->IsChecked()) << "the default effort";
  Control<wxCheckBox>(kSmallestId)->SetValue(true);
  Edit(kStageSizeId)->ChangeValue("800x600");
  Control<wxChoice>(kFitId)->SetStringSelection("contain");
  Edit(kBackgroundId)->ChangeValue("#336699");
  Edit(kFadeId)->ChangeValue("0.25");
  Control<wxCheckBox>(kFadeInId)->SetValue(true);
  Control<wxCheckBox>(kStopOnLastImageId)->SetValue(true);
  wxTEST_DIALOG(
      {
        Click(wxID_OK);
        EXPECT_TRUE(WaitForRunEnd());
      },
      ExpectMessage("Conversion completed successfully."));
  ASSERT_EQ(runs_, 1);
  EXPECT_EQ(inputs_, (std::vector<std::string>{"/pics/A.png", "/pics/B.png", "/pics/C.png"}));
  EXPECT_EQ(settings_.outputPath, "/out/show.swf");
  EXPECT_EQ(settings_.controlFilePath, "/swf/control.swf");
  EXPECT_EQ(settings_.delaySeconds, 0.5f);
  EXPECT_EQ(settings_.jpegQuality, 80);
  EXPECT_EQ(settings_.framesPerSecond, 24.0f);
  EXPECT_FALSE(settings_.batchMode);
  EXPECT_TRUE(settings_.smallest);
  EXPECT_EQ(settings_.stageWidth, 800u);
  EXPECT_EQ(settings_.stageHeight, 600u);
  EXPECT_EQ(settings_.fit, Fit::kContain);
  EXPECT_EQ(settings_.backgroundColor, 0x336699u);
  EXPECT_EQ(settings_.fadeSeconds, 0.25f);
  EXPECT_TRUE(settings_.fadeIn);
  EXPECT_FALSE(settings_.loop);
  EXPECT_GE(settings_.jobs, 1u);
  EXPECT_EQ(ListTexts().size(), 3u) << "the list is unchanged";

  runResult_ = MakeResult(Status::kFolderDeclined);  // a No to the folder question says no more
  test::DismissingModalHook noDialogExpected;
  Click(wxID_OK);
  EXPECT_TRUE(WaitForRunEnd());
  EXPECT_EQ(runs_, 2);
}

TEST_F(ConverterDialogTest, ControlsKeepTheirIdsAndTabOrder) {
  // Keyboard navigation visits a window's children in order, depth first.
  std::vector<int> order;
  const auto visit = [&](auto&& self, wxWindow* parent) -> void {
    for (wxWindow* child : parent->GetChildren()) {
      if (child->GetId() >= kInputListId || child->GetId() == wxID_OK ||
          child->GetId() == wxID_CANCEL) {
        order.push_back(child->GetId());
      }
      self(self, child);
    }
  };
  visit(visit, dialog_);
  EXPECT_EQ(order, (std::vector<int>{kBannerId, kInputListId, kAddId, kRemoveId, kUpId, kDownId,
                                     kDelayId, kQualityId, kControlFileId, kControlFileBrowseId,
                                     kFramesPerSecondId, kSmallestId, kBatchModeId, kOutputPathId,
                                     kOutputBrowseId, kStageSizeId, kFitId, kBackgroundId,
                                     kBackgroundPickerId, kFadeId, kFadeInId, kStopOnLastImageId,
                                     wxID_OK, wxID_CANCEL, kProgressImageId,
                                     kProgressBarId, kStopRunId, kProgressElapsedId,
                                     kProgressRemainingId}));
  EXPECT_EQ(Label(wxID_OK), "Convert");
  EXPECT_EQ(Label(wxID_CANCEL), "&Quit");
  wxString batchText = dialog_->FindWindow(kBatchModeId)->GetLabel();
  batchText.Replace("\n", " ");
  EXPECT_EQ(batchText, "Create an own SWF file for each input image (batch mode)")
      << "the check box's text may only be broken into lines";
  const long style = dialog_->GetWindowStyleFlag();
  EXPECT_TRUE((style & wxRESIZE_BORDER) && (style & wxMAXIMIZE_BOX)) << "resizable, maximisable";
}

// A conversion call that reports its images when the test lets it: one per Step().
class SteppedRun {
 public:
  ConversionCall Call(std::function<void(const ConversionCallbacks&)> before = {}) {
    return [this, before](const ConversionSettings&, std::span<const std::string> paths,
                          const ConversionCallbacks& callbacks) {
      if (before) before(callbacks);
      for (size_t done = 1; done <= paths.size(); ++done) {
        {
          std::unique_lock lock(mutex_);
          stepped_.wait(lock, [&] { return allowed_ >= done; });
        }
        ConversionProgress report;
        report.imagesDone = done;
        report.imageCount = paths.size();
        report.inputPath = paths[done - 1];
        if (!callbacks.progress(report)) {
          stoppedAt = done;
          return MakeResult(Status::kCancelled);
        }
      }
      return end;
    };
  }
  void Step(size_t images = 1) {
    std::lock_guard lock(mutex_);
    allowed_ += images;
    stepped_.notify_all();
  }
  std::atomic<size_t> stoppedAt = 0;  // the report that returned false
  ConversionResult end = MakeResult(Status::kOk);  // what the run returns when it gets through

 private:
  std::mutex mutex_;
  std::condition_variable stepped_;
  size_t allowed_ = 0;
};

TEST_F(ConverterDialogTest, SettingsAreDisabledAndProgressShownWhileARunIsActive) {
  SteppedRun run;
  OpenReadyToConvert(run.Call());
  EXPECT_FALSE(dialog_->FindWindow(kStopRunId)->IsShownOnScreen()) << "no progress between runs";
  const wxSize listBefore = List()->GetSize();

  Click(wxID_OK);
  ASSERT_TRUE(dialog_->Converting()) << "Convert returns at once; the run goes on";
  EXPECT_EQ(SettingsEnabled(), AllSettings(false));
  EXPECT_EQ(Enabled(), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(dialog_->FindWindow(wxID_CANCEL)->IsEnabled()) << "Quit stays available";
  EXPECT_TRUE(dialog_->FindWindow(kStopRunId)->IsShownOnScreen());
  EXPECT_EQ(Label(kProgressImageId), "Image 1 of 3: A.png") << "from the first image on";
  EXPECT_TRUE(Label(kProgressElapsedId).starts_with("Elapsed time: 0:00:0"))
      << Label(kProgressElapsedId);
  EXPECT_EQ(Label(kProgressRemainingId), "Remaining time: unknown");
  EXPECT_LT(List()->GetSize().y, listBefore.y) << "the list makes room for the progress";
  Click(wxID_OK);  // a second Convert (Enter) does nothing while the run is active
  dialog_->AddDroppedFiles({"/pics/D.png"});
  EXPECT_EQ(ListTexts().size(), 3u) << "the list is not edited during a run";

  run.Step();
  test::ProcessEventsUntil([&] { return Label(kProgressImageId) == "Image 2 of 3: B.png"; });
  EXPECT_EQ(Label(kProgressImageId), "Image 2 of 3: B.png");
  EXPECT_EQ(Control<wxGauge>(kProgressBarId)->GetValue(), 1);
  EXPECT_EQ(Control<wxGauge>(kProgressBarId)->GetRange(), 3);
  EXPECT_NE(Label(kProgressRemainingId), "Remaining time: unknown") << "known after an image";

  wxTEST_DIALOG(
      {
        run.Step(2);
        EXPECT_TRUE(WaitForRunEnd());
      },
      ExpectMessage("Conversion completed successfully."));
  EXPECT_EQ(SettingsEnabled(), AllSettings(true));
  EXPECT_FALSE(dialog_->FindWindow(kStopRunId)->IsShownOnScreen());
  EXPECT_EQ(List()->GetSize(), listBefore) << "the list has its room back";
}

TEST_F(ConverterDialogTest, TheFolderQuestionAndTheRunsMessageComeInTheRunsOrder) {
  SteppedRun run;
  run.end = MakeResult(Status::kCannotOpenInput, {"/pics/C.png"});
  std::vector<std::string> answers;  // as the run saw them, on its own thread
  OpenReadyToConvert(run.Call([&](const ConversionCallbacks& callbacks) {
    answers.push_back(callbacks.createFolder("create?") ? "yes" : "no");
    answers.push_back(callbacks.createFolder("again?") ? "yes" : "no");
  }));
  run.Step(3);
  wxTEST_DIALOG(
      {
        Click(wxID_OK);
        EXPECT_TRUE(WaitForRunEnd());
      },
      ExpectMessage("create?", wxID_YES), ExpectMessage("again?", wxID_NO),
      ExpectMessage("Cannot open input file /pics/C.png!"));
  EXPECT_EQ(answers, (std::vector<std::string>{"yes", "no"}));
}

TEST_F(ConverterDialogTest, CancelStopsTheRunAfterTheCurrentImage) {
  SteppedRun run;
  OpenReadyToConvert(run.Call());
  Click(wxID_OK);
  run.Step();
  test::ProcessEventsUntil([&] { return Label(kProgressImageId) == "Image 2 of 3: B.png"; });

  Click(kStopRunId);
  EXPECT_EQ(Label(kProgressRemainingId), "Stopping after this image...");
  EXPECT_FALSE(dialog_->FindWindow(kStopRunId)->IsEnabled());
  EXPECT_TRUE(dialog_->Converting()) << "the image under way is finished first";
  test::DismissingModalHook noMessageExpected;  // a cancelled run has nothing to report
  run.Step(2);
  EXPECT_TRUE(WaitForRunEnd());
  EXPECT_EQ(run.stoppedAt, 2u);
  EXPECT_TRUE(dialog_->IsShown()) << "the dialog stays open for another run";
  EXPECT_EQ(SettingsEnabled(), AllSettings(true));
}

// Quit, the title bar's close and Escape, each while a run is active.
TEST_F(ConverterDialogTest, ClosingDuringARunAsksWhetherToStopIt) {
  const std::vector<std::pair<const char*, std::function<void(ConverterDialog*)>>> ways = {
      {"Quit",
       [](ConverterDialog* dialog) {
         wxCommandEvent event(wxEVT_BUTTON, wxID_CANCEL);
         event.SetEventObject(dialog->FindWindow(wxID_CANCEL));
         dialog->FindWindow(wxID_CANCEL)->GetEventHandler()->ProcessEvent(event);
       }},
      {"close box", [](ConverterDialog* dialog) { dialog->Close(); }},
      {"Escape",
       [](ConverterDialog* dialog) {
         wxKeyEvent key(wxEVT_CHAR_HOOK);
         key.m_keyCode = WXK_ESCAPE;
         key.SetEventObject(dialog);
         dialog->GetEventHandler()->ProcessEvent(key);
       }},
  };
  for (const auto& [way, close] : ways) {
    SCOPED_TRACE(way);
    EndlessRun run;
    OpenReadyToConvert(run.Call());
    Click(wxID_OK);
    ASSERT_TRUE(dialog_->Converting());

    wxTEST_DIALOG(close(dialog_), ExpectMessage(kStopRunQuestion, wxID_NO));
    ProcessEvents();
    EXPECT_TRUE(dialog_->IsShown()) << "No: the run goes on";
    EXPECT_TRUE(dialog_->Converting());
    EXPECT_FALSE(run.stopped);

    wxTEST_DIALOG(close(dialog_), ExpectMessage(kStopRunQuestion, wxID_YES));
    EXPECT_TRUE(WaitForRunEnd());
    EXPECT_TRUE(run.stopped) << "Yes cancels the run";
    ProcessEvents();
    EXPECT_FALSE(dialog_->IsShown()) << "and the window closes once it has stopped";
  }
}

TEST_F(ConverterDialogTest, ClosingWithoutARunAsksNothing) {
  test::DismissingModalHook noQuestionExpected;
  Click(wxID_CANCEL);
  EXPECT_FALSE(dialog_->IsShown());
}

TEST_F(ConverterDialogTest, DestroyingTheDialogDuringARunCancelsAndJoinsIt) {
  EndlessRun run;
  OpenReadyToConvert(run.Call());
  Click(wxID_OK);
  ASSERT_TRUE(dialog_->Converting());
  delete dialog_;  // as the program's end does, without the question
  dialog_ = nullptr;
  EXPECT_TRUE(run.stopped) << "the run's thread has ended";
  ProcessEvents();  // calls the run had queued find nothing to do
  Open(nullptr, Recorder());
}

// --- Real conversions of generated images.

// An opaque RGB image with smooth gradients and fine stripes, so that both the PNG decoder and
// the JPEG encoder have work to do.
void WriteLargePng(const std::string& path, uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* pixel = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      pixel[0] = static_cast<uint8_t>(x * 255 / width);
      pixel[1] = static_cast<uint8_t>(y * 255 / height);
      pixel[2] = static_cast<uint8_t>(((x + y) % 7) * 36);
    }
  }
  test::WriteRgb8Png(path, width, height, rgb);
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Large enough that a run takes a few seconds in an optimised build on two cores; builds with
// sanitizers or without optimisation convert fewer.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
constexpr int kLargeImageCount = 8;
#else
constexpr int kLargeImageCount = 24;
#endif
constexpr uint32_t kLargeWidth = 3000;
constexpr uint32_t kLargeHeight = 2000;

class LargeRunTest : public ConverterDialogTest {
 protected:
  // `count` inputs in the temporary folder: copies of one generated image.
  std::vector<std::string> LargeImages(int count) {
    const std::string first = folder_.path() + "/image00.png";
    WriteLargePng(first, kLargeWidth, kLargeHeight);
    std::vector<std::string> paths = {first};
    for (int i = 1; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/image%02d.png", i);
      paths.push_back(folder_.path() + name);
      std::filesystem::copy_file(first, paths.back());
    }
    return paths;
  }
  void StartRealRun(const std::vector<std::string>& images, const std::string& output, bool batch) {
    Open(nullptr, {});  // RunConversion itself
    dialog_->AddInputFiles(images);
    Edit(kQualityId)->ChangeValue("80");
    if (batch) SetBatchMode(true);
    Edit(kOutputPathId)->ChangeValue(wxString::FromUTF8(output));
    Press(wxID_OK);
    // Read before any event runs: the run's first reports may already be queued.
    lineAtStart_ = Label(kProgressImageId);
    ProcessEvents();
  }

  test::TempFolder folder_;
  std::string lineAtStart_;  // the progress line as starting the run left it
};

TEST_F(LargeRunTest, TheDialogStaysAliveAndShowsTheProgressOfALongRun) {
  const std::vector<std::string> images = LargeImages(kLargeImageCount);
  const std::string movie = folder_.path() + "/show.swf";
  auto* banner = dialog_->FindWindow(kBannerId);
  int paintsDuringRun = 0;
  int ticksDuringRun = 0;
  std::vector<std::string> imageLines;  // each new text of the progress line, in order

  wxTEST_DIALOG(
      {
        StartRealRun(images, movie, false);
        banner = dialog_->FindWindow(kBannerId);
        banner->Bind(wxEVT_PAINT, [&](wxPaintEvent& event) {
          if (dialog_->Converting()) ++paintsDuringRun;
          event.Skip();
        });
        ASSERT_TRUE(dialog_->Converting()) << "Convert returned while the run goes on";
        imageLines.push_back(lineAtStart_);
        const bool ended = test::RunEventLoopUntil(
            [&] { return !dialog_->Converting(); },
            [&] {
              if (!dialog_->Converting()) return;
              ++ticksDuringRun;
              banner->Refresh();  // asks for a paint, which only a live loop delivers
              if (Label(kProgressImageId) != imageLines.back()) {
                imageLines.push_back(Label(kProgressImageId));
              }
            },
            std::chrono::milliseconds(20), std::chrono::seconds(50));
        ASSERT_TRUE(ended) << "the run did not end in time";
      },
      ExpectMessage("Conversion completed successfully."));

  const std::string count = std::to_string(kLargeImageCount);
  EXPECT_EQ(imageLines.front(), "Image 1 of " + count + ": image00.png");
  EXPECT_GE(imageLines.size(), 3u) << "the progress line advanced during the run";
  const auto number = [](const std::string& line) { return std::atoi(line.c_str() + 6); };
  for (size_t i = 1; i < imageLines.size(); ++i) {
    EXPECT_LT(number(imageLines[i - 1]), number(imageLines[i])) << imageLines[i];
  }
  EXPECT_GE(ticksDuringRun, 10) << "a timer fired again and again during the run";
  EXPECT_GE(paintsDuringRun, 1) << "the window was painted during the run";
  EXPECT_EQ(ReadBytes(movie).substr(0, 3), "CWS");
}

TEST_F(LargeRunTest, CancelKeepsThePreviousMovieAndLeavesNoTemporaryFile) {
  for (const bool batch : {false, true}) {
    SCOPED_TRACE(batch ? "batch mode" : "one movie");
    const std::vector<std::string> images = LargeImages(kLargeImageCount);
    const std::string output = folder_.path() + (batch ? "/movies/" : "/show.swf");
    // The movie a run near the end of the list would replace.
    const std::string previous =
        batch ? output + "image" + std::to_string(kLargeImageCount - 1) + ".swf" : output;
    if (batch) std::filesystem::create_directory(output);
    const std::string previousBytes = "CWS\x06 the movie of an earlier run";  // only a movie is replaced
    test::WriteFileBytes(previous,
                         std::vector<uint8_t>(previousBytes.begin(), previousBytes.end()));
    std::vector<std::string> before = FolderNames(folder_.path());

    test::DismissingModalHook noMessageExpected;  // a cancelled run has nothing to report
    StartRealRun(images, output, batch);
    const std::string first = Label(kProgressImageId);
    EXPECT_TRUE(test::RunEventLoopUntil([&] { return Label(kProgressImageId) != first; }, [] {},
                                        std::chrono::milliseconds(5), std::chrono::seconds(30)))
        << "an image was done";
    Click(kStopRunId);
    EXPECT_TRUE(WaitForRunEnd(std::chrono::seconds(30)));

    EXPECT_TRUE(ReadBytes(previous) == previousBytes) << "the earlier movie is untouched";
    EXPECT_EQ(FolderNames(folder_.path()), before) << "nothing new beside the inputs";
    if (batch) {
      for (const std::string& name : FolderNames(output)) {
        EXPECT_NE(name.front(), '.') << "temporary movie left behind: " << name;
      }
      EXPECT_LT(FolderNames(output).size(), static_cast<size_t>(kLargeImageCount));
    }
    std::filesystem::remove_all(output);
    for (const std::string& image : images) std::filesystem::remove(image);
  }
}

TEST_F(ConverterDialogTest, RealConvertWritesACompressedMovie) {
  test::TempFolder folder;
  const std::string one = folder.path() + "/one.png";
  const std::string two = folder.path() + "/two.png";
  WriteLargePng(one, 8, 6);
  WriteLargePng(two, 8, 6);
  const std::string movie = folder.path() + "/show.swf";

  Open(nullptr, {});  // the real driver
  dialog_->AddInputFiles({one, two});
  Edit(kOutputPathId)->ChangeValue(wxString::FromUTF8(movie));
  wxTEST_DIALOG(
      {
        Click(wxID_OK);
        EXPECT_TRUE(WaitForRunEnd());
      },
      ExpectMessage("Conversion completed successfully."));
  EXPECT_EQ(ReadBytes(movie).substr(0, 3), "CWS") << "the movie is written compressed";
}

}  // namespace
}  // namespace lumapress
