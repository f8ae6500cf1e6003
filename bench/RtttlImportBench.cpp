// Runs the RTTTL importer over a collection of ringtones, one a line as
// "id<TAB>ringtone", and prints one line per ringtone for
// bench/rtttl-corpus.py to sum up:
//   id  refused  message
//   id  imported  notes  kept  events  asked_us  played_us  off_us  shift  moved_alone  lowest  highest
// (lowest and highest: the ringtone's pitches, "-" when it has only pauses),
// and last "time  microseconds" for reading and converting them all.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "exchange/Pitch.h"
#include "exchange/Rtttl.h"
#include "exchange/RtttlImport.h"

namespace {

struct Result {
  bool ok;
  std::string error;
  RtttlTune tune;
  ImportedMelody melody;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: rtttl_import_bench TUNES.tsv\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "rtttl_import_bench: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::string line;
  std::ostringstream out;
  std::chrono::steady_clock::duration spent{};
  while (std::getline(in, line)) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string id = line.substr(0, tab), text = line.substr(tab + 1);
    Result result;
    auto start = std::chrono::steady_clock::now();
    result.ok = ParseRtttl(text, &result.tune, &result.error);
    if (result.ok) result.melody = ConvertRtttl(result.tune);
    spent += std::chrono::steady_clock::now() - start;
    if (!result.ok) {
      out << id << "\trefused\t" << result.error << "\n";
      continue;
    }
    const ImportedMelody& m = result.melody;
    int lowest = 1000, highest = -1000;
    for (const RtttlNote& note : result.tune.notes)
      if (note.letter != 'p') lowest = std::min(lowest, RtttlPitch(note)), highest = std::max(highest, RtttlPitch(note));
    out << id << "\timported\t" << result.tune.notes.size() << "\t" << m.notes << "\t" << m.events.size() << "\t"
        << m.fit.askedMicros << "\t" << m.fit.playedMicros << "\t" << m.fit.offMicros << "\t" << m.octaves.shift << "\t"
        << m.octaves.movedAlone << "\t";
    if (highest < lowest) out << "-\t-\n";
    else out << lowest << "\t" << highest << "\n";
  }
  out << "time\t" << std::chrono::duration_cast<std::chrono::microseconds>(spent).count() << "\n";
  std::cout << out.str();
  return 0;
}
