#pragma once
// Numbers as the phone, the project file (and the WAV file) store them: low
// byte first.
#include <cstdint>
#include <string>

inline void PutU16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value & 0xFF);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline uint16_t GetU16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline void PutU32(uint8_t* bytes, uint32_t value) {
  PutU16(bytes, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(bytes + 2, static_cast<uint16_t>(value >> 16));
}

// Appended to a byte string, for files built up in memory.
inline void AppendU16(std::string* bytes, uint16_t value) {
  uint8_t word[2];
  PutU16(word, value);
  bytes->append(reinterpret_cast<const char*>(word), sizeof word);
}

inline void AppendU32(std::string* bytes, uint32_t value) {
  uint8_t word[4];
  PutU32(word, value);
  bytes->append(reinterpret_cast<const char*>(word), sizeof word);
}
