#include <cstring>

#include "link/SerialPort.h"

namespace {

constexpr uint32_t kAtRates[] = {19200, 115200, 57600, 38400};

// The reply buffer holds text up to its first zero byte, or all 256 bytes
// when none is zero.
bool ReplyEmpty(const char* reply) { return reply[0] == 0; }

bool ReplyContains(const char* reply, const char* text) {
  const size_t length = strnlen(reply, kReplyBufferSize);
  const size_t wanted = strlen(text);
  for (size_t at = 0; at + wanted <= length; ++at)
    if (memcmp(reply + at, text, wanted) == 0) return true;
  return false;
}

}  // namespace

int SerialPort::EnterServiceMode() {
  uint32_t rememberedRate = 19200;
  ComGetState(&rememberedRate, nullptr, nullptr, nullptr);

  for (uint32_t rate : kAtRates) {
    ComSetup(rate, 0, kNoParity, 8);
    if (!handle || !handle->PurgeComm(sys::kPurgeTxAbort | sys::kPurgeRxAbort |
                                      sys::kPurgeTxClear | sys::kPurgeRxClear))
      continue;
    // A phone in its normal mode answers no frames: whatever replies were
    // owed, and whatever was read of them, is gone with the purge.
    replies_.Forget();
    if (ComWriteText("at^sqwe=1\r") == 0) continue;
    const char* reply = ComReadText();
    if (ReplyEmpty(reply)) continue;
    if (ReplyContains(reply, "OK\r")) return ComSetup(rememberedRate, 0, kNoParity, 8);
  }

  // The fallback goes out in two pieces with a read between them; the
  // first piece only needs some answer.
  ComSetup(19200, 0, kNoParity, 8);
  bool answered = false;
  if (ComWriteText("at^sbf") != 0 && !ReplyEmpty(ComReadText()) && ComWriteText("b=1\r") != 0) {
    const char* reply = ComReadText();
    answered = !ReplyEmpty(reply) && ReplyContains(reply, "OK\r");
  }
  const int restored = ComSetup(rememberedRate, 0, kNoParity, 8);
  return answered ? restored : 0;
}
