"""Renders each melody of a project with the quavrel command and reads the
WAV files back with Python's wave module (and sox, where it is installed):
another reader than ours must agree on format, rate and length."""
import os
import shutil
import subprocess
import sys
import tempfile
import wave

quavrel, project = sys.argv[1], os.path.abspath(sys.argv[2])
failed = set()
with tempfile.TemporaryDirectory() as folder:
    for melody in range(1, 5):
        out = os.path.join(folder, f"melody{melody}.wav")
        run = subprocess.run([quavrel, "render", project, "--melody", str(melody), "-o", out],
                             cwd=folder, capture_output=True, text=True)
        if run.returncode != 0:
            print(f"melody {melody}: render failed: {run.stderr}")
            failed.add(melody)
            continue
        # "melody 1: 23 notes, 5.952 s (5952 ms); wrote ..."
        milliseconds = int(run.stdout.split("(")[1].split(" ms")[0])
        with wave.open(out) as w:
            params = (w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())
        expected = (1, 2, 44100, milliseconds * 44100 // 1000)
        if params != expected:
            print(f"melody {melody}: wave reads {params}, expected {expected}")
            failed.add(melody)
        if shutil.which("sox"):
            info = subprocess.run(["sox", "--i", "-s", out], capture_output=True, text=True)
            if info.returncode != 0 or int(info.stdout) != expected[3]:
                print(f"melody {melody}: sox reads {info.stdout.strip()} samples: {info.stderr}")
                failed.add(melody)
print(f"{4 - len(failed)} passed, {len(failed)} failed")
sys.exit(1 if failed else 0)
