// Quavrel.exe driven from outside as a user would: the dialog as it starts,
// editing and switching melodies, Save and Load with their files, the COM
// button, the keys, the exit codes and the error log.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Cp1251.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "texts/ControlIds.h"

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;

namespace {

// The controls in creation order: the template's IDs, classes and places
// (dialog units), with the texts they show once the dialog is up.
struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
  int x, y, cx, cy;
};
const ExpectedControl kControls[] = {
    {IDC_LOAD, "Button", "Load...", 72, 156, 50, 14},
    {IDOK, "Button", "Save...", 12, 156, 50, 14},
    {IDC_MELODY1, "Button", "Мелодия 1", 12, 18, 66, 10},
    {IDC_MELODY2, "Button", "Мелодия 2", 12, 30, 66, 10},
    {IDC_MELODY3, "Button", "Мелодия 3", 84, 18, 66, 10},
    {IDC_MELODY4, "Button", "Мелодия 4", 84, 30, 66, 10},
    {IDC_TEMPO, "Edit", "128", 270, 54, 40, 14},
    {IDC_TEMPO_ARROWS, "msctls_updown32", "", 310, 53, 11, 14},
    {IDC_MELODY_TEXT, "Edit", "", 6, 72, 318, 78},
    {IDC_COM, "Button", "Com 1", 12, 204, 50, 14},
    {IDC_POWER, "Button", "Power Off", 132, 204, 48, 14},
    {IDC_START, "Button", "Start", 72, 204, 50, 14},
    {IDCANCEL, "Button", "Exit", 276, 156, 50, 14},
    {-1, "Button", "Выберите текущую позицию мелодии:", 6, 6, 318, 42},
    {-1, "Static", "Текст мелодии (в нотной записи для Siemens):", 6, 56, 162, 8},
    {-1, "Static", "Quavrel team", 132, 160, 132, 8},
    {-1, "Static", "Темп текущей мелодии:", 183, 56, 84, 8},
    {-1, "Button", "Запись мелодии (Experemental)", 6, 180, 318, 42},
    {IDC_BACKUP, "Button", "Сохранить изменяемый блок (5071) [backup.bin] ", 12, 192, 132, 10},
    {-1, "Static", "Эта возможность  эксперементальная, используйте на свой страх и риск!", 192,
     192, 126, 24},
    {IDC_STATUS, "Static", "-=Ready=-", 7, 224, 318, 8},
};

// Takes a picture of the dialog from the display for the documentation.
bool TakePicture() {
  const std::string png = BesideThisProgram("dialog.png");
  std::filesystem::remove(png);
  ProgramDriver shot(".", "start.exe /wait /unix " QUAVREL_UI_TEST_DIR "/screenshot.sh "
                          QUAVREL_DIALOG_PICTURE);
  if (shot.WaitForExit(60000) != 0) return false;
  // Wine does not wait for a program of the Unix side.
  return WaitFor([&] {
    std::error_code error;
    std::uintmax_t size = std::filesystem::file_size(png, error);
    return !error && size > 4000;
  });
}

// The program started in a folder of its own.
class DialogWindow : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program.Started()); }
  std::string PathOf(const char* name) const { return (dir.Path() / name).string(); }
  std::string FileOf(const char* name) const { return ReadFile(dir.Path() / name); }
  // Save (IDOK) or Load through the file dialog.
  bool Choose(int button, const char* name) {
    program.ClickLater(button);
    return program.AnswerFileDialog(name[0] && name[1] == ':' ? name : PathOf(name));
  }
  // The message box a Save or Load put up: its caption and its text, once
  // it has been closed.
  std::pair<std::string, std::string> CloseBox() {
    HWND box = program.WaitForOwnedWindow();
    if (!box) return {"no message box", ""};
    std::pair<std::string, std::string> shown{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
    program.Responsive();
    return shown;
  }

  ScopedWorkDir dir;
  ProgramDriver program{dir.Path().string()};
};

}  // namespace

TEST_F(DialogWindow, StartsAsDesignedWithMelodyOneShown) {
  EXPECT_EQ("Quavrel v0.3b2 for Siemens A50 Quavrel team", WindowText(program.Dialog()));
  // Dialog units become pixels as the dialog manager converts them, with
  // the base units read back from the client area (328 x 234 units).
  RECT client;
  GetClientRect(program.Dialog(), &client);
  const int xBase = MulDiv(client.right, 4, 328), yBase = MulDiv(client.bottom, 8, 234);
  HWND child = GetWindow(program.Dialog(), GW_CHILD);
  for (const ExpectedControl& want : kControls) {
    ASSERT_NE(nullptr, child);
    SCOPED_TRACE(want.text);
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    EXPECT_STRCASEEQ(want.className, className);
    EXPECT_EQ(want.id, static_cast<short>(GetDlgCtrlID(child)));
    EXPECT_EQ(want.text, AskText(child));
    EXPECT_EQ(want.id != IDC_BACKUP, IsWindowEnabled(child) != FALSE);
    RECT at;
    GetWindowRect(child, &at);
    MapWindowPoints(nullptr, program.Dialog(), reinterpret_cast<POINT*>(&at), 2);
    // The arrows move themselves into the right end of the tempo edit.
    if (want.id != IDC_TEMPO_ARROWS) {
      EXPECT_EQ(MulDiv(want.x, xBase, 4), at.left);
      EXPECT_EQ(MulDiv(want.y, yBase, 8), at.top);
      EXPECT_EQ(MulDiv(want.cy, yBase, 8), at.bottom - at.top);
      if (want.id != IDC_TEMPO) {
        EXPECT_EQ(MulDiv(want.cx, xBase, 4), at.right - at.left);
      }
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(nullptr, child);
  EXPECT_EQ(MAKELONG(512, 0), SendMessageA(program.Control(IDC_TEMPO_ARROWS), UDM_GETRANGE, 0, 0));
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  RECT frame;  // centred on the screen
  GetWindowRect(program.Dialog(), &frame);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2, frame.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2, frame.top);

  program.SetText(IDC_MELODY_TEXT, "E2(1/8) Dis2(1/8) E2(1/8) Dis2(1/8) E2(1/8) H1(1/8) D2(1/8) "
                                   "C2(1/8) A1(1/4) P(1/8) C1(1/8) E1(1/8) A1(1/8) H1(1/4)");
  program.SetText(IDC_TEMPO, "140");
  ASSERT_TRUE(program.Responsive());
  Sleep(500);  // let the display catch up with the last paint
  EXPECT_TRUE(TakePicture());
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST_F(DialogWindow, SwitchingMelodiesKeepsEachTextAndTempoAndComCycles) {
  program.SetText(IDC_MELODY_TEXT, "C2(1/4) D2(1/8)");
  program.SetText(IDC_TEMPO, "140");
  program.Click(IDC_MELODY3);
  EXPECT_EQ("", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("128", program.EditText(IDC_TEMPO));
  program.SetText(IDC_MELODY_TEXT, "E2(1/4)");
  program.SetText(IDC_TEMPO, "90");
  program.Click(IDC_MELODY1);
  EXPECT_EQ("C2(1/4) D2(1/8)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("140", program.EditText(IDC_TEMPO));
  program.Click(IDC_MELODY3);
  EXPECT_EQ("E2(1/4)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("90", program.EditText(IDC_TEMPO));

  std::vector<std::string> ports;
  for (int press = 0; press < 4; ++press) {
    program.Click(IDC_COM);
    ports.push_back(program.Text(IDC_COM));
  }
  EXPECT_EQ((std::vector<std::string>{"Com 2", "Com 3", "Com 4", "Com 1"}), ports);
  // Closed from the caption it ends with 0 (Exit and Escape give 1).
  PostMessageA(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0u, program.WaitForExit());
}

TEST_F(DialogWindow, SaveWritesProjectsAndBlocksAndLoadTakesProjectsBack) {
  const std::string first = "C2(1/4) D2(1/4) E2(1/4) F2(1/4) G2(1/4) A2(1/4)";
  const std::string fourth = "Мелодия: A1(1/2) H1(1/4)";  // Cyrillic goes through as 1251
  program.SetText(IDC_MELODY_TEXT, first);
  program.SetText(IDC_TEMPO, "1000");  // longer than the edit lets one type
  program.Click(IDC_MELODY4);
  program.SetText(IDC_MELODY_TEXT, fourth);
  program.SetText(IDC_TEMPO, "65535");
  // The melody on screen is stored by Save itself; ".bin" in the name
  // makes a block file, anything else a project.
  ASSERT_TRUE(Choose(IDOK, "long.bin"));
  program.Click(IDC_MELODY1);
  program.SetText(IDC_MELODY_TEXT, "C3(1/8)");
  ASSERT_TRUE(Choose(IDOK, "short.bmt"));
  MelodySet expected;
  strcpy(expected.MelodyText(0), first.c_str());
  strcpy(expected.MelodyText(3), Utf8ToCp1251(fourth).c_str());
  expected.MelodyTempo(0) = 1000;
  expected.MelodyTempo(3) = 65535;
  expected.EncodeAll();
  ASSERT_TRUE(expected.ExportBlock(PathOf("expected.bin").c_str()));
  strcpy(expected.MelodyText(0), "C3(1/8)");
  ASSERT_TRUE(expected.SaveProject(PathOf("expected.bmt").c_str()));
  EXPECT_EQ(FileOf("expected.bin"), FileOf("long.bin"));
  EXPECT_EQ(FileOf("expected.bid"), FileOf("long.bid"));
  EXPECT_EQ(FileOf("expected.bmt"), FileOf("short.bmt"));

  // Changes after the Save are not in the file that Load brings back.
  program.SetText(IDC_MELODY_TEXT, "D3(1/4)");
  program.Click(IDC_MELODY3);
  std::filesystem::copy_file(PathOf("short.bmt"), PathOf("upper.BMT"));
  // ".BMT" is not ".bmt": a message box, and nothing is loaded.
  ASSERT_TRUE(Choose(IDC_LOAD, "upper.BMT"));
  HWND box = program.WaitForOwnedWindow();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Ошибка", WindowText(box));
  EXPECT_EQ("Загрузка возможна, только из формата bmt, который создает данная программа",
            WindowText(GetDlgItem(box, 0xFFFF)));  // the message box's text
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }) && program.Responsive());
  EXPECT_TRUE(program.Checked(IDC_MELODY3));

  ASSERT_TRUE(Choose(IDC_LOAD, "short.bmt"));
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  EXPECT_FALSE(program.Checked(IDC_MELODY3));
  EXPECT_EQ("C3(1/8)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("1000", program.EditText(IDC_TEMPO));
  program.Click(IDC_MELODY4);
  EXPECT_EQ("65535", program.EditText(IDC_TEMPO));
  // Behind melody 1's end the image holds zeros again, as in a fresh set.
  ASSERT_TRUE(Choose(IDOK, "short.bin"));
  MelodySet loaded;
  ASSERT_EQ(1, loaded.LoadProject(PathOf("short.bmt").c_str()));
  loaded.EncodeAll();
  ASSERT_TRUE(loaded.ExportBlock(PathOf("expected.bin").c_str()));
  EXPECT_EQ(FileOf("expected.bin"), FileOf("short.bin"));
}

TEST_F(DialogWindow, AFailedSaveOrLoadSaysWhyAndLosesNothing) {
  program.SetText(IDC_MELODY_TEXT, "C2(1/4) D2(1/8)");
  program.SetText(IDC_TEMPO, "150");
  ASSERT_TRUE(Choose(IDOK, "before.bmt"));
  // Nowhere to write: a folder that is not there, and one nobody may write to.
  for (const char* target : {"missing\\song.bmt", "missing\\song.bin", "Z:\\proc\\song.bmt"}) {
    ASSERT_TRUE(Choose(IDOK, target));
    const auto [caption, text] = CloseBox();
    EXPECT_EQ("Ошибка", caption) << target;
    EXPECT_EQ(0u, text.find("Не удалось сохранить файл\r\n")) << text;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
  const std::string log = FileOf("Error.log");
  EXPECT_NE(std::string::npos, log.find("SaveProject(" + PathOf("missing\\song.bmt") + "),error code: 3")) << log;
  EXPECT_NE(std::string::npos, log.find("ExportBlock(" + PathOf("missing\\song.bin") + "),error code: 3")) << log;

  // What is not a whole project is not loaded: the melodies stay as they are.
  const std::string project = FileOf("before.bmt");
  testing_support::WriteFile(dir.Path() / "cut.bmt", project.substr(0, project.size() - 1));
  testing_support::WriteFile(dir.Path() / "longer.bmt", project + "x");
  testing_support::WriteFile(dir.Path() / "empty.bmt", "");
  testing_support::WriteFile(dir.Path() / "block.bmt", std::string(2408, '\xFF'));
  testing_support::WriteFile(dir.Path() / "overrun.bmt", std::string("\xFF\x7F", 2) + project);
  program.Click(IDC_MELODY3);
  program.SetText(IDC_MELODY_TEXT, "E2(1/4)");
  for (const char* name : {"cut.bmt", "longer.bmt", "empty.bmt", "block.bmt", "overrun.bmt"}) {
    ASSERT_TRUE(Choose(IDC_LOAD, name));
    EXPECT_EQ(std::make_pair(std::string("Ошибка"),
                             std::string("Загрузка возможна, только из формата bmt, который создает данная программа")),
              CloseBox())
        << name;
  }
  ASSERT_TRUE(Choose(IDC_LOAD, "absent.bmt"));
  const auto [caption, text] = CloseBox();
  EXPECT_EQ("Ошибка", caption);
  EXPECT_EQ(0u, text.find("Не удалось открыть файл\r\n" + PathOf("absent.bmt"))) << text;
  EXPECT_TRUE(program.Checked(IDC_MELODY3));
  EXPECT_EQ("E2(1/4)", program.EditText(IDC_MELODY_TEXT));
  program.Click(IDC_MELODY1);
  EXPECT_EQ("C2(1/4) D2(1/8)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("150", program.EditText(IDC_TEMPO));
  EXPECT_NE(std::string::npos, FileOf("Error.log").find("LoadProject(" + PathOf("cut.bmt") + ", not a project)"));
}

TEST_F(DialogWindow, TheMelodyEditKeepsWhatAMelodyCanHold) {
  // Pasted and typed past the limit: what is on screen is what is saved.
  const std::string text(2100, 'P');
  SendMessageA(program.Control(IDC_MELODY_TEXT), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(program.Control(IDC_MELODY_TEXT), WM_CHAR, 'Q', 0);
  EXPECT_EQ(std::string(2047, 'P'), program.EditText(IDC_MELODY_TEXT));
  ASSERT_TRUE(Choose(IDOK, "long.bmt"));
  MelodySet saved;
  ASSERT_EQ(1, saved.LoadProject(PathOf("long.bmt").c_str()));
  EXPECT_EQ(std::string(2047, 'P'), saved.MelodyText(0));
}

TEST(DialogSession, TheLogStartsAfreshAndEnterAndEscapeActOnTheirEdits) {
  ScopedWorkDir dir;
  testing_support::WriteFile(dir.Path() / "Error.log", "left from an earlier run\r\n");
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Error.log"));

  // Enter breaks the line in the melody edit and saves from the tempo edit.
  program.SetText(IDC_MELODY_TEXT, "X9(1/4)");
  SendMessageA(program.Control(IDC_MELODY_TEXT), EM_SETSEL, 7, 7);
  program.PressKey(IDC_MELODY_TEXT, VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return program.EditText(IDC_MELODY_TEXT) == "X9(1/4)\r\n"; }));
  EXPECT_EQ(nullptr, program.WaitForOwnedWindow(300));
  program.PressKey(IDC_TEMPO, VK_RETURN);
  ASSERT_TRUE(program.AnswerFileDialog((dir.Path() / "enter.bin").string()));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "enter.bin"));

  // Encoding the unknown note was logged, after the header.
  std::string log = ReadFile(dir.Path() / "Error.log");
  EXPECT_EQ(0u, log.find("Information for debug\r\n")) << log;
  size_t body = log.find("\r\nRelease version:\r\n");
  ASSERT_NE(std::string::npos, body);
  EXPECT_LT(body + 20, log.size());
  program.PressKey(IDC_TEMPO, VK_ESCAPE);
  EXPECT_EQ(1u, program.WaitForExit());
}
