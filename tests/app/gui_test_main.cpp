// Entry point of the programs that test real windows: starts wx on the display (Xvfb in the
// test scripts) and turns wx's assertions into test failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <string>

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

void FailOnAssert(const wxString& file, int line, const wxString& function,
                  const wxString& condition, const wxString& message) {
  const std::string where = file.utf8_string();
  ADD_FAILURE_AT(where.c_str(), line) << "wx assertion in " << function.utf8_string() << ": "
                                      << condition.utf8_string() << " "
                                      << message.utf8_string();
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display (the build lists them).
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  wxSetAssertHandler(FailOnAssert);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "cannot start wxWidgets: these tests need a display (xvfb-run -a)\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
