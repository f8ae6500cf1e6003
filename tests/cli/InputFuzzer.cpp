// Feeds arbitrary bytes to the readers of outside files: as an RTTTL
// ringtone, or as a block image. What they accept must hold up: an import
// encodes without unknown notes, and a block decoded without notices
// encodes back to the same events.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/BlockDecoder.h"
#include "cli/EncodeReport.h"
#include "cli/NoteLookup.h"
#include "cli/Rtttl.h"
#include "cli/RtttlImport.h"
#include "melody/MelodySet.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void FuzzRtttl(const std::string& text) {
  RtttlTune tune;
  std::string error;
  if (!ParseRtttl(text, &tune, &error)) {
    Require(!error.empty());
    return;
  }
  ImportedMelody melody = ConvertRtttl(tune);
  Require(melody.notes <= kMaxEventsPerSlot && melody.text.size() <= kMelodyTextSize - 1u);
  auto set = std::make_unique<MelodySet>();
  melody.text.copy(set->MelodyText(0), kMelodyTextSize - 1);
  set->MelodyTempo(0) = melody.tempo;
  EncodeRecorder recorder;
  set->DecodeToBuffer(0, set->MelodyText(0), &recorder);
  Require(recorder.truncations.empty());
  // Only a duration too short for the tempo may become a placeholder.
  for (const PlaceholderReport& report : recorder.placeholders)
    Require(FindNoteRow(report.noteToken) && FindDurationRow(report.durationToken));
}

void FuzzBlock(const std::string& bytes) {
  std::string image = bytes.substr(0, kBlockImageSize);
  image.resize(kBlockImageSize, '\xFF');
  uint16_t tempo = static_cast<uint16_t>(bytes.size() > kBlockImageSize + 1u ? bytes[kBlockImageSize] << 8 | static_cast<uint8_t>(bytes[kBlockImageSize + 1]) : 128);
  for (int k = 0; k < kMelodyCount; ++k) {
    SlotContents slot = ReadSlot(reinterpret_cast<const uint8_t*>(image.data()), k);
    Require(slot.events.size() <= static_cast<size_t>(kMaxEventsPerSlot));
    if (slot.state != SlotState::Melody) continue;
    DecodedMelody decoded = EventsToNoteText(slot.events, tempo);
    if (!decoded.notices.empty()) continue;
    auto set = std::make_unique<MelodySet>();
    decoded.text.copy(set->MelodyText(k), kMelodyTextSize - 1);
    set->MelodyTempo(k) = tempo;
    EncodeRecorder recorder;
    set->DecodeToBuffer(k, set->MelodyText(k), &recorder);
    SlotContents again = ReadSlot(set->BlockImage(), k);
    Require(again.events.size() == slot.events.size());
    for (size_t i = 0; i < slot.events.size(); ++i)
      Require(again.events[i].toneCode == slot.events[i].toneCode && again.events[i].duration == slot.events[i].duration);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) FuzzBlock(bytes);
  else FuzzRtttl(bytes);
  return 0;
}
