#pragma once
// A melody's events as sound: each event a square wave at its tone code in
// hertz, lasting its duration read as milliseconds; the pause code (and
// the placeholder, which shares it) is silence.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "melody/SlotFormat.h"

constexpr uint32_t kRenderSampleRate = 44100;
constexpr int16_t kRenderAmplitude = 8192;

class MelodyRenderer {
 public:
  explicit MelodyRenderer(const std::vector<NoteEvent>& events);

  uint64_t TotalMilliseconds() const { return totalMs_; }
  // Every event starts at the sample its start time falls on, so the count
  // is the total time in samples, rounded down.
  uint64_t TotalSamples() const;
  // Events whose tone lies above half the sample rate: a square wave there
  // cannot be sampled (and would not be heard); they are silent.
  int InaudibleEvents() const;

  // Fills up to capacity samples from where the last call stopped; returns
  // how many (0 at the end).
  size_t Render(int16_t* samples, size_t capacity);

 private:
  uint64_t SampleAt(uint64_t milliseconds) const;

  std::vector<NoteEvent> events_;
  uint64_t totalMs_ = 0;
  size_t event_ = 0;         // the event being rendered
  uint64_t eventStartMs_ = 0;
  uint64_t sample_ = 0;      // the next sample to render
};
