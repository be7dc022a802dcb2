#include "folderbrowser/folder_tree.h"

#include "fake_folder_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lumapress {
namespace {

using Node = FolderTree::Node;

using test::FakeFolderSource;

std::vector<std::string> Texts(const std::vector<std::unique_ptr<Node>>& nodes) {
  std::vector<std::string> texts;
  for (const auto& node : nodes) texts.push_back(node->text);
  return texts;
}

Node& Child(const Node& parent, const std::string& text) {
  for (const auto& child : parent.children) {
    if (child->text == text) return *child;
  }
  ADD_FAILURE() << "no child " << text;
  return *parent.children.at(0);
}

Node& Root(const FolderTree& tree, const std::string& text) {
  for (const auto& node : tree.Roots()) {
    if (node->text == text) return *node;
  }
  ADD_FAILURE() << "no root " << text;
  return *tree.Roots().at(0);
}

class FolderTreeTest : public testing::Test {
 protected:
  FolderTreeTest() {
    source.mounts =
        "/dev/vda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /run/user/1000 tmpfs rw 0 0\n"
        "/dev/sdb1 /media/ann/STICK vfat rw 0 0\n"
        "/dev/sr0 /media/ann/DISC iso9660 ro 0 0\n"
        "tmpfs /mnt/ram tmpfs rw 0 0\n"
        "/dev/sdc1 /data ext4 rw 0 0\n"
        "//nas/photos /mnt/photos cifs rw 0 0\n"
        "box:/srv/www /mnt/www nfs4 rw 0 0\n"
        "//nas/music /mnt/music cifs rw 0 0\n";
    source.folders["/"] = {"data", "home", "SRV"};
    source.folders["/home/ann/"] = {"Pictures", "PROJECTS"};
    source.folders["/home/ann/PROJECTS/"] = {"lumapress"};
    source.folders["/mnt/photos/"] = {"2024"};
  }

  FakeFolderSource source;
};

TEST_F(FolderTreeTest, RootsAreDrivesThenTheNetwork) {
  FolderTree tree(source);
  tree.Initialise();
  EXPECT_EQ(Texts(tree.Roots()),
            (std::vector<std::string>{"/", "/home/ann", "/media/ann/STICK", "/media/ann/DISC",
                                      "/mnt/ram", "/data", "Network Neighborhood"}));
  const std::vector<int> images = {kFixedImage, kFixedImage,   kRemovableImage, kCdRomImage,
                                   kRamDiskImage, kFixedImage, kNetworkImage};
  for (size_t i = 0; i < images.size(); ++i) {
    EXPECT_EQ(tree.Roots()[i]->image, images[i]) << i;
    EXPECT_EQ(tree.Roots()[i]->selectedImage, images[i]) << i;
    EXPECT_TRUE(tree.Roots()[i]->mayHaveChildren) << i;
  }
  EXPECT_EQ(tree.NetworkRoot(), tree.Roots().back().get());
  EXPECT_TRUE(source.listed.empty()) << "nothing is listed before a node expands";
}

TEST_F(FolderTreeTest, HomeThatIsAlsoAMountIsListedOnce) {
  source.home = "/data/";
  FolderTree tree(source);
  tree.Initialise();
  EXPECT_EQ(Texts(tree.Roots()),
            (std::vector<std::string>{"/", "/data", "/media/ann/STICK", "/media/ann/DISC",
                                      "/mnt/ram", "Network Neighborhood"}));
}

TEST_F(FolderTreeTest, ExpandListsFoldersOnceAndSelectsTheNode) {
  FolderTree tree(source);
  tree.Initialise();
  Node& home = Root(tree, "/home/ann");
  const std::vector<Node*> added = tree.Expand(home);
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[0]->text, "Pictures");
  EXPECT_EQ(added[0]->image, kFolderImage);
  EXPECT_EQ(added[0]->selectedImage, kOpenFolderImage);
  EXPECT_EQ(tree.Selected(), &home);
  EXPECT_EQ(source.listed, std::vector<std::string>{"/home/ann/"});

  tree.Select(added[0]);
  EXPECT_TRUE(tree.Expand(home).empty()) << "a node with children is not listed again";
  EXPECT_EQ(source.listed.size(), 1u);
  EXPECT_EQ(tree.Selected(), added[0]) << "nor selected";
}

TEST_F(FolderTreeTest, AFolderWithoutSubfoldersLosesItsExpandButton) {
  FolderTree tree(source);
  tree.Initialise();
  Node& stick = Root(tree, "/media/ann/STICK");
  EXPECT_TRUE(tree.Expand(stick).empty());
  EXPECT_FALSE(stick.mayHaveChildren);
  EXPECT_EQ(tree.Selected(), &stick);
}

TEST_F(FolderTreeTest, CapitalNamesAreShownCapitalisedButPathsKeepTheRealName) {
  FolderTree tree(source);
  tree.Initialise();
  Node& home = Root(tree, "/home/ann");
  tree.Expand(home);
  Node& projects = Child(home, "Projects");
  EXPECT_EQ(projects.name, "PROJECTS");
  EXPECT_EQ(tree.NodePath(projects), "/home/ann/PROJECTS/");
  tree.Expand(projects);
  EXPECT_EQ(tree.NodePath(Child(projects, "lumapress")), "/home/ann/PROJECTS/lumapress/");
  EXPECT_EQ(source.listed.back(), "/home/ann/PROJECTS/");
}

TEST_F(FolderTreeTest, PathsAlwaysEndInASlash) {
  FolderTree tree(source);
  tree.Initialise();
  Node& root = Root(tree, "/");
  tree.Expand(root);
  EXPECT_EQ(tree.NodePath(root), "/");
  EXPECT_EQ(tree.NodePath(Child(root, "data")), "/data/");
  EXPECT_EQ(tree.NodePath(Child(root, "Srv")), "/SRV/");
  EXPECT_EQ(tree.NodePath(Root(tree, "/mnt/ram")), "/mnt/ram/");
}

TEST(NodeText, NormalisesOnlyTextsWithoutLowerCase) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {{"WINDOWS", "Windows"}, {"Windows", "Windows"}, {"wINDOWS", "wINDOWS"},
               {"C:", "C:"},           {"/", "/"},             {"2024", "2024"},
               {"MY_FILES-2", "My_files-2"}, {"_X", "_x"},     {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(NormaliseNodeText(c.text), c.shown) << c.text;
}

TEST_F(FolderTreeTest, NetworkGroupsSharesByServer) {
  FolderTree tree(source);
  tree.Initialise();
  Node& network = *tree.NetworkRoot();
  EXPECT_FALSE(FolderTree::CanChoose(&network));
  EXPECT_EQ(tree.NodePath(network), "");

  const std::vector<Node*> servers = tree.Expand(network);
  EXPECT_EQ(Texts(network.children), (std::vector<std::string>{"nas", "box"}));
  ASSERT_EQ(servers.size(), 2u);
  Node& nas = *servers[0];
  EXPECT_EQ(nas.image, kServerImage);
  EXPECT_FALSE(FolderTree::CanChoose(&nas));

  tree.Expand(nas);
  EXPECT_EQ(Texts(nas.children), (std::vector<std::string>{"photos", "music"}));
  Node& photos = Child(nas, "photos");
  EXPECT_TRUE(FolderTree::CanChoose(&photos));
  EXPECT_EQ(photos.image, kFolderImage);
  EXPECT_EQ(photos.selectedImage, kOpenFolderImage);
  EXPECT_EQ(tree.NodePath(photos), "/mnt/photos/");

  tree.Expand(photos);
  EXPECT_EQ(tree.NodePath(Child(photos, "2024")), "/mnt/photos/2024/");
}

TEST_F(FolderTreeTest, NoNetworkMountsLeaveTheNetworkRootWithoutButton) {
  source.mounts = "/dev/vda1 / ext4 rw 0 0\n";
  FolderTree tree(source);
  tree.Initialise();
  EXPECT_TRUE(tree.Expand(*tree.NetworkRoot()).empty());
  EXPECT_FALSE(tree.NetworkRoot()->mayHaveChildren);
}

TEST_F(FolderTreeTest, OnlyDrivesFoldersAndSharesCanBeChosen) {
  FolderTree tree(source);
  tree.Initialise();
  EXPECT_FALSE(FolderTree::CanChoose(nullptr));
  EXPECT_TRUE(FolderTree::CanChoose(&Root(tree, "/")));
  Node& home = Root(tree, "/home/ann");
  tree.Expand(home);
  EXPECT_TRUE(FolderTree::CanChoose(&Child(home, "Pictures")));
}

TEST_F(FolderTreeTest, DeleteAllRemovesLeavesBeforeParentsAndEachNodeOnce) {
  FolderTree tree(source);
  tree.Initialise();
  Node& home = Root(tree, "/home/ann");
  tree.Expand(home);
  tree.Expand(Child(home, "Projects"));
  tree.Expand(*tree.NetworkRoot());

  std::vector<std::string> order;
  std::vector<const Node*> deleted;
  tree.DeleteAll([&](const Node& node) {
    order.push_back(node.text);
    EXPECT_TRUE(node.children.empty()) << node.text << " still has children";
    deleted.push_back(&node);
  });
  EXPECT_EQ(order, (std::vector<std::string>{
                       "/", "Pictures", "lumapress", "Projects", "/home/ann", "/media/ann/STICK",
                       "/media/ann/DISC", "/mnt/ram", "/data", "nas", "box",
                       "Network Neighborhood"}));
  EXPECT_TRUE(tree.Roots().empty());
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_EQ(tree.NetworkRoot(), nullptr);
  tree.DeleteAll();  // deleting an empty tree is harmless
}

// A drive-letter system as Windows shows it: drives, then the shares the user is connected to.
class WindowsFolderTreeTest : public testing::Test {
 protected:
  WindowsFolderTreeTest() {
    source.drives = std::vector<Drive>{{"A:", "A:\\", VolumeKind::Hidden},
                                       {"C:", "C:\\", VolumeKind::Fixed},
                                       {"D:", "D:\\", VolumeKind::CdRom},
                                       {"Z:", "Z:\\", VolumeKind::Network}};
    source.shares = std::vector<SharedFolder>{{"nas", "photos", "\\\\nas\\photos\\"}};
    source.folders["C:\\"] = {"Users", "WINDOWS"};
    source.folders["C:\\Users\\"] = {"ann"};
    source.folders["\\\\nas\\photos\\"] = {"2024"};
  }

  FakeFolderSource source;
};

TEST_F(WindowsFolderTreeTest, DriveLettersThenTheNetwork) {
  FolderTree tree(source);
  tree.Initialise();
  EXPECT_EQ(Texts(tree.Roots()), (std::vector<std::string>{"C:", "D:", "Z:", "Network Neighborhood"}))
      << "a drive without a root is left out";
  EXPECT_EQ(tree.Roots()[0]->image, kFixedImage);
  EXPECT_EQ(tree.Roots()[1]->image, kCdRomImage);
  EXPECT_EQ(tree.Roots()[2]->image, kServerImage);
}

TEST_F(WindowsFolderTreeTest, PathsJoinFoldersWithBackslashes) {
  FolderTree tree(source);
  tree.Initialise();
  Node& c = Root(tree, "C:");
  EXPECT_EQ(tree.NodePath(c), "C:\\");
  tree.Expand(c);
  EXPECT_EQ(source.listed.back(), "C:\\");
  Node& users = Child(c, "Users");
  tree.Expand(users);
  EXPECT_EQ(tree.NodePath(Child(users, "ann")), "C:\\Users\\ann\\");
  EXPECT_EQ(tree.NodePath(Child(c, "Windows")), "C:\\WINDOWS\\") << "the real name, not the shown one";

  tree.Expand(*tree.NetworkRoot());
  Node& nas = Child(*tree.NetworkRoot(), "nas");
  tree.Expand(nas);
  Node& photos = Child(nas, "photos");
  EXPECT_EQ(tree.NodePath(photos), "\\\\nas\\photos\\");
  tree.Expand(photos);
  EXPECT_EQ(tree.NodePath(Child(photos, "2024")), "\\\\nas\\photos\\2024\\");
}

TEST(SystemFolderSource, ListsOnlyFoldersSorted) {
  namespace fs = std::filesystem;
  const fs::path base = fs::temp_directory_path() / "lumapress_folder_source_test";
  fs::remove_all(base);
  fs::create_directories(base / "b");
  fs::create_directories(base / "a");
  fs::create_directories(base / "C");
  fs::create_directories(base / fs::path(u8"Bilder-äöü-日本"));
  std::ofstream(base / "file.txt") << "x";
  std::vector<std::string> expected = {"Bilder-äöü-日本", "C", "a", "b"};
#ifndef _WIN32
  // Windows lets only privileged users make symbolic links.
  fs::create_directory_symlink(base / "a", base / "link");
  expected.push_back("link");
#endif

  SystemFolderSource source;
  const auto u8 = (base / "").u8string();
  const std::string folder(u8.begin(), u8.end());
  EXPECT_EQ(source.SubFolders(folder), expected);
  EXPECT_TRUE(source.SubFolders(folder + "missing" + folder.back()).empty());
  fs::remove_all(base);
}

TEST(SystemFolderSource, DrivesAreFoldersEndingInASeparator) {
  SystemFolderSource source;
  const std::vector<Drive> drives = source.Drives();
  ASSERT_FALSE(drives.empty());
  for (const Drive& drive : drives) {
#ifdef _WIN32
    EXPECT_EQ(drive.path, drive.text + "\\") << drive.text;
    EXPECT_EQ(drive.text.size(), 2u) << drive.text;
#else
    EXPECT_EQ(drive.path.back(), '/') << drive.text;
#endif
  }
#ifndef _WIN32
  EXPECT_EQ(drives.front().path, "/");
#endif
}

}  // namespace
}  // namespace lumapress
