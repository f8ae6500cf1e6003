#include "exchange/TopVoice.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace {

struct Edge {
  uint32_t tick;
  bool begins;
  int note;
};

std::vector<Edge> EdgesOf(const std::vector<VoiceNote>& notes, uint32_t trimmed) {
  std::vector<Edge> edges;
  for (size_t i = 0; i < notes.size(); ++i) {
    const VoiceNote& note = notes[i];
    if (note.end <= note.start || note.end - note.start <= trimmed) continue;
    edges.push_back({note.start, true, static_cast<int>(i)});
    edges.push_back({note.end - trimmed, false, static_cast<int>(i)});
  }
  // At one tick the notes that end go first: a note ending where the next
  // begins does not sound with it.
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.begins < b.begins;
  });
  return edges;
}

}  // namespace

std::vector<VoiceRun> TopVoice(const std::vector<VoiceNote>& notes, uint32_t tolerance) {
  const std::vector<Edge> edges = EdgesOf(notes, 0);
  // Sounding notes ordered so that the last is heard: the highest key, of
  // one key the latest stroke.
  std::set<std::tuple<int, uint32_t, int>> sounding;
  std::vector<VoiceRun> heard;
  for (size_t e = 0; e < edges.size();) {
    const uint32_t tick = edges[e].tick;
    for (; e < edges.size() && edges[e].tick == tick; ++e) {
      const VoiceNote& note = notes[static_cast<size_t>(edges[e].note)];
      const auto entry = std::make_tuple(note.key, note.start, edges[e].note);
      if (edges[e].begins) sounding.insert(entry);
      else sounding.erase(entry);
    }
    if (e == edges.size()) break;
    const int note = sounding.empty() ? -1 : std::get<2>(*sounding.rbegin());
    if (!heard.empty() && heard.back().note == note) heard.back().end = edges[e].tick;
    else heard.push_back({tick, edges[e].tick, note});
  }

  std::vector<VoiceRun> runs;
  for (const VoiceRun& run : heard) {
    const bool tiny = run.end - run.start <= tolerance;
    if (runs.empty() && (tiny || run.note < 0)) continue;  // the melody begins with a note worth hearing
    if (!runs.empty() && (tiny || runs.back().note == run.note)) {
      runs.back().end = run.end;
      continue;
    }
    runs.push_back(run);
  }
  if (runs.empty() && !heard.empty()) runs.push_back({heard.front().start, heard.back().end, heard.front().note});
  return runs;
}

int MostAtOnce(const std::vector<VoiceNote>& notes, uint32_t tolerance) {
  int now = 0, most = 0;
  for (const Edge& edge : EdgesOf(notes, tolerance)) {
    now += edge.begins ? 1 : -1;
    most = std::max(most, now);
  }
  return most;
}
