#include "folderbrowser/folder_browser_dialog.h"

#include <wx/button.h>
#include <wx/imaglist.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>
#include <wx/utils.h>

#include "folderbrowser/path_text.h"
#include "resources/artwork.h"

namespace lumapress {
namespace {

// Size of the dialog and places of its controls, in dialog units.
const wxSize kDialogSize(183, 188);
const wxRect kPromptRect(7, 7, 169, 8);
const wxRect kTreeRect(7, 19, 169, 142);
const wxRect kOkRect(72, 167, 50, 14);
const wxRect kCancelRect(126, 167, 50, 14);

constexpr int kTreeImageSize = 16;  // pixels, square

// Ties a tree item to its model node; the model owns the node.
class NodeRef : public wxTreeItemData {
 public:
  explicit NodeRef(FolderTree::Node* node) : node_(node) {}
  FolderTree::Node* node_;
};

void Place(wxWindow* dialog, wxWindow* control, const wxRect& units) {
  control->SetSize(wxRect(dialog->ConvertDialogToPixels(units.GetPosition()),
                          dialog->ConvertDialogToPixels(units.GetSize())));
}

FolderSource& SourceOrSystem(FolderSource* source, std::unique_ptr<FolderSource>& own) {
  if (source != nullptr) return *source;
  own = std::make_unique<SystemFolderSource>();
  return *own;
}

}  // namespace

FolderBrowserDialog::FolderBrowserDialog(wxWindow* parent, FolderSource* source)
    : wxDialog(parent, wxID_ANY, "Search for Folder", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      model_(SourceOrSystem(source, ownSource_)) {
  SetClientSize(ConvertDialogToPixels(kDialogSize));

  auto* prompt =
      new wxStaticText(this, kFolderPromptId, "Select the folder where the search is to begin.");
  Place(this, prompt, kPromptRect);
  tree_ = new wxTreeCtrl(this, kFolderTreeId, wxDefaultPosition, wxDefaultSize,
                         wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT |
                             wxTR_FULL_ROW_HIGHLIGHT | wxTR_SINGLE | wxBORDER_SUNKEN);
  Place(this, tree_, kTreeRect);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  Place(this, ok, kOkRect);
  ok->SetDefault();
  ok->Disable();
  auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
  Place(this, cancel, kCancelRect);

  auto* images = new wxImageList(kTreeImageSize, kTreeImageSize, true, kFolderImageCount);
  for (const char* const* xpm : kTreeImageXpms) images->Add(wxBitmap(xpm));
  tree_->AssignImageList(images);

  const wxTreeItemId root = tree_->AddRoot(wxString());
  model_.Initialise();
  for (const auto& node : model_.Roots()) InsertNode(root, *node);

  tree_->Bind(wxEVT_TREE_ITEM_EXPANDING, &FolderBrowserDialog::OnExpanding, this);
  tree_->Bind(wxEVT_TREE_SEL_CHANGED, &FolderBrowserDialog::OnSelectionChanged, this);
  tree_->SetFocus();
}

FolderBrowserDialog::~FolderBrowserDialog() { Teardown(); }

void FolderBrowserDialog::InsertNode(const wxTreeItemId& parent, const FolderTree::Node& node) {
  auto* mutableNode = const_cast<FolderTree::Node*>(&node);
  const wxTreeItemId item = tree_->AppendItem(parent, PathToText(node.text), node.image,
                                              node.selectedImage, new NodeRef(mutableNode));
  tree_->SetItemHasChildren(item, node.mayHaveChildren);
}

FolderTree::Node* FolderBrowserDialog::NodeOf(const wxTreeItemId& item) const {
  if (!item.IsOk()) return nullptr;
  const auto* ref = static_cast<const NodeRef*>(tree_->GetItemData(item));
  return ref != nullptr ? ref->node_ : nullptr;
}

void FolderBrowserDialog::OnExpanding(wxTreeEvent& event) {
  wxBusyCursor wait;
  const wxTreeItemId item = event.GetItem();
  FolderTree::Node* node = NodeOf(item);
  if (node == nullptr || tree_->GetChildrenCount(item, false) > 0) return;
  for (FolderTree::Node* child : model_.Expand(*node)) InsertNode(item, *child);
  if (!node->mayHaveChildren) tree_->SetItemHasChildren(item, false);
  if (model_.Selected() == node && tree_->GetSelection() != item) tree_->SelectItem(item);
}

void FolderBrowserDialog::OnSelectionChanged(wxTreeEvent& event) {
  FolderTree::Node* node = tornDown_ ? nullptr : NodeOf(event.GetItem());
  model_.Select(node);
  if (wxWindow* ok = FindWindow(wxID_OK)) ok->Enable(FolderTree::CanChoose(node));
}

void FolderBrowserDialog::EndModal(int returnCode) {
  if (const FolderTree::Node* node = NodeOf(tree_->GetSelection())) {
    resultPath_ = model_.NodePath(*node);
  }
  Teardown();
  wxDialog::EndModal(returnCode);
}

void FolderBrowserDialog::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  // The tree items point into the model: they go first.
  tree_->DeleteAllItems();
  model_.DeleteAll();
}

}  // namespace lumapress
