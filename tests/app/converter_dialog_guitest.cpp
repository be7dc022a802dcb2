// The real dialog under a display, driven through its controls.
#include "app/converter_dialog.h"

#include <png.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "gui_test_support.h"

namespace lumapress {
namespace {

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

  ConversionRunner Recorder() {
    return [this](const ConversionSettings& settings, std::span<const std::string> paths,
                  DialogUser&) {
      ++runs_;
      settings_ = settings;
      inputs_.assign(paths.begin(), paths.end());
      return runResult_;
    };
  }

  void Open(std::unique_ptr<FileChoosers> choosers, ConversionRunner run) {
    if (dialog_ != nullptr) {
      dialog_->Destroy();
      ProcessEvents();
    }
    if (!choosers) {
      auto fake = std::make_unique<FakeChoosers>();
      choosers_ = fake.get();
      choosers = std::move(fake);
    }
    dialog_ = new ConverterDialog(nullptr, std::move(choosers), std::move(run));
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

  void Click(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog_->FindWindow(id));
    dialog_->FindWindow(id)->GetEventHandler()->ProcessEvent(event);
    ProcessEvents();
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
  void AddThree() {
    choosers_->images = {"/pics/A.png", "/pics/B.png", "/pics/C.png"};
    Click(kAddId);
  }

  ConverterDialog* dialog_ = nullptr;
  FakeChoosers* choosers_ = nullptr;
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

TEST_F(ConverterDialogTest, SuccessfulConvertPassesTheSettingsAndReports) {
  AddThree();
  Edit(kOutputPathId)->ChangeValue("/out/show.swf");
  Edit(kDelayId)->ChangeValue("0.5");
  Edit(kQualityId)->ChangeValue("80");
  Edit(kFramesPerSecondId)->ChangeValue("24");
  Edit(kControlFileId)->ChangeValue("/swf/control.swf");
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Conversion completed successfully."));
  ASSERT_EQ(runs_, 1);
  EXPECT_EQ(inputs_, (std::vector<std::string>{"/pics/A.png", "/pics/B.png", "/pics/C.png"}));
  EXPECT_EQ(settings_.outputPath, "/out/show.swf");
  EXPECT_EQ(settings_.controlFilePath, "/swf/control.swf");
  EXPECT_EQ(settings_.delaySeconds, 0.5f);
  EXPECT_EQ(settings_.jpegQuality, 80);
  EXPECT_EQ(settings_.framesPerSecond, 24.0f);
  EXPECT_FALSE(settings_.batchMode);
  EXPECT_EQ(ListTexts().size(), 3u) << "the list is unchanged";

  runResult_ = MakeResult(Status::kFolderDeclined);  // a No to the folder question says no more
  test::DismissingModalHook noDialogExpected;
  Click(wxID_OK);
  EXPECT_EQ(runs_, 2);
}

// Writes a small opaque RGB PNG with libpng.
void WritePng(const std::filesystem::path& path, int width, int height) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<png_byte>(x * 16);
      row[x * 3 + 1] = static_cast<png_byte>(y * 16);
      row[x * 3 + 2] = 128;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

TEST_F(ConverterDialogTest, RealConvertWritesACompressedMovie) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "lumapress_dialog_convert_test";
  fs::remove_all(folder);
  fs::create_directories(folder);
  WritePng(folder / "one.png", 8, 6);
  WritePng(folder / "two.png", 8, 6);
  const fs::path movie = folder / "show.swf";

  Open(nullptr, {});  // the real driver under the progress dialog
  dialog_->AddInputFiles({(folder / "one.png").string(), (folder / "two.png").string()});
  Edit(kOutputPathId)->ChangeValue(wxString::FromUTF8(movie.string()));
  wxTEST_DIALOG(Click(wxID_OK), ExpectMessage("Conversion completed successfully."));

  ASSERT_TRUE(fs::exists(movie));
  std::ifstream file(movie, std::ios::binary);
  char signature[3] = {};
  file.read(signature, 3);
  EXPECT_EQ(std::string(signature, 3), "CWS") << "the movie is written compressed";
  fs::remove_all(folder);
}

}  // namespace
}  // namespace lumapress
