#include <wx/init.h>

#include "app/converter_app.h"

wxIMPLEMENT_APP_NO_MAIN(lumapress::ConverterApp);

int main(int argc, char** argv) {
  const int status = wxEntry(argc, argv);
  // wx reports a start-up that returned false as a failure; after the dialog it is not one.
  return lumapress::ConverterApp::DialogRan() ? 0 : status;
}
