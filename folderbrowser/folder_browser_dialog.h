#pragma once

#include <wx/dialog.h>

#include <memory>
#include <string>

#include "folderbrowser/folder_source.h"
#include "folderbrowser/folder_tree.h"

class wxTreeCtrl;
class wxTreeEvent;
class wxTreeItemId;

namespace lumapress {

// Window ids of the folder browser's controls.
enum FolderBrowserId : int {
  kFolderTreeId = 1001,
  kFolderPromptId = 1016,
};

// The modal dialog that picks the output folder in batch mode: drives, then network servers
// and their shares, with folders listed as their nodes expand. OK takes drives, folders and
// shares only.
class FolderBrowserDialog : public wxDialog {
 public:
  // `source` stands for the system (the running one when null) and must outlive the dialog.
  explicit FolderBrowserDialog(wxWindow* parent, FolderSource* source = nullptr);
  ~FolderBrowserDialog() override;

  // The chosen folder, ending in '/'; set when the dialog ends, by OK or by Cancel.
  const std::string& ResultPath() const { return resultPath_; }

  void EndModal(int returnCode) override;

  wxTreeCtrl* Tree() const { return tree_; }

 private:
  void InsertNode(const wxTreeItemId& parent, const FolderTree::Node& node);
  FolderTree::Node* NodeOf(const wxTreeItemId& item) const;
  void OnExpanding(wxTreeEvent& event);
  void OnSelectionChanged(wxTreeEvent& event);
  void Teardown();

  std::unique_ptr<FolderSource> ownSource_;
  FolderTree model_;
  wxTreeCtrl* tree_ = nullptr;
  std::string resultPath_;
  bool tornDown_ = false;
};

}  // namespace lumapress
