// e2e_driver.exe: runs the scenario run-scenario.sh names (--gtest_filter).
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "System.h"
#include "text/Utf8.h"

namespace {

// On the first failure of a test, shows what was on the screen: most
// failures of a driven program are a window that did or did not appear.
class CWindowsOnFailure : public testing::EmptyTestEventListener {
 public:
  void OnTestStart(const testing::TestInfo&) override { m_bShown = false; }
  void OnTestPartResult(const testing::TestPartResult& result) override {
    if (!result.failed() || std::exchange(m_bShown, true)) return;
    std::fputs(text::ToUtf8(e2e::DescribeWindows()).c_str(), stdout);
    std::fflush(stdout);
  }

 private:
  bool m_bShown = false;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (e2e::WorkDir().empty() || e2e::SetupProgram().empty() || e2e::FixturesDir().empty()) {
    std::fputs("e2e_driver: E2E_WORK, E2E_SETUP or E2E_FIXTURES is unset: see run-scenario.sh\n",
               stderr);
    return 2;
  }
  // Also where the copies of a multi-disc or uninstall start run from.
  if (!e2e::PlantDll(TempFolder())) {
    std::fputs("e2e_driver: could not plant the DLL in the temporary folder\n", stderr);
    return 2;
  }
  // Shortcut files are read back through the shell's COM objects.
  (void)::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  testing::UnitTest::GetInstance()->listeners().Append(new CWindowsOnFailure);
  return RUN_ALL_TESTS();
}
