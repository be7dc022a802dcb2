#pragma once

#include <wx/dialog.h>

#include <memory>
#include <string>
#include <vector>

#include "app/convert_command.h"
#include "app/file_choosers.h"
#include "app/input_list.h"

class wxCheckBox;
class wxCommandEvent;
class wxListCtrl;
class wxMouseEvent;
class wxTextCtrl;
class wxUpdateUIEvent;

namespace lumapress {

// Window ids of the dialog's controls. Convert and Quit are wxID_OK and wxID_CANCEL, so Enter
// runs Convert and Escape closes the dialog.
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
};

// The program's one window: the input list, the options, the output, and Convert.
class ConverterDialog : public wxDialog, private DialogUser {
 public:
  // Null `choosers` opens the system's file dialogs and the folder browser; an empty `run`
  // converts with RunConversion under a progress dialog.
  explicit ConverterDialog(wxWindow* parent, std::unique_ptr<FileChoosers> choosers = nullptr,
                           ConversionRunner run = {});

  // Appends images as Add does (used for files named on the command line and for drops).
  void AddInputFiles(const std::vector<std::string>& paths);
  void AddDroppedFiles(const std::vector<std::string>& paths);
  const InputList& Inputs() const { return inputs_; }

 private:
  void CreateControls();
  void CreateBanner();
  wxTextCtrl* AddEdit(int id, const wxRect& units, long style = 0);

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
  void OnConvert(wxCommandEvent& event);
  void OnBannerClick(wxMouseEvent& event);

  // The list control shows the model; the model follows the control's selection.
  void TakeSelection();
  void ShowInputs();
  DialogFields ReadFields() const;
  void FocusField(Field field);
  ConversionResult ConvertWithProgress(const ConversionSettings& settings,
                          std::span<const std::string> inputPaths, DialogUser& user);

  // DialogUser: message boxes captioned with the program's name.
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;

  std::unique_ptr<FileChoosers> choosers_;
  ConversionRunner run_;
  InputList inputs_;
  wxWindow* messageParent_ = this;

  wxListCtrl* list_ = nullptr;
  wxTextCtrl* delay_ = nullptr;
  wxTextCtrl* quality_ = nullptr;
  wxTextCtrl* controlFile_ = nullptr;
  wxTextCtrl* framesPerSecond_ = nullptr;
  wxTextCtrl* outputPath_ = nullptr;
  wxCheckBox* batchMode_ = nullptr;
};

}  // namespace lumapress
