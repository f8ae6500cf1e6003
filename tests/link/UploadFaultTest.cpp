// The upload against a phone and a line that misbehave in every way the
// link has to survive, on the simulated line in virtual time (bytes take
// their time at 57600 baud). Each fault ends in success with the block
// intact or in an honest failure, within a bound; and never, whatever the
// fault, in a success while the phone's block differs from the image.
#include "link/PhoneJobs.h"
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

using sim::ReplyContext;
using sim::ReplyFault;
using sim::Request;
using Schedule = std::function<ReplyFault(const ReplyContext&)>;
using R = PhoneJobResult;

struct NoView : PhoneJobView {
  void SetItemTextFromId(int, int) override {}
  void SetItemText(int, const char*) override {}
  void EnableItem(int, int) override {}
};

struct Fault {
  std::string name;
  PhoneSetup knobs;
  Schedule schedule;  // per reply, in place of the knobs' faults
  PhoneJobResult outcome;
  uint32_t boundMs;  // from Start to the end of the job
};

Fault Knobs(std::string name, PhoneSetup knobs, PhoneJobResult outcome, uint32_t boundMs) {
  return Fault{std::move(name), std::move(knobs), nullptr, outcome, boundMs};
}

// Replies to `request` (data: only the chunk at `offset`, if given) late by ms.
Fault Late(Request request, const char* what, uint32_t ms, PhoneJobResult outcome, uint32_t boundMs,
           int offset = sim::kAnyOffset, int refusedOnceAfter = -1) {
  std::string name = std::string(what) + " late by " + std::to_string(ms) + " ms";
  if (refusedOnceAfter >= 0) name += ", the next chunk refused once";
  return Knobs(
      name,
      [=](sim::SimPhoneSettings& s) {
        s.lateTo = request;
        s.lateMs = ms;
        s.lateOffset = offset;
        if (refusedOnceAfter >= 0) {
          s.refuseOffset = refusedOnceAfter;
          s.refuseOffsetSends = 1;
        }
      },
      outcome, boundMs);
}

// A healthy phone takes 2.41 s here: 1.4 s of pings and AT rates it does
// not answer, the bytes at 57600 baud and its 2 ms to answer each frame.
constexpr uint32_t kHealthyMs = 2500;
constexpr uint32_t kChunks = 121, kFrames = 126;

std::vector<Fault> FaultTable() {
  std::vector<Fault> table;
  table.push_back(Knobs("a healthy phone", [](sim::SimPhoneSettings&) {}, R::Succeeded, kHealthyMs));
  // Every reply split at each byte position, the parts 60 ms apart: more
  // than one 50 ms read, but one frame.
  for (int at = 1; at <= 7; ++at)
    table.push_back(Knobs("replies split after byte " + std::to_string(at),
                          [at](sim::SimPhoneSettings& s) {
                            s.splitGapMs = 60;
                            s.splitAfter = at;
                          },
                          R::Succeeded, kHealthyMs + kFrames * 62));
  for (uint32_t ms : {40u, 55u, 120u, 320u, 400u}) {
    // A late answer to the first ping is still an answer; the second
    // ping's is waited for before the query goes out.
    table.push_back(Late(Request::Ping, "ping replies", ms, R::Succeeded, kHealthyMs + 2 * ms));
    // The query gets no second send: too late is no answer.
    table.push_back(Late(Request::BlockInfo, "the information reply", ms, ms < 300 ? R::Succeeded : R::InfoQueryFailed,
                         kHealthyMs + ms));
    // The open's reply may come while the first chunk waits, also when
    // that chunk is refused.
    table.push_back(Late(Request::Open, "the open's reply", ms, R::Succeeded, kHealthyMs + ms));
    table.push_back(Late(Request::Open, "the open's reply", ms, R::Succeeded, kHealthyMs + ms + 10, sim::kAnyOffset, 0));
    // Past the window, the pause or the second send's window catches the
    // reply, and the second send's reply is waited for before the next chunk.
    const uint32_t perChunkMs = ms < 345 ? ms + 20 : 2 * ms - 30;
    table.push_back(Late(Request::Data, "every data reply", ms, R::Succeeded, kHealthyMs + kChunks * perChunkMs));
    table.push_back(Late(Request::Data, "every data reply", ms, R::Succeeded, kHealthyMs + (kChunks + 1) * perChunkMs,
                         sim::kAnyOffset, 620));
    table.push_back(Late(Request::Data, "the reply to chunk 30", ms, R::Succeeded, kHealthyMs + 2 * ms, 600));
    table.push_back(Late(Request::Data, "the reply to chunk 30", ms, R::Succeeded, kHealthyMs + 2 * ms + 10, 600, 620));
  }
  // A lost reply leaves the link unsure whether the next one is late or
  // the next send's: the one that may still come is waited for.
  table.push_back(Knobs("the first reply to each chunk lost",
                        [](sim::SimPhoneSettings& s) { s.dropDataReplies = 1; }, R::Succeeded,
                        kHealthyMs + kChunks * 820));
  table.push_back(Knobs("the first three replies to each chunk lost",
                        [](sim::SimPhoneSettings& s) { s.dropDataReplies = 3; }, R::Succeeded,
                        kHealthyMs + kChunks * 1520));
  table.push_back(Knobs("the first two sends of each chunk refused",
                        [](sim::SimPhoneSettings& s) { s.refuseDataSends = 2; }, R::Succeeded,
                        kHealthyMs + kChunks * 2 * 8));
  // Given up after ten sends: the write stops there.
  table.push_back(Knobs("chunk 30 always refused", [](sim::SimPhoneSettings& s) { s.refuseOffset = 600; },
                        R::WriteFailed, 2000));
  table.push_back(Knobs("noise right ahead of every reply", [](sim::SimPhoneSettings& s) { s.noiseBytes = 5; },
                        R::Succeeded, kHealthyMs + kFrames));
  table.push_back(Knobs("noise 60 ms ahead of every reply",
                        [](sim::SimPhoneSettings& s) {
                          s.noiseBytes = 5;
                          s.noiseLeadMs = 60;
                        },
                        R::Succeeded, kHealthyMs + kFrames * 62));
  // An oversized reply, whose tail is the real answer, is no answer.
  table.push_back(Knobs("oversized ping replies",
                        [](sim::SimPhoneSettings& s) { s.oversizedReplyTo = Request::Ping; }, R::PhoneSilent, 2000));
  table.push_back(Knobs("an oversized information reply",
                        [](sim::SimPhoneSettings& s) { s.oversizedReplyTo = Request::BlockInfo; },
                        R::InfoQueryFailed, 2000));
  table.push_back(Knobs("an oversized reply to the open",
                        [](sim::SimPhoneSettings& s) { s.oversizedReplyTo = Request::Open; }, R::Succeeded,
                        kHealthyMs));
  table.push_back(Knobs("oversized data replies",
                        [](sim::SimPhoneSettings& s) { s.oversizedReplyTo = Request::Data; }, R::WriteFailed, 2000));
  table.push_back(Knobs("silent for 2 s from chunk 30",
                        [](sim::SimPhoneSettings& s) {
                          s.silentAtOffset = 600;
                          s.silentForMs = 2000;
                        },
                        R::Succeeded, kHealthyMs + 2700));
  // Each chunk's first reply late by its own amount, up to 400 ms, and
  // every seventh chunk's first send refused.
  table.push_back(Fault{"first replies late by 0 to 400 ms, every seventh chunk refused once",
                        [](sim::SimPhoneSettings&) {},
                        [](const ReplyContext& reply) {
                          ReplyFault fault;
                          if (reply.request != Request::Data || reply.sendOfChunk != 1) return fault;
                          const int chunk = reply.offset / 20;
                          fault.refuse = chunk % 7 == 3;
                          fault.lateMs = fault.refuse ? 0 : (chunk * 37) % 401;
                          return fault;
                        },
                        R::Succeeded, kHealthyMs + kChunks * 780});
  // Chunk 30 is reached 1.7 s in; the failure is known within 5 s of it.
  table.push_back(Knobs("silent for good from chunk 30",
                        [](sim::SimPhoneSettings& s) { s.silentAtOffset = 600; }, R::WriteFailed, 1700 + 5000));
  return table;
}

class UploadFaultTest : public SimLinkTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 13 + i / 251);
    request.view = &view;
  }
  // Runs the upload, and holds a success to the phone's block.
  PhoneJobResult Upload(uint32_t* elapsedMs) {
    const uint64_t start = sim->clock.NowUs();
    const PhoneJobResult result = UploadJob(request);
    *elapsedMs = static_cast<uint32_t>((sim->clock.NowUs() - start) / 1000);
    if (result == R::Succeeded) {
      EXPECT_EQ(sim->phone.Block(), Bytes(request.image, request.image + kUploadImageSize))
          << "a success with a block that differs from the image";
    }
    return result;
  }

  NoView view;
  UploadRequest request;
};

TEST_F(UploadFaultTest, EveryFaultEndsInSuccessWithTheBlockIntactOrAnHonestFailureInTime) {
  for (const Fault& fault : FaultTable()) {
    Phone(sim::PhoneState::Normal, fault.knobs);
    if (fault.schedule) sim->phone.replyFaults = fault.schedule;
    uint32_t elapsedMs = 0;
    EXPECT_EQ(Upload(&elapsedMs), fault.outcome) << fault.name;
    EXPECT_LE(elapsedMs, fault.boundMs) << fault.name;
    if (fault.outcome == R::WriteFailed) {  // stopped early, but the block was closed
      const std::vector<Bytes> writes = Writes();
      EXPECT_EQ(std::vector<Bytes>(writes.end() - 3, writes.end()), kClosingFrames) << fault.name;
      if (Settings().silentAtOffset < 0) {
        EXPECT_EQ(sim->phone.CompletedWrites(), 1) << fault.name;
      }
    }
  }
}

}  // namespace
}  // namespace link_test
