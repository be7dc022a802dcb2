// The real folder browser under a display, over a made-up file system.
#include "folderbrowser/folder_browser_dialog.h"

#include <wx/treectrl.h>

#include <string>
#include <vector>

#include "fake_folder_source.h"
#include "gui_test_support.h"

namespace lumapress {
namespace {

class FolderBrowserDialogTest : public testing::Test {
 protected:
  FolderBrowserDialogTest() {
    source_.mounts =
        "/dev/vda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/ann/STICK vfat rw 0 0\n"
        "//nas/photos /mnt/photos cifs rw 0 0\n";
    source_.folders["/home/ann/"] = {"Pictures", "MOVIES"};
  }

  static std::vector<std::string> ChildTexts(wxTreeCtrl* tree, const wxTreeItemId& parent) {
    std::vector<std::string> texts;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(parent, cookie); item.IsOk();
         item = tree->GetNextChild(parent, cookie)) {
      texts.push_back(tree->GetItemText(item).utf8_string());
    }
    return texts;
  }

  static wxTreeItemId Child(wxTreeCtrl* tree, const wxTreeItemId& parent, const std::string& text) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId item = tree->GetFirstChild(parent, cookie); item.IsOk();
         item = tree->GetNextChild(parent, cookie)) {
      if (tree->GetItemText(item).utf8_string() == text) return item;
    }
    ADD_FAILURE() << "no item " << text;
    return {};
  }

  static bool OkEnabled(wxDialog& dialog) { return dialog.FindWindow(wxID_OK)->IsEnabled(); }

  test::FakeFolderSource source_;
};

TEST_F(FolderBrowserDialogTest, ChoosingAFolderReturnsItsPath) {
  FolderBrowserDialog dialog(nullptr, &source_);
  EXPECT_EQ(dialog.GetTitle(), "Search for Folder");
  wxTreeCtrl* tree = dialog.Tree();
  const wxTreeItemId root = tree->GetRootItem();
  EXPECT_EQ(ChildTexts(tree, root), (std::vector<std::string>{"/", "/home/ann", "/media/ann/STICK",
                                                               "Network Neighborhood"}));
  EXPECT_FALSE(OkEnabled(dialog)) << "OK starts disabled";

  // Everything below runs inside the dialog's own modal loop, which it then ends.
  dialog.CallAfter([&] {
    const wxTreeItemId home = Child(tree, root, "/home/ann");
    tree->Expand(home);
    EXPECT_EQ(ChildTexts(tree, home), (std::vector<std::string>{"Pictures", "Movies"}));
    EXPECT_EQ(tree->GetSelection(), home) << "expanding a node selects it";

    const wxTreeItemId network = Child(tree, root, "Network Neighborhood");
    tree->SelectItem(network);
    EXPECT_FALSE(OkEnabled(dialog));
    tree->Expand(network);
    const wxTreeItemId nas = Child(tree, network, "nas");
    tree->SelectItem(nas);
    EXPECT_FALSE(OkEnabled(dialog)) << "a server cannot be chosen";
    tree->Expand(nas);
    tree->SelectItem(Child(tree, nas, "photos"));
    EXPECT_TRUE(OkEnabled(dialog)) << "a share can";

    const wxTreeItemId stick = Child(tree, root, "/media/ann/STICK");
    tree->Expand(stick);
    EXPECT_FALSE(tree->ItemHasChildren(stick)) << "an empty folder loses its expand button";

    tree->SelectItem(Child(tree, home, "Movies"));
    EXPECT_TRUE(OkEnabled(dialog));
    dialog.EndModal(wxID_OK);
  });
  EXPECT_EQ(dialog.ShowModal(), wxID_OK);
  EXPECT_EQ(dialog.ResultPath(), "/home/ann/MOVIES/");
  EXPECT_EQ(tree->GetCount(), 0u) << "the tree is emptied when the dialog ends";
}

TEST_F(FolderBrowserDialogTest, CancelAlsoComputesThePath) {
  FolderBrowserDialog dialog(nullptr, &source_);
  wxTreeCtrl* tree = dialog.Tree();
  dialog.CallAfter([&] {
    tree->SelectItem(Child(tree, tree->GetRootItem(), "/"));
    dialog.EndModal(wxID_CANCEL);
  });
  EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
  EXPECT_EQ(dialog.ResultPath(), "/");
}

}  // namespace
}  // namespace lumapress
