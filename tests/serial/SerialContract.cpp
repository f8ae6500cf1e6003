// The behaviours the phone link relies on, as tables run against each rig.
// The link reads with only a total time-out {0, 0, T, 0, W}, purges with all
// four flags before it speaks, and works DTR and RTS; the rest of the table
// pins down what the same calls mean around that, so that the simulator
// cannot drift from a real port.
#include "tests/serial/SerialContract.h"

#include <cstdio>
#include <vector>

#include "sys/SystemInfo.h"

namespace serialcontract {
namespace {

const uint32_t kWriteMs = 2000;
const uint32_t kLongMs = 2000;  // a time-out that a read must not wait out
const unsigned kUntouched = 0xDEADBEEF;

enum class Wait { Early, WholeTimeOut };

struct ReadStep {
  unsigned count;
  uint32_t timeoutMs;
  std::string expect;
  Wait wait;
};

std::string Show(const std::string& bytes) {
  std::string text;
  char hex[4];
  for (unsigned char byte : bytes) {
    std::snprintf(hex, sizeof hex, "%02X ", byte);
    text += hex;
  }
  return text.empty() ? "(none)" : text;
}

std::string AllByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
  return bytes;
}

// A block as long as the phone's EEPROM block, every byte value many times.
std::string PhoneSizedBlock() {
  std::string bytes;
  for (unsigned i = 0; i < 2408; ++i) bytes += static_cast<char>(i * 13 + i / 256);
  return bytes;
}

struct Read {
  bool ok;
  std::string bytes;
  uint64_t elapsedUs;
};

// A read with the time-outs in force.
Read ReadNow(Rig& rig, unsigned count) {
  std::string buffer(count, '\0');
  unsigned got = kUntouched;
  uint64_t start = rig.NowUs();
  bool ok = rig.Device().ReadFile(&buffer[0], count, &got);
  uint64_t elapsedUs = rig.NowUs() - start;
  EXPECT_LE(got, count);
  buffer.resize(got <= count ? got : 0);
  return Read{ok, buffer, elapsedUs};
}

bool WaitedOut(Rig& rig, uint64_t elapsedUs, uint32_t timeoutMs) {
  return elapsedUs + uint64_t{rig.ToleranceMs()} * 1000 >= uint64_t{timeoutMs} * 1000;
}

void ExpectRead(Rig& rig, const ReadStep& step) {
  SCOPED_TRACE("read of " + std::to_string(step.count) + " with T " + std::to_string(step.timeoutMs) + " ms");
  ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, step.timeoutMs, 0, kWriteMs}));
  Read read = ReadNow(rig, step.count);
  EXPECT_TRUE(read.ok) << "last error " << sys::LastError();
  EXPECT_EQ(Show(step.expect), Show(read.bytes));
  if (step.wait == Wait::WholeTimeOut) {
    EXPECT_TRUE(WaitedOut(rig, read.elapsedUs, step.timeoutMs)) << "ended after " << read.elapsedUs << " us";
  } else {
    EXPECT_LT(read.elapsedUs, uint64_t{step.timeoutMs} * 1000 / 2) << "waited although its bytes were in";
  }
}

void ExpectWrite(Rig& rig, const std::string& bytes) {
  unsigned written = kUntouched;
  EXPECT_TRUE(rig.Device().WriteFile(bytes.data(), static_cast<unsigned>(bytes.size()), &written))
      << "last error " << sys::LastError();
  EXPECT_EQ(bytes.size(), written);
}

// The line still carries bytes both ways.
void ExpectLineWorks(Rig& rig) {
  ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, kLongMs, 0, kWriteMs}));
  ExpectWrite(rig, "out");
  EXPECT_EQ(Show("out"), Show(rig.TakeReceived(3)));
  rig.SendAfter(0, "in");
  ExpectRead(rig, {2, kLongMs, "in", Wait::Early});
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
  struct Send {
    uint32_t afterMs;
    std::string bytes;
  };
  struct Case {
    const char* what;
    std::vector<Send> sends;
    uint32_t settleMs;  // before the first read, so that early bytes have arrived
    std::vector<ReadStep> reads;
  } const cases[] = {
      {"all bytes already in: back at once with them", {{0, "hello"}}, 100, {{5, kLongMs, "hello", Wait::Early}}},
      {"fewer than asked: the whole time-out, then success with those", {{0, "ab"}}, 100,
       {{5, 200, "ab", Wait::WholeTimeOut}}},
      {"nothing: the whole time-out, then success with none", {}, 0, {{4, 150, "", Wait::WholeTimeOut}}},
      {"bytes beyond the count stay for the next reads, in order", {{0, "abcdefgh"}}, 100,
       {{3, kLongMs, "abc", Wait::Early}, {5, kLongMs, "defgh", Wait::Early}, {1, 150, "", Wait::WholeTimeOut}}},
      {"two pieces 30 ms apart gathered by one read", {{0, "ab"}, {30, "cde"}}, 0,
       {{5, kLongMs, "abcde", Wait::Early}}},
      {"bytes that come while the read waits", {{40, "xyz"}}, 0, {{3, kLongMs, "xyz", Wait::Early}}},
      {"a byte too late for one read is there for the next", {{0, "ab"}, {400, "c"}}, 0,
       {{3, 150, "ab", Wait::WholeTimeOut}, {1, kLongMs, "c", Wait::Early}}},
      {"every byte value arrives unchanged", {{0, AllByteValues()}}, 0, {{256, kLongMs, AllByteValues(), Wait::Early}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(rig.Restart());
    for (const Send& send : c.sends) rig.SendAfter(send.afterMs, send.bytes);
    if (c.settleMs) rig.WaitMs(c.settleMs);
    for (const ReadStep& step : c.reads) ExpectRead(rig, step);
  }
}

void CheckTimeoutsInForce(Rig& rig) {
  struct Case {
    uint32_t firstMs, thenMs;
  } const cases[] = {{kLongMs, 100}, {100, 400}};
  for (const Case& c : cases) {
    SCOPED_TRACE("read total " + std::to_string(c.firstMs) + " ms, then " + std::to_string(c.thenMs) + " ms");
    ASSERT_TRUE(rig.Restart());
    ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, c.firstMs, 0, kWriteMs}));
    ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, c.thenMs, 0, kWriteMs}));
    Read read = ReadNow(rig, 3);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ("", read.bytes);
    EXPECT_TRUE(WaitedOut(rig, read.elapsedUs, c.thenMs)) << "ended after " << read.elapsedUs << " us";
    if (c.thenMs < c.firstMs) {
      EXPECT_LT(read.elapsedUs, uint64_t{c.firstMs} * 1000 / 2);
    }
  }
}

void CheckPurges(Rig& rig) {
  struct Case {
    const char* what;
    unsigned flags;
    bool ok;
    bool keepsReceived;
    bool wineAgrees;
  } const cases[] = {
      {"receive clear", sys::kPurgeRxClear, true, false, true},
      {"all four flags, as the link purges", kPurgeAll, true, false, true},
      {"transmit clear", sys::kPurgeTxClear, true, true, true},
      {"transmit abort", sys::kPurgeTxAbort, true, true, true},
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
    if (!c.ok) {
      EXPECT_EQ(rig.InvalidParameterError(), sys::LastError());
    }
    rig.SendAfter(0, "XY");
    std::string expect = std::string(c.keepsReceived ? "abcde" : "") + "XY";
    ExpectRead(rig, {static_cast<unsigned>(expect.size()), kLongMs, expect, Wait::Early});
    ExpectRead(rig, {1, 100, "", Wait::WholeTimeOut});
  }
}

void CheckEscapes(Rig& rig) {
  struct Case {
    unsigned function;
    bool ok;
  } const cases[] = {
      {sys::kSetRts, true}, {sys::kClrRts, true}, {sys::kSetDtr, true}, {sys::kClrDtr, true},
      {sys::kSetXoff, true},     {sys::kSetXon, true},      {sys::kSetBreak, true},    {sys::kClrBreak, true},
      {0, false},           {10, false},          {99, false},
      // RESETDEV (7) is left out: Wine takes it on any port, what Windows
      // does with it depends on the driver, and the link never sends it.
  };
  ASSERT_TRUE(rig.Restart());
  for (const Case& c : cases) {
    SCOPED_TRACE("function " + std::to_string(c.function));
    sys::SetLastError(kUntouched);
    EXPECT_EQ(c.ok, rig.Device().EscapeCommFunction(c.function)) << "last error " << sys::LastError();
    if (!c.ok) {
      EXPECT_EQ(rig.InvalidParameterError(), sys::LastError());
    }
  }
  // XON came after XOFF and CLRBREAK after SETBREAK.
  ExpectLineWorks(rig);
}

void CheckXoffHoldsTransmission(Rig& rig) {
  const uint32_t writeMs = 150;
  ASSERT_TRUE(rig.Restart());
  ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, kLongMs, 0, writeMs}));
  ASSERT_TRUE(rig.Device().EscapeCommFunction(sys::kSetXoff));
  unsigned written = kUntouched;
  uint64_t start = rig.NowUs();
  EXPECT_TRUE(rig.Device().WriteFile("held", 4, &written));
  EXPECT_EQ(0u, written);
  EXPECT_TRUE(WaitedOut(rig, rig.NowUs() - start, writeMs)) << "a held write ends at its write time-out";
  ASSERT_TRUE(rig.Device().EscapeCommFunction(sys::kSetXon));
  ExpectLineWorks(rig);
}

void CheckWrites(Rig& rig) {
  struct Case {
    const char* what;
    std::vector<std::string> writes;
  } const cases[] = {
      {"every byte value, unchanged", {AllByteValues()}},
      {"an AT command in three writes", {"at", "^sqwe", "=1\r"}},
      {"a block as long as the phone's", {PhoneSizedBlock()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(rig.Restart());
    ASSERT_TRUE(rig.Device().SetCommTimeouts(sys::CommTimeouts{0, 0, kLongMs, 0, kWriteMs}));
    std::string sent;
    for (const std::string& bytes : c.writes) {
      ExpectWrite(rig, bytes);
      sent += bytes;
    }
    EXPECT_EQ(Show(sent), Show(rig.TakeReceived(sent.size())));
  }
}

}  // namespace serialcontract
