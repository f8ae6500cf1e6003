#!/usr/bin/env python3
"""The layer check on small trees: what it lets through and what it reports."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_layers  # noqa: E402


def make_tree(root, files):
    for path, text in files.items():
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as out:
            out.write(text)


class CheckLayersTest(unittest.TestCase):
    def check(self, files):
        with tempfile.TemporaryDirectory() as root:
            make_tree(root, files)
            return [line.split(": ")[0] for line in check_layers.check(root)]

    def test_downward_own_and_listed_includes_pass(self):
        self.assertEqual([], self.check({
            "texts/Ids.h": "",
            "sys/Path.h": '#include "texts/Ids.h"\n',
            "sys/posix/Tty.h": "",
            "sys/posix/Wait.h": '#include "sys/Path.h"\n',
            "sys/posix/Serial.cpp": '#include "sys/posix/Wait.h"\n',
            "link/Jobs.cpp": '#include "sys/Path.h"\n#include <ui/Absent.h>\n#include "Jobs.h"\n',
            "sim/posix/Pty.cpp": '#include "sys/posix/Tty.h"\n',
            "ui/Dialog.rc": '#include "texts/Ids.h"\n',
            "tests/serial/WaitTest.cpp": '#include "sys/posix/Wait.h"\n#include "ui/Dialog.rc"\n',
            "tests/ui/ProgramDriver.h": "",
            "bench/Start.cpp": '#include "tests/ui/ProgramDriver.h"\n',
            "build/gen/Any.cpp": '#include "ui/Dialog.rc"\n',
        }))

    def test_upward_sideways_and_private_includes_are_reported_by_line(self):
        self.assertEqual([
            "bench/Other.cpp:1",       # only tests/ui's driver is let through
            "extra/Tool.cpp:1",        # a folder the map does not place
            "link/Jobs.cpp:2",         # beside it
            "sim/posix/Pty.cpp:1",     # another folder's platform part
            "sys/Strings.cpp:1",       # above it
            "sys/Strings.cpp:3",       # above it, reached by a relative path
        ], self.check({
            "sys/Strings.cpp": '#include "ui/Table.inc"\n\n#include "../ui/Table.inc"\n',
            "sys/posix/Wait.h": "",
            "link/Jobs.cpp": '#include "sys/Path.h"\n#include "sim/Phone.h"\n',
            "sim/Phone.h": "",
            "sim/posix/Pty.cpp": '#include "sys/posix/Wait.h"\n',
            "ui/Table.inc": "",
            "tests/support/Rig.h": "",
            "bench/Other.cpp": '#include "tests/support/Rig.h"\n',
            "extra/Tool.cpp": '#include "sys/Path.h"\n',
        }))


if __name__ == "__main__":
    unittest.main()
