#include <cstring>
#include <functional>

#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "tests/link/LinkTestSupport.h"
#include "tests/support/TestSupport.h"

namespace link_test {
namespace {

// Writes down what a job showed: a status by its ID, a caption as cID, a
// text as itself, a control enabled or disabled as +ID or -ID.
struct RecordingView : PhoneJobView {
  void SetItemTextFromId(int control, int id) override { Note((control == kPowerButtonId ? "c" : "") + std::to_string(id)); }
  void SetItemText(int, const char* text) override { Note(text); }
  void EnableItem(int control, int enable) override { Note((enable ? "+" : "-") + std::to_string(control)); }
  void Note(const std::string& call) {
    calls += (calls.empty() ? "" : " ") + call;
    times.push_back(sys::TickMs());
    if (onCall) onCall(call);
  }
  std::function<void(const std::string&)> onCall;
  std::string calls;
  std::vector<uint32_t> times;
};

class PhoneJobsTest : public SimLinkTest {
 protected:
  void SetUp() override {
    const Bytes image = Pattern(kUploadImageSize, 3);
    std::copy(image.begin(), image.end(), request.image);
    request.view = &view;
  }
  void TearDown() override { EXPECT_FALSE(PhoneJobRunning() || PhonePort.IsOpen()); }
  Bytes Image() const { return Bytes(request.image, request.image + kUploadImageSize); }

  testing_support::ScopedWorkDir dir;  // for what the jobs log
  RecordingView view;
  UploadRequest request;
};

TEST_F(PhoneJobsTest, UploadEndsWithItsOwnTextOnEveryPathAndTheButtonsEnabled) {
  const struct {
    void (*fault)(sim::SimPhoneSettings&);
    int portIndex;
    PhoneJobResult result;
    std::string calls;
  } cases[] = {
      {[](sim::SimPhoneSettings&) {}, 0, PhoneJobResult::Succeeded, "107 -1014 -1015 -1017 108 105 109"},
      {[](sim::SimPhoneSettings&) {}, 1, PhoneJobResult::PortNotOpened, "Error open: \xD1\xCE\xCC" "2"},
      {[](sim::SimPhoneSettings& s) { s.silent = true; }, 0, PhoneJobResult::PhoneSilent, "107 112"},
      {[](sim::SimPhoneSettings& s) { s.oversizedReplyTo = sim::Request::BlockInfo; }, 0,
       PhoneJobResult::InfoQueryFailed, "107 -1014 -1015 -1017 108"},
      {[](sim::SimPhoneSettings& s) { s.blockLength = 2400; }, 0, PhoneJobResult::SizeDiffers,
       "107 -1014 -1015 -1017 108 106"},
      {[](sim::SimPhoneSettings& s) { s.refuseOffset = 2400; }, 0, PhoneJobResult::WriteFailed,
       "107 -1014 -1015 -1017 108 105 110"},
  };
  for (const auto& c : cases) {
    sim::SimPhoneSettings settings;
    c.fault(settings);
    Phone(settings);
    view.calls.clear();
    request.portIndex = c.portIndex;
    EXPECT_EQ(UploadJob(request), c.result);
    EXPECT_EQ(view.calls, c.calls + " +1014 +1015 +1017");
    const bool opened = Count(Frame(0x14, {0x11, 0xCF, 0x13, 0x68, 0x09, 0x04}, true)) == 1;
    EXPECT_EQ(opened, c.result == PhoneJobResult::Succeeded || c.result == PhoneJobResult::WriteFailed);
  }
  // On a phone in normal mode: three unanswered pings, the entry at the
  // third rate, one answered ping. Already in service mode: entry all the same.
  Phone();
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(sim->phone.Block(), Image());
  EXPECT_EQ(std::make_pair(Count(kPing), Count(kServiceCommand)), std::make_pair(4, 3));
  sim->line.Log().Clear();
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(std::make_pair(Count(kPing), Count(kServiceCommand)), std::make_pair(2, 4));
}

TEST_F(PhoneJobsTest, SecondJobIsRefusedWithoutTouchingThePortAndACancelledOneGoesQuiet) {
  Phone();
  RecordingView other;
  UploadRequest second;
  second.view = &other;
  PhoneOn = 1;
  view.onCall = [&](const std::string& call) {  // in the connection phase, the buttons still enabled
    if (call != "107") return;
    EXPECT_EQ(PowerCommand(other, 0), PhoneJobResult::Busy);
    EXPECT_EQ(UploadJob(second), PhoneJobResult::Busy);
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_TRUE(other.calls.empty());
  EXPECT_EQ(sim->line.OpenCount(), 1);
  EXPECT_EQ(PhoneOn, 1);

  struct CancelAt100 : UploadProgress {
    std::atomic<bool> cancel{false};
    void OnChunk(int offset, int, int, bool) override { cancel = cancel || offset == 100; }
  } progress;
  request.cancel = &progress.cancel;
  request.progress = &progress;
  view.calls.clear();
  view.onCall = nullptr;
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Cancelled);
  EXPECT_EQ(Writes().back()[6], 100);  // the chunk at 100 was the last frame
  EXPECT_EQ(view.calls, "107 -1014 -1015 -1017 108 105");
  sim->line.Log().Clear();  // told to stop before it began
  view.calls.clear();
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Cancelled);
  EXPECT_TRUE(Writes().empty() && view.calls.empty());
}

TEST_F(PhoneJobsTest, StartSendsTheImageAsEncodedThenWhateverHappensLater) {
  Phone();
  MelodySet& melodies = Melodies();
  melodies.ClearBlockImage();
  strcpy(melodies.MelodyText(0), "C2(1/4) D2(1/8) P(1/4)");
  ASSERT_TRUE(TryBeginPhoneJob());  // refused while a job runs: nothing encoded
  EXPECT_FALSE(PrepareUpload(request));
  EXPECT_EQ(melodies.BlockImage()[1806], 0x00);
  EndPhoneJob();

  ASSERT_TRUE(PrepareUpload(request));
  const Bytes encoded(melodies.BlockImage(), melodies.BlockImage() + kBlockImageSize);
  EXPECT_EQ(encoded[1806], 0x14);
  view.onCall = [&](const std::string& call) {  // a Load, then a Save of another melody
    if (call != "105") return;
    melodies.ClearBlockImage();
    strcpy(melodies.MelodyText(0), "H8(1/1)");
    melodies.EncodeAll();
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(sim->phone.Block(), encoded);
  ASSERT_TRUE(PrepareUpload(request));  // prepared but never started
  ReleaseUpload(request);
  melodies.ResetMelodies();
  melodies.ClearBlockImage();
}

TEST_F(PhoneJobsTest, PowerCommandFollowsTheStateTable) {
  const struct {
    sim::PhoneState state;
    bool keyHeld;
    int phoneOn, portIndex;
    bool succeeds, offAfter;
    std::string calls;
  } rows[] = {
      {sim::PhoneState::Normal, true, 1, 0, true, true, "c123 114"},
      {sim::PhoneState::Off, true, 1, 0, false, true, "c122 115 121"},  // silent to frames
      {sim::PhoneState::Normal, true, 1, 3, false, false, "c122 115 121"},
      {sim::PhoneState::Off, true, 0, 2, false, true, ""},
      {sim::PhoneState::Off, true, 0, 0, true, false, "118 119 121 c122"},
      {sim::PhoneState::Off, false, 0, 0, false, true, "118 120 c122"},
  };
  for (const auto& row : rows) {
    sim::SimPhoneSettings settings = PhoneIn(row.state);
    settings.powerKeyHeld = row.keyHeld;
    Phone(settings);
    PhoneOn = row.phoneOn;
    view.calls.clear();
    view.times.clear();
    EXPECT_EQ(PowerCommand(view, row.portIndex) == PhoneJobResult::Succeeded, row.succeeds);
    EXPECT_EQ(view.calls, row.calls);
    EXPECT_EQ(PhoneOn, row.succeeds ? !row.phoneOn : row.phoneOn);
    EXPECT_EQ(sim->phone.State() == sim::PhoneState::Off, row.offAfter);
    if (row.calls.find(" 121") != std::string::npos) {
      EXPECT_EQ(view.times[2] - view.times[1], 4000u);
    }
    if (row.phoneOn && row.portIndex == 0) {
      EXPECT_EQ(Count(kPowerOff), 1);  // also to a silent phone
    }
  }
}

}  // namespace
}  // namespace link_test
