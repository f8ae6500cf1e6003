#include <gtest/gtest.h>

#include <csignal>

#include "base/Cp1251.h"
#include "cli/TerminalText.h"
#include "sim/ScopedSimPhone.h"
#include "sys/StringTable.h"
#include "tests/cli/CliTestSupport.h"

namespace link_test {
namespace {

using cli_testing::Quavrel;

// Status texts as the command prints them.
std::string Status(std::initializer_list<int> ids) {
  std::string text;
  for (int id : ids) text += TerminalFromCp1251(Utf8ToCp1251(sys::StringTableText(id))) + "\n";
  return text;
}

class PhoneCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Quavrel({"project", "p.bmt", "--melody", "1", "C2(1/4) D2(1/8)", "--melody", "3", "Q1(1/4)"}).code, 0);
    phone.opener.Attach("/dev/ttySIM", phone.line);
  }
  testing_support::ScopedWorkDir dir;
  sim::ScopedSimPhone phone;
};

TEST_F(PhoneCommandsTest, UploadWritesWhatEncodeExportsThenThePhoneGoesOffAndOn) {
  ASSERT_EQ(Quavrel({"encode", "p.bmt", "-o", "p.bin"}).code, 0);
  auto run = Quavrel({"upload", "p.bmt", "--port", "/dev/ttySIM"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, Status({107, 108, 105, 109}));
  EXPECT_NE(run.err.find("Q1"), std::string::npos);  // the encoder's warning
  EXPECT_EQ(std::string(phone.phone.Block().begin(), phone.phone.Block().end()), testing_support::ReadFile("p.bin"));
  run = Quavrel({"power-off", "--port", "COM1"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, Status({114}));
  run = Quavrel({"power-on", "--port", "com1"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, Status({118, 119, 121}));
}

TEST_F(PhoneCommandsTest, FailuresExitWithOneAndSayWhyWrongUsageWithTwo) {
  EXPECT_EQ(Quavrel({"upload", "missing.bmt", "--port", "COM1"}).code, 1);
  EXPECT_EQ(Quavrel({"upload", "p.bmt"}).code + Quavrel({"power-off", "COM1", "--port", "COM1"}).code, 4);
  EXPECT_EQ(phone.line.OpenCount(), 0);
  auto run = Quavrel({"upload", "p.bmt", "--port", "COM2"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, TerminalFromCp1251("Error open: \xD1\xCE\xCC" "2\n"));
  EXPECT_NE(run.err.find("cannot open the port 'COM2'"), std::string::npos);
  phone.phone.Settings().silent = true;
  run = Quavrel({"power-off", "--port", "COM1"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, Status({115, 121}));
}

TEST_F(PhoneCommandsTest, CtrlCDuringTheUploadClosesTheBlockAndSaysWhatThePhoneHolds) {
  phone.phone.onEvent = [](const sim::PhoneEvent& event) {
    if (event.meaning.rfind("data offset 1000 ", 0) == 0) std::raise(SIGINT);
  };
  auto run = Quavrel({"upload", "p.bmt", "--port", "COM1"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, Status({107, 108, 105}));
  EXPECT_NE(run.err.find("the phone now holds an incomplete block"), std::string::npos) << run.err;
  EXPECT_EQ(phone.phone.CompletedWrites(), 1);  // closed before the port was
  EXPECT_EQ(phone.phone.SendsOfChunk(1020), 0);
}

}  // namespace
}  // namespace link_test
