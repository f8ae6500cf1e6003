// The behaviours the phone link relies on, as tables run against each rig.
// The link reads with only a total time-out {0, 0, T, 0, W}, purges with all
// four flags before it speaks, and works DTR and RTS; the rest of the table
// pins down what the same calls mean around that, so that the simulator
// cannot drift from a real port.
#include "tests/serial/SerialContract.h"

#include <vector>

#include "sys/SystemInfo.h"

namespace serialcontract {
namespace {

const uint32_t kLongMs = 2000;  // a time-out that a read or write must not wait out
const unsigned kUntouched = 0xDEADBEEF;

enum class Wait { Early, WholeTimeOut };
struct ReadStep {
  unsigned count;
  uint32_t timeoutMs;
  std::string expect;
  Wait wait;
};

// Every byte value in the first 256, as long as the phone's EEPROM block at most.
std::string Pattern(unsigned size) {
  std::string bytes;
  for (unsigned i = 0; i < size; ++i) bytes += static_cast<char>(i * 13 + i / 256);
  return bytes;
}

void SetTimeOut(Rig& rig, uint32_t readMs) {
  ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, readMs, 0, kLongMs}));
}

// Sets the step's time-outs and reads with them.
void ExpectRead(Rig& rig, const ReadStep& step) {
  SCOPED_TRACE("read of " + std::to_string(step.count) + " with T " + std::to_string(step.timeoutMs) + " ms");
  SetTimeOut(rig, step.timeoutMs);
  std::string buffer(step.count, '\0');
  unsigned got = kUntouched;
  uint64_t start = rig.NowUs();
  EXPECT_TRUE(rig.Device().ReadFile(&buffer[0], step.count, &got)) << "last error " << sys::LastError();
  uint64_t elapsedUs = rig.NowUs() - start, timeoutUs = uint64_t{step.timeoutMs} * 1000;
  ASSERT_LE(got, step.count);
  EXPECT_EQ(step.expect, buffer.substr(0, got));
  if (step.wait == Wait::WholeTimeOut) {
    EXPECT_GE(elapsedUs + rig.ToleranceMs() * 1000, timeoutUs) << "ended after " << elapsedUs << " us";
    EXPECT_LT(elapsedUs, timeoutUs + kLongMs * 500) << "waited past its time-out";
  } else {
    EXPECT_LT(elapsedUs, timeoutUs / 2) << "waited although its bytes were in";
  }
}

void ExpectWrite(Rig& rig, const std::string& bytes) {
  unsigned written = kUntouched;
  EXPECT_TRUE(rig.Device().WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written))
      << "last error " << sys::LastError();
  EXPECT_EQ(bytes.size(), written);
}

}  // namespace

bool SetUpLine(sys::SerialDevice& device) {
  sys::Dcb dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!device.GetCommState(&dcb)) return false;
  dcb.BaudRate = 57600, dcb.ByteSize = 8, dcb.Parity = 0, dcb.StopBits = 0;
  return device.SetCommState(dcb);
}

void CheckReads(Rig& rig) {
  struct Case {
    const char* what;
    std::vector<std::pair<uint32_t, std::string>> sends;  // after ms, bytes
    uint32_t settleMs;  // before the first read, so that early bytes have arrived
    std::vector<ReadStep> reads;
    uint32_t earlierMs = 0;  // a total time-out set just before the first read's own
  } const cases[] = {
      {"nothing, after a longer time-out was set: the last one", {}, 0, {{4, 150, "", Wait::WholeTimeOut}}, kLongMs},
      {"nothing, after a shorter time-out was set: the last one", {}, 0, {{3, 400, "", Wait::WholeTimeOut}}, 100},
      {"back at once with bytes already in; those beyond the count stay for the next reads", {{0, "abcdefgh"}}, 100,
       {{3, kLongMs, "abc", Wait::Early}, {5, kLongMs, "defgh", Wait::Early}, {1, 150, "", Wait::WholeTimeOut}}},
      {"pieces that come while the read waits are gathered", {{0, "ab"}, {30, "cde"}}, 0,
       {{5, kLongMs, "abcde", Wait::Early}}},
      {"fewer than asked: the whole time-out, then success with those; a late byte is there for the next",
       {{0, "ab"}, {400, "c"}}, 0, {{3, 150, "ab", Wait::WholeTimeOut}, {1, kLongMs, "c", Wait::Early}}},
      {"every byte value arrives unchanged", {{0, Pattern(256)}}, 0, {{256, kLongMs, Pattern(256), Wait::Early}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(rig.Restart());
    if (c.earlierMs) SetTimeOut(rig, c.earlierMs);
    for (const auto& [afterMs, bytes] : c.sends) rig.SendAfter(afterMs, bytes);
    if (c.settleMs) rig.WaitMs(c.settleMs);
    for (const ReadStep& step : c.reads) ExpectRead(rig, step);
  }
}

void CheckPurges(Rig& rig) {
  struct Case {
    const char* what;
    unsigned flags;
    bool ok, keepsReceived, wineAgrees;
  } const cases[] = {
      {"all four flags, as the link purges",
       sys::kPurgeTxAbort | sys::kPurgeRxAbort | sys::kPurgeTxClear | sys::kPurgeRxClear, true, false, true},
      {"both transmit flags", sys::kPurgeTxAbort | sys::kPurgeTxClear, true, true, true},
      // Windows aborts pending reads (there are none) and keeps the buffer;
      // Wine 8 flushes the buffer for it too.
      {"receive abort alone", sys::kPurgeRxAbort, true, true, false},
      // Windows refuses a flag it does not know; Wine 8 takes it.
      {"an unknown flag", 0x10, false, true, false},
  };
  for (const Case& c : cases) {
    if (rig.IsWine() && !c.wineAgrees) continue;
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(rig.Restart());
    rig.SendAfter(0, "abcde");
    rig.WaitMs(100);
    sys::SetLastError(kUntouched);
    EXPECT_EQ(c.ok, rig.Device().PurgeComm(c.flags));
    if (!c.ok) EXPECT_EQ(rig.InvalidParameterError(), sys::LastError());
    rig.SendAfter(0, "XY");
    std::string expect = std::string(c.keepsReceived ? "abcde" : "") + "XY";
    ExpectRead(rig, {static_cast<unsigned>(expect.size()), kLongMs, expect, Wait::Early});
    ExpectRead(rig, {1, 100, "", Wait::WholeTimeOut});
  }
}

void CheckEscapesAndWrites(Rig& rig) {
  // RESETDEV (7) is left out: Wine takes it on any port, what Windows does
  // with it depends on the driver, and the link never sends it.
  const struct {
    unsigned function;
    bool ok;
  } cases[] = {{sys::kSetRts, true},  {sys::kClrRts, true}, {sys::kSetDtr, true},   {sys::kClrDtr, true},
               {sys::kSetXoff, true}, {sys::kSetXon, true}, {sys::kSetBreak, true}, {sys::kClrBreak, true},
               {0, false},            {10, false},          {99, false}};
  ASSERT_TRUE(rig.Restart());
  for (const auto& c : cases) {
    SCOPED_TRACE("function " + std::to_string(c.function));
    sys::SetLastError(kUntouched);
    EXPECT_EQ(c.ok, rig.Device().EscapeCommFunction(c.function)) << "last error " << sys::LastError();
    if (!c.ok) EXPECT_EQ(rig.InvalidParameterError(), sys::LastError());
  }
  // XON came after XOFF and CLRBREAK after SETBREAK: the line carries bytes
  // both ways, an AT command in pieces and a block as long as the phone's
  // with every write's count and every byte in order.
  SetTimeOut(rig, kLongMs);
  std::string sent;
  for (const std::string& bytes : {std::string("at"), std::string("^sqwe"), std::string("=1\r"), Pattern(2408)}) {
    ExpectWrite(rig, bytes);
    sent += bytes;
  }
  EXPECT_EQ(sent, rig.TakeReceived(sent.size()));
  rig.SendAfter(0, "in");
  ExpectRead(rig, {2, kLongMs, "in", Wait::Early});
}

}  // namespace serialcontract
