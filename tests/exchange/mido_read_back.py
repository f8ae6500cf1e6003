#!/usr/bin/env python3
# Reads what "quavrel export-midi" writes with mido, an established MIDI
# library, where it is installed (Debian's python3-mido), and checks the
# format, the track names, the tempo and every note's key, start and length
# against what "quavrel render" plays.
#
#     mido_read_back.py QUAVREL
#
# Exits 77 (skipped) when mido is not there.

import os
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    # Debian's package installs it for the system's own Python.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    print("mido is not installed: skipped")
    sys.exit(77)

# Melody 1 at tempo 128: A1 496, a pause of 248, C2 248, H1 992 ms.
# Melody 3 at tempo 64: Fis2 (740 Hz) 992, then Bis1 (267 Hz, 35 cents above C4) 248.
MELODIES = {
    1: ("A1(1/4) P(1/8) C2(1/8) H1(1/2)", 128, [(69, 0, 496), (72, 744, 248), (71, 992, 992)]),
    3: ("Fis2(1/4) Bis1(1/16)", 64, [(78, 0, 992), (60, 992, 248)]),
}

with tempfile.TemporaryDirectory() as work:
    quavrel, project, out = sys.argv[1], os.path.join(work, "song.bmt"), os.path.join(work, "song.mid")
    args = [quavrel, "project", project]
    for number, (text, tempo, _) in MELODIES.items():
        args += ["--melody", str(number), text, "--tempo", str(number), str(tempo)]
    subprocess.run(args, check=True, capture_output=True)
    run = subprocess.run([quavrel, "export-midi", project, "-o", out], check=True, capture_output=True, text=True)
    assert "tone 267 (1 event) lies 35 cents above C4" in run.stderr, run.stderr

    song = mido.MidiFile(out)
    tempos = [m.tempo for m in song.tracks[0] if m.type == "set_tempo"]
    assert (song.type, [t.name for t in song.tracks], len(tempos)) == (1, ["", "Melody 1", "Melody 3"], 1), song
    for track, number in zip(song.tracks[1:], MELODIES):
        notes, ticks, sounding = [], 0, {}
        for message in track:
            ticks += message.time
            ms = round(mido.tick2second(ticks, song.ticks_per_beat, tempos[0]) * 1000)
            if message.type == "note_on" and message.velocity > 0:
                sounding[message.note] = ms
            elif message.type in ("note_on", "note_off"):
                start = sounding.pop(message.note)
                notes.append((message.note, start, ms - start))
        assert notes == MELODIES[number][2], (number, notes)
print("mido reads back every note of the MIDI file")
