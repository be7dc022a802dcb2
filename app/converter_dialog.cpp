#include "app/converter_dialog.h"

#include <algorithm>
#include <thread>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clrpicker.h>
#include <wx/dcmemory.h>
#include <wx/display.h>
#include <wx/dnd.h>
#include <wx/generic/statbmpg.h>
#include <wx/iconbndl.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/textwrapper.h>
#include <wx/utils.h>
#include <wx/valtext.h>

#include "app/app_info.h"
#include "app/output_path.h"
#include "lumapress/version.h"
#include "app/progress_panel.h"
#include "folderbrowser/path_text.h"
#include "resources/artwork.h"

namespace lumapress {
namespace {

// Sizes in dialog units, so that they follow the system font.
const wxSize kBannerSize(40, 188);
const wxSize kStartClientSize(524, 201);  // the first size asked for, screen permitting
const wxSize kListMinSize(50, 40);
constexpr int kNumberFieldWidth = 40;
constexpr int kPathFieldMinWidth = 60;
constexpr int kQuitMinWidth = 50;
constexpr int kMargin = 7;  // around the window's contents
constexpr int kGap = 4;     // between groups, and between a field and its neighbours
constexpr int kRowGap = 3;  // between the rows of a group

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

// A group box whose best width is that of its title. (GTK reports the room its children take
// where they stand at the moment, which would tie the smallest size to the current one.)
class GroupBox : public wxStaticBox {
 public:
  GroupBox(wxWindow* parent, const char* title) : wxStaticBox(parent, wxID_ANY, title) {}

 protected:
  wxSize DoGetBestSize() const override {
    return {GetTextExtent(GetLabel()).x + 2 * GetCharWidth(), GetCharHeight()};
  }
};

// `text` broken at spaces into lines no wider than `width` pixels in `window`'s font.
wxString WrapText(wxWindow* window, const wxString& text, int width) {
  class Joiner : public wxTextWrapper {
   public:
    wxString lines;

   protected:
    void OnOutputLine(const wxString& line) override { lines += line; }
    void OnNewLine() override { lines += '\n'; }
  } joiner;
  joiner.Wrap(window, text, width);
  return joiner.lines;
}

}  // namespace

ConverterDialog::ConverterDialog(wxWindow* parent, std::unique_ptr<FileChoosers> choosers,
                                 ConversionCall call)
    : wxDialog(parent, wxID_ANY,
               Text(std::string(kAppName) + " " + Version() + " by " +
                    std::string(kMakerWebAddress)),
               wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX),
      choosers_(choosers ? std::move(choosers) : std::make_unique<SystemFileChoosers>()),
      run_(std::make_unique<ConversionThread>(
          [this](std::function<void()> onDialogThread) { CallAfter(std::move(onDialogThread)); },
          static_cast<RunListener&>(*this), std::move(call))) {
  wxIconBundle icons;
  icons.AddIcon(wxIcon(kAppIcon16Xpm));
  icons.AddIcon(wxIcon(kAppIcon32Xpm));
  SetIcons(icons);

  CreateControls();
  SetSizeLimits();

  ShowFields(ShowSettings(DefaultSettings()));
  ShowInputs();
  Centre();
}

ConverterDialog::~ConverterDialog() {
  run_.reset();  // a run under way is cancelled and its thread joined before any window goes
}

int ConverterDialog::DialogUnits(int units) const {
  return ConvertDialogToPixels(wxSize(units, 0)).x;
}

void ConverterDialog::CreateControls() {
  const int margin = DialogUnits(kMargin);
  const int gap = DialogUnits(kGap);

  // Windows are created in tab order: the list and its buttons, the settings, Convert and
  // Quit, and the progress panel's Cancel.
  wxWindow* banner = CreateBanner();
  wxSizer* inputGroup = CreateInputGroup();

  // One group per kind of setting; a new group or row is one more call here.
  auto* settings = new wxBoxSizer(wxVERTICAL);
  Group options = AddGroup(settings, "Options");
  delay_ = AddNumberRow(options, "Delay:", kDelayId, "sec");
  quality_ = AddNumberRow(options, "Quality:", kQualityId, "(0-99, 100 = lossless)");
  quality_->SetValidator(wxTextValidator(wxFILTER_DIGITS));

  Group advanced = AddGroup(settings, "Advanced options");
  controlFile_ = AddPathRow(advanced, "Control file:", kControlFileId, kControlFileBrowseId);
  framesPerSecond_ = AddNumberRow(advanced, "FPS:", kFramesPerSecondId, "frames per second");
  smallest_ = new wxCheckBox(advanced.box, kSmallestId, "Smallest lossless files (slower)");
  AddRow(advanced)->Add(smallest_, wxSizerFlags().CenterVertical());

  Group output = AddGroup(settings, "Output file or directory");
  batchMode_ = new wxCheckBox(output.box, kBatchModeId,
                              "Create an own SWF file for each input image (batch mode)");
  AddRow(output)->Add(batchMode_, wxSizerFlags().CenterVertical());
  outputPath_ = AddPathRow(output, nullptr, kOutputPathId, kOutputBrowseId);

  CreateSlideShowGroup(settings);

  // The labels of all groups share one width, so the fields line up from group to group.
  int labelWidth = 0;
  for (wxStaticText* label : fieldLabels_) {
    labelWidth = std::max(labelWidth, label->GetBestSize().x);
  }
  for (wxStaticText* label : fieldLabels_) label->SetMinSize(wxSize(labelWidth, -1));
  FitCheckBoxText(settings, output, batchMode_);

  auto* convert = new wxButton(this, wxID_OK, "Convert");
  convert->SetDefault();
  auto* quit = new wxButton(this, wxID_CANCEL, "&Quit");
  quit->SetMinSize(wxSize(std::max(DialogUnits(kQuitMinWidth), quit->GetBestSize().x), -1));
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(convert, wxSizerFlags(1));
  buttons->Add(quit, wxSizerFlags().Border(wxLEFT, gap));
  settings->AddStretchSpacer();
  settings->Add(buttons, wxSizerFlags().Expand());

  // During a run the progress sits below the list, which gives up the room it needs.
  progress_ = new ProgressPanel(this);
  auto* inputColumn = new wxBoxSizer(wxVERTICAL);
  inputColumn->Add(inputGroup, wxSizerFlags(1).Expand());
  inputColumn->Add(progress_, wxSizerFlags().Expand().Border(wxTOP, gap));

  // Extra width and height go to the input column, and there to the list.
  auto* columns = new wxBoxSizer(wxHORIZONTAL);
  columns->Add(banner);
  columns->Add(inputColumn, wxSizerFlags(1).Expand().Border(wxLEFT, gap));
  columns->Add(settings, wxSizerFlags().Expand().Border(wxLEFT, 2 * gap));
  auto* window = new wxBoxSizer(wxVERTICAL);
  window->Add(columns, wxSizerFlags(1).Expand().Border(wxALL, margin));
  SetSizer(window);

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
  Bind(wxEVT_TEXT, &ConverterDialog::OnBackgroundText, this, kBackgroundId);
  Bind(wxEVT_COLOURPICKER_CHANGED, &ConverterDialog::OnBackgroundPicked, this, kBackgroundPickerId);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnConvert, this, wxID_OK);
  Bind(wxEVT_BUTTON, &ConverterDialog::OnStopRun, this, kStopRunId);
  // Quit, Escape and the title bar's close all arrive as a click on wxID_CANCEL.
  Bind(wxEVT_BUTTON, &ConverterDialog::OnQuit, this, wxID_CANCEL);
}

void ConverterDialog::CreateSlideShowGroup(wxSizer* column) {
  // Five rows, the stage and its fit sharing one, so that the window still fits a 1024 x 768
  // screen with large text.
  Group slideShow = AddGroup(column, "Slide show");
  const int gap = DialogUnits(kGap);

  wxBoxSizer* stageRow = AddRow(slideShow);
  AddFieldLabel(slideShow, stageRow, "Stage size:");
  stageSize_ = AddNumberField(slideShow, stageRow, kStageSizeId);
  stageSize_->SetHint("auto");
  stageSize_->SetToolTip("Width x height in pixels, such as 1280x720; empty: the first image's size");
  stageRow->Add(new wxStaticText(slideShow.box, wxID_ANY, "Fit:"),
                wxSizerFlags().CenterVertical().Border(wxLEFT, gap));
  fit_ = new wxChoice(slideShow.box, kFitId);
  for (const auto fit : {lumapress::Fit::kNone, lumapress::Fit::kContain, lumapress::Fit::kCover}) fit_->Append(Text(FitName(fit)));
  fit_->SetToolTip(
      "none: each image at its own size in the top left corner; contain: the whole image, "
      "scaled to fit; cover: scaled to fill the stage, the overflow cut away");
  stageRow->Add(fit_, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));

  wxBoxSizer* backgroundRow = AddRow(slideShow);
  AddFieldLabel(slideShow, backgroundRow, "Colour:");
  background_ = AddNumberField(slideShow, backgroundRow, kBackgroundId);
  background_->SetToolTip("The background: the stage's colour wherever no image is, as RRGGBB");
  backgroundPicker_ = new wxColourPickerCtrl(slideShow.box, kBackgroundPickerId, *wxWHITE);
  backgroundRow->Add(backgroundPicker_, wxSizerFlags().CenterVertical().Border(wxLEFT, gap));

  fade_ = AddNumberRow(slideShow, "Fade:", kFadeId, "sec (0 = off)");
  fade_->SetToolTip("Each image fades in over the one before during this time");
  fadeIn_ = new wxCheckBox(slideShow.box, kFadeInId, "Fade in the first image");
  AddRow(slideShow)->Add(fadeIn_, wxSizerFlags().CenterVertical());
  stopOnLastImage_ = new wxCheckBox(slideShow.box, kStopOnLastImageId, "Stop on the last image");
  AddRow(slideShow)->Add(stopOnLastImage_, wxSizerFlags().CenterVertical());
}

wxSizer* ConverterDialog::CreateInputGroup() {
  auto* group = new wxStaticBoxSizer(new GroupBox(this, "Input files"), wxHORIZONTAL);
  wxStaticBox* box = group->GetStaticBox();
  settingsGroups_.push_back(box);

  list_ = new wxListCtrl(box, kInputListId, wxDefaultPosition, wxDefaultSize,
                         wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_NO_HEADER | wxBORDER_SUNKEN);
  list_->SetMinSize(ConvertDialogToPixels(kListMinSize));
  list_->AppendColumn(wxString(), wxLIST_FORMAT_LEFT, list_->GetClientSize().x);
  list_->SetDropTarget(new ImageDropTarget(this));
  // The only column is always as wide as the list.
  list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    list_->SetColumnWidth(0, list_->GetClientSize().x);
    event.Skip();
  });

  const int gap = DialogUnits(kGap);
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  const auto addButton = [&](int id, const char* text) {
    buttons->Add(new wxButton(box, id, text), wxSizerFlags().Expand().Border(wxBOTTOM, gap / 2));
  };
  addButton(kAddId, "&Add");
  addButton(kRemoveId, "&Remove");
  buttons->AddSpacer(gap * 2);
  addButton(kUpId, "&Up");
  addButton(kDownId, "&Down");

  group->Add(list_, wxSizerFlags(1).Expand().Border(wxALL, gap));
  group->Add(buttons, wxSizerFlags().Border(wxTOP | wxRIGHT | wxBOTTOM, gap));
  return group;
}

ConverterDialog::Group ConverterDialog::AddGroup(wxSizer* column, const char* title) {
  auto* group = new wxStaticBoxSizer(new GroupBox(this, title), wxVERTICAL);
  column->Add(group, wxSizerFlags().Expand().Border(wxBOTTOM, DialogUnits(kGap)));
  settingsGroups_.push_back(group->GetStaticBox());
  // The rows sit a gap apart from each other and from the box.
  group->AddSpacer(DialogUnits(kRowGap) - DialogUnits(kGap) / 2);
  return {group->GetStaticBox(), group};
}

void ConverterDialog::FitCheckBoxText(wxSizer* column, Group& group, wxCheckBox* box) {
  // The longest text of the column goes on as many lines as it takes to be no wider than the
  // column's other rows, which leaves the room to the list.
  box->Hide();
  const int columnWidth = column->CalcMin().x;
  box->Show();
  int top = 0;
  int side = 0;
  group.box->GetBordersForSizer(&top, &side);
  const wxString text = box->GetLabel();
  const int mark = box->GetBestSize().x - box->GetTextExtent(text).x;
  const int room = columnWidth - 2 * side - 2 * DialogUnits(kRowGap) - mark;
  box->SetLabel(WrapText(box, text, room));
  box->InvalidateBestSize();
}

wxBoxSizer* ConverterDialog::AddRow(Group& group) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  group.rows->Add(row, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM,
                                                      DialogUnits(kRowGap)));
  return row;
}

wxStaticText* ConverterDialog::AddFieldLabel(Group& group, wxBoxSizer* row, const char* text) {
  auto* label = new wxStaticText(group.box, wxID_ANY, text);
  row->Add(label, wxSizerFlags().CenterVertical().Border(wxRIGHT, DialogUnits(kGap)));
  fieldLabels_.push_back(label);
  return label;
}

wxTextCtrl* ConverterDialog::AddNumberRow(Group& group, const char* label, int id,
                                          const char* unit) {
  wxBoxSizer* row = AddRow(group);
  AddFieldLabel(group, row, label);
  wxTextCtrl* edit = AddNumberField(group, row, id);
  AddUnit(group, row, unit);
  return edit;
}

wxTextCtrl* ConverterDialog::AddNumberField(Group& group, wxBoxSizer* row, int id) {
  wxTextCtrl* edit = AddEdit(group.box, id);
  edit->SetMinSize(wxSize(DialogUnits(kNumberFieldWidth), -1));
  row->Add(edit, wxSizerFlags().CenterVertical());
  return edit;
}

void ConverterDialog::AddUnit(Group& group, wxBoxSizer* row, const char* unit) {
  row->Add(new wxStaticText(group.box, wxID_ANY, unit),
           wxSizerFlags().CenterVertical().Border(wxLEFT, DialogUnits(kGap)));
}

wxTextCtrl* ConverterDialog::AddPathRow(Group& group, const char* label, int id, int browseId) {
  wxBoxSizer* row = AddRow(group);
  if (label != nullptr) AddFieldLabel(group, row, label);
  wxTextCtrl* edit = AddEdit(group.box, id);
  edit->SetMinSize(wxSize(DialogUnits(kPathFieldMinWidth), -1));
  row->Add(edit, wxSizerFlags(1).CenterVertical());
  auto* browse = new wxButton(group.box, browseId, "...", wxDefaultPosition, wxDefaultSize,
                              wxBU_EXACTFIT);
  row->Add(browse, wxSizerFlags().Expand().Border(wxLEFT, DialogUnits(kGap) / 2));
  return edit;
}

wxTextCtrl* ConverterDialog::AddEdit(wxWindow* parent, int id) {
  // Enter in any field runs Convert, whatever the platform does with a default button.
  auto* edit = new wxTextCtrl(parent, id, wxString(), wxDefaultPosition, wxDefaultSize,
                              wxTE_PROCESS_ENTER);
  edit->Bind(wxEVT_TEXT_ENTER, &ConverterDialog::OnConvert, this);
  return edit;
}

void ConverterDialog::SetSizeLimits() {
  // The smallest size has room for the progress panel, so a run never needs a larger window.
  progress_->Show();
  GetSizer()->SetSizeHints(this);
  minClientSize_ = GetMinClientSize();
  progress_->Hide();
  // wxGTK learns the window's frame as it shows the window and then shifts the smallest window
  // size by what it had assumed; what must hold is the smallest client size.
  Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
    if (event.IsShown()) SetMinClientSize(minClientSize_);
    event.Skip();
  });

  // The first size is the classic layout's, within the screen's free area and never below
  // the smallest.
  const wxSize minimum = GetMinSize();
  wxSize size = ClientToWindowSize(ConvertDialogToPixels(kStartClientSize));
  size.IncTo(minimum);
  size.DecTo(wxDisplay(this).GetClientArea().GetSize());
  size.IncTo(minimum);
  SetSize(size);
  Layout();
}

wxWindow* ConverterDialog::CreateBanner() {
  const wxSize size = ConvertDialogToPixels(kBannerSize);
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
  banner->SetCursor(wxCursor(wxCURSOR_HAND));
  banner->SetToolTip(Text(kMakerWebAddress));
  banner->Bind(wxEVT_LEFT_DOWN, &ConverterDialog::OnBannerClick, this);
  return banner;
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
  if (Converting()) return;  // the list is not to be edited during a run
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
  event.Enable(!Converting() && inputs_.CanRemove());
}

void ConverterDialog::OnUpdateUp(wxUpdateUIEvent& event) {
  TakeSelection();
  event.Enable(!Converting() && inputs_.CanMoveUp());
}

void ConverterDialog::OnUpdateDown(wxUpdateUIEvent& event) {
  TakeSelection();
  event.Enable(!Converting() && inputs_.CanMoveDown());
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

void ConverterDialog::OnBackgroundText(wxCommandEvent&) {
  // The picker shows the colour typed whenever it is one; the text is what Convert takes.
  uint32_t rgb = 0;
  if (ParseBackgroundColor(background_->GetValue().utf8_string(), rgb) == Status::kOk) {
    backgroundPicker_->SetColour(wxColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  }
}

void ConverterDialog::OnBackgroundPicked(wxColourPickerEvent& event) {
  const wxColour colour = event.GetColour();
  const uint32_t rgb = (uint32_t{colour.Red()} << 16) | (uint32_t{colour.Green()} << 8) | colour.Blue();
  background_->ChangeValue(Text(BackgroundColorText(rgb)));
}

DialogFields ConverterDialog::ReadFields() const {
  DialogFields fields;
  fields.delay = delay_->GetValue().utf8_string();
  fields.quality = quality_->GetValue().utf8_string();
  fields.outputPath = TextToPath(outputPath_->GetValue());
  fields.controlFilePath = TextToPath(controlFile_->GetValue());
  fields.batchMode = batchMode_->IsChecked();
  fields.framesPerSecond = framesPerSecond_->GetValue().utf8_string();
  fields.smallest = smallest_->IsChecked();
  fields.stageSize = stageSize_->GetValue().utf8_string();
  fields.fit = fit_->GetStringSelection().utf8_string();
  fields.background = background_->GetValue().utf8_string();
  fields.fade = fade_->GetValue().utf8_string();
  fields.fadeIn = fadeIn_->IsChecked();
  fields.stopOnLastImage = stopOnLastImage_->IsChecked();
  return fields;
}

void ConverterDialog::ShowFields(const DialogFields& fields) {
  delay_->ChangeValue(Text(fields.delay));
  quality_->ChangeValue(Text(fields.quality));
  outputPath_->ChangeValue(PathToText(fields.outputPath));
  controlFile_->ChangeValue(PathToText(fields.controlFilePath));
  batchMode_->SetValue(fields.batchMode);
  framesPerSecond_->ChangeValue(Text(fields.framesPerSecond));
  smallest_->SetValue(fields.smallest);
  stageSize_->ChangeValue(Text(fields.stageSize));
  fit_->SetStringSelection(Text(fields.fit));
  background_->SetValue(Text(fields.background));  // sends the text event the picker follows
  fade_->ChangeValue(Text(fields.fade));
  fadeIn_->SetValue(fields.fadeIn);
  stopOnLastImage_->SetValue(fields.stopOnLastImage);
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
    case Field::StageSize: edit = stageSize_; break;
    case Field::Fit: fit_->SetFocus(); return;
    case Field::Background: edit = background_; break;
    case Field::Fade: edit = fade_; break;
  }
  edit->SetFocus();
  edit->SelectAll();
}

void ConverterDialog::OnConvert(wxCommandEvent&) {
  if (Converting()) return;
  const std::vector<std::string> paths = inputs_.Paths();
  ConvertCheck check = CheckConvert(ReadFields(), paths, *this);
  if (check.invalidField) FocusField(*check.invalidField);
  if (check.outcome != ConvertOutcome::Ready) return;
  // Images are prepared on every core; the movies are the same bytes whatever the number of jobs.
  check.settings.jobs = std::max(1u, std::thread::hardware_concurrency());
  if (!run_->Start(std::move(check.settings), paths)) return;
  progress_->Start(paths);
  ShowRunning(true);
}

void ConverterDialog::OnStopRun(wxCommandEvent&) {
  if (!Converting() || run_->Cancelled()) return;
  run_->Cancel();
  progress_->Stopping();
}

void ConverterDialog::OnQuit(wxCommandEvent& event) {
  if (!Converting()) {
    event.Skip();  // the dialog closes as usual
    return;
  }
  if (!run_->Cancelled() && !AskYesNo(kStopRunQuestion)) return;
  closeWhenStopped_ = true;
  if (!Converting()) {  // the run ended while the question was open
    EndDialog(wxID_CANCEL);
    return;
  }
  run_->Cancel();
  progress_->Stopping();
}

void ConverterDialog::ShowRunning(bool running) {
  for (wxWindow* group : settingsGroups_) group->Enable(!running);
  wxWindow* convert = FindWindow(wxID_OK);
  convert->Enable(!running);
  progress_->Show(running);
  Layout();
  if (running) {
    FindWindow(kStopRunId)->SetFocus();
  } else {
    convert->SetFocus();
  }
}

void ConverterDialog::RunProgressed(const ConversionProgress& progress) {
  progress_->ImagesDone(progress.imagesDone);
}

void ConverterDialog::RunFinished(const ConversionResult& result) {
  progress_->Stop();
  ShowRunning(false);
  if (closeWhenStopped_) {
    EndDialog(wxID_CANCEL);
    return;
  }
  ReportRunEnd(result, *this);
}

void ConverterDialog::ShowMessage(const std::string& text) {
  wxMessageBox(Text(text), Text(kAppName), wxOK | wxICON_NONE, this);
}

bool ConverterDialog::AskYesNo(const std::string& question) {
  return wxMessageBox(Text(question), Text(kAppName), wxYES_NO | wxICON_NONE, this) == wxYES;
}

}  // namespace lumapress
