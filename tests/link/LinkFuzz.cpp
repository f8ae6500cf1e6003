// The three phone jobs against a phone whose every reply follows a fault
// schedule read from the input: late, lost, refused, split, behind noise or
// oversized. Whatever the schedule, a job ends (every wait is on the virtual
// clock), leaves the port closed and free, and reports success only when the
// phone really did what was asked: above all, an upload never succeeds
// unless the phone's block equals the image.
//
// The input: a header of eight bytes (job, phone state, flags, AT rate,
// block length, the phone's usual delay, a chunk at which it goes silent and
// for how long), then three bytes per reply (what goes wrong, how late, its
// shape); replies past the end of the input are healthy.
//
// A reply is at most 400 ms late in all (lateness, split gap and the lead of
// noise together): the link waits that long, and longer for a phone seen to
// be slow, for a reply that may still come, and a reply later than anything
// it waits for cannot be told from a lost one. Noise never forms a frame.
#include <array>
#include <cstdlib>

#include "link/PhoneJobs.h"
#include "sim/ScopedSimPhone.h"

namespace {

const uint8_t* input;
size_t inputLeft;
uint8_t Next() { return inputLeft ? (--inputLeft, *input++) : 0; }

constexpr uint32_t kMostLateMs = 400;

enum : uint8_t { kDrop = 1, kRefuse = 2, kOversized = 4, kSplit = 8, kNoise = 16 };

sim::ReplyFault ScheduledFault(const sim::ReplyContext&) {
  const uint8_t what = Next(), late = Next(), shape = Next();
  const uint32_t gapMs = (shape / 8) * 2;  // 0 to 62
  sim::ReplyFault fault;
  fault.drop = what & kDrop, fault.refuse = what & kRefuse, fault.oversized = what & kOversized;
  if (what & kSplit) fault.splitAfter = 1 + shape % 8, fault.splitGapMs = gapMs;
  if (what & kNoise) fault.noiseBytes = 1 + shape % 5, fault.noiseLeadMs = gapMs;
  fault.lateMs = std::min<uint32_t>(late * 2u, kMostLateMs - fault.splitGapMs - fault.noiseLeadMs);
  return fault;
}

struct QuietView : PhoneJobView {
  void SetItemTextFromId(int, int) override {}
  void SetItemText(int, const char*) override {}
  void EnableItem(int, int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  input = data;
  inputLeft = size;
  const int job = Next() % 3;
  sim::SimPhoneSettings settings;
  settings.initialState = static_cast<sim::PhoneState>(Next() % 3);
  const uint8_t flags = Next();
  settings.silent = (flags & 7) == 7;  // now and then no phone at all
  settings.errorAtEveryRate = flags & 8;
  settings.powerKeyHeld = !(flags & 16);
  settings.noBootConfirm = flags & 32;
  settings.bootNoiseBytes = (flags >> 6) * 10;
  settings.atRate = std::array<uint32_t, 5>{57600, 19200, 115200, 38400, 9600}[Next() % 5];
  settings.blockLength = std::array<uint16_t, 4>{2408, 2400, 2420, 20}[Next() % 4];
  settings.replyDelayMs = Next() % 16;
  const uint8_t silentChunk = Next(), silentFor = Next();  // silent from that chunk for silentFor * 20 ms, 0: for good
  if (silentChunk < 121) settings.silentAtOffset = silentChunk * 20, settings.silentForMs = silentFor * 20u;

  sim::ScopedSimPhone phone(settings);
  phone.phone.replyFaults = ScheduledFault;
  QuietView view;
  UploadRequest request;
  for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 29 + size);
  request.view = &view;
  PhoneOn = job == 1;
  const PhoneJobResult result = job == 0 ? UploadJob(request) : PowerCommand(view, 0);

  // What each job was asked to bring about.
  const bool off = phone.phone.State() == sim::PhoneState::Off;
  const std::vector<uint8_t> image(request.image, request.image + kUploadImageSize);
  const bool done[] = {phone.phone.Block() == image, off && PhoneOn == 0, !off && PhoneOn == 1};
  if ((result == PhoneJobResult::Succeeded && !done[job]) || result == PhoneJobResult::Busy || PhoneJobRunning() ||
      PhonePort.IsOpen())
    std::abort();
  return 0;
}
