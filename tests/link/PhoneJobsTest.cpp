#include <algorithm>
#include <cstring>

#include "link/PhoneJobs.h"
#include "melody/MelodySet.h"
#include "tests/link/LinkFixture.h"
#include "tests/link/RecordingView.h"

namespace link_test {
namespace {

using Calls = std::vector<std::string>;

const Calls kDisable = {"enable 1014 0", "enable 1015 0", "enable 1017 0"};
const Calls kEnable = {"enable 1014 1", "enable 1015 1", "enable 1017 1"};
const Bytes kPing = {0x02, 0x01, 0x03, 0x14};
const Bytes kServiceCommand = {'a', 't', '^', 's', 'q', 'w', 'e', '=', '1', '\r'};

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class Chunks : public UploadProgress {
 public:
  std::function<void(int offset)> onChunk;
  int count = 0;
  void OnChunk(int offset, int, int, bool) override {
    ++count;
    if (onChunk) onChunk(offset);
  }
};

class PhoneJobsTest : public LinkTest {
 protected:
  PhoneJobsTest() {
    PhoneOn = 1;
    phone.serviceMode = false;
    phone.Attach(line);
    for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 13);
    request.view = &view;
  }
  ~PhoneJobsTest() override {
    EXPECT_FALSE(PhoneJobRunning());
    EXPECT_FALSE(PhonePort.IsOpen());
    EXPECT_FALSE(line.held);
  }
  bool Sent(uint8_t subCommand) {
    return std::any_of(line.writes.begin(), line.writes.end(), [&](const LineWrite& w) {
      return w.bytes.size() > 3 && w.bytes[0] == 0x14 && w.bytes[3] == subCommand;
    });
  }
  Bytes Image() const { return Bytes(request.image, request.image + kUploadImageSize); }

  ServicePhone phone;
  RecordingView view;
  UploadRequest request;
};

TEST_F(PhoneJobsTest, UploadToAPhoneInNormalModeWritesTheImage) {
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(view.calls, Join({{"status 107"}, kDisable,
                              {"status 108", "status 105", "status 109"}, kEnable}));
  EXPECT_EQ(phone.block, Image());
  // Three pings that go unanswered, the entry at the third rate, the answered one.
  EXPECT_EQ(line.CountWrites(kPing), 4);
  EXPECT_EQ(line.CountWrites(kServiceCommand), 3);
  EXPECT_EQ(line.CountWrites({0x14, 0x04, 0x10, 0x15, 0xCF, 0x13, 0xC9}), 1);
  EXPECT_EQ(phone.dataFrames, 121);
}

TEST_F(PhoneJobsTest, PhoneAlreadyInServiceModeStillGetsTheEntry) {
  phone.serviceMode = true;
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(line.CountWrites(kPing), 2);
  EXPECT_GE(line.CountWrites(kServiceCommand), 1);
}

TEST_F(PhoneJobsTest, UploadFailurePathsEachEndWithTheirTextAndTheButtonsEnabled) {
  {
    SCOPED_TRACE("no such port");
    request.portIndex = 1;
    EXPECT_EQ(UploadJob(request), PhoneJobResult::PortNotOpened);
    EXPECT_EQ(view.calls, Join({{"text 1018 Error open: \xD1\xCE\xCC" "2"}, kEnable}));
    EXPECT_TRUE(line.writes.empty());
    request.portIndex = 0;
  }
  {
    SCOPED_TRACE("silent phone");
    view.calls.clear();
    phone.off = true;
    EXPECT_EQ(UploadJob(request), PhoneJobResult::PhoneSilent);
    EXPECT_EQ(view.calls, Join({{"status 107", "status 112"}, kEnable}));
    phone.off = false;
  }
  {
    SCOPED_TRACE("block of another size");
    view.calls.clear();
    line.writes.clear();
    phone.blockLength = 2400;
    EXPECT_EQ(UploadJob(request), PhoneJobResult::SizeDiffers);
    EXPECT_EQ(view.calls, Join({{"status 107"}, kDisable, {"status 108", "status 106"}, kEnable}));
    EXPECT_FALSE(Sent(0x11));
    EXPECT_FALSE(Sent(0x12));
    EXPECT_FALSE(Sent(0x13));
    phone.blockLength = 2408;
  }
  {
    SCOPED_TRACE("chunk given up");
    view.calls.clear();
    phone.refuseOffset = 2400;
    EXPECT_EQ(UploadJob(request), PhoneJobResult::WriteFailed);
    EXPECT_EQ(view.calls, Join({{"status 107"}, kDisable, {"status 108", "status 105",
                                                            "status 110"}, kEnable}));
    phone.refuseOffset = -1;
  }
}

TEST_F(PhoneJobsTest, UnansweredInformationQueryLeaves108) {
  phone.serviceMode = true;
  auto phoneSide = line.respond;
  line.respond = [phoneSide](ScriptedLine& line, const LineWrite& write) {
    if (write.bytes.size() > 3 && write.bytes[3] == 0x15) return;
    phoneSide(line, write);
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::InfoQueryFailed);
  EXPECT_EQ(view.calls, Join({{"status 107"}, kDisable, {"status 108"}, kEnable}));
  EXPECT_FALSE(Sent(0x11));
}

TEST_F(PhoneJobsTest, SecondJobIsRefusedWithoutTouchingThePort) {
  RecordingView other;
  UploadRequest second;
  second.view = &other;
  PhoneJobResult nestedPower = PhoneJobResult::Succeeded;
  PhoneJobResult nestedUpload = PhoneJobResult::Succeeded;
  size_t opensBefore = 0;
  // During the connection phase, when the dialog's buttons are still enabled.
  view.onCall = [&](const std::string& call) {
    if (call != "status 107") return;
    opensBefore = opener.opened.size();
    nestedPower = PowerCommand(other, 0);
    nestedUpload = UploadJob(second);
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(nestedPower, PhoneJobResult::Busy);
  EXPECT_EQ(nestedUpload, PhoneJobResult::Busy);
  EXPECT_EQ(opener.opened.size(), opensBefore);
  EXPECT_TRUE(other.calls.empty());
  EXPECT_EQ(PhoneOn, 1);
  EXPECT_EQ(phone.block, Image());

  // A reserved port belongs to the request it was reserved for.
  ASSERT_TRUE(TryBeginPhoneJob());
  EXPECT_EQ(PowerCommand(other, 0), PhoneJobResult::Busy);
  request.portReserved = true;
  view.onCall = nullptr;
  view.calls.clear();
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_FALSE(request.portReserved);
}

TEST_F(PhoneJobsTest, CancelledUploadStopsAtItsNextFrameAndGoesQuiet) {
  std::atomic<bool> cancel{false};
  Chunks chunks;
  request.cancel = &cancel;
  request.progress = &chunks;
  size_t writesAtCancel = 0;
  chunks.onChunk = [&](int offset) {
    if (offset != 100) return;
    cancel = true;
    writesAtCancel = line.writes.size();
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Cancelled);
  EXPECT_EQ(line.writes.size(), writesAtCancel);
  EXPECT_EQ(chunks.count, 6);
  EXPECT_EQ(view.calls, Join({{"status 107"}, kDisable, {"status 108", "status 105"}}));
}

TEST_F(PhoneJobsTest, UploadCancelledBeforeItStartsSendsNothingAndShowsNothing) {
  std::atomic<bool> cancel{true};
  request.cancel = &cancel;
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Cancelled);
  EXPECT_TRUE(line.writes.empty());
  EXPECT_TRUE(view.calls.empty());
  EXPECT_EQ(line.opens, 1);
}

TEST_F(PhoneJobsTest, PowerOffConfirmed) {
  EXPECT_EQ(PowerCommand(view, 0), PhoneJobResult::Succeeded);
  EXPECT_EQ(PhoneOn, 0);
  EXPECT_EQ(view.calls, Calls({"caption 123", "status 114"}));
  EXPECT_TRUE(phone.off);
  // A phone in normal mode needed the entry: the ping failed first.
  EXPECT_GE(line.CountWrites(kServiceCommand), 1);
}

TEST_F(PhoneJobsTest, PowerOffFailureShows115For4SecondsThen121) {
  for (bool portMissing : {false, true}) {
    SCOPED_TRACE(portMissing ? "no port" : "silent phone");
    view.calls.clear();
    view.times.clear();
    line.writes.clear();
    phone.off = true;
    EXPECT_EQ(PowerCommand(view, portMissing ? 3 : 0),
              portMissing ? PhoneJobResult::PortNotOpened : PhoneJobResult::SwitchOffFailed);
    EXPECT_EQ(PhoneOn, 1);
    EXPECT_EQ(view.calls, Calls({"caption 122", "status 115", "status 121"}));
    EXPECT_EQ(view.times[2] - view.times[1], 4000u);
    // The request goes out even to a phone that stayed silent.
    EXPECT_EQ(line.CountWrites({0x0E, 0x01, 0x0F, 0x04}), portMissing ? 0 : 1);
  }
}

TEST_F(PhoneJobsTest, PowerOnRowsOfTheStateTable) {
  BootingPhone booting;
  booting.Attach(line);
  {
    SCOPED_TRACE("port not opened");
    PhoneOn = 0;
    EXPECT_EQ(PowerCommand(view, 2), PhoneJobResult::PortNotOpened);
    EXPECT_TRUE(view.calls.empty());
    EXPECT_EQ(PhoneOn, 0);
  }
  {
    SCOPED_TRACE("phone does not answer");
    booting.answerFromWake = 1000;
    EXPECT_EQ(PowerCommand(view, 0), PhoneJobResult::SwitchOnFailed);
    EXPECT_EQ(view.calls, Calls({"status 118", "status 120", "caption 122"}));
    EXPECT_EQ(PhoneOn, 0);
    // Ten attempts, each two passes of 16 tries.
    EXPECT_EQ(booting.wakes, 10 * 32);
  }
  {
    SCOPED_TRACE("switched on");
    view.calls.clear();
    view.times.clear();
    booting.answerFromWake = booting.wakes + 3;
    EXPECT_EQ(PowerCommand(view, 0), PhoneJobResult::Succeeded);
    EXPECT_EQ(view.calls, Calls({"status 118", "status 119", "status 121", "caption 122"}));
    EXPECT_EQ(view.times[2] - view.times[1], 4000u);
    EXPECT_EQ(PhoneOn, 1);
  }
}

TEST_F(PhoneJobsTest, UploadSendsTheImageAsEncodedAtStartWhateverHappensLater) {
  MelodySet& melodies = Melodies();
  melodies.ClearBlockImage();
  melodies.ResetMelodies();
  strcpy(melodies.MelodyText(0), "C2(1/4) D2(1/8) P(1/4)");
  strcpy(melodies.MelodyText(3), "A1(1/16)");
  ASSERT_TRUE(PrepareUpload(request));
  const Bytes encoded(melodies.BlockImage(), melodies.BlockImage() + kBlockImageSize);
  EXPECT_EQ(encoded[1806], 0x14);  // melody 1 is in, as Start encodes it
  EXPECT_EQ(Image(), encoded);

  // A Load and a Save of other melodies while the block is being written.
  view.onCall = [&](const std::string& call) {
    if (call != "status 105") return;
    melodies.ClearBlockImage();
    strcpy(melodies.MelodyText(0), "H8(1/1)");
    melodies.EncodeAll();
  };
  EXPECT_EQ(UploadJob(request), PhoneJobResult::Succeeded);
  EXPECT_EQ(phone.block, encoded);
  melodies.ResetMelodies();
  melodies.ClearBlockImage();
}

TEST_F(PhoneJobsTest, StartWhileAJobRunsIsRefusedAndEncodesNothing) {
  MelodySet& melodies = Melodies();
  melodies.ClearBlockImage();
  strcpy(melodies.MelodyText(0), "C2(1/4)");
  ASSERT_TRUE(TryBeginPhoneJob());
  EXPECT_FALSE(PrepareUpload(request));
  EXPECT_FALSE(request.portReserved);
  EXPECT_EQ(melodies.BlockImage()[1806], 0x00);
  EndPhoneJob();

  // A prepared upload that is never started gives the port back.
  ASSERT_TRUE(PrepareUpload(request));
  EXPECT_TRUE(PhoneJobRunning());
  ReleaseUpload(request);
  EXPECT_FALSE(PhoneJobRunning());
  melodies.ResetMelodies();
  melodies.ClearBlockImage();
}

}  // namespace
}  // namespace link_test
