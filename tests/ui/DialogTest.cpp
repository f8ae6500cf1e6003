// Quavrel.exe driven from outside as a user would: the template, editing
// and switching melodies, Save and Load with their files, the COM button,
// the keys, the exit codes and the error log.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "melody/MelodySet.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/ProgramDriver.h"
#include "ui/ControlIds.h"

using testing_support::ReadFile;
using testing_support::ScopedWorkDir;
using testing_support::WriteFile;

namespace {

const char* const kTitle = "Quavrel v0.3b2 for Siemens A50 Quavrel team";

struct ExpectedControl {
  int id;
  const char* className;
  DWORD style;
  const char* caption;
  short x, y, cx, cy;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const ExpectedControl kControls[] = {
    {1008, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, "Load...", 72, 156, 50, 14},
    {1, "Button", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, "Save...", 12, 156, 50, 14},
    {1001, "Button", kChild | BS_AUTORADIOBUTTON, "Мелодия 1", 12, 18, 66, 10},
    {1002, "Button", kChild | BS_AUTORADIOBUTTON, "Мелодия 2", 12, 30, 66, 10},
    {1003, "Button", kChild | BS_AUTORADIOBUTTON, "Мелодия 3", 84, 18, 66, 10},
    {1004, "Button", kChild | BS_AUTORADIOBUTTON, "Мелодия 4", 84, 30, 66, 10},
    {1011, "Edit", kChild | WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, "", 270, 54, 40, 14},
    {1012, "msctls_updown32", kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY |
     UDS_ARROWKEYS | UDS_HOTTRACK, "", 310, 53, 11, 14},
    {1005, "Edit", kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN, "",
     6, 72, 318, 78},
    {1014, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, "Com 1", 12, 204, 50, 14},
    {1017, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, "Power Off", 132, 204, 48, 14},
    {1015, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, "Start", 72, 204, 50, 14},
    {2, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, "Exit", 276, 156, 50, 14},
    {-1, "Button", kChild | BS_GROUPBOX, "Выберите текущую позицию мелодии:", 6, 6, 318, 42},
    {-1, "Static", kChild | WS_GROUP | SS_LEFT, "Текст мелодии (в нотной записи для Siemens):", 6, 56,
     162, 8},
    {-1, "Static", kChild | WS_GROUP | SS_LEFT, "Quavrel team", 132, 160, 132, 8},
    {-1, "Static", kChild | WS_GROUP | SS_LEFT, "Темп текущей мелодии:", 183, 56, 84, 8},
    {-1, "Button", kChild | BS_GROUPBOX, "Запись мелодии (Experemental)", 6, 180, 318, 42},
    {1013, "Button", WS_CHILD | WS_DISABLED | WS_TABSTOP | BS_AUTOCHECKBOX,
     "Сохранить изменяемый блок (5071) [backup.bin] ", 12, 192, 132, 10},
    {-1, "Static", kChild | WS_GROUP | SS_CENTER,
     "Эта возможность  эксперементальная, используйте на свой страх и риск!", 192, 192, 126, 24},
    {1018, "Static", kChild | WS_GROUP | SS_LEFT, "Ready...", 7, 224, 318, 8},
};

// Reads a DIALOGEX template as the resource holds it.
class TemplateReader {
 public:
  explicit TemplateReader(const void* data) : at_(static_cast<const BYTE*>(data)) {}
  WORD Word() { return Take<WORD>(); }
  DWORD Dword() { return Take<DWORD>(); }
  short Short() { return Take<short>(); }
  BYTE Byte() { return Take<BYTE>(); }
  // A string or an ordinal; ordinals come back as "#n" or the class name.
  std::string SzOrOrd() {
    if (*reinterpret_cast<const WORD*>(at_) == 0xFFFF) {
      Word();
      WORD ordinal = Word();
      switch (ordinal) {
        case 0x80: return "Button";
        case 0x81: return "Edit";
        case 0x82: return "Static";
        default: return "#" + std::to_string(ordinal);
      }
    }
    return Utf8(String());
  }
  std::wstring String() {
    std::wstring text(reinterpret_cast<const wchar_t*>(at_));
    at_ += (text.size() + 1) * 2;
    return text;
  }
  void AlignDword(const void* base) {
    while ((at_ - static_cast<const BYTE*>(base)) % 4) ++at_;
  }
  void Skip(size_t bytes) { at_ += bytes; }

 private:
  template <typename T>
  T Take() {
    T value;
    memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  const BYTE* at_;
};

// The bytes of a project file: four records of text length, text, tempo.
std::string ProjectBytes(const std::vector<std::string>& texts, const std::vector<int>& tempos) {
  std::string bytes;
  for (int r = 0; r < 4; ++r) {
    size_t length = texts[static_cast<size_t>(r)].size();
    bytes += static_cast<char>(length & 0xFF);
    bytes += static_cast<char>(length >> 8);
    bytes += texts[static_cast<size_t>(r)];
    int tempo = tempos[static_cast<size_t>(3 - r)];  // record r holds melody 4-r's tempo
    bytes += static_cast<char>(tempo & 0xFF);
    bytes += static_cast<char>(tempo >> 8);
  }
  return bytes;
}

std::string PathIn(const ScopedWorkDir& dir, const std::string& name) {
  return (dir.Path() / name).string();
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::wstring wide = Wide(utf8);
  int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], length, nullptr, nullptr);
  ansi.resize(strlen(ansi.c_str()));
  return ansi;
}

}  // namespace

TEST(DialogTemplate, ResourceHoldsEveryControlAsDesigned) {
  HMODULE program = LoadLibraryExA(BesideThisProgram("Quavrel.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program);
  HRSRC found = FindResourceExA(program, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(101),
                                MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
  ASSERT_NE(nullptr, found);
  const void* data = LockResource(LoadResource(program, found));
  TemplateReader reader(data);
  EXPECT_EQ(1, reader.Word());
  EXPECT_EQ(0xFFFF, reader.Word());
  reader.Dword();  // help ID
  EXPECT_EQ(0u, reader.Dword());
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                               DS_FIXEDSYS),
            reader.Dword());
  WORD count = reader.Word();
  EXPECT_EQ(21, count);
  short rect[4] = {reader.Short(), reader.Short(), reader.Short(), reader.Short()};
  EXPECT_EQ(0, rect[0]);
  EXPECT_EQ(0, rect[1]);
  EXPECT_EQ(328, rect[2]);
  EXPECT_EQ(234, rect[3]);
  EXPECT_EQ("", reader.SzOrOrd());  // no menu
  EXPECT_EQ("", reader.SzOrOrd());  // no class of its own
  EXPECT_EQ("Quavrel for A50", Utf8(reader.String()));
  EXPECT_EQ(8, reader.Word());
  EXPECT_EQ(400, reader.Word());
  EXPECT_EQ(0, reader.Byte());
  EXPECT_EQ(DEFAULT_CHARSET, reader.Byte());
  EXPECT_EQ("MS Shell Dlg", Utf8(reader.String()));
  for (int i = 0; i < count && i < 21; ++i) {
    const ExpectedControl& want = kControls[i];
    reader.AlignDword(data);
    reader.Dword();
    EXPECT_EQ(0u, reader.Dword()) << i;
    EXPECT_EQ(want.style, reader.Dword()) << "control " << i + 1;
    short x = reader.Short(), y = reader.Short(), cx = reader.Short(), cy = reader.Short();
    EXPECT_EQ(want.x, x) << i;
    EXPECT_EQ(want.y, y) << i;
    EXPECT_EQ(want.cx, cx) << i;
    EXPECT_EQ(want.cy, cy) << i;
    EXPECT_EQ(want.id, static_cast<int>(reader.Dword())) << i;
    EXPECT_STRCASEEQ(want.className, reader.SzOrOrd().c_str()) << i;
    EXPECT_EQ(want.caption, reader.SzOrOrd()) << i;
    reader.Skip(reader.Word());
  }
  FreeLibrary(program);
}

TEST(DialogTemplate, IconVersionAndManifest) {
  const std::string path = BesideThisProgram("Quavrel.exe");
  HMODULE program = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, program);
  const WORD russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
  HRSRC icons = FindResourceExA(program, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */,
                                MAKEINTRESOURCEA(104), russian);
  ASSERT_NE(nullptr, icons);
  const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(program, icons)));
  std::vector<std::string> images;  // width x colours of each entry (14 bytes each)
  for (int i = 0; i < group[4]; ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    images.push_back(std::to_string(entry[0]) + "x" + std::to_string(entry[6] == 4 ? 16 : 256));
  }
  EXPECT_EQ((std::vector<std::string>{"16x16", "16x256", "32x16", "32x256", "48x256"}), images);
  HRSRC manifest = FindResourceExA(program, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), russian);
  ASSERT_NE(nullptr, manifest);
  std::string xml(static_cast<const char*>(LockResource(LoadResource(program, manifest))),
                  SizeofResource(program, manifest));
  EXPECT_TRUE(std::regex_search(xml, std::regex("name=\"Microsoft.Windows.Common-Controls\"[^>]*"
                                                "version=\"6.0.0.0\"[^>]*processorArchitecture=\"X86\"")));
  FreeLibrary(program);

  std::vector<BYTE> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
  EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
  EXPECT_TRUE(fixed->dwFileFlags & VS_FF_SPECIALBUILD);
  EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
  for (auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"Comments", "Прога для записи мелодий через Сервисный режим для Siemens А50"},
           {"ProductName", "Quavrel"}, {"SpecialBuild", "For Siemens A50"}}) {
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), Wide("\\StringFileInfo\\041904e3\\" + name).c_str(),
                               reinterpret_cast<void**>(&value), &size)) << name;
    EXPECT_EQ(text, Utf8(value)) << name;
  }
}

TEST(DialogWindow, StartsWithMelodyOneAndEveryControlInPlace) {
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(kTitle, program.Title());

  // The live controls in tab order, as the template made them.
  std::vector<std::string> texts = ChildTexts(program.Dialog());
  int index = 0;
  for (HWND child = GetWindow(program.Dialog(), GW_CHILD); child && index < 21;
       child = GetWindow(child, GW_HWNDNEXT), ++index) {
    const ExpectedControl& want = kControls[index];
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    EXPECT_STRCASEEQ(want.className, className) << index;
    EXPECT_EQ(want.id, static_cast<short>(GetDlgCtrlID(child))) << index;
    EXPECT_EQ((want.style & WS_VISIBLE) != 0, IsWindowVisible(child) != FALSE) << index;
    EXPECT_EQ((want.style & WS_DISABLED) == 0, IsWindowEnabled(child) != FALSE) << index;
    if (want.id != IDC_TEMPO && want.id != IDC_STATUS && want.id != IDC_MELODY_TEXT) {
      EXPECT_EQ(want.caption, texts[static_cast<size_t>(index)]) << index;
    }
  }
  EXPECT_EQ(21, index);

  // Centred on the screen.
  RECT frame;
  GetWindowRect(program.Dialog(), &frame);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2, frame.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2, frame.top);

  // Initial state: melody 1, tempo 128, the ready text, COM1.
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  EXPECT_FALSE(program.Checked(IDC_MELODY2));
  EXPECT_EQ("128", program.EditText(IDC_TEMPO));
  EXPECT_EQ("", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("-=Ready=-", program.Text(IDC_STATUS));
  EXPECT_EQ("Com 1", program.Text(IDC_COM));
  EXPECT_EQ("Power Off", program.Text(IDC_POWER));
  EXPECT_EQ(reinterpret_cast<LRESULT>(program.Control(IDC_TEMPO)),
            SendMessageA(program.Control(IDC_TEMPO_ARROWS), UDM_GETBUDDY, 0, 0));
  EXPECT_EQ(MAKELONG(512, 0), SendMessageA(program.Control(IDC_TEMPO_ARROWS), UDM_GETRANGE, 0, 0));

  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, SwitchingMelodiesKeepsEachTextAndTempoAndComCycles) {
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, "C2(1/4) D2(1/8)");
  program.SetText(IDC_TEMPO, "140");
  program.Click(IDC_MELODY3);
  EXPECT_TRUE(program.Checked(IDC_MELODY3));
  EXPECT_EQ("", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("128", program.EditText(IDC_TEMPO));
  program.SetText(IDC_MELODY_TEXT, "E2(1/4)");
  program.SetText(IDC_TEMPO, "");  // an empty tempo is stored as 0
  program.Click(IDC_MELODY1);
  EXPECT_EQ("C2(1/4) D2(1/8)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("140", program.EditText(IDC_TEMPO));
  // Choosing the melody already shown neither stores nor shows.
  program.SetText(IDC_MELODY_TEXT, "F2(1/2)");
  program.Click(IDC_MELODY1);
  EXPECT_EQ("F2(1/2)", program.EditText(IDC_MELODY_TEXT));
  program.Click(IDC_MELODY3);
  EXPECT_EQ("E2(1/4)", program.EditText(IDC_MELODY_TEXT));
  EXPECT_EQ("0", program.EditText(IDC_TEMPO));
  program.Click(IDC_MELODY1);
  EXPECT_EQ("F2(1/2)", program.EditText(IDC_MELODY_TEXT));

  std::vector<std::string> ports;
  for (int press = 0; press < 4; ++press) {
    program.Click(IDC_COM);
    ports.push_back(program.Text(IDC_COM));
  }
  EXPECT_EQ((std::vector<std::string>{"Com 2", "Com 3", "Com 4", "Com 1"}), ports);
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, SaveWritesTheSameFilesAsTheMelodySet) {
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  const std::string first = "C2(1/4) D2(1/8) P(1/4) E2(1/16)";
  const std::string fourth = "Мелодия: A1(1/2) H1(1/4)";  // Cyrillic goes through as 1251
  program.SetText(IDC_MELODY_TEXT, first);
  program.SetText(IDC_TEMPO, "200");
  program.Click(IDC_MELODY4);
  program.SetText(IDC_MELODY_TEXT, fourth);
  program.SetText(IDC_TEMPO, "95");

  MelodySet expected;
  strcpy(expected.MelodyText(0), first.c_str());
  strcpy(expected.MelodyText(3), Utf8ToAnsi(fourth).c_str());
  expected.MelodyTempo(0) = 200;
  expected.MelodyTempo(3) = 95;

  // The melody on screen is stored by Save itself.
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "song.bmt")));
  ASSERT_TRUE(expected.SaveProject(PathIn(dir, "expected.bmt").c_str()));
  EXPECT_EQ(ReadFile(dir.Path() / "expected.bmt"), ReadFile(dir.Path() / "song.bmt"));

  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "song.bin")));
  expected.EncodeAll();
  std::string image(reinterpret_cast<const char*>(expected.BlockImage()), kBlockImageSize);
  EXPECT_EQ(image, ReadFile(dir.Path() / "song.bin"));
  EXPECT_EQ(93u, ReadFile(dir.Path() / "song.bid").size());

  // Only the file's own name decides: a folder named like a block file
  // still gets the project.
  std::filesystem::create_directory(dir.Path() / "old.bin.d");
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "old.bin.d\\song.bmt")));
  EXPECT_EQ(ReadFile(dir.Path() / "expected.bmt"), ReadFile(dir.Path() / "old.bin.d" / "song.bmt"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "old.bin.d" / "song.bid"));
  // ".BIN" is not ".bin": a project.
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "upper.BIN")));
  EXPECT_EQ(ReadFile(dir.Path() / "expected.bmt"), ReadFile(dir.Path() / "upper.BIN"));

  // A cancelled Save still took the melody on screen.
  program.SetText(IDC_TEMPO, "96");
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.CancelFileDialog());
  program.Click(IDC_MELODY1);
  program.Click(IDC_MELODY4);
  EXPECT_EQ("96", program.EditText(IDC_TEMPO));
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, LoadShowsMelodyOneAndClearsTheBlockImage) {
  ScopedWorkDir dir;
  const std::string longMelody = "C2(1/4) D2(1/4) E2(1/4) F2(1/4) G2(1/4) A2(1/4)";
  WriteFile(dir.Path() / "short.bmt",
            ProjectBytes({"C3(1/8)", "D1(1/2)", "", ""}, {1000, 65535, 128, 77}));
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, longMelody);
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "long.bin")));
  program.Click(IDC_MELODY3);

  program.ClickLater(IDC_LOAD);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "short.bmt")));
  EXPECT_TRUE(program.Checked(IDC_MELODY1));
  EXPECT_FALSE(program.Checked(IDC_MELODY3));
  EXPECT_EQ("C3(1/8)", program.EditText(IDC_MELODY_TEXT));
  // A tempo longer than can be typed is shown whole and kept on a switch.
  EXPECT_EQ("1000", program.EditText(IDC_TEMPO));
  program.Click(IDC_MELODY2);
  EXPECT_EQ("65535", program.EditText(IDC_TEMPO));
  program.Click(IDC_MELODY1);
  EXPECT_EQ("1000", program.EditText(IDC_TEMPO));
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "again.bmt")));
  EXPECT_EQ(ReadFile(dir.Path() / "short.bmt"), ReadFile(dir.Path() / "again.bmt"));

  // Behind melody 1's new terminator the image holds zeros, not what the
  // longer melody left there.
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "short.bin")));
  MelodySet expected;
  strcpy(expected.MelodyText(0), longMelody.c_str());
  expected.EncodeAll();
  ASSERT_EQ(1, expected.LoadProject(PathIn(dir, "short.bmt").c_str()));
  expected.ClearBlockImage();
  expected.EncodeAll();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected.BlockImage()), kBlockImageSize),
            ReadFile(dir.Path() / "short.bin"));
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, LoadRefusesNamesWithoutTheProjectExtension) {
  ScopedWorkDir dir;
  const std::string project = ProjectBytes({"C3(1/8)", "", "", ""}, {128, 128, 128, 128});
  WriteFile(dir.Path() / "upper.BMT", project);
  std::filesystem::create_directory(dir.Path() / "x.bmt");
  WriteFile(dir.Path() / "x.bmt" / "block.bin", std::string(2408, '\x55'));
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, "kept");
  for (const char* name : {"upper.BMT", "x.bmt\\block.bin"}) {
    program.ClickLater(IDC_LOAD);
    ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, name)));
    HWND box = program.WaitForOwnedWindow();
    ASSERT_NE(nullptr, box) << name;
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(box, &caption[0], 256)));
    EXPECT_EQ("Ошибка", Utf8(caption)) << name;
    std::vector<std::string> texts = ChildTexts(box);
    EXPECT_NE(texts.end(),
              std::find(texts.begin(), texts.end(),
                        "Загрузка возможна, только из формата bmt, который создает данная программа"))
        << name;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    ASSERT_TRUE(program.Responsive());
    EXPECT_EQ("kept", program.EditText(IDC_MELODY_TEXT)) << name;
  }
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, EnterSavesFromTheTempoAndBreaksTheLineInTheMelody) {
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, "C2(1/4)");
  SendMessageA(program.Control(IDC_MELODY_TEXT), EM_SETSEL, 7, 7);
  program.PressKey(IDC_MELODY_TEXT, VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return program.EditText(IDC_MELODY_TEXT) == "C2(1/4)\r\n"; }))
      << program.EditText(IDC_MELODY_TEXT);
  EXPECT_EQ(nullptr, program.WaitForOwnedWindow(300));

  program.PressKey(IDC_TEMPO, VK_RETURN);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "enter.bmt")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "enter.bmt"));
  program.PressKey(IDC_TEMPO, VK_ESCAPE);
  EXPECT_EQ(1u, program.WaitForExit());
}

TEST(DialogWindow, ErrorLogStartsAfreshWithItsHeader) {
  ScopedWorkDir dir;
  WriteFile(dir.Path() / "Error.log", "left from an earlier run\r\n");
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "Error.log"));
  // An unknown note is logged when the block is encoded.
  program.SetText(IDC_MELODY_TEXT, "X9(1/4)");
  program.ClickLater(IDOK);
  ASSERT_TRUE(program.AnswerFileDialog(PathIn(dir, "bad.bin")));
  std::string log = ReadFile(dir.Path() / "Error.log");
  EXPECT_EQ(0u, log.find("Information for debug\r\nOS: ")) << log;
  EXPECT_NE(std::string::npos, log.find("Programme name: Quavrel.exe\r\n")) << log;
  size_t body = log.find("\r\nRelease version:\r\n");
  ASSERT_NE(std::string::npos, body);
  EXPECT_LT(body + 20, log.size());
  EXPECT_EQ(std::string::npos, log.find("left from an earlier run"));
  // Closing from the caption ends with 0 (Exit and Escape give 1).
  PostMessageA(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(0u, program.WaitForExit());
}

namespace {

// The Unix path of a Windows one, as Wine maps it.
std::string UnixPath(const std::string& windowsPath) {
  typedef char*(CDECL * ToUnix)(LPCWSTR);
  ToUnix toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return "";
  char* unix = toUnix(Wide(windowsPath).c_str());
  if (!unix) return "";
  std::string path(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

// Starts a program of the Unix side; false when it cannot.
bool RunUnixProgram(const std::string& commandLine) {
  std::string command = "start.exe /wait /unix " + commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0;
}

}  // namespace

// A picture of the dialog for the documentation, taken from the virtual
// display, with the Cyrillic texts checked as the window holds them.
TEST(DialogWindow, ScreenshotWithTheCyrillicTexts) {
  std::string shot = UnixPath(BesideThisProgram("dialog.png"));
  if (shot.empty()) GTEST_SKIP() << "not under Wine";
  ScopedWorkDir dir;
  ProgramDriver program(dir.Path().string());
  ASSERT_TRUE(program.Started());
  program.SetText(IDC_MELODY_TEXT, "E2(1/8) Dis2(1/8) E2(1/8) Dis2(1/8) E2(1/8) H1(1/8) D2(1/8) "
                                   "C2(1/8) A1(1/4) P(1/8) C1(1/8) E1(1/8) A1(1/8) H1(1/4)");
  program.SetText(IDC_TEMPO, "140");
  std::vector<std::string> texts = ChildTexts(program.Dialog());
  for (const char* cyrillic : {"Мелодия 1", "Выберите текущую позицию мелодии:",
                               "Текст мелодии (в нотной записи для Siemens):",
                               "Темп текущей мелодии:", "Запись мелодии (Experemental)",
                               "Эта возможность  эксперементальная, используйте на свой страх и риск!"})
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), cyrillic)) << cyrillic;
  for (const std::string& text : texts) EXPECT_EQ(std::string::npos, text.find('?')) << text;

  ASSERT_TRUE(program.Responsive());
  Sleep(500);  // let the display catch up with the last paint
  RECT frame;
  GetWindowRect(program.Dialog(), &frame);
  char geometry[64];
  snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld", frame.right - frame.left,
           frame.bottom - frame.top, frame.left, frame.top);
  std::filesystem::path png = BesideThisProgram("dialog.png");
  std::filesystem::remove(png);
  ASSERT_TRUE(RunUnixProgram(std::string(QUAVREL_UI_TEST_DIR "/screenshot.sh ") + geometry + " " +
                             shot));
  // Wine does not wait for a program of the Unix side.
  std::error_code error;
  EXPECT_TRUE(WaitFor([&] {
    std::uintmax_t size = std::filesystem::file_size(png, error);
    return !error && size > 4000;
  }))
      << "no picture at " << shot;
  program.Click(IDCANCEL);
  EXPECT_EQ(1u, program.WaitForExit());
}
