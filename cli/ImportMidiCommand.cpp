// quavrel import-midi: a part of a Standard MIDI File into a project's melody.
#include <cstdio>
#include <cstdlib>

#include "cli/Arguments.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Files.h"
#include "cli/ProjectContents.h"
#include "cli/TextDisplay.h"
#include "exchange/MidiImport.h"
#include "exchange/MidiReader.h"
#include "exchange/Pitch.h"
#include "melody/SlotFormat.h"

extern const char kImportMidiHelp[] =
    "Usage: quavrel import-midi FILE.mid [--track N | --channel N] [--melody N]\n"
    "                           [--transpose K] [--from SECONDS] -o OUT.bmt\n"
    "       quavrel import-midi FILE.mid --list\n"
    "\n"
    "Turns one part of a Standard MIDI File (format 0 or 1) into note text\n"
    "and a tempo for melody N (1 to 4, melody 1 when not given). When OUT.bmt\n"
    "exists, only melody N in it is replaced; otherwise a new project is\n"
    "written with the other melodies empty. --list prints each track and the\n"
    "one that would be taken, and writes nothing.\n"
    "\n"
    "  - the part: the first track named like a melody or a voice (melody,\n"
    "    vocal, voice, lead, chant, solo, ...), else the highest-sounding part\n"
    "    of those that play often, never the drums (channel 10); --track N\n"
    "    takes track N as --list numbers them, from 1, --channel N the notes\n"
    "    on channel N (1 to 16), both together that channel of that track;\n"
    "  - one tone at a time: where notes overlap the highest is heard; gaps\n"
    "    are pauses; gaps, overlaps and notes of a 256th note or less are\n"
    "    taken for the file's inexactness and go to the note before;\n"
    "  - the tempo and the tokens are chosen together so that every note and\n"
    "    pause lasts as near as can be what it lasts in the file, tempo\n"
    "    changes followed; a note no single token fits becomes two (or more)\n"
    "    of the same tone;\n"
    "  - key 69 (A 440 Hz) is A1; --transpose K moves every note K semitones\n"
    "    first; a part outside the melody's octaves 1 to 8 moves as a whole\n"
    "    by octaves;\n"
    "  - the melody begins with the first note (at or after --from SECONDS in\n"
    "    the file) and ends with the last; past 149 events it is cut, and the\n"
    "    time in the file where the cut falls is reported;\n"
    "  - loudness, instruments and the other parts are not kept; what changed\n"
    "    is reported.\n"
    "\n"
    "A file that cannot be read is reported with the byte where it goes\n"
    "wrong, and nothing is written. FILE.mid may be - for standard input.\n";

namespace {

constexpr size_t kLargestMidiFile = 16 << 20;
constexpr int kMostSemitones = 127;
constexpr int64_t kMicrosPerSecond = 1000000;
constexpr int64_t kLatestFromSeconds = 1000000;
constexpr int kFromDecimals = 6;

// A whole number from lowest to highest, with a sign if negative ones are allowed.
bool ParseWhole(const std::string& text, int lowest, int highest, int* value) {
  size_t i = text.size() > 1 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size() || text.size() - i > 4) return false;
  int number = 0;
  for (size_t j = i; j < text.size(); ++j) {
    if (text[j] < '0' || text[j] > '9') return false;
    number = number * 10 + (text[j] - '0');
  }
  *value = text[0] == '-' ? -number : number;
  return *value >= lowest && *value <= highest;
}

// "12", "12.5", ".25": seconds, to the microsecond.
bool ParseSeconds(const std::string& text, int64_t* micros) {
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if ((whole.empty() && fraction.empty()) || whole.size() > 7 || fraction.size() > kFromDecimals) return false;
  int64_t seconds = 0, part = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return false;
    seconds = seconds * 10 + (c - '0');
  }
  for (size_t i = 0; i < kFromDecimals; ++i) {
    const char c = i < fraction.size() ? fraction[i] : '0';
    if (c < '0' || c > '9') return false;
    part = part * 10 + (c - '0');
  }
  if (seconds > kLatestFromSeconds) return false;
  *micros = seconds * kMicrosPerSecond + part;
  return true;
}

// Milliseconds, rounded down, so that "--from" with what is shown takes
// the note that begins there.
std::string SecondsAt(int64_t micros) { return Seconds(static_cast<uint64_t>(micros / 1000)); }
std::string FromOption(int64_t micros) {
  const std::string shown = SecondsAt(micros);
  return "--from " + shown.substr(0, shown.size() - 2);
}


// A name from the file: its own code page is not known, so bytes beyond
// ASCII show as \xNN, as control characters do.
std::string TrackName(const std::string& name) {
  std::string shown;
  for (char c : ShownName(name)) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      shown += c;
      continue;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    shown += hex;
  }
  return shown;
}

// "C#4": a key by the usual MIDI names, 60 being C4 (our C1).
std::string KeyName(int key) {
  std::string name = RtttlLetters(key);
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name + std::to_string(RtttlOctave(key));
}

std::string KeyRange(int lowest, int highest) {
  return "keys " + std::to_string(lowest) + " to " + std::to_string(highest) + " (" + KeyName(lowest) + " to " +
         KeyName(highest) + ")";
}

std::string ChannelList(const std::vector<int>& channels) {
  std::string text = channels.size() == 1 ? "channel " : "channels ";
  for (size_t i = 0; i < channels.size(); ++i) {
    text += (i ? ", " : "") + std::to_string(channels[i] + 1);
    if (channels[i] == kMidiDrumChannel) text += " (drums)";
  }
  return text;
}

// "track 2 "MELODY"", "channel 4", "track 1, channel 4"
std::string PartName(const MidiFileContents& contents, const MidiSelection& selection) {
  std::string text;
  if (selection.track >= 0) {
    text = "track " + std::to_string(selection.track + 1);
    const std::string& name = contents.tracks[static_cast<size_t>(selection.track)].name;
    if (!name.empty()) text += " \"" + TrackName(name) + "\"";
  }
  if (selection.channel >= 0) text += (text.empty() ? "" : ", ") + ChannelList({selection.channel});
  return text;
}

std::string ChoiceReason(MidiChoiceReason reason) {
  switch (reason) {
    case MidiChoiceReason::kNamed: return " (named like a melody)";
    case MidiChoiceReason::kHighest: return " (the highest-sounding part of those that play often)";
    case MidiChoiceReason::kGiven: break;
  }
  return "";
}

int ListTracks(CommandContext& context, const MidiFileContents& contents) {
  std::ostream& out = context.out;
  out << "format " << contents.format << ", " << Counted(contents.tracks.size(), "track", "tracks") << ", ";
  if (contents.ticksPerQuarter) out << contents.ticksPerQuarter << " ticks a quarter note";
  else out << contents.microsPerTick << " us a tick (timed in frames)";
  out << ", " << Counted(contents.tempos.size(), "tempo change", "tempo changes") << "\n";
  const uint32_t tolerance = ToleranceTicks(contents);
  for (size_t t = 0; t < contents.tracks.size(); ++t) {
    const ReadTrack& track = contents.tracks[t];
    const TrackSummary summary = SummarizeTrack(track, tolerance);
    out << "track " << t + 1 << " \"" << TrackName(track.name) << "\": ";
    if (!summary.notes) {
      out << "no notes\n";
      continue;
    }
    out << ChannelList(summary.channels);
    if (!track.instrument.empty()) out << ", instrument \"" << TrackName(track.instrument) << "\"";
    if (!track.programs.empty()) out << ", program " << track.programs[0] + 1;
    out << ", " << Counted(static_cast<size_t>(summary.notes), "note", "notes") << ", "
        << KeyRange(summary.lowestKey, summary.highestKey) << ", "
        << (summary.mostAtOnce <= 1 ? "one at a time" : "up to " + std::to_string(summary.mostAtOnce) + " at once")
        << "\n";
  }
  MidiChoice choice;
  if (ChooseMelodyPart(contents, &choice))
    out << "import-midi takes " << PartName(contents, choice.selection) << ChoiceReason(choice.reason) << "\n";
  else
    out << "import-midi finds no notes to take outside the drums' channel 10\n";
  return kExitSuccess;
}

// Everything the melody changes or leaves out, as warnings.
void WarnOfChanges(const CommandContext& context, const MidiFileContents& contents, const MidiImport& import) {
  const ImportedMelody& melody = import.melody;
  if (import.runsKept < import.runs.size()) {
    size_t next = import.runsKept;
    while (import.runs[next].pause) ++next;
    context.Warn("warning: the part has " + Counted(import.runs.size(), "note or pause", "notes and pauses") + " (" +
                 std::to_string(import.eventsInAll) + " events) and the phone holds " +
                 std::to_string(kMaxEventsPerSlot) + " events: the melody is cut before the note at " +
                 SecondsAt(import.runs[next].startMicros) + " in the file; " + FromOption(import.runs[next].startMicros) +
                 " imports from there");
  }
  if (import.mostAtOnce > 1 || import.notesHidden || import.notesCutShort) {
    std::string lost;
    if (import.notesHidden)
      lost = Counted(static_cast<size_t>(import.notesHidden), "note", "notes") + " under a higher one " +
             (import.notesHidden == 1 ? "is" : "are") + " left out";
    if (import.notesCutShort)
      lost += (lost.empty() ? Counted(static_cast<size_t>(import.notesCutShort), "note is", "notes are")
                            : " and " + std::to_string(import.notesCutShort)) +
              " heard only in part";
    context.Warn("warning: the part plays up to " + std::to_string(import.mostAtOnce) +
                 " notes at once and the phone one: the highest sounding is kept" + (lost.empty() ? "" : "; " + lost));
  }
  if (import.notesTooShort)
    context.Warn("warning: " + Counted(static_cast<size_t>(import.notesTooShort), "note", "notes") + " of " +
                 Counted(import.toleranceTicks, "tick", "ticks") + " or less (a 256th note) " +
                 (import.notesTooShort == 1 ? "is" : "are") + " too short to play and go to what sounds before");
  const OctavePlan& octaves = melody.octaves;
  if (octaves.shift || octaves.movedAlone) {
    const std::string range = "the notes lie in " + KeyRange(import.lowestPitch, import.highestPitch) +
                              ", the melody's octaves 1 to 8 are keys " + std::to_string(kLowestMelodyPitch) +
                              " to " + std::to_string(kHighestMelodyPitch);
    if (octaves.shift)
      context.Warn("warning: " + range + ": the whole tune is moved " + (octaves.shift > 0 ? "up " : "down ") +
                   Counted(static_cast<size_t>(std::abs(octaves.shift)), "octave", "octaves"));
    if (octaves.movedAlone)
      context.Warn("warning: " + (octaves.shift ? std::string("no shift fits them all") : range + ", and no shift fits them all") +
                   ": " + Counted(static_cast<size_t>(octaves.movedAlone), "note", "notes") +
                   " outside move by themselves to the nearest octave");
  }
  if (import.lowestVelocity != import.highestVelocity)
    context.Warn("warning: the notes' loudness (velocity " + std::to_string(import.lowestVelocity) + " to " +
                 std::to_string(import.highestVelocity) + ") is not kept: the phone plays every note alike");
  // The notes of other parts.
  size_t others = 0;
  std::string tracks;
  for (size_t t = 0; t < contents.tracks.size(); ++t) {
    size_t notes = 0;
    for (const ReadNote& note : contents.tracks[t].notes) {
      const MidiSelection& s = import.choice.selection;
      const bool inTrack = s.track < 0 || static_cast<size_t>(s.track) == t;
      const bool inChannel = s.channel >= 0 ? note.channel == s.channel : note.channel != kMidiDrumChannel;
      notes += !(inTrack && inChannel);
    }
    if (!notes) continue;
    others += notes;
    tracks += (tracks.empty() ? "" : ", ") + std::to_string(t + 1);
  }
  if (others)
    context.Warn("warning: " + Counted(others, "note", "notes") + " of other parts (in " +
                 (tracks.find(',') == std::string::npos ? "track " : "tracks ") + tracks +
                 ") are left out: --list shows every track, --track or --channel takes another part");
}

// "98 notes and 5 pauses (147 events), tempo 64; it lasts 25.167 s where the
// file plays it in 26.701 s: 5.7 % shorter"
std::string DescribeImport(const MidiImport& import) {
  size_t notes = 0, pauses = 0;
  for (size_t i = 0; i < import.runsKept; ++i) (import.runs[i].pause ? pauses : notes)++;
  const ImportedMelody& melody = import.melody;
  const TempoFit& fit = melody.fit;
  std::string text = Counted(notes, "note", "notes");
  if (pauses) text += " and " + Counted(pauses, "pause", "pauses");
  if (melody.events.size() != notes + pauses) text += " (" + Counted(melody.events.size(), "event", "events") + ")";
  text += " from " + SecondsAt(import.runs[0].startMicros) + " in the file, tempo " + std::to_string(melody.tempo);
  return text + LengthKept(fit.playedMicros, fit.askedMicros, "the file plays it in");
}

}  // namespace

int RunImportMidi(CommandContext& context) {
  ParsedArguments args;
  std::string error;
  if (!ParseArguments(context.args,
                      {{"--track", 1, false}, {"--channel", 1, false}, {"--melody", 1, false},
                       {"--transpose", 1, false}, {"--from", 1, false}, {"-o", 1, false}, {"--list", 0, false}},
                      &args, &error))
    return context.UsageError(error);
  if (args.positionals.size() != 1)
    return context.UsageError(args.positionals.empty() ? "the MIDI file to import is missing" : "one MIDI file at a time");
  const std::string& path = args.positionals[0];
  const bool list = args.Has("--list");
  if (list && args.options.size() > 1) return context.UsageError("--list takes only the MIDI file");

  MidiImportOptions options;
  int k = 0, number = 0;
  if (const std::string* value = args.Value("--track")) {
    if (!ParseWhole(*value, 1, 65535, &number))
      return context.UsageError("a track number counts from 1, as --list shows them, not '" + ShownName(*value) + "'");
    options.selection.track = number - 1;
  }
  if (const std::string* value = args.Value("--channel")) {
    if (!ParseWhole(*value, 1, kMidiChannels, &number))
      return context.UsageError("a channel is 1 to 16, not '" + ShownName(*value) + "'");
    options.selection.channel = number - 1;
  }
  if (const std::string* value = args.Value("--melody"); value && !ParseMelodyNumber(*value, &k, &error))
    return context.UsageError(error);
  if (const std::string* value = args.Value("--transpose");
      value && !ParseWhole(*value, -kMostSemitones, kMostSemitones, &options.transpose))
    return context.UsageError("--transpose takes semitones from -127 to 127, not '" + ShownName(*value) + "'");
  if (const std::string* value = args.Value("--from"); value && !ParseSeconds(*value, &options.fromMicros))
    return context.UsageError("--from takes seconds into the file, as 12 or 12.5, not '" + ShownName(*value) + "'");
  const std::string* out = args.Value("-o");
  if (!list && !out) return context.UsageError("the project file to write is missing: -o OUT.bmt");
  const std::string problem = list ? "" : OutputProblem(*out, ".bmt", "project file", {path});
  if (!problem.empty()) return context.UsageError(problem);

  context.StartLog();
  std::string bytes;
  if (!ReadFileBytes(path, kLargestMidiFile, &bytes, &error)) return context.Failure(error);
  MidiFileContents contents;
  if (!ReadMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &contents, &error))
    return context.Failure(QuotedSource(path) + ": " + error + (list ? "" : "; nothing was written"));
  if (list) return ListTracks(context, contents);
  if (options.selection.track >= static_cast<int>(contents.tracks.size()))
    return context.Failure(QuotedSource(path) + " has " + Counted(contents.tracks.size(), "track", "tracks") +
                           ", not a track " + std::to_string(options.selection.track + 1) + "; nothing was written");

  MidiImport import;
  switch (ImportMidi(contents, options, &import)) {
    case MidiImportResult::kImported: break;
    case MidiImportResult::kNoNotes: {
      const std::string part = PartName(contents, import.choice.selection);
      return context.Failure(QuotedSource(path) + (part.empty() ? " has no notes outside the drums' channel 10"
                                                                : ": " + part + " has no notes") +
                             " (--list shows every track); nothing was written");
    }
    case MidiImportResult::kNothingFrom:
      return context.Failure("no note of " + PartName(contents, import.choice.selection) + " begins at or after " +
                             SecondsAt(options.fromMicros) + " in " + QuotedSource(path) + "; nothing was written");
  }

  if (!PutMelodyIntoProject(context, *out, k, {import.melody.text, import.melody.tempo})) return kExitFailure;
  const bool toStandardOutput = IsStandardStream(*out);
  WarnOfChanges(context, contents, import);
  (toStandardOutput ? context.err : context.out)
      << "imported " << PartName(contents, import.choice.selection) << ChoiceReason(import.choice.reason)
      << " as melody " << k + 1 << " of " << (toStandardOutput ? "the project on standard output" : ShownName(*out))
      << ": " << DescribeImport(import) << "\n";
  return kExitSuccess;
}
