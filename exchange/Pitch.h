#pragma once
// One scale for every exchange format: a pitch is a MIDI note number, 69
// being A at 440 Hz (RTTTL's a4 and the melody's A1), one step a semitone.
// RTTTL's octave o starts at pitch 12 * (o + 1); the melody's octave digit d
// at 12 * (d + 4), from C1 (261 Hz) to H8 (63232 Hz).
#include <cstdint>
#include <string>

constexpr int kSemitonesPerOctave = 12;
constexpr int kLowestMelodyPitch = 60;    // C1
constexpr int kHighestMelodyPitch = 155;  // H8

// The melody's note name for a pitch from kLowestMelodyPitch to
// kHighestMelodyPitch: C, Cis, D, Dis, E, F, Fis, G, Gis, A, Ais or H and
// the octave digit ("Cis2").
std::string MelodyNoteName(int pitch);

// RTTTL's name of a pitch's note within its octave: "c", "c#", ... "b".
const char* RtttlLetters(int pitch);
// RTTTL's octave of a pitch (4 for 440 Hz).
int RtttlOctave(int pitch);

// The pitch nearest to a tone of toneCode hertz, and how far the tone lies
// from it in cents (hundredths of a semitone, positive when above). The
// note table's tones all lie within 5 cents of their pitch.
struct TonePitch {
  int pitch;
  int cents;
};
TonePitch PitchOfTone(uint16_t toneCode);
