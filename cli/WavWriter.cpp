#include "cli/WavWriter.h"

#include "melody/LittleEndian.h"

namespace {

constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kChannels = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kBytesPerSample = kChannels * kBitsPerSample / 8;

}  // namespace

std::string WavHeader(uint32_t sampleCount, uint32_t sampleRate) {
  uint32_t dataSize = sampleCount * kBytesPerSample;
  std::string header;
  header += "RIFF";
  AppendU32(&header, static_cast<uint32_t>(kWavHeaderSize - 8) + dataSize);
  header += "WAVE";
  header += "fmt ";
  AppendU32(&header, 16);  // the size of the format record that follows
  AppendU16(&header, kPcmFormat);
  AppendU16(&header, kChannels);
  AppendU32(&header, sampleRate);
  AppendU32(&header, sampleRate * kBytesPerSample);
  AppendU16(&header, static_cast<uint16_t>(kBytesPerSample));
  AppendU16(&header, kBitsPerSample);
  header += "data";
  AppendU32(&header, dataSize);
  return header;
}

void AppendSamples(const int16_t* samples, size_t count, std::string* bytes) {
  for (size_t i = 0; i < count; ++i) AppendU16(bytes, static_cast<uint16_t>(samples[i]));
}
