#pragma once
// The parts of a MIDI file a melody can come from, and the one that carries
// the melody: a track named like a melody or a voice, else the
// highest-sounding busy part that is not the drums. A part is what one
// track plays on one channel, so that a format 0 file, all in one track,
// still has its parts told apart.
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/MidiReader.h"
#include "exchange/TopVoice.h"

constexpr int kMidiChannels = 16;
constexpr int kMidiDrumChannel = 9;  // "channel 10", as players and users count from 1

struct MidiSelection {
  int track = -1;    // an index into the file's tracks; -1 for every track
  int channel = -1;  // 0 to 15; -1 for every channel but the drums'
};

enum class MidiChoiceReason {
  kGiven,    // the user named the track or channel
  kNamed,    // the first track whose name or instrument says melody, voice, lead, ...
  kHighest,  // the highest-sounding busy part
};

struct MidiChoice {
  MidiSelection selection;
  MidiChoiceReason reason = MidiChoiceReason::kGiven;
};

// Ticks that a gap, an overlap or a note may last and still be taken for a
// file's inexactness (exchange/TopVoice.h): a 256th note, at least a tick.
// Converted and performed files miss a note's end by a tick or two, a few
// milliseconds at the usual divisions (a 256th is 7 of 480 ticks a
// quarter), while the notes a melody plays are longer: the phone's (1/128)
// at tempo 128 lasts 14 ms, about two 256ths at its beat. A file timed in
// frames counts a 256th at 120 quarter notes a minute.
uint32_t ToleranceTicks(const MidiFileContents& contents);

// The part carrying the melody: the first track with notes off the drums
// whose name or instrument says melody or voice ("Melody", "Lead vocal",
// "VOICE 2", "Chant": any case, also within a longer name), else the
// highest-sounding busy part. False when every note is on the drum channel
// (or there is none).
bool ChooseMelodyPart(const MidiFileContents& contents, MidiChoice* choice);

// The selection's notes, by start; drums only when asked for by channel.
std::vector<ReadNote> SelectedNotes(const MidiFileContents& contents, const MidiSelection& selection);

// What a track holds, for a user to choose from.
struct TrackSummary {
  std::vector<int> channels;  // of its notes, 0 to 15, ascending
  int notes = 0;
  int lowestKey = 0, highestKey = 0;  // of its notes; 0 when it has none
  int mostAtOnce = 0;                 // exchange/TopVoice.h: 1 for a track that plays one note at a time
};
TrackSummary SummarizeTrack(const ReadTrack& track, uint32_t tolerance);

// The selection's notes as the top voice reads them.
std::vector<VoiceNote> VoiceNotesOf(const std::vector<ReadNote>& notes);
