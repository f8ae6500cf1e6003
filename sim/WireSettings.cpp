#include "sim/WireSettings.h"

namespace sim {

WireSettings Settings8N1(uint32_t baud) {
  WireSettings settings;
  settings.baud = baud;
  return settings;
}

WireSettings Settings8E1(uint32_t baud) {
  WireSettings settings;
  settings.baud = baud;
  settings.parity = kEvenParity;
  return settings;
}

uint64_t ByteTimeUs(const WireSettings& settings) {
  if (settings.baud == 0) return 0;
  // Counted in half bits so that one and a half stop bits stay exact.
  uint64_t halfBits = 2 * (1 + uint64_t{settings.byteSize});
  if (settings.parity != kNoParity && settings.parityKnown) halfBits += 2;
  halfBits += settings.stopBits == 2 ? 4 : settings.stopBits == 1 ? 3 : 2;
  return (halfBits * 1000000 / 2 + settings.baud - 1) / settings.baud;
}

bool SettingsMatch(const WireSettings& sender, const WireSettings& receiver) {
  if (sender.baud == 0 || receiver.baud == 0) return false;
  // A UART samples in the middle of each bit: about 2 % of rate difference
  // still lands every sample inside its bit over a whole character.
  uint64_t low = sender.baud < receiver.baud ? sender.baud : receiver.baud;
  uint64_t high = sender.baud < receiver.baud ? receiver.baud : sender.baud;
  if ((high - low) * 50 > high) return false;
  if (sender.byteSize != receiver.byteSize) return false;
  if (sender.parityKnown && receiver.parityKnown && sender.parity != receiver.parity) return false;
  return true;
}

uint8_t GarbledByte(uint8_t value, const WireSettings& sender, const WireSettings& receiver) {
  static const uint8_t kMisread[8] = {0x00, 0x80, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE};
  uint32_t mix = value ^ (value >> 3) ^ (sender.baud / 300) ^ (receiver.baud / 300) ^ sender.parity;
  return kMisread[mix & 7];
}

uint8_t ReceivedValue(const WireByte& sent, const WireSettings& receiver) {
  return SettingsMatch(sent.sentWith, receiver) ? sent.value : GarbledByte(sent.value, sent.sentWith, receiver);
}

std::string DescribeSettings(const WireSettings& settings) {
  static const char kParity[] = "NOEMS";
  char parity = !settings.parityKnown ? '?' : settings.parity < 5 ? kParity[settings.parity] : '?';
  const char* stop = settings.stopBits == 2 ? "2" : settings.stopBits == 1 ? "1.5" : "1";
  return std::to_string(settings.baud) + " " + std::to_string(settings.byteSize) + parity + stop;
}

}  // namespace sim
