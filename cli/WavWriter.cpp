#include "cli/WavWriter.h"

namespace {

constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kChannels = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kBytesPerSample = kChannels * kBitsPerSample / 8;

void PutU16(std::string* bytes, uint16_t value) {
  bytes->push_back(static_cast<char>(value & 0xFF));
  bytes->push_back(static_cast<char>(value >> 8));
}

void PutU32(std::string* bytes, uint32_t value) {
  PutU16(bytes, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(bytes, static_cast<uint16_t>(value >> 16));
}

}  // namespace

std::string WavHeader(uint32_t sampleCount, uint32_t sampleRate) {
  uint32_t dataSize = sampleCount * kBytesPerSample;
  std::string header;
  header += "RIFF";
  PutU32(&header, static_cast<uint32_t>(kWavHeaderSize - 8) + dataSize);
  header += "WAVE";
  header += "fmt ";
  PutU32(&header, 16);  // the size of the format record that follows
  PutU16(&header, kPcmFormat);
  PutU16(&header, kChannels);
  PutU32(&header, sampleRate);
  PutU32(&header, sampleRate * kBytesPerSample);
  PutU16(&header, static_cast<uint16_t>(kBytesPerSample));
  PutU16(&header, kBitsPerSample);
  header += "data";
  PutU32(&header, dataSize);
  return header;
}

void AppendSamples(const int16_t* samples, size_t count, std::string* bytes) {
  for (size_t i = 0; i < count; ++i) PutU16(bytes, static_cast<uint16_t>(samples[i]));
}
