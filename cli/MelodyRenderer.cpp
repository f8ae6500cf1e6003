#include "cli/MelodyRenderer.h"

#include "melody/NoteTable.h"

namespace {

bool IsSounding(uint16_t toneCode) { return toneCode != kPauseToneCode && toneCode * 2u <= kRenderSampleRate; }

}  // namespace

MelodyRenderer::MelodyRenderer(const std::vector<NoteEvent>& events) : events_(events) {
  for (const NoteEvent& event : events_) totalMs_ += event.duration;
}

uint64_t MelodyRenderer::SampleAt(uint64_t milliseconds) const { return milliseconds * kRenderSampleRate / 1000; }

uint64_t MelodyRenderer::TotalSamples() const { return SampleAt(totalMs_); }

int MelodyRenderer::InaudibleEvents() const {
  int count = 0;
  for (const NoteEvent& event : events_)
    if (event.toneCode != kPauseToneCode && !IsSounding(event.toneCode)) ++count;
  return count;
}

size_t MelodyRenderer::Render(int16_t* samples, size_t capacity) {
  size_t filled = 0;
  while (filled < capacity && event_ < events_.size()) {
    const NoteEvent& event = events_[event_];
    uint64_t start = SampleAt(eventStartMs_);
    uint64_t end = SampleAt(eventStartMs_ + event.duration);
    if (sample_ >= end) {
      eventStartMs_ += event.duration;
      ++event_;
      continue;
    }
    // Whole-number phase: the wave flips every half period, at
    // 2 * frequency * t crossing a whole number, so the zero crossings fall
    // exactly where the frequency says.
    uint64_t offset = sample_ - start;
    int16_t value = 0;
    if (IsSounding(event.toneCode)) {
      uint64_t halfPeriods = offset * 2u * event.toneCode / kRenderSampleRate;
      value = halfPeriods % 2 == 0 ? kRenderAmplitude : static_cast<int16_t>(-kRenderAmplitude);
    }
    samples[filled++] = value;
    ++sample_;
  }
  return filled;
}
