// The phone's answers in each of its states, the changes between them and
// what each fault knob changes, played as exchanges on a simulated port.
#include <gtest/gtest.h>

#include "SimRig.h"
#include "sim/PhoneSimOptions.h"

using namespace simtest;
using sim::PhoneState;

namespace {
// A request and all that comes back within one 50 ms read; an empty request
// only reads on.
struct Step {
  Bytes request, reply;
};
// A phone that starts in `state`, with a fault knob as "quavrel phone-sim
// --fault" takes it (none if empty), the state the steps leave it in, and
// the host's rate (the boot loader's settings, DTR raised, where the phone
// is off).
struct Script {
  const char* knob;
  PhoneState state;
  std::vector<Step> steps;
  PhoneState after;
  uint32_t baud = 57600;
};

void Play(const Script& script) {
  SCOPED_TRACE(std::string(sim::StateName(script.state)) + " " + script.knob);
  sim::SimPhoneSettings settings = PhoneIn(script.state);
  if (*script.knob) {
    ASSERT_EQ(sim::ApplyFaultKnob(script.knob, &settings), "");
  }
  Rig rig(settings);
  bool off = script.state == PhoneState::Off;
  rig.Configure(off ? 19200 : script.baud, off ? sim::kEvenParity : sim::kNoParity);
  if (off) rig.device->EscapeCommFunction(sys::kSetDtr);
  for (size_t i = 0; i < script.steps.size(); ++i)
    EXPECT_EQ(rig.Read(script.steps[i].request), script.steps[i].reply) << "step " << i;
  EXPECT_EQ(rig.phone.State(), script.after);
}

Bytes Flipped(Bytes bytes, size_t at) {
  bytes[at] ^= 0x40;
  return bytes;
}

const Bytes kChunk(20, 0x5A);
}  // namespace

TEST(SimPhone, AnswersAndChangesStateAsEachModeDoes) {
  const Bytes data = DataFrame(0, kChunk);
  const Script scripts[] = {
      {"", PhoneState::Normal,
       {{Text("AT\r"), Text("AT\r\r\nOK\r\n")}, {Text("at+cgmi\r"), Text("at+cgmi\r\r\nERROR\r\n")}, {kPing, {}},
        {Text("at^sqwe=1\r"), Text("at^sqwe=1\r\r\nOK\r\n")}, {kPing, kPingReply}},
       PhoneState::Service},
      {"", PhoneState::Service,
       {{kInfo5071, BlockFrame({0x15, 0x68, 0x09, 0x04})},          // 2408 bytes, its info byte
        {BlockFrame({0x15, 0x10, 0x00}), BlockFrame({0x13, 0x15})},  // no block 16
        {kPowerOff, kPowerOff}, {kPing, {}}},
       PhoneState::Off},
      // Frames out of place or damaged are not acted on, and the next good
      // one is found behind noise.
      {"", PhoneState::Service,
       {{data, kDataRefused},  // not open
        {OpenFrame(2408, 0x05), kOpenRefused}, {OpenFrame(), kOpened},
        {DataFrame(2390, kChunk), kDataRefused},  // past the end
        {Flipped(data, 2), {}},                   // header check
        {Flipped(data, data.size() - 1), {}},     // payload check
        {Bytes(data.begin(), data.begin() + 20), {}}, {{0x77, 0x13, 0x02, 0x01, 0x03, 0x14}, kPingReply}},
       PhoneState::Service},
      {"", PhoneState::Off, {{{0x55}, {0xA0}}, {Flipped(BootBlock(), 50), {}}}, PhoneState::Off},
      {"", PhoneState::Off, {{{0x55}, {0xA0}}, {BootBlock(), {0xA5}}}, PhoneState::Normal},
  };
  for (const Script& script : scripts) Play(script);
}

TEST(SimPhoneFaults, EachKnobChangesWhatAHostMeets) {
  const Bytes noise{0xFF, 0x7E, 0x00}, open = OpenFrame();
  const Bytes at0 = DataFrame(0, kChunk), at20 = DataFrame(20, kChunk), at40 = DataFrame(40, kChunk);
  const PhoneState S = PhoneState::Service;
  const Script scripts[] = {
      // Silent in every state alike.
      {"silent", PhoneState::Normal, {{Text("at^sqwe=1\r"), {}}}, PhoneState::Normal},
      {"error-at-every-rate", PhoneState::Normal,
       {{Text("at^sqwe=1\r"), Text("at^sqwe=1\r\r\nERROR\r\n")}, {Text("at^sbfb=1\r"), Text("at^sbfb=1\r\r\nOK\r\n")}},
       S, 19200},
      {"split=60@3", S, {{kPing, {0x02, 0x02, 0x00}}, {{}, {0x14, 0x14}}}, S},
      {"late=ping:60", S, {{kPing, {}}, {{}, kPingReply}, {kInfo5071, BlockFrame({0x15, 0x68, 0x09, 0x04})}}, S},
      {"late=data@20:60", S, {{open, kOpened}, {at0, kTaken}, {at20, {}}, {{}, kTaken}}, S},
      {"noise=3@60", S, {{kPing, noise}, {{}, kPingReply}}, S},
      // Deaf for 100 ms from the chunk at 20 on: not even that chunk is heard.
      {"silent-at=20:100", S, {{open, kOpened}, {at20, {}}, {at20, {}}, {at20, kTaken}}, S},
      // Counted per chunk; the third send is answered, as one taken.
      {"drop-data=2", S, {{open, kOpened}, {at40, {}}, {at40, {}}, {at40, kTaken}, {DataFrame(60, kChunk), {}}}, S},
      {"refuse-offset=20:1", S, {{open, kOpened}, {at20, kDataRefused}, {at20, kTaken}}, S},
      // A block of its own length, and a whole write of it to the finish.
      {"block-length=40", S,
       {{kInfo5071, BlockFrame({0x15, 40, 0, 0x04})}, {open, kOpenRefused}, {OpenFrame(40), kOpened}, {at0, kTaken},
        {at20, kTaken}, {kClose, BlockFrame({0x13})}, {BlockFrame({0x08}), BlockFrame({0x08})},
        {BlockFrame({0x18}), BlockFrame({0x18})}},
       S},
      {"boot-noise=2", PhoneState::Off, {{{0x55}, {0x00, 0xFF, 0xA0}}, {BootBlock(), {0xA5}}}, PhoneState::Normal},
      {"no-a5", PhoneState::Off, {{{0x55}, {0xA0}}, {BootBlock(), {}}}, PhoneState::Off},
  };
  for (const Script& script : scripts) Play(script);

  sim::SimPhoneSettings settings;
  for (const char* knob : {"loud", "delay", "delay=1x", "silent=1", "oversized=all", "block-length=0", "silent-at=20:",
                           "refuse-offset=20:0", "split=60@0", "late=data", "late=info@20:50", "late=ping:0"})
    EXPECT_NE(sim::ApplyFaultKnob(knob, &settings), "") << knob;
}
