#include "app/file_choosers.h"

#include <wx/filedlg.h>

#include "app/output_path.h"
#include "folderbrowser/folder_browser_dialog.h"
#include "folderbrowser/path_text.h"

namespace lumapress {
namespace {

constexpr const char* kMovieExtension = ".swf";

// A single file from a file dialog, with ".swf" added to a name without extension.
std::optional<std::string> ChooseMovie(wxWindow* parent, const char* filter, long style) {
  wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxString(), wxString(), filter, style);
  if (dialog.ShowModal() != wxID_OK || dialog.GetPath().empty()) return std::nullopt;
  return WithDefaultExtension(TextToPath(dialog.GetPath()), kMovieExtension);
}

}  // namespace

std::vector<std::string> SystemFileChoosers::ChooseInputImages(wxWindow* parent) {
  wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxString(), wxString(),
                      "PNG Files (*.png)|*.png;*.PNG", wxFD_OPEN | wxFD_MULTIPLE);
  std::vector<std::string> chosen;
  if (dialog.ShowModal() != wxID_OK) return chosen;
  wxArrayString paths;
  dialog.GetPaths(paths);
  for (const wxString& path : paths) chosen.push_back(TextToPath(path));
  return chosen;
}

std::optional<std::string> SystemFileChoosers::ChooseControlFile(wxWindow* parent) {
  return ChooseMovie(parent, "SWF Control File (*.swf)|*.swf;*.SWF", wxFD_OPEN);
}

std::optional<std::string> SystemFileChoosers::ChooseOutputFile(wxWindow* parent) {
  // No overwrite question: converting again into the same movie is the usual case.
  return ChooseMovie(parent, "SWF File (*.swf)|*.swf;*.SWF", wxFD_SAVE);
}

std::optional<std::string> SystemFileChoosers::ChooseOutputFolder(wxWindow* parent) {
  FolderBrowserDialog dialog(parent);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  return dialog.ResultPath();
}

}  // namespace lumapress
