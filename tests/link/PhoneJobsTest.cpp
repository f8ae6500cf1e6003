#include <cstring>

#include "diag/ErrorLog.h"
#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "tests/link/LinkTestSupport.h"
#include "texts/ControlIds.h"

namespace link_test {
namespace {

// Writes down what a job showed: a status by its ID, a caption as cID, a
// text as itself, a control enabled or disabled as +ID or -ID, a port that
// could not be opened as "x".
struct RecordingView : PhoneJobView {
  void SetItemTextFromId(int control, int id) override { Note((control == IDC_POWER ? "c" : "") + std::to_string(id)); }
  void SetItemText(int, const char* text) override { Note(text); }
  void EnableItem(int control, int enable) override { Note((enable ? "+" : "-") + std::to_string(control)); }
  void OnPortNotOpened() override { Note("x"); }
  void Note(const std::string& call) {
    calls += (calls.empty() ? "" : " ") + call;
    if (onCall) onCall(call);
  }
  std::function<void(const std::string&)> onCall;
  std::string calls;
};

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
  const std::string connected = "107 -1014 -1015 -1017 108";
  const struct {
    PhoneSetup fault;
    int portIndex;
    PhoneJobResult result;
    std::string calls, logged;
  } cases[] = {
      {[](sim::SimPhoneSettings&) {}, 1, PhoneJobResult::PortNotOpened, "x Error open: \xD1\xCE\xCC" "2",
       "ComOpen(COM2),error code: 2"},
      {[](sim::SimPhoneSettings& s) { s.silent = true; }, 0, PhoneJobResult::PhoneSilent, "107 112",
       "UploadJob(COM1, no answer to the ping after the service-mode entry),error code: "},
      // It answered the pings, then stopped answering: that is no connection.
      {[](sim::SimPhoneSettings& s) { s.oversizedReplyTo = sim::Request::BlockInfo; }, 0,
       PhoneJobResult::InfoQueryFailed, connected + " 112",
       "UploadJob(COM1, no answer to the information query of block 5071),error code: "},
      {[](sim::SimPhoneSettings& s) { s.blockLength = 2400; }, 0, PhoneJobResult::SizeDiffers, connected + " 106",
       "UploadJob(COM1, block 5071 is 2400 bytes long, not 2408),error code: "},
      {[](sim::SimPhoneSettings& s) { s.refuseOffset = 2400; }, 0, PhoneJobResult::WriteFailed, connected + " 105 110",
       "UploadJob(COM1, the chunk at 2400 of 2408 not taken after 10 sends, 10 of them refused),error code: "},
      {[](sim::SimPhoneSettings& s) { s.silentAtOffset = 2400; }, 0, PhoneJobResult::WriteFailed,
       connected + " 105 110",
       "UploadJob(COM1, the chunk at 2400 of 2408 not taken after 10 sends, 0 of them refused),error code: "},
  };
  for (const auto& c : cases) {
    Phone(sim::PhoneState::Normal, c.fault);
    view.calls.clear();
    request.portIndex = c.portIndex;
    EXPECT_EQ(UploadJob(request), c.result);
    EXPECT_EQ(view.calls, c.calls + " +1014 +1015 +1017");
    EXPECT_NE(testing_support::ReadFile(kErrorLogName).find(c.logged), std::string::npos) << c.logged;
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

TEST_F(PhoneJobsTest, CancelledUploadClosesTheBlockAndGoesQuiet) {
  struct CancelAt100 : UploadProgress {
    std::atomic<bool> cancel{false};
    void OnChunk(const ChunkReport& chunk) override { cancel = cancel || chunk.offset == 100; }
  } progress;
  request.cancel = &progress.cancel;
  request.progress = &progress;
  EXPECT_EQ(UploadJob(request), PhoneJobResult::CancelledWriting);
  const std::vector<Bytes> writes = Writes();
  ASSERT_GE(writes.size(), 4u);
  EXPECT_EQ(writes[writes.size() - 4][6], 100);  // the chunk at 100 was the last one
  EXPECT_EQ(std::vector<Bytes>(writes.end() - 3, writes.end()), kClosingFrames);
  EXPECT_EQ(sim->phone.CompletedWrites(), 1);  // closed, not left open
  EXPECT_EQ(view.calls, "107 -1014 -1015 -1017 108 105");

  // Told to stop while still connecting: nothing is written, and it says so.
  Phone(sim::PhoneState::Normal);
  view.onCall = [&](const std::string& call) { progress.cancel = progress.cancel || call == "107"; };
  progress.cancel = false;
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Cancelled);
  EXPECT_TRUE(Writes().empty());
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
