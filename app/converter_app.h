#pragma once

#include <wx/app.h>

namespace lumapress {

// Starts the program: shows the dialog modally; when it closes the program ends.
class ConverterApp : public wxApp {
 public:
  bool OnInit() override;
  // True once the dialog has been shown and closed, so the process ends successfully.
  static bool DialogRan();
};

}  // namespace lumapress
