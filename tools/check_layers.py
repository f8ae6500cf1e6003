#!/usr/bin/env python3
"""Checks that every folder includes only what the layer map below allows.

    check_layers.py [ROOT]

Reads each #include "..." in the C/C++ sources and resource scripts under
ROOT (by default the tree this script belongs to), prints every include the
map does not allow as file:line with the reason, and exits 1 when there is
any, 0 otherwise.
"""

import os
import re
import sys

# The layers, bottom to top. A folder may include its own files and those of
# every folder in a lower layer; folders that share a layer do not include
# each other.
LAYERS = [
    ["texts"],           # the string table, its IDs, the dialog's control IDs
    ["sys"],             # the platform layer, path operations, staged files
    ["base"],            # portable text code
    ["diag"],            # the error log, the program's path, the crash report
    ["melody"],          # the melody set, the encoder, project and block files
    ["exchange"],        # RTTTL and MIDI, both ways, and the fitting they share
    ["link", "sim"],     # the phone link; the simulated phone
    ["cli"],             # the quavrel command
    ["ui"],              # the Windows program
    ["bench", "tests"],  # benchmarks and tests
]

# Includes that the layers alone would refuse, each with its reason:
# (including folder, included file or folder) -> reason.
EXCEPTIONS = {
    ("bench", "tests/ui/ProgramDriver.h"):
        "the dialog's benchmark drives Quavrel.exe with the dialog tests' driver",
}

# A folder's platform subfolders (sys/posix, sim/win32, ...) are its own:
# other folders reach them through the portable headers beside them, or
# through the headers listed here, which are made for them. Tests may
# include any, to check the parts they are made of.
PLATFORM_SUBFOLDERS = ("posix", "win32")
PUBLIC_PLATFORM_HEADERS = {
    "sys/posix/Tty.h": "real-time deadlines and a line's rate, for code that drives a tty itself",
}
MAY_INCLUDE_PLATFORM_PARTS = ("tests",)

SOURCE_ENDINGS = (".c", ".cc", ".cpp", ".h", ".hpp", ".inc", ".rc")
SKIPPED_FOLDERS = ("build",)
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')

LEVEL = {folder: level for level, layer in enumerate(LAYERS) for folder in layer}


def top_folder(relative_path):
    parts = relative_path.split("/")
    return parts[0] if len(parts) > 1 else ""


def resolve(root, including_file, name):
    """The included file relative to root, searched as the compiler does: beside
    the including file first, then from the root. None when it lies outside."""
    for base in (os.path.dirname(including_file), root):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            relative = os.path.relpath(candidate, root).replace(os.sep, "/")
            return None if relative.startswith("../") else relative
    # Not there (yet): taken as named from the root.
    return os.path.normpath(name).replace(os.sep, "/")


def exception_for(folder, included):
    for (source, target), reason in EXCEPTIONS.items():
        if source == folder and (included == target or included.startswith(target.rstrip("/") + "/")):
            return reason
    return None


def offence(folder, included, top_folders):
    """Why folder may not include included, or None when it may."""
    target = top_folder(included)
    if not target or target == folder:
        return None
    if target not in LEVEL:
        if target in top_folders:
            return "'%s' is not in the layer map" % target
        return None  # a header from elsewhere (a search path of the build)
    if exception_for(folder, included):
        return None
    if target != folder:
        if LEVEL[target] > LEVEL[folder]:
            return "'%s' may not include '%s', which is above it" % (folder, target)
        if LEVEL[target] == LEVEL[folder]:
            return "'%s' may not include '%s', which is beside it" % (folder, target)
    if is_platform_part(included) and folder not in MAY_INCLUDE_PLATFORM_PARTS \
            and included not in PUBLIC_PLATFORM_HEADERS:
        return "'%s' belongs to '%s' alone" % (included, "/".join(included.split("/")[:2]))
    return None


def is_platform_part(included):
    parts = included.split("/")
    return len(parts) > 2 and parts[1] in PLATFORM_SUBFOLDERS


def source_files(root):
    for folder, subfolders, files in os.walk(root):
        relative_folder = os.path.relpath(folder, root)
        subfolders[:] = sorted(s for s in subfolders
                               if not s.startswith(".") and not (relative_folder == "." and s in SKIPPED_FOLDERS))
        for name in sorted(files):
            if name.endswith(SOURCE_ENDINGS):
                yield os.path.join(folder, name)


def check(root):
    """Every offence in the tree at root, as 'file:line: reason'."""
    root = os.path.abspath(root)
    top_folders = {entry for entry in os.listdir(root)
                   if os.path.isdir(os.path.join(root, entry)) and not entry.startswith(".")}
    offences = []
    for path in source_files(root):
        relative = os.path.relpath(path, root).replace(os.sep, "/")
        folder = top_folder(relative)
        if folder not in LEVEL:
            offences.append("%s:1: '%s' is not in the layer map" % (relative, folder or "."))
            continue
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                included = resolve(root, path, match.group(1))
                reason = included and offence(folder, included, top_folders)
                if reason:
                    offences.append("%s:%d: %s (#include \"%s\")" % (relative, number, reason, match.group(1)))
    return offences


def main(arguments):
    root = arguments[1] if len(arguments) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    offences = check(root)
    for line in offences:
        print(line)
    if offences:
        print("%d include(s) break the layer map at the top of %s" % (len(offences), os.path.abspath(__file__)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
