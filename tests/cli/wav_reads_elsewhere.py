"""Renders a melody with the quavrel command and reads the WAV file back with
Python's wave module: another reader than ours must agree on its format."""
import subprocess
import sys
import tempfile
import wave

quavrel, project = sys.argv[1], sys.argv[2]
with tempfile.TemporaryDirectory() as folder:
    run = subprocess.run([quavrel, "render", project, "-o", "out.wav"],
                         cwd=folder, capture_output=True, text=True, check=True)
    # "melody 1: 23 notes, 7.688 s (7688 ms); wrote out.wav"
    milliseconds = int(run.stdout.split("(")[1].split(" ms")[0])
    with wave.open(f"{folder}/out.wav") as w:
        read = (w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())
expected = (1, 2, 44100, milliseconds * 44100 // 1000)
print(f"wave reads {read}, expected {expected}")
print("1 passed, 0 failed" if read == expected else "0 passed, 1 failed")
sys.exit(0 if read == expected else 1)
