// The jobs as the dialog runs them: what goes on the line, what the view
// is shown, what the log is told, and one job at a time.
#include <cstring>

#include "diag/ErrorLog.h"
#include "melody/MelodySet.h"
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

class PhoneJobsTest : public SimLinkTest {
 protected:
  PhoneJobsTest() { request.view = &view; }
  void TearDown() override { EXPECT_FALSE(PhoneJobRunning() || PhonePort.IsOpen()); }

  RecordingView view;
  UploadRequest request;
};

TEST_F(PhoneJobsTest, UploadOfAPhoneInNormalModePutsTheWholeExchangeOnTheLine) {
  for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 7 + i / 256);
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  // Pings it does not answer, the entry at the third rate, an answered ping,
  // then the information query, the open, 121 chunks, the close and the two
  // finishing frames.
  const Bytes entry = Text("at^sqwe=1\r");
  std::vector<Bytes> expected = {kPing, kPing, kPing, entry, entry, entry, kPing, Frame(0x14, {0x15, 0xCF, 0x13}, true),
                                 Frame(0x14, {0x11, 0xCF, 0x13, 0x68, 0x09, 0x04}, true)};
  for (int offset = 0; offset < kUploadImageSize; offset += 20) {
    Bytes chunk = {0x12, 0xCF, 0x13, static_cast<uint8_t>(offset), static_cast<uint8_t>(offset >> 8)};
    for (int i = offset; i < std::min(offset + 20, kUploadImageSize); ++i) chunk.push_back(request.image[i]);
    expected.push_back(Frame(0x14, chunk, true));
  }
  expected.insert(expected.end(), kClosingFrames.begin(), kClosingFrames.end());
  EXPECT_EQ(Writes(), expected);
  EXPECT_EQ(sim::HexBytes(expected[8]), "14 07 13 11 CF 13 68 09 04 A8");
  EXPECT_EQ(sim->phone.Block(), Bytes(request.image, request.image + kUploadImageSize));
}

TEST_F(PhoneJobsTest, FailedUploadEndsWithItsOwnTextAndTheButtonsEnabled) {
  using S = sim::SimPhoneSettings;
  using R = PhoneJobResult;
  const std::string connected = "107 -1014 -1015 -1017 108", job = "UploadJob(COM1, ";
  const struct {
    PhoneSetup fault;
    int portIndex;
    PhoneJobResult result;
    std::string calls, logged;
  } cases[] = {
      {[](S&) {}, 1, R::PortNotOpened, "x Error open: \xD1\xCE\xCC" "2", "ComOpen(COM2),error code: 2"},
      {[](S& s) { s.silent = true; }, 0, R::PhoneSilent, "107 112",
       job + "no answer to the ping after the service-mode entry),error code: "},
      // It answered the pings, then stopped answering: that is no connection.
      {[](S& s) { s.oversizedReplyTo = sim::Request::BlockInfo; }, 0, R::InfoQueryFailed, connected + " 112",
       job + "no answer to the information query of block 5071),error code: "},
      {[](S& s) { s.blockLength = 2400; }, 0, R::SizeDiffers, connected + " 106",
       job + "block 5071 is 2400 bytes long, not 2408),error code: "},
      {[](S& s) { s.refuseOffset = 2400; }, 0, R::WriteFailed, connected + " 105 110",
       job + "the chunk at 2400 of 2408 not taken after 10 sends, 10 of them refused),error code: "},
      {[](S& s) { s.silentAtOffset = 2400; }, 0, R::WriteFailed, connected + " 105 110",
       job + "the chunk at 2400 of 2408 not taken after 10 sends, 0 of them refused),error code: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.logged);
    Phone(sim::PhoneState::Normal, c.fault);
    view.calls.clear();
    request.portIndex = c.portIndex;
    EXPECT_EQ(UploadJob(request), c.result);
    EXPECT_EQ(view.calls, c.calls + " +1014 +1015 +1017");
    EXPECT_NE(testing_support::ReadFile(kErrorLogName).find(c.logged), std::string::npos);
  }
}

TEST_F(PhoneJobsTest, WhileAnUploadRunsNoOtherJobStartsAndLaterChangesDoNotReachThePhone) {
  MelodySet& melodies = Melodies();
  strcpy(melodies.MelodyText(0), "C2(1/4) D2(1/8) P(1/4)");
  ASSERT_TRUE(PrepareUpload(request));
  const Bytes encoded(melodies.BlockImage(), melodies.BlockImage() + kBlockImageSize);
  UploadRequest second;
  view.onCall = [&](const std::string& call) {
    if (call == "107") {  // in the connection phase, the buttons still enabled
      EXPECT_FALSE(PrepareUpload(second));
      EXPECT_EQ(PowerCommand(view, 0), PhoneJobResult::Busy);
      EXPECT_EQ(UploadJob(second), PhoneJobResult::Busy);
    }
    if (call == "105") {  // a Load, then a Save of another melody
      strcpy(melodies.MelodyText(0), "H8(1/1)");
      melodies.EncodeAll();
    }
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(sim->phone.Block(), encoded);
  EXPECT_EQ(view.calls, "107 -1014 -1015 -1017 108 105 109 +1014 +1015 +1017");  // nothing of the refused jobs
  EXPECT_EQ(sim->line.OpenCount(), 1);
  ASSERT_TRUE(PrepareUpload(request));  // prepared but never started
  ReleaseUpload(request);
}

TEST_F(PhoneJobsTest, PowerCommandFollowsTheStateTable) {
  const struct {
    sim::PhoneState state;
    bool keyHeld;
    int phoneOn, portIndex;
    bool succeeds, offAfter;
    std::string calls, logged;
  } rows[] = {
      {sim::PhoneState::Normal, true, 1, 0, true, true, "c123 114", ""},
      {sim::PhoneState::Off, true, 1, 0, false, true, "c122 115 121",  // silent to frames
       "PowerOffJob(COM1, the power-off was not confirmed),error code: "},
      {sim::PhoneState::Normal, true, 1, 3, false, false, "x c122 115 121", "ComOpen(COM4),error code: 2"},
      {sim::PhoneState::Off, true, 0, 2, false, true, "x", "ComOpen(COM3),error code: 2"},
      {sim::PhoneState::Off, true, 0, 0, true, false, "118 119 121 c122", ""},
      // The next press tries to switch it on again, and the caption says so.
      {sim::PhoneState::Off, false, 0, 0, false, true, "118 120 c123",
       "PowerOnJob(COM1, no boot handshake in 10 attempts),error code: "},
  };
  for (const auto& row : rows) {
    Phone(row.state, [&](sim::SimPhoneSettings& s) { s.powerKeyHeld = row.keyHeld; });
    PhoneOn = row.phoneOn;
    view.calls.clear();
    std::filesystem::remove(kErrorLogName);
    EXPECT_EQ(PowerCommand(view, row.portIndex) == PhoneJobResult::Succeeded, row.succeeds);
    EXPECT_EQ(view.calls, row.calls);
    EXPECT_EQ(PhoneOn, row.succeeds ? !row.phoneOn : row.phoneOn);
    EXPECT_EQ(sim->phone.State() == sim::PhoneState::Off, row.offAfter);
    const std::string log = testing_support::ReadFile(kErrorLogName);
    EXPECT_EQ(row.logged.empty() ? log.empty() : log.find(row.logged) != std::string::npos, true) << log;
  }
}

}  // namespace
}  // namespace link_test
