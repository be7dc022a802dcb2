#pragma once

#include <wx/dialog.h>

#include <memory>
#include <string>
#include <vector>

#include "app/conversion_thread.h"
#include "app/convert_command.h"
#include "app/file_choosers.h"
#include "app/input_list.h"

class wxBoxSizer;
class wxCheckBox;
class wxChoice;
class wxColourPickerCtrl;
class wxColourPickerEvent;
class wxCommandEvent;
class wxListCtrl;
class wxMouseEvent;
class wxSizer;
class wxStaticBox;
class wxStaticText;
class wxTextCtrl;
class wxUpdateUIEvent;

namespace lumapress {

class ProgressPanel;

// Window ids of the dialog's controls. Convert and Quit are wxID_OK and wxID_CANCEL, so Enter
// runs Convert and Escape (like the title bar's close) goes to Quit.
enum ConverterId : int {
  kInputListId = 1000,
  kAddId = 1001,
  kRemoveId = 1002,
  kUpId = 1003,
  kDownId = 1004,
  kDelayId = 1006,
  kQualityId = 1007,
  kControlFileId = 1008,
  kControlFileBrowseId = 1009,
  kOutputPathId = 1010,
  kOutputBrowseId = 1011,
  kFramesPerSecondId = 1014,
  kBatchModeId = 1015,
  kBannerId = 1016,
  kSmallestId = 1022,  // after the progress panel's ids
  // The slide show group.
  kStageSizeId = 1023,
  kFitId = 1024,
  kBackgroundId = 1025,
  kBackgroundPickerId = 1026,
  kFadeId = 1027,
  kFadeInId = 1028,
  kStopOnLastImageId = 1029,
};

// The program's one window: the input list, the options, the output, and Convert. A conversion
// runs on a worker thread while the window stays alive and shows its progress.
class ConverterDialog : public wxDialog, private RunListener {
 public:
  // Null `choosers` opens the system's file dialogs and the folder browser; an empty `call`
  // converts with RunConversion.
  explicit ConverterDialog(wxWindow* parent, std::unique_ptr<FileChoosers> choosers = nullptr,
                           ConversionCall call = {});
  ~ConverterDialog() override;

  // Appends images as Add does (used for files named on the command line and for drops).
  void AddInputFiles(const std::vector<std::string>& paths);
  void AddDroppedFiles(const std::vector<std::string>& paths);
  const InputList& Inputs() const { return inputs_; }
  // True from Convert until the run has ended.
  bool Converting() const { return run_->Active(); }

 private:
  // A group box of the settings column; its controls are the box's children.
  struct Group {
    wxStaticBox* box;
    wxSizer* rows;
  };

  int DialogUnits(int units) const;  // horizontal dialog units in pixels
  void CreateControls();
  wxWindow* CreateBanner();
  wxSizer* CreateInputGroup();
  Group AddGroup(wxSizer* column, const char* title);
  wxBoxSizer* AddRow(Group& group);
  wxStaticText* AddFieldLabel(Group& group, wxBoxSizer* row, const char* text);
  wxTextCtrl* AddNumberRow(Group& group, const char* label, int id, const char* unit);
  wxTextCtrl* AddNumberField(Group& group, wxBoxSizer* row, int id);
  void AddUnit(Group& group, wxBoxSizer* row, const char* unit);
  void CreateSlideShowGroup(wxSizer* column);
  wxTextCtrl* AddPathRow(Group& group, const char* label, int id, int browseId);
  wxTextCtrl* AddEdit(wxWindow* parent, int id);
  void FitCheckBoxText(wxSizer* column, Group& group, wxCheckBox* box);
  void SetSizeLimits();

  void OnAdd(wxCommandEvent& event);
  void OnRemove(wxCommandEvent& event);
  void OnUp(wxCommandEvent& event);
  void OnDown(wxCommandEvent& event);
  void OnUpdateRemove(wxUpdateUIEvent& event);
  void OnUpdateUp(wxUpdateUIEvent& event);
  void OnUpdateDown(wxUpdateUIEvent& event);
  void OnControlFileBrowse(wxCommandEvent& event);
  void OnOutputBrowse(wxCommandEvent& event);
  void OnBatchMode(wxCommandEvent& event);
  void OnBackgroundText(wxCommandEvent& event);
  void OnBackgroundPicked(wxColourPickerEvent& event);
  void OnConvert(wxCommandEvent& event);
  void OnStopRun(wxCommandEvent& event);
  void OnQuit(wxCommandEvent& event);
  void OnBannerClick(wxMouseEvent& event);

  // The list control shows the model; the model follows the control's selection.
  void TakeSelection();
  void ShowInputs();
  DialogFields ReadFields() const;
  void ShowFields(const DialogFields& fields);
  void FocusField(Field field);
  // Settings and Convert are disabled and the progress shown while a run is active.
  void ShowRunning(bool running);

  // RunListener, on the dialog's thread: message boxes captioned with the program's name, and
  // the run's progress and end.
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  void RunProgressed(const ConversionProgress& progress) override;
  void RunFinished(const ConversionResult& result) override;

  std::unique_ptr<FileChoosers> choosers_;
  InputList inputs_;
  std::unique_ptr<ConversionThread> run_;
  bool closeWhenStopped_ = false;  // Quit during a run: close once it has stopped
  wxSize minClientSize_;           // with room for the progress panel

  wxListCtrl* list_ = nullptr;
  wxTextCtrl* delay_ = nullptr;
  wxTextCtrl* quality_ = nullptr;
  wxTextCtrl* controlFile_ = nullptr;
  wxTextCtrl* framesPerSecond_ = nullptr;
  wxTextCtrl* outputPath_ = nullptr;
  wxCheckBox* batchMode_ = nullptr;
  wxCheckBox* smallest_ = nullptr;
  wxTextCtrl* stageSize_ = nullptr;
  wxChoice* fit_ = nullptr;
  wxTextCtrl* background_ = nullptr;
  wxColourPickerCtrl* backgroundPicker_ = nullptr;  // another way to set the background's text
  wxTextCtrl* fade_ = nullptr;
  wxCheckBox* fadeIn_ = nullptr;
  wxCheckBox* stopOnLastImage_ = nullptr;
  ProgressPanel* progress_ = nullptr;
  std::vector<wxWindow*> settingsGroups_;    // disabled while a run is active
  std::vector<wxStaticText*> fieldLabels_;  // one width, so the fields line up
};

}  // namespace lumapress
