#include <gtest/gtest.h>

#include "exchange/Pitch.h"
#include "exchange/Rtttl.h"

namespace {

// The tune as read: its name, b, and each note as its duration, the note it
// sounds (RTTTL's spelling) and a dot: "x 63: 8f#5. 4p"; or the error.
std::string Read(const std::string& rtttl) {
  RtttlTune tune;
  std::string text;
  if (!ParseRtttl(rtttl, &tune, &text)) return "error: " + text;
  text = tune.name + " " + std::to_string(tune.beats) + ":";
  for (const RtttlNote& n : tune.notes)
    text += " " + std::to_string(n.duration) +
            (n.letter == 'p' ? "p" : RtttlLetters(RtttlPitch(n)) + std::to_string(RtttlOctave(RtttlPitch(n)))) +
            (n.dotted ? "." : "");
  return text;
}

}  // namespace

TEST(RtttlReader, ReadsWhatTheCommonPlayersRead) {
  const std::pair<std::string, std::string> cases[] = {
      // Spellings: # and _ for a sharp, h for b, e# is F and b# the next C.
      {"x:d=4,o=5,b=100:c,c#,c_,d#,e#,e_,f_,g#,a_,h,b,b#,b_,p",
       "x 100: 4c5 4c#5 4c#5 4d#5 4f5 4f5 4f#5 4g#5 4a#5 4b5 4b5 4c6 4c6 4p"},
      {"x:o=9:b#,e#,c0", "x 63: 4c10 4f9 4c0"},
      {"UP:D=8,O=4,B=90:C#,A_5,H.,P", "UP 90: 8c#4 8a#5 8b4. 8p"},
      // Every duration, with the dot before or after the octave.
      {"x::1c,2c,4c,8c,16c,32c,64c,16c.5,16c5.,2p.", "x 63: 1c6 2c6 4c6 8c6 16c6 32c6 64c6 16c5. 16c5. 2p."},
      // Defaults: d=4, o=6, b=63 for what the header leaves out; the last of a repeated setting wins.
      {"x:b=200,d=16,o=7:c,4d5", "x 200: 16c7 4d5"},
      {"x:,,d=8,,d=2,:c,,d,", "x 63: 2c6 2d6"},
      // Blanks and line breaks anywhere; the name (commas and all) is trimmed, a UTF-8 mark before it dropped.
      {"\xEF\xBB\xBF Tune, Op. 1 :\r\n d = 8 ,\t o = 5 :\n c , 4 d # 6 .\r\n", "Tune, Op. 1 63: 8c5 4d#6."},
  };
  for (const auto& [rtttl, read] : cases) EXPECT_EQ(Read(rtttl), read) << rtttl;
}

TEST(RtttlReader, MalformedRingtonesSayWhereAndWhatWasExpected) {
  std::pair<std::string, std::string> cases[] = {
      {"just notes c,d,e", "not an RTTTL ringtone: expected name:settings:notes, with two colons"},
      {"x:d=4:", "the ringtone has no notes: expected notes after the second colon"},
      // Settings.
      {"x:q=4:c", "unknown setting \"q=4\" at line 1, column 3: expected d=, o= or b= (l= and s= are read and "
                  "ignored)"},
      {"x:d=4,b=:c", "the setting b= at line 1, column 7 has no value"},
      {"x:b=140bpm:c", "the setting b at line 1, column 3: expected a whole number, not \"140bpm\""},
      {"x:d=3:c", "default duration 3 at line 1, column 3: expected 1, 2, 4, 8, 16, 32 or 64"},
      {"x:o=12:c", "default octave 12 at line 1, column 3 is out of range: an RTTTL octave is one digit, 0 to 9"},
      {"x:b=0:c", "tempo b=0 at line 1, column 3: expected 1 to 65535 beats a minute"},
      {"x:b=99999:c", "tempo b=99999 at line 1, column 3: expected 1 to 65535 beats a minute"},
      // Durations.
      {"x::128c", "duration 128 at line 1, column 4: expected 1, 2, 4, 8, 16, 32 or 64"},
      {"x::c,81616e", "duration 81616 at line 1, column 6"},
      {"x::8,c", "a duration without a note at line 1, column 4: expected a note letter (a to g, h or p) after 8"},
      {"x::c,16", "a duration without a note at line 1, column 6: expected a note letter (a to g, h or p) after 16; "
                  "the ringtone may be cut short here"},
      // Notes.
      {"x::c,\n  z", "unknown note 'z' at line 2, column 3: expected a note letter (a to g, h or p)"},
      {"x::#c", "unknown note '#' at line 1, column 4: expected a note letter (a to g, h or p); a sharp goes after the "
                "letter, as in c#"},
      {"x::c10", "octave 10 at line 1, column 5 is out of range: an RTTTL octave is one digit, 0 to 9"},
      // A character out of place, after what was read of the note.
      {"x::c8d,e", "unexpected 'd' at line 1, column 6 after \"c8\": expected a dot, or a comma before the next note"},
      {"x::cb", "unexpected 'b' at line 1, column 5 after \"c\": expected a sharp, a dot, an octave, or nothing"},
      {"x::c5.#", "unexpected '#' at line 1, column 7 after \"c5.\": expected nothing"},
      {"x::d=4,c", "unexpected '=' at line 1, column 5 after \"d\": expected a sharp, a dot, an octave, or a comma "
                   "before the next note; settings go between the two colons"},
      // Bytes above ASCII are shown escaped, as control characters are.
      {"x::c\xC2\xA0,d", "unexpected '\\xC2' at line 1, column 5 after \"c\""},
  };
  for (const auto& [rtttl, error] : cases)
    EXPECT_EQ(Read(rtttl).substr(0, 7 + error.size()), "error: " + error) << rtttl;
}
