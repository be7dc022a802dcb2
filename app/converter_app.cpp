#include "app/converter_app.h"

#include <string>
#include <vector>

#include "app/converter_dialog.h"
#include "folderbrowser/path_text.h"

namespace lumapress {
namespace {
bool dialogRan = false;
}

bool ConverterApp::OnInit() {
  // Images named on the command line start in the list.
  std::vector<std::string> images;
  for (int i = 1; i < argc; ++i) images.push_back(TextToPath(argv[i]));

  auto* dialog = new ConverterDialog(nullptr);
  dialog->AddInputFiles(images);
  SetTopWindow(dialog);
  dialog->ShowModal();
  dialog->Destroy();
  dialogRan = true;
  // No frame window and no loop of our own: returning false ends the process.
  return false;
}

bool ConverterApp::DialogRan() { return dialogRan; }

}  // namespace lumapress
