#pragma once
// A 16-bit mono PCM WAV file: the 44-byte header, then the samples,
// everything little-endian.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kWavHeaderSize = 44;

// The header of a file that holds sampleCount samples. The count must
// leave the data's size (2 bytes a sample) within 32 bits.
std::string WavHeader(uint32_t sampleCount, uint32_t sampleRate);

// Appends samples in little-endian byte order.
void AppendSamples(const int16_t* samples, size_t count, std::string* bytes);
