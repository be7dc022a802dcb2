#include "app/converter_dialog.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dnd.h>
#include <wx/generic/statbmpg.h>
#include <wx/iconbndl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/valtext.h>

#include "app/app_info.h"
#include "app/output_path.h"
#include "lumapress/version.h"
#include "folderbrowser/path_text.h"
#include "resources/artwork.h"

namespace lumapress {
namespace {

// The dialog's size and its controls' places, in dialog units.
const wxSize kDialogSize(524, 201);
const wxRect kBannerRect(7, 7, 40, 188);
const wxRect kInputBoxRect(51, 7, 232, 187);
const wxRect kListRect(59, 21, 172, 161);
const wxRect kOptionsBoxRect(291, 7, 225, 52);
const wxRect kAdvancedBoxRect(291, 65, 225, 52);
const wxRect kOutputBoxRect(291, 123, 225, 48);

// Point size of the program's name drawn over the banner picture.
constexpr int kBannerNamePoints = 20;

wxString Text(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }

// Adds PNG files dropped onto the input list.
class ImageDropTarget : public wxFileDropTarget {
 public:
  explicit ImageDropTarget(ConverterDialog* dialog) : dialog_(dialog) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    std::vector<std::string> paths;
    for (const wxString& file : files) paths.push_back(TextToPath(file));
    dialog_->AddDroppedFiles(paths);
    return true;
  }

 private:
  ConverterDialog* dialog_;
};

}  // namespace

ConverterDialog::ConverterDialog(wxWindow* parent, std::unique_ptr<FileChoosers> choosers,
                                 ConversionRunner run)
    : wxDialog(parent, wxID_ANY,
               Text(std::string(kAppName) + " " + Version() + " by " +
                    std::string(kMakerWebAddress)),
               wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      choosers_(choosers ? std::move(choosers) : std::make_unique<SystemFileChoosers>()),
      run_(run ? std::move(run)
               : [this](const ConversionSettings& settings, std::span<const std::string> paths,
                        DialogUser& user) { return ConvertWithProgress(settings, paths, user); }) {
  wxIconBundle icons;
  icons.AddIcon(wxIcon(kAppIcon16Xpm));
  icons.AddIcon(wxIcon(kAppIcon32Xpm));
  SetIcons(icons);

  SetClientSize(ConvertDialogToPixels(kDialogSize));
  CreateControls();

  const DialogFields defaults = ShowSettings(DefaultSettings());
  delay_->ChangeValue(defaults.delay);
  quality_->ChangeValue(defaults.quality);
  framesPerSecond_->ChangeValue(defaults.framesPerSecond);
  ShowInputs();
  Centre();
}

wxTextCtrl* ConverterDialog::AddEdit(int id, const wxRect& units, long style) {
  // Enter in any field runs Convert, whatever the platform does with a default button.
  auto* edit = new wxTextCtrl(this, id, wxString(), wxDefaultPosition, wxDefaultSize,
                              style | wxTE_PROCESS_ENTER);
  edit->Bind(wxEVT_TEXT_ENTER, &ConverterDialog::OnConvert, this);
  edit->SetSize(wxRect(ConvertDialogToPixels(units.GetPosition()),
                       ConvertDialogToPixels(units.GetSize())));
  return edit;
}

void ConverterDialog::CreateControls() {
  auto place = [this](wxWindow* control, int x, int y, int w, int h) {
    control->SetSize(wxRect(ConvertDialogToPixels(wxPoint(x, y)),
                            ConvertDialogToPixels(wxSize(w, h))));
    return control;
  };
  auto box = [&](const wxRect& r, const char* label) {
    place(new wxStaticBox(this, wxID_ANY, label), r.x, r.y, r.width, r.height);
  };
  // Labels are never cut: the system font may be wider than the one the units were laid out in.
  auto fitWidth = [&](wxWindow* control) {
    const wxSize best = control->GetBestSize();
    if (control->GetSize().x < best.x) control->SetSize(best.x, -1);
  };
  auto label = [&](const char* text, int x, int y, int w, int h) {
    fitWidth(place(new wxStaticText(this, wxID_ANY, text), x, y, w, h));
  };
  auto button = [&](int id, const char* text, int x, int y, int w, int h, long style = 0) {
    return place(new wxButton(this, id, text, wxDefaultPosition, wxDefaultSize, style), x, y, w, h);
  };

  CreateBanner();

  box(kInputBoxRect, "Input files");
  list_ = new wxListCtrl(this, kInputListId, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_HEADER | wxBORDER_SUNKEN);
  place(list_, kListRect.x, kListRect.y, kListRect.width, kListRect.height);
  list_->AppendColumn(wxString(), wxLIST_FORMAT_LEFT, list_->GetClientSize().x);
  list_->SetDropTarget(new ImageDropTarget(this));
  button(kAddId, "&Add", 236, 21, 39, 14);
  button(kRemoveId, "&Remove", 236, 36, 39, 14);
  button(kUpId, "&Up", 236, 59, 39, 14);
  button(kDownId, "&Down", 236, 74, 39, 14);

  box(kOptionsBoxRect, "Options");
  label("Delay:", 299, 23, 22, 8);
  delay_ = AddEdit(kDelayId, wxRect(339, 21, 40, 12));
  label("sec", 381, 24, 12, 8);
  label("Quality:", 299, 37, 26, 8);
  quality_ = AddEdit(kQualityId, wxRect(339, 36, 40, 12));
  quality_->SetValidator(wxTextValidator(wxFILTER_DIGITS));
  label("(0-99, 100 = lossless)", 381, 38, 71, 8);

  box(kAdvancedBoxRect, "Advanced options");
  label("Control file:", 299, 81, 38, 8);
  controlFile_ = AddEdit(kControlFileId, wxRect(339, 79, 156, 12));
  button(kControlFileBrowseId, "...", 497, 79, 14, 12, wxBU_EXACTFIT);
  label("FPS:", 299, 95, 16, 8);
  framesPerSecond_ = AddEdit(kFramesPerSecondId, wxRect(339, 94, 40, 12));
  label("frames per second", 381, 96, 60, 8);

  box(kOutputBoxRect, "Output file or directory");
  batchMode_ = new wxCheckBox(this, kBatchModeId,
                              "Create an own SWF file for each input image (batch mode)");
  fitWidth(place(batchMode_, 299, 137, 203, 10));
  outputPath_ = AddEdit(kOutputPathId, wxRect(299, 151, 196, 12));
  button(kOutputBrowseId, "...", 497, 151, 14, 12, wxBU_EXACTFIT);

  static_cast<wxButton*>(button(wxID_OK, "Convert", 291, 178, 173, 16))->SetDefault();
  button(wxID_CANCEL, "&Quit", 467, 178, 50, 16);

  Bind(wxEVT_BUTTON, &ConverterDialog::OnAdd, this, kAddId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnRemove, this, kRemoveId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnUp, this, kUpId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnDown, this, kDownId);
  Bind(wxEVT_UPDATE_UI, &ConverterDialog::OnUpdateRemove, this, kRemoveId);
  Bind(wxEVT_UPDATE_UI, &ConverterDialog::OnUpdateUp, this, kUpId);
  Bind(wxEVT_UPDATE_UI, &ConverterDialog::OnUpdateDown, this, kDownId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnControlFileBrowse, this, kControlFileBrowseId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnOutputBrowse, this, kOutputBrowseId);
  Bind(wxEVT_CHECKBOX, &ConverterDialog::OnBatchMode, this, kBatchModeId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnConvert, this, wxID_OK);
}

void ConverterDialog::CreateBanner() {
  const wxSize size = ConvertDialogToPixels(kBannerRect.GetSize());
  wxBitmap picture(wxBitmap(kBannerXpm).ConvertToImage().Rescale(size.x, size.y,
                                                                 wxIMAGE_QUALITY_HIGH));
  {
    // The program's name runs up the sky, beside the film strip.
    wxMemoryDC dc(picture);
    wxFont font(wxFontInfo(kBannerNamePoints).Bold().Family(wxFONTFAMILY_SWISS));
    dc.SetFont(font);
    dc.SetTextForeground(*wxWHITE);
    const wxString name = Text(kAppName);
    const wxSize extent = dc.GetTextExtent(name);
    const int stripLeft = size.x * 52 / 80;  // where the banner's film strip begins
    dc.DrawRotatedText(name, (stripLeft - extent.y) / 2, extent.x + size.y / 24, 90);
  }
  auto* banner = new wxGenericStaticBitmap(this, kBannerId, picture);
  banner->SetSize(wxRect(ConvertDialogToPixels(kBannerRect.GetPosition()), size));
  banner->SetCursor(wxCursor(wxCURSOR_HAND));
  banner->SetToolTip(Text(kMakerWebAddress));
  banner->Bind(wxEVT_LEFT_DOWN, &ConverterDialog::OnBannerClick, this);
}

void ConverterDialog::OnBannerClick(wxMouseEvent& event) {
  wxLaunchDefaultBrowser(Text(kMakerWebAddress));  // a failure to open it is not reported
  event.Skip();
}

void ConverterDialog::TakeSelection() {
  const long selected = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
  inputs_.Select(selected >= 0 ? std::optional<size_t>(static_cast<size_t>(selected))
                               : std::nullopt);
}

void ConverterDialog::ShowInputs() {
  list_->Freeze();
  list_->DeleteAllItems();
  const auto& items = inputs_.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    list_->InsertItem(static_cast<long>(i), PathToText(items[i].displayText));
  }
  if (const auto selected = inputs_.Selection()) {
    const long index = static_cast<long>(*selected);
    const long states = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
    list_->SetItemState(index, states, states);
    list_->EnsureVisible(index);
  }
  list_->SetColumnWidth(0, list_->GetClientSize().x);
  list_->Thaw();
}

void ConverterDialog::AddInputFiles(const std::vector<std::string>& paths) {
  inputs_.Add(paths);
  ShowInputs();
}

void ConverterDialog::AddDroppedFiles(const std::vector<std::string>& paths) {
  TakeSelection();
  if (inputs_.AddDropped(paths) > 0) ShowInputs();
}

void ConverterDialog::OnAdd(wxCommandEvent&) {
  const std::vector<std::string> chosen = choosers_->ChooseInputImages(this);
  TakeSelection();
  if (!chosen.empty()) AddInputFiles(chosen);
}

void ConverterDialog::OnRemove(wxCommandEvent&) {
  TakeSelection();
  inputs_.RemoveSelected();
  ShowInputs();
}

void ConverterDialog::OnUp(wxCommandEvent&) {
  TakeSelection();
  inputs_.MoveSelectedUp();
  ShowInputs();
  list_->SetFocus();
}

void ConverterDialog::OnDown(wxCommandEvent&) {
  TakeSelection();
  inputs_.MoveSelectedDown();
  ShowInputs();
  list_->SetFocus();
}

void ConverterDialog::OnUpdateRemove(wxUpdateUIEvent& event) {
  TakeSelection();
  event.Enable(inputs_.CanRemove());
}

void ConverterDialog::OnUpdateUp(wxUpdateUIEvent& event) {
  TakeSelection();
  event.Enable(inputs_.CanMoveUp());
}

void ConverterDialog::OnUpdateDown(wxUpdateUIEvent& event) {
  TakeSelection();
  event.Enable(inputs_.CanMoveDown());
}

void ConverterDialog::OnControlFileBrowse(wxCommandEvent&) {
  if (const auto path = choosers_->ChooseControlFile(this)) {
    controlFile_->ChangeValue(PathToText(*path));
  }
}

void ConverterDialog::OnOutputBrowse(wxCommandEvent&) {
  const auto path = batchMode_->IsChecked() ? choosers_->ChooseOutputFolder(this)
                                            : choosers_->ChooseOutputFile(this);
  if (path) outputPath_->ChangeValue(PathToText(*path));
}

void ConverterDialog::OnBatchMode(wxCommandEvent&) {
  const std::string text = TextToPath(outputPath_->GetValue());
  outputPath_->ChangeValue(PathToText(OutputPathForMode(text, batchMode_->IsChecked())));
}

DialogFields ConverterDialog::ReadFields() const {
  DialogFields fields;
  fields.delay = delay_->GetValue().utf8_string();
  fields.quality = quality_->GetValue().utf8_string();
  fields.outputPath = TextToPath(outputPath_->GetValue());
  fields.controlFilePath = TextToPath(controlFile_->GetValue());
  fields.batchMode = batchMode_->IsChecked();
  fields.framesPerSecond = framesPerSecond_->GetValue().utf8_string();
  return fields;
}

void ConverterDialog::FocusField(Field field) {
  wxTextCtrl* edit = nullptr;
  switch (field) {
    case Field::Delay: edit = delay_; break;
    case Field::Quality: edit = quality_; break;
    case Field::FramesPerSecond: edit = framesPerSecond_; break;
    case Field::OutputPath: edit = outputPath_; break;
    case Field::ControlFilePath: edit = controlFile_; break;
    case Field::BatchMode: batchMode_->SetFocus(); return;
  }
  edit->SetFocus();
  edit->SelectAll();
}

void ConverterDialog::OnConvert(wxCommandEvent&) {
  const ConvertResult result = Convert(ReadFields(), inputs_.Paths(), *this, run_);
  if (result.invalidField) FocusField(*result.invalidField);
}

ConversionResult ConverterDialog::ConvertWithProgress(const ConversionSettings& settings,
                                                      std::span<const std::string> inputPaths,
                                                      DialogUser& user) {
  wxBusyCursor wait;
  const int count = static_cast<int>(inputPaths.size());
  wxProgressDialog progress(Text(kAppName), "Converting...", count, this,
                            wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE |
                                wxPD_ELAPSED_TIME);
  messageParent_ = &progress;
  ConversionCallbacks callbacks;
  callbacks.progress = [&](const ConversionProgress& p) {
    const wxString text = wxString::Format("Image %zu of %zu converted", p.imagesDone,
                                           p.imageCount);
    return progress.Update(static_cast<int>(std::min<size_t>(p.imagesDone, count)), text);
  };
  callbacks.createFolder = [&](std::string_view question) { return user.AskYesNo(std::string(question)); };
  ConversionResult result = RunConversion(settings, inputPaths, callbacks);
  messageParent_ = this;
  return result;
}

void ConverterDialog::ShowMessage(const std::string& text) {
  wxMessageBox(Text(text), Text(kAppName), wxOK | wxICON_NONE, messageParent_);
}

bool ConverterDialog::AskYesNo(const std::string& question) {
  return wxMessageBox(Text(question), Text(kAppName), wxYES_NO | wxICON_NONE, messageParent_) ==
         wxYES;
}

}  // namespace lumapress
