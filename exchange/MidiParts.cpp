#include "exchange/MidiParts.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace {

constexpr uint32_t kTicksPerQuarterPerTolerance = 64;  // a 256th note
constexpr uint32_t kToleranceMicrosInFrames = 7812;    // a 256th at 120 quarter notes a minute
// A part plays often enough to carry the melody when it begins at least a
// quarter as many notes (chords counted once) as the busiest part: an
// accompaniment may begin more notes than the melody, a pad or a part that
// enters now and then far fewer.
constexpr size_t kBusyShare = 4;

const char* const kMelodyWords[] = {"melod", "vocal", "voice", "voix", "vox", "lead",
                                    "chant", "singer", "solo", "gesang", "canto"};

bool NamedLikeMelody(const std::string& name) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* word : kMelodyWords)
    if (lower.find(word) != std::string::npos) return true;
  return false;
}

bool Drums(const ReadNote& note) { return note.channel == kMidiDrumChannel; }

bool HasTunedNotes(const ReadTrack& track) {
  return std::any_of(track.notes.begin(), track.notes.end(), [](const ReadNote& note) { return !Drums(note); });
}

struct Part {
  int track, channel;
  std::set<uint32_t> starts;
  std::vector<int> keys;
};

int MedianKey(std::vector<int> keys) {
  std::nth_element(keys.begin(), keys.begin() + static_cast<long>(keys.size() / 2), keys.end());
  return keys[keys.size() / 2];
}

}  // namespace

uint32_t ToleranceTicks(const MidiFileContents& contents) {
  uint32_t ticks = contents.ticksPerQuarter ? contents.ticksPerQuarter / kTicksPerQuarterPerTolerance
                                            : kToleranceMicrosInFrames / contents.microsPerTick;
  return std::max<uint32_t>(ticks, 1);
}

bool ChooseMelodyPart(const MidiFileContents& contents, MidiChoice* choice) {
  for (size_t t = 0; t < contents.tracks.size(); ++t) {
    const ReadTrack& track = contents.tracks[t];
    if (HasTunedNotes(track) && (NamedLikeMelody(track.name) || NamedLikeMelody(track.instrument))) {
      *choice = {{static_cast<int>(t), -1}, MidiChoiceReason::kNamed};
      return true;
    }
  }
  std::vector<Part> parts;
  std::map<std::pair<int, int>, size_t> index;
  for (size_t t = 0; t < contents.tracks.size(); ++t)
    for (const ReadNote& note : contents.tracks[t].notes) {
      if (Drums(note)) continue;
      auto [at, added] = index.try_emplace({static_cast<int>(t), note.channel}, parts.size());
      if (added) parts.push_back({static_cast<int>(t), note.channel, {}, {}});
      parts[at->second].starts.insert(note.startTick);
      parts[at->second].keys.push_back(note.key);
    }
  if (parts.empty()) return false;
  size_t busiest = 0;
  for (const Part& part : parts) busiest = std::max(busiest, part.starts.size());
  const Part* best = nullptr;
  int bestKey = 0;
  for (const Part& part : parts) {
    if (part.starts.size() * kBusyShare < busiest) continue;
    const int key = MedianKey(part.keys);
    if (!best || key > bestKey) best = &part, bestKey = key;
  }
  // A track of one tuned channel is named by the track alone.
  int channels = 0;
  for (const Part& part : parts) channels += part.track == best->track;
  *choice = {{best->track, channels > 1 ? best->channel : -1}, MidiChoiceReason::kHighest};
  return true;
}

std::vector<ReadNote> SelectedNotes(const MidiFileContents& contents, const MidiSelection& selection) {
  std::vector<ReadNote> notes;
  for (size_t t = 0; t < contents.tracks.size(); ++t) {
    if (selection.track >= 0 && static_cast<size_t>(selection.track) != t) continue;
    for (const ReadNote& note : contents.tracks[t].notes)
      if (selection.channel >= 0 ? note.channel == selection.channel : !Drums(note)) notes.push_back(note);
  }
  std::stable_sort(notes.begin(), notes.end(),
                   [](const ReadNote& a, const ReadNote& b) { return a.startTick < b.startTick; });
  return notes;
}

std::vector<VoiceNote> VoiceNotesOf(const std::vector<ReadNote>& notes) {
  std::vector<VoiceNote> voice;
  for (const ReadNote& note : notes) voice.push_back({note.startTick, note.endTick, note.key});
  return voice;
}

TrackSummary SummarizeTrack(const ReadTrack& track, uint32_t tolerance) {
  TrackSummary summary;
  std::set<int> channels;
  for (const ReadNote& note : track.notes) {
    channels.insert(note.channel);
    summary.lowestKey = summary.notes ? std::min<int>(summary.lowestKey, note.key) : note.key;
    summary.highestKey = summary.notes ? std::max<int>(summary.highestKey, note.key) : note.key;
    ++summary.notes;
  }
  summary.channels.assign(channels.begin(), channels.end());
  summary.mostAtOnce = MostAtOnce(VoiceNotesOf(track.notes), tolerance);
  return summary;
}
