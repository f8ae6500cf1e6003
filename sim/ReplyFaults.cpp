// The fault knobs of the simulated phone, turned into the fault of each
// reply as it is sent.
#include "sim/SimPhoneSettings.h"

namespace sim {
namespace {
// No byte here is a frame type of the service mode (0x02, 0x0E, 0x14), and
// no three in a row form a header whose check byte fits.
constexpr uint8_t kNoise[] = {0xFF, 0x7E, 0x00, 0xC3};
}  // namespace

std::vector<uint8_t> LineNoise(int count) {
  std::vector<uint8_t> noise;
  for (int i = 0; i < count; ++i) noise.push_back(kNoise[i % sizeof kNoise]);
  return noise;
}

ReplyFault KnobFaults(const SimPhoneSettings& settings, const ReplyContext& reply) {
  ReplyFault fault;
  fault.splitAfter = settings.splitAfter;
  fault.splitGapMs = settings.splitGapMs;
  if (reply.request == Request::None) return fault;  // AT and boot replies: only split

  fault.noiseBytes = settings.noiseBytes;
  fault.noiseLeadMs = settings.noiseLeadMs;
  fault.oversized = reply.request == settings.oversizedReplyTo;
  if (reply.request == settings.lateTo &&
      (settings.lateOffset == kAnyOffset || settings.lateOffset == reply.offset))
    fault.lateMs = settings.lateMs;
  if (reply.request == Request::Data) {
    const bool refusedChunk = reply.offset == settings.refuseOffset &&
                              (settings.refuseOffsetSends == 0 || reply.sendOfChunk <= settings.refuseOffsetSends);
    fault.refuse = refusedChunk || reply.sendOfChunk <= settings.refuseDataSends;
    fault.drop = reply.sendOfChunk <= settings.dropDataReplies;
  }
  return fault;
}

}  // namespace sim
