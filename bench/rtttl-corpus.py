#!/usr/bin/env python3
"""Measures the RTTTL importer on a collection of public ringtones.

    bench/rtttl-corpus.py [TUNES.tsv] [--bench PROGRAM] [--refused]

TUNES.tsv holds one ringtone a line as "id<TAB>ringtone" (by default
../shared/corpora/rtttl-tunes.tsv beside the repository). The importer runs
in build/native/rtttl_import_bench (cmake --build build/native builds it).
Prints how many ringtones import, of all and of the well-formed ones (read
here by a grammar of its own, as the common players read RTTTL), why the
others are refused, how near the imported melodies come to the ringtones'
lengths, and how notes were moved by octaves. --refused lists every refused
ringtone with its message.
"""

import argparse
import collections
import os
import re
import statistics
import subprocess
import sys

from corpus_stats import percent, quantile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_TUNES = os.path.join(ROOT, "..", "shared", "corpora", "rtttl-tunes.tsv")
DEFAULT_BENCH = os.path.join(ROOT, "build", "native", "rtttl_import_bench")

# The melody's pitches (MIDI numbers): C1 to H8.
LOWEST, HIGHEST = 60, 155

DURATIONS = {"1", "2", "4", "8", "16", "32", "64"}
NOTE = re.compile(r"^(\d*)[a-hp][#_]?(\.\d?|\d?\.?)$", re.IGNORECASE)  # one dot, before or after the octave
SETTING = re.compile(r"^([dobls])=(.+)$", re.IGNORECASE)


def well_formed(ringtone):
    """True when a common player reads the ringtone: two colons, known settings
    with sensible values, and notes of the grammar [duration]letter[#][.][octave][.]."""
    parts = re.sub(r"\s", "", ringtone).split(":")
    if len(parts) != 3:
        return False
    for item in filter(None, parts[1].split(",")):
        match = SETTING.match(item)
        if not match:
            return False
        key, value = match.group(1).lower(), match.group(2)
        if key in "dob" and not value.isdigit():
            return False
        if key == "d" and value not in DURATIONS or key == "o" and len(value) > 1 or key == "b" and int(value) < 1:
            return False
    notes = [item for item in parts[2].split(",") if item]
    for item in notes:
        match = NOTE.match(item)
        if not match or match.group(1) and match.group(1) not in DURATIONS:
            return False
        if item[len(match.group(1))].lower() == "p" and item[len(match.group(1)) + 1:][:1] in ("#", "_"):
            return False
    return bool(notes)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tunes", nargs="?", default=DEFAULT_TUNES)
    parser.add_argument("--bench", default=DEFAULT_BENCH)
    parser.add_argument("--refused", action="store_true")
    args = parser.parse_args()
    if not os.path.exists(args.bench):
        sys.exit("%s is missing: cmake --build build/native first" % args.bench)

    ringtones = {}
    with open(args.tunes, encoding="utf-8", errors="surrogateescape", newline="\n") as tunes:
        for line in tunes:
            tab = line.find("\t")
            if tab > 0:
                ringtones[line[:tab]] = line[tab + 1:].rstrip("\n")
    output = subprocess.run([args.bench, args.tunes], check=True, capture_output=True).stdout
    results, micros = {}, 0
    for line in output.decode("utf-8", "replace").splitlines():
        fields = line.split("\t")
        if fields[0] == "time":
            micros = int(fields[1])
        else:
            results[fields[0]] = fields[1:]

    total = len(results)
    imported = {i: r for i, r in results.items() if r[0] == "imported"}
    refused = {i: r[1] for i, r in results.items() if r[0] == "refused"}
    good = {i for i in results if well_formed(ringtones.get(i, ""))}
    print("== %s: %d ringtones, read and converted in %.2f s (%.0f a second)"
          % (os.path.relpath(args.tunes), total, micros / 1e6, total / (micros / 1e6) if micros else 0))
    print("imported          %5d of %d   %s" % (len(imported), total, percent(len(imported), total)))
    print("  well-formed     %5d of %d   %s   (well-formed by this script's own grammar: %d)"
          % (len(good & imported.keys()), len(good), percent(len(good & imported.keys()), len(good)), len(good)))
    print("  malformed taken %5d" % len(imported.keys() - good))
    print("refused           %5d" % len(refused))
    kinds = collections.Counter(re.sub(r" at line .*", "", re.sub(r"'.*?'|\".*?\"|\d+", "_", m)) for m in refused.values())
    for kind, count in kinds.most_common():
        print("  %5d  %s" % (count, kind[:100]))
    if args.refused:
        for i, message in sorted(refused.items()):
            print("    %s  %s" % (i, message))

    uncut = [r for r in imported.values() if r[1] == r[2]]
    cut = len(imported) - len(uncut)
    ratios = [int(r[5]) / int(r[4]) for r in uncut]
    errors = [abs(x - 1) for x in ratios]
    print("length, played / asked, of the %d melodies not cut (%d cut at 149 events):" % (len(uncut), cut))
    for limit in (0.01, 0.02, 0.05, 0.10):
        within = sum(1 for e in errors if e <= limit)
        print("  within %4.0f %%    %5d   %s" % (100 * limit, within, percent(within, len(errors))))
    print("  error median %.2f %%, 90th %.2f %%, 99th %.2f %%, worst %.3fx .. %.3fx"
          % (100 * statistics.median(errors), 100 * quantile(errors, 0.9), 100 * quantile(errors, 0.99),
             min(ratios), max(ratios)))
    off = [int(r[6]) / int(r[4]) for r in uncut]
    print("  notes' differences added up, of the length: median %.2f %%, 90th %.2f %%"
          % (100 * statistics.median(off), 100 * quantile(off, 0.9)))

    moved = [r for r in imported.values() if r[7] != "0" or r[8] != "0"]
    whole = sum(1 for r in moved if r[8] == "0")
    alone = [r for r in moved if r[8] != "0"]
    fitting = sum(1 for r in alone
                  if any(LOWEST <= int(r[9]) + 12 * s and int(r[10]) + 12 * s <= HIGHEST for s in range(-12, 13)))
    print("octaves: %d melodies moved, %d of them as a whole only; %d with single notes moved, "
          "%d of those where one shift would have fitted every note" % (len(moved), whole, len(alone), fitting))


if __name__ == "__main__":
    main()
