"""The music a --fit conversion keeps of the real files in tests/data/midi-corpus, measured from
outside by bench/import_fidelity.py, never falls below what it reached: kept notes and melody
notes as floors, and every file's speed within 3 points of the nearest possible one."""
import os
import re
import subprocess
import sys

SOURCE = os.environ["PIPORAPAD_SOURCE_DIR"]
run = subprocess.run(
    ["/usr/bin/python3", os.path.join(SOURCE, "bench/import_fidelity.py"), "--cli",
     os.environ["PIPORAPAD_CLI"], "--fit", os.path.join(SOURCE, "tests/data/midi-corpus")],
    capture_output=True, text=True)
total = re.search(r"notes kept .*\((\d+)/(\d+)\)\tmelody kept .*\((\d+)/(\d+)\)\t"
                  r"speed within 3 points (\d+)/(\d+)", run.stdout)
if run.returncode != 0 or total is None:
    sys.exit(f"import_fidelity.py failed: {run.stderr}{run.stdout[-2000:]}")
notes, all_notes, melody, all_melody, speed_ok, speed_files = map(int, total.groups())
failures = []
if (all_notes, all_melody) != (52369, 14059):
    failures.append(f"the corpus holds {all_notes} notes, {all_melody} melody notes")
if notes < 52240:
    failures.append(f"notes kept {notes} of {all_notes}, below 52240")
if melody < 14036:
    failures.append(f"melody kept {melody} of {all_melody}, below 14036")
if speed_ok != speed_files:
    failures.append(f"speed near the file's on {speed_ok} of {speed_files} files")
print(run.stdout.splitlines()[-1])
if failures:
    sys.exit("\n".join(failures))
print("import_fidelity_floor: all passed")
