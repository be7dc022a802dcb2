// Entry point of the programs that test real windows: starts wx on the display (Xvfb in the
// test scripts) and turns wx's assertions into test failures.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// A display that refuses a new client for a moment (seen rarely with Xvfb under load) is not a
// test failure: the program starts afresh a few times before it gives up.
constexpr int kStartTries = 4;
constexpr char kStartTryVariable[] = "LUMAPRESS_GUI_START_TRY";

void StartAfresh(std::vector<char*>& originalArgv) {
  const char* value = std::getenv(kStartTryVariable);
  const int tried = value ? std::atoi(value) : 1;
  if (tried >= kStartTries) return;
  setenv(kStartTryVariable, std::to_string(tried + 1).c_str(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  originalArgv.push_back(nullptr);
  execv("/proc/self/exe", originalArgv.data());
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv) {
  std::vector<char*> originalArgv(argv, argv + argc);
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display (the build lists them).
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

#ifdef LUMAPRESS_GUI_TEXT_SCALE
  // Text scaling as a desktop's large-text setting applies it; GTK reads it when it starts.
  setenv("GDK_DPI_SCALE", LUMAPRESS_GUI_TEXT_SCALE, 1);
#endif
  wxSetAssertHandler(FailOnAssert);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    StartAfresh(originalArgv);
    std::fprintf(stderr, "cannot start wxWidgets: these tests need a display (xvfb-run -a)\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
