// The upload against a phone and a line that misbehave in every way the
// link has to survive, on the simulated line in virtual time (bytes take
// their time at 57600 baud). Each fault ends in success with the block
// intact or in an honest failure, within a bound; and never, whatever the
// fault, in a success while the phone's block differs from the image.
#include "tests/link/LinkTestSupport.h"

namespace link_test {
namespace {

using sim::Request;
using S = sim::SimPhoneSettings;
using R = PhoneJobResult;

// boundMs: from the start to the end of the job; schedule: per reply, over the knobs.
using Schedule = std::function<sim::ReplyFault(const sim::ReplyContext&)>;
struct Fault { std::string name; PhoneSetup knobs; PhoneJobResult outcome; uint32_t boundMs; Schedule schedule = nullptr; };

// Replies to `request` (data: only the chunk at `offset`, if given) late by
// ms; with refusedAfter, the chunk at that offset refused once.
PhoneSetup Late(Request request, uint32_t ms, int offset = sim::kAnyOffset, int refusedAfter = -1) {
  return [=](S& s) {
    s.lateTo = request, s.lateMs = ms, s.lateOffset = offset;
    if (refusedAfter >= 0) s.refuseOffset = refusedAfter, s.refuseOffsetSends = 1;
  };
}

// A healthy phone takes 2.41 s here: 1.4 s of pings and AT rates it does
// not answer, the bytes at 57600 baud and its 2 ms to answer each frame.
constexpr uint32_t kHealthyMs = 2500;
constexpr uint32_t kChunks = 121, kFrames = 126;

std::vector<Fault> FaultTable() {
  std::vector<Fault> table = {
      {"a healthy phone", [](S&) {}, R::Succeeded, kHealthyMs},
      // A lost reply leaves the link unsure whether the next one is late or
      // the next send's: the one that may still come is waited for.
      {"the first reply to each chunk lost", [](S& s) { s.dropDataReplies = 1; }, R::Succeeded,
       kHealthyMs + kChunks * 820},
      {"the first two sends of each chunk refused", [](S& s) { s.refuseDataSends = 2; }, R::Succeeded,
       kHealthyMs + kChunks * 2 * 8},
      // Given up after ten sends: the write stops there.
      {"chunk 30 always refused", [](S& s) { s.refuseOffset = 600; }, R::WriteFailed, 2000},
      {"noise 60 ms ahead of every reply", [](S& s) { s.noiseBytes = 5, s.noiseLeadMs = 60; }, R::Succeeded,
       kHealthyMs + kFrames * 62},
      // An oversized reply, whose tail is the real answer, is no answer.
      {"oversized ping replies", [](S& s) { s.oversizedReplyTo = Request::Ping; }, R::PhoneSilent, 2000},
      {"an oversized information reply", [](S& s) { s.oversizedReplyTo = Request::BlockInfo; }, R::InfoQueryFailed,
       2000},
      {"an oversized reply to the open", [](S& s) { s.oversizedReplyTo = Request::Open; }, R::Succeeded, kHealthyMs},
      {"oversized data replies", [](S& s) { s.oversizedReplyTo = Request::Data; }, R::WriteFailed, 2000},
      {"silent for 2 s from chunk 30", [](S& s) { s.silentAtOffset = 600, s.silentForMs = 2000; }, R::Succeeded,
       kHealthyMs + 2700},
      // Chunk 30 is reached 1.7 s in; the failure is known within 5 s of it.
      {"silent for good from chunk 30", [](S& s) { s.silentAtOffset = 600; }, R::WriteFailed, 1700 + 5000},
      // Each chunk's first reply late by its own amount, up to 400 ms, and
      // every seventh chunk's first send refused.
      {"first replies late by 0 to 400 ms, every seventh chunk refused once", [](S&) {}, R::Succeeded,
       kHealthyMs + kChunks * 780, [](const sim::ReplyContext& reply) {
         sim::ReplyFault fault;
         if (reply.request != Request::Data || reply.sendOfChunk != 1) return fault;
         fault.refuse = reply.offset / 20 % 7 == 3;
         fault.lateMs = fault.refuse ? 0 : (reply.offset / 20 * 37) % 401;
         return fault;
       }},
  };
  // Every reply split at each byte position, the parts 60 ms apart: more
  // than one 50 ms read, but one frame.
  for (int at = 1; at <= 7; ++at)
    table.push_back({"replies split after byte " + std::to_string(at),
                     [at](S& s) { s.splitGapMs = 60, s.splitAfter = at; }, R::Succeeded, kHealthyMs + kFrames * 62});
  // Within one read, within the 300 ms window, past it into the 45 ms pause,
  // and into the second send's window.
  for (uint32_t ms : {40u, 320u, 400u}) {
    const auto late = [&](const std::string& what, PhoneSetup knobs, PhoneJobResult outcome, uint32_t boundMs) {
      table.push_back({"late by " + std::to_string(ms) + " ms: " + what, knobs, outcome, boundMs});
    };
    // A late answer to the first ping is still an answer; the second
    // ping's is waited for before the query goes out.
    late("ping replies", Late(Request::Ping, ms), R::Succeeded, kHealthyMs + 2 * ms);
    // The query gets no second send: too late is no answer.
    late("the information reply", Late(Request::BlockInfo, ms), ms < 300 ? R::Succeeded : R::InfoQueryFailed,
         kHealthyMs + ms);
    // The open's reply may come while the first chunk waits, also when
    // that chunk is refused.
    late("the open's reply", Late(Request::Open, ms), R::Succeeded, kHealthyMs + ms);
    late("the open's reply, chunk 0 refused once", Late(Request::Open, ms, sim::kAnyOffset, 0), R::Succeeded,
         kHealthyMs + ms + 10);
    // Past the window, the pause or the second send's window catches the
    // reply, and the second send's reply is waited for before the next chunk.
    const uint32_t perChunkMs = ms < 345 ? ms + 20 : 2 * ms - 30;
    late("every data reply", Late(Request::Data, ms), R::Succeeded, kHealthyMs + kChunks * perChunkMs);
    late("every data reply, chunk 31 refused once", Late(Request::Data, ms, sim::kAnyOffset, 620), R::Succeeded,
         kHealthyMs + (kChunks + 1) * perChunkMs);
    late("the reply to chunk 30", Late(Request::Data, ms, 600), R::Succeeded, kHealthyMs + 2 * ms);
    late("the reply to chunk 30, chunk 31 refused once", Late(Request::Data, ms, 600, 620), R::Succeeded,
         kHealthyMs + 2 * ms + 10);
  }
  return table;
}

using UploadFaultTest = SimLinkTest;

TEST_F(UploadFaultTest, EveryFaultEndsInSuccessWithTheBlockIntactOrAnHonestFailureInTime) {
  RecordingView view;
  UploadRequest request;
  request.view = &view;
  for (int i = 0; i < kUploadImageSize; ++i) request.image[i] = static_cast<uint8_t>(i * 13 + i / 251);
  const Bytes image(request.image, request.image + kUploadImageSize);
  for (const Fault& fault : FaultTable()) {
    SCOPED_TRACE(fault.name);
    Phone(sim::PhoneState::Normal, fault.knobs);
    sim->phone.replyFaults = fault.schedule;
    const uint64_t start = sim->clock.NowUs();
    const PhoneJobResult result = UploadJob(request);
    EXPECT_EQ(result, fault.outcome);
    EXPECT_LE((sim->clock.NowUs() - start) / 1000, fault.boundMs);
    if (result == R::Succeeded) {
      EXPECT_EQ(sim->phone.Block(), image) << "a success with a block unlike the image";
    }
    if (fault.outcome == R::WriteFailed) {  // stopped early, but the block was closed
      EXPECT_EQ(LastWrites(3), kClosingFrames);
      EXPECT_EQ(sim->phone.CompletedWrites(), Settings().silentAtOffset < 0 ? 1 : 0);
    }
  }
}

}  // namespace
}  // namespace link_test
