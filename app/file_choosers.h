#pragma once

#include <optional>
#include <string>
#include <vector>

class wxWindow;

namespace lumapress {

// The file and folder pickers the dialog opens; tests put their own in place.
class FileChoosers {
 public:
  virtual ~FileChoosers() = default;
  // PNG images to add, in the order chosen; empty when cancelled.
  virtual std::vector<std::string> ChooseInputImages(wxWindow* parent) = 0;
  // An SWF control file to open; nothing when cancelled.
  virtual std::optional<std::string> ChooseControlFile(wxWindow* parent) = 0;
  // The movie file to write (single-movie mode).
  virtual std::optional<std::string> ChooseOutputFile(wxWindow* parent) = 0;
  // The output folder (batch mode).
  virtual std::optional<std::string> ChooseOutputFolder(wxWindow* parent) = 0;
};

// wxFileDialog for files, the folder browser for folders.
class SystemFileChoosers final : public FileChoosers {
 public:
  std::vector<std::string> ChooseInputImages(wxWindow* parent) override;
  std::optional<std::string> ChooseControlFile(wxWindow* parent) override;
  std::optional<std::string> ChooseOutputFile(wxWindow* parent) override;
  std::optional<std::string> ChooseOutputFolder(wxWindow* parent) override;
};

}  // namespace lumapress
