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
  // then the information query and the open; after them 121 chunks, the close
  // and the two finishing frames.
  const Bytes entry = Text("at^sqwe=1\r");
  const std::vector<Bytes> writes = Writes(), start(writes.begin(), writes.begin() + 9);
  EXPECT_EQ(start, (std::vector<Bytes>{kPing, kPing, kPing, entry, entry, entry, kPing,
                                       Frame(0x14, {0x15, 0xCF, 0x13}, true),
                                       Frame(0x14, {0x11, 0xCF, 0x13, 0x68, 0x09, 0x04}, true)}));
  EXPECT_EQ(writes.size(), 9u + 121u + 3u);
  EXPECT_EQ(LastWrites(3), kClosingFrames);
  EXPECT_EQ(sim->phone.Block(), Bytes(request.image, request.image + kUploadImageSize));
}

TEST_F(PhoneJobsTest, FailedUploadEndsWithItsOwnTextAndTheButtonsEnabled) {
  using S = sim::SimPhoneSettings;
  using R = PhoneJobResult;
  const std::string connected = "107 -1014 -1015 -1017 108", job = "UploadJob(COM1, ";
  const struct { PhoneSetup fault; int portIndex; PhoneJobResult result; std::string calls, logged; } cases[] = {
      {[](S&) {}, 1, R::PortNotOpened, "x Error open: \xD1\xCE\xCC" "2", "ComOpen(COM2),error code: 2"},
      // It answered the pings, then stopped answering: that is no connection (112, not 108).
      {[](S& s) { s.oversizedReplyTo = sim::Request::BlockInfo; }, 0, R::InfoQueryFailed, connected + " 112",
       job + "no answer to the information query of block 5071),error code: "},
      {[](S& s) { s.blockLength = 2400; }, 0, R::SizeDiffers, connected + " 106",
       job + "block 5071 is 2400 bytes long, not 2408),error code: "},
      {[](S& s) { s.refuseOffset = 2400; }, 0, R::WriteFailed, connected + " 105 110",
       job + "the chunk at 2400 of 2408 not taken after 10 sends, 10 of them refused),error code: "},
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

// Their successes are the dialog tests' and the commands'.
TEST_F(PhoneJobsTest, AFailedPowerCommandIsLoggedAndLeavesThePhoneAsItWas) {
  const struct { sim::PhoneState state; bool keyHeld; int phoneOn, portIndex; std::string calls, logged; } rows[] = {
      {sim::PhoneState::Off, true, 1, 0, "c122 115 121",  // silent to frames
       "PowerOffJob(COM1, the power-off was not confirmed),error code: "},
      {sim::PhoneState::Normal, true, 1, 3, "x c122 115 121", "ComOpen(COM4),error code: 2"},
      {sim::PhoneState::Off, true, 0, 2, "x", "ComOpen(COM3),error code: 2"},
      // The next press tries to switch it on again, and the caption says so.
      {sim::PhoneState::Off, false, 0, 0, "118 120 c123", "PowerOnJob(COM1, no boot handshake in 10 attempts),error code: "},
  };
  for (const auto& row : rows) {
    Phone(row.state, [&](sim::SimPhoneSettings& s) { s.powerKeyHeld = row.keyHeld; });
    PhoneOn = row.phoneOn;
    view.calls.clear();
    EXPECT_NE(PowerCommand(view, row.portIndex), PhoneJobResult::Succeeded);
    EXPECT_EQ(view.calls, row.calls);
    EXPECT_EQ(PhoneOn, row.phoneOn);
    EXPECT_EQ(sim->phone.State(), row.state);
    EXPECT_NE(testing_support::ReadFile(kErrorLogName).find(row.logged), std::string::npos) << row.logged;
  }
}

}  // namespace
}  // namespace link_test
