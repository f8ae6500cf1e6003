// The window framework on real windows: control texts, the resource
// strings per thread, the application object.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "diag/ErrorLog.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "ui/DialogBase.h"
#include "ui/Main.h"
#include "ui/ResourceStrings.h"

namespace {

class IdleMain : public Main {
 public:
  int Run() override { return 0; }
};

}  // namespace

TEST(WindowFramework, TextForAMissingControlGoesToTheTitle) {
  DialogBase dialog;  // its window goes with it
  ASSERT_NE(nullptr, CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(900), nullptr,
                                        DialogProc, reinterpret_cast<LPARAM>(&dialog)));
  dialog.SetItemText(2000, "abc");  // no such control, no such string
  EXPECT_EQ(" vabc", WindowText(dialog.Window()));
  dialog.SetItemText(122, "x");  // a control ID that is also a string ID
  EXPECT_EQ("Power Off vx", WindowText(dialog.Window()));
  // The table's text must survive the fallback's own lookup.
  dialog.SetItemTextFromId(2000, 123);
  EXPECT_EQ(" vPower On", WindowText(dialog.Window()));
}

TEST(ResourceStrings, LookupsPerThreadNeverReplaceEachOther) {
  const char* first = ResString(123);
  std::string other;
  std::thread([&] { other = ResString(121); }).join();
  EXPECT_EQ("-=Read=-", other);
  EXPECT_STREQ("Power On", first);  // untouched by the other thread's lookup
  EXPECT_STREQ("\xCE\xF8\xE8\xE1\xEA\xE0", ResString(116));  // code page 1251
}

TEST(Application, OneRegisteredMainAndADialogThatCannotBeMadeEndsTheRun) {
  testing_support::ScopedWorkDir dir;
  ResetLogHeaderForTest();
  {
    IdleMain first;
    {
      IdleMain second;
      EXPECT_EQ(&first, Main::Registered());
    }
    EXPECT_EQ(&first, Main::Registered());
    // A template that does not exist ends the run instead of waiting for a
    // quit message that nothing would post.
    DialogBase missing;
    EXPECT_EQ(-1, RunModalDialog(first, missing, 12345));
  }
  EXPECT_EQ(nullptr, Main::Registered());
  const std::string log = testing_support::ReadFile(dir.Path() / "Error.log");
  const size_t once = log.find(" class Main is only one!,error code: ");
  EXPECT_TRUE(once != std::string::npos && log.find(" ShowModal(12345),error code: ", once) != std::string::npos) << log;
}
