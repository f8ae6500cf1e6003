#!/usr/bin/env python3
"""Measures MIDI import on a collection of MIDI files and another reader's view of them.

    bench/midi-corpus.py [CORPUS] [--bench PROGRAM] [--list]

CORPUS is a folder holding the MIDI files and reference.json, what Python's
mido reads from each (its tempo map, each track's notes, the track that
carries the melody); by default ../shared/corpora/midi beside the
repository. The importer runs in build/native/midi_import_bench (cmake
--build build/native builds it), each file as "quavrel import-midi FILE -o
OUT.bmt" takes it. Prints for each group of files (the folders below
CORPUS): how many import, whether the reader pairs the same notes as mido,
whether the chosen track is the melody's (and would be were no track
named), whether the notes come out in order and in tune (the top voice of
the melody track, worked out here on its own; the whole tune may move by
whole octaves), how many were cut at 149 events, and how near the melodies
come to their length in the file. --list prints a line for every file.
"""

import argparse
import bisect
import collections
import json
import os
import statistics
import subprocess
import sys

from corpus_stats import percent, quantile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_CORPUS = os.path.join(ROOT, "..", "shared", "corpora", "midi")
DEFAULT_BENCH = os.path.join(ROOT, "build", "native", "midi_import_bench")
DRUMS = 9


class TempoMap:
    """Seconds at a tick, by the file's tempo changes (500000 us a quarter before the first)."""

    def __init__(self, changes, ticks_per_quarter):
        self.ticks, self.micros, self.tempos = [0], [0], [500000]
        self.division = ticks_per_quarter
        for tick, tempo in changes:
            self.micros.append(self.micros_at(tick))
            self.ticks.append(tick)
            self.tempos.append(tempo)

    def micros_at(self, tick):
        i = bisect.bisect_right(self.ticks, tick) - 1
        return self.micros[i] + (tick - self.ticks[i]) * self.tempos[i] // self.division


def top_voice(notes, tolerance):
    """The runs [start, end, key or None] heard when the highest sounding note wins (of one key
    the latest stroke), runs no longer than tolerance going to the run before them, from the
    first note to the end of the last."""
    edges = sorted({t for n in notes if n[1] > n[0] for t in n[:2]})
    runs = []
    for a, b in zip(edges, edges[1:]):
        sounding = [(n[2], n[0], i) for i, n in enumerate(notes) if n[0] <= a < n[1]]
        heard = max(sounding)[2] if sounding else None
        if runs and runs[-1][3] == heard:
            runs[-1][1] = b
        else:
            runs.append([a, b, notes[heard][2] if heard is not None else None, heard])
    kept = []
    for run in runs:
        tiny = run[1] - run[0] <= tolerance
        if not kept and (tiny or run[3] is None):
            continue
        if kept and (tiny or kept[-1][3] == run[3]):
            kept[-1][1] = run[1]
        else:
            kept.append(run)
    return kept


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("corpus", nargs="?", default=DEFAULT_CORPUS)
    parser.add_argument("--bench", default=DEFAULT_BENCH)
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if not os.path.exists(args.bench):
        sys.exit("%s is missing: cmake --build build/native first" % args.bench)
    with open(os.path.join(args.corpus, "reference.json")) as f:
        reference = json.load(f)
    names = sorted(reference)
    output = subprocess.run([args.bench] + [os.path.join(args.corpus, n) for n in names],
                            check=True, capture_output=True).stdout.decode("utf-8", "replace")
    results, micros = {}, 0
    for line in output.splitlines():
        fields = line.split("\t")
        if fields[0] == "time":
            micros = int(fields[1])
        else:
            results[os.path.relpath(fields[0], args.corpus)] = fields[1:]

    groups = collections.defaultdict(list)
    for name in names:
        groups[name.split("/")[0]].append(name)
    print("== %s: %d files, read and imported in %.2f s"
          % (os.path.relpath(args.corpus), len(names), micros / 1e6))
    for group, members in sorted(groups.items()):
        measure(group, members, reference, results, args.list)


def measure(group, members, reference, results, listing):
    imported = [n for n in members if results[n][0] == "imported"]
    same_notes = chosen = unnamed = in_order = 0
    octave_moves = collections.Counter()
    errors, ratios, cut_errors, wrong = [], [], [], []
    for name in imported:
        ref, r = reference[name], results[name]
        track, channel = int(r[1]), int(r[2])
        runs, kept, events = int(r[4]), int(r[5]), int(r[7])
        asked_us, played_us, shift = int(r[8]), int(r[9]), int(r[10])
        pitches = [int(p) for p in r[16].split(",")] if r[16] else []
        per_track = [int(c) for c in r[17].split(",")]
        same_notes += per_track == [len(t["notes"]) for t in ref["tracks"]]
        melody_channel = ref.get("melody_channel")
        ok_track = track == ref["melody_track"] and (melody_channel is None or channel in (-1, melody_channel))
        chosen += ok_track
        unnamed_track, unnamed_channel = (int(x) for x in r[18].split(","))
        unnamed += unnamed_track == ref["melody_track"] and (melody_channel is None or unnamed_channel in (-1, melody_channel))

        # The melody track's top voice, as this script reads it.
        part = ref["tracks"][ref["melody_track"]]
        note_channels = part.get("note_channels", [part["channels"][0] if part["channels"] else 0] * len(part["notes"]))
        notes = [n for n, c in zip(part["notes"], note_channels)
                 if (c == melody_channel if melody_channel is not None else c != DRUMS)]
        tolerance = max(1, ref["ticks_per_beat"] // 64)
        voice = top_voice(notes, tolerance)
        expected = [run[2] for run in voice[:kept] if run[2] is not None]
        moves = {p - e for p, e in zip(pitches, expected)}
        right = ok_track and len(pitches) == len(expected) and len(moves) == 1 and next(iter(moves)) % 12 == 0
        in_order += right
        if right:
            octave_moves[next(iter(moves)) // 12] += 1
        else:
            wrong.append(name)

        tempo = TempoMap(ref["tempo_changes"], ref["ticks_per_beat"])
        last = kept - 1
        while last > 0 and voice[last][2] is None:
            last -= 1
        length_us = tempo.micros_at(voice[last][1]) - tempo.micros_at(voice[0][0])
        if kept < runs:
            cut_errors.append(abs(played_us / length_us - 1))
        else:
            ratios.append(played_us / length_us)
            errors.append(abs(played_us / length_us - 1))
        if listing:
            print("  %-45s track %d%s %-7s %4d runs, %3d kept, %3d events, %7.3f s of %7.3f s%s%s"
                  % (name, track + 1, "" if channel < 0 else " ch %d" % (channel + 1), r[3], runs, kept, events,
                     played_us / 1e6, length_us / 1e6, "" if right else "  NOT IN ORDER",
                     "" if abs(asked_us - length_us) < 1000 else "  (asked %.3f s)" % (asked_us / 1e6)))

    total = len(members)
    print("-- %s: %d files" % (group, total))
    print("imported                      %4d of %d" % (len(imported), total))
    for name in members:
        if results[name][0] != "imported":
            print("  refused %s: %s" % (name, results[name][1]))
    print("the reader's notes as mido's  %4d of %d" % (same_notes, len(imported)))
    print("the melody's track chosen     %4d of %d   (with no track names: %d)" % (chosen, len(imported), unnamed))
    print("notes in order and in tune    %4d of %d   (octaves moved: %s)"
          % (in_order, len(imported), ", ".join("%+d: %d" % m for m in sorted(octave_moves.items()))))
    for name in wrong:
        print("  not in order: %s" % name)
    print("cut at 149 events             %4d" % len(cut_errors))
    if errors:
        print("length, played / the file's, of the %d not cut:" % len(errors))
        for limit in (0.01, 0.02, 0.05, 0.10):
            within = sum(1 for e in errors if e <= limit)
            print("  within %4.0f %%    %4d   %s" % (100 * limit, within, percent(within, len(errors))))
        print("  error median %.2f %%, 90th %.2f %%, worst %.3fx .. %.3fx"
              % (100 * statistics.median(errors), 100 * quantile(errors, 0.9), min(ratios), max(ratios)))
    if cut_errors:
        print("length of the part kept, of the %d cut: within 5 %% %d, within 10 %% %d, error median %.2f %%, "
              "worst %.2f %%" % (len(cut_errors), sum(1 for e in cut_errors if e <= 0.05),
                                 sum(1 for e in cut_errors if e <= 0.10), 100 * statistics.median(cut_errors),
                                 100 * max(cut_errors)))


if __name__ == "__main__":
    main()
