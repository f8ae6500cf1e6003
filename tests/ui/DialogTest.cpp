// Quavrel.exe driven from outside as a user would: the dialog as it starts,
// editing and switching melodies, Save and Load with their files, the COM
// button, the keys, the exit codes and the error log.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "base/Cp1251.h"
#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "texts/ControlIds.h"

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;

namespace {

const std::string kError = "Ошибка";
const std::string kNotAProject = "Загрузка возможна, только из формата bmt, который создает данная программа";

// Takes a picture of the dialog from the display for the documentation.
bool TakePicture() {
  const std::string png = BesideThisProgram("dialog.png");
  std::filesystem::remove(png);
  ProgramDriver shot(".", "start.exe /wait /unix " QUAVREL_UI_TEST_DIR "/screenshot.sh " QUAVREL_DIALOG_PICTURE);
  if (shot.WaitForExit(60000) != 0) return false;
  // Wine does not wait for a program of the Unix side.
  return WaitFor([&] {
    std::error_code error;
    return std::filesystem::file_size(png, error) > 4000 && !error;
  });
}

// The program started in a folder of its own.
class DialogWindow : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program.Started()); }
  std::string PathOf(const char* name) const { return (dir.Path() / name).string(); }
  std::string FileOf(const char* name) const { return ReadFile(dir.Path() / name); }
  bool LogHas(const std::string& line) const { return FileOf("Error.log").find(line) != std::string::npos; }
  void Type(const std::string& text, const char* tempo) {
    program.SetText(IDC_MELODY_TEXT, text);
    program.SetText(IDC_TEMPO, tempo);
  }
  void ExpectShown(const std::string& text, const char* tempo) {
    EXPECT_EQ(text, program.EditText(IDC_MELODY_TEXT));
    EXPECT_EQ(tempo, program.EditText(IDC_TEMPO));
  }
  // Save (IDOK) or Load through the file dialog.
  bool Choose(int button, const char* name) {
    program.ClickLater(button);
    return program.AnswerFileDialog(PathOf(name));
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

// The picture shows the first melody typed; switching keeps each melody's
// text and tempo.
TEST_F(DialogWindow, StartsWithMelodyOneShownSwitchingKeepsEachMelodyAndTheEditKeepsWhatAMelodyCanHold) {
  EXPECT_EQ("Quavrel v0.3b2 for Siemens A50 Quavrel team", WindowText(program.Dialog()));
  EXPECT_EQ("Мелодия 1", program.Text(IDC_MELODY1));  // the template's texts reach the screen as 1251
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  ExpectShown("", "128");
  const std::string first = "E2(1/8) Dis2(1/8) E2(1/8) Dis2(1/8) E2(1/8) H1(1/8) D2(1/8) C2(1/8) A1(1/4) P(1/8) "
                            "C1(1/8) E1(1/8) A1(1/8) H1(1/4)";
  Type(first, "140");
  ASSERT_TRUE(program.Responsive());
  Sleep(500);  // let the display catch up with the last paint
  EXPECT_TRUE(TakePicture());

  program.Click(IDC_MELODY3);
  ExpectShown("", "128");
  Type("E2(1/4)", "90");
  program.Click(IDC_MELODY1);
  ExpectShown(first, "140");
  program.Click(IDC_MELODY3);
  ExpectShown("E2(1/4)", "90");
  // Pasted and typed past the limit: what is on screen is what is saved.
  program.Click(IDC_MELODY2);
  const std::string text(2100, 'P');
  SendMessageA(program.Control(IDC_MELODY_TEXT), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageA(program.Control(IDC_MELODY_TEXT), WM_CHAR, 'Q', 0);
  EXPECT_EQ(std::string(2047, 'P'), program.EditText(IDC_MELODY_TEXT));
  ASSERT_TRUE(Choose(IDOK, "long.bmt"));
  MelodySet saved;
  ASSERT_EQ(1, saved.LoadProject(PathOf("long.bmt").c_str()));
  EXPECT_EQ(std::string(2047, 'P'), saved.MelodyText(1));
  // Closed from the caption it ends with 0 (Exit and Escape give 1).
  PostMessageA(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0u, program.WaitForExit());
}

TEST_F(DialogWindow, SaveWritesProjectsAndBlocksAndLoadTakesProjectsBack) {
  const std::string first = "C2(1/4) D2(1/4) E2(1/4) F2(1/4) G2(1/4) A2(1/4)";
  const std::string fourth = "Мелодия: A1(1/2) H1(1/4)";  // Cyrillic goes through as 1251
  Type(first, "1000");  // longer than the edit lets one type
  program.Click(IDC_MELODY4);
  Type(fourth, "65535");
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
  ASSERT_TRUE(Choose(IDC_LOAD, "short.bmt"));
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  ExpectShown("C3(1/8)", "1000");
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
  Type("C2(1/4) D2(1/8)", "150");
  ASSERT_TRUE(Choose(IDOK, "before.bmt"));
  // Nowhere to write: a folder that is not there.
  for (const char* target : {"missing\\song.bmt", "missing\\song.bin"}) {
    ASSERT_TRUE(Choose(IDOK, target));
    const auto [caption, text] = CloseBox();
    EXPECT_EQ(kError, caption) << target;
    EXPECT_EQ(0u, text.find("Не удалось сохранить файл\r\n")) << text;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
  EXPECT_TRUE(LogHas("SaveProject(" + PathOf("missing\\song.bmt") + "),error code: 3"));
  EXPECT_TRUE(LogHas("ExportBlock(" + PathOf("missing\\song.bin") + "),error code: 3"));

  // What is not a whole project, nor named ".bmt" exactly, is not loaded:
  // the melodies stay as they are.
  const std::string project = FileOf("before.bmt");
  const std::pair<const char*, std::string> refused[] = {
      {"cut.bmt", project.substr(0, project.size() - 1)}, {"block.bmt", std::string(2408, '\xFF')}, {"upper.BMT", project}};
  program.Click(IDC_MELODY3);
  program.SetText(IDC_MELODY_TEXT, "E2(1/4)");
  for (const auto& [name, bytes] : refused) {
    testing_support::WriteFile(dir.Path() / name, bytes);
    ASSERT_TRUE(Choose(IDC_LOAD, name));
    EXPECT_EQ(std::make_pair(kError, kNotAProject), CloseBox()) << name;
  }
  ASSERT_TRUE(Choose(IDC_LOAD, "absent.bmt"));
  const auto [caption, text] = CloseBox();
  EXPECT_EQ(kError, caption);
  EXPECT_EQ(0u, text.find("Не удалось открыть файл\r\n" + PathOf("absent.bmt"))) << text;
  EXPECT_TRUE(program.Checked(IDC_MELODY3));
  EXPECT_EQ("E2(1/4)", program.EditText(IDC_MELODY_TEXT));
  program.Click(IDC_MELODY1);
  ExpectShown("C2(1/4) D2(1/8)", "150");
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
  program.PressKey(IDC_TEMPO, VK_ESCAPE);
  EXPECT_EQ(1u, program.WaitForExit());
}
