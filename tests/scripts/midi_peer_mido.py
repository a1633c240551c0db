"""Standard MIDI Files made by a real peer (python3-mido) are imported as meant, and the files
piporapad-cli exports are read back by mido and midicsv with exactly the events we meant."""
import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import mido
except ImportError:
    # The Debian package lives in the system interpreter; a pyenv shim may hide it.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

CLI = os.environ["PIPORAPAD_CLI"]
HOME = tempfile.mkdtemp(prefix="pipora_midi_peer_")
atexit.register(shutil.rmtree, HOME, ignore_errors=True)
CODES = {960: "2", 480: "4", 240: "8", 120: "16", 640: "23", 320: "43", 160: "83", 80: "163"}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def cli(*args, expect=0):
    run = subprocess.run([CLI, "--home", HOME, "--log", *args], capture_output=True)
    check(run.returncode == expect,
          f"{args}: exit {run.returncode}, wanted {expect}: {run.stderr.decode('utf-8', 'replace')}")
    return run.stdout.decode("utf-8"), run.stderr.decode("utf-8")


def dump(path, *options):
    """title, tempo and per part the (note number, length code) list of `dump`."""
    out, _ = cli("dump", path, *options)
    song = {"title": None, "tempo": None, "parts": {}}
    part = None
    for line in out.splitlines():
        fields = line.split("\t")
        if fields[0] == "title":
            song["title"] = fields[1] if len(fields) > 1 else ""
        elif fields[0] == "tempo":
            song["tempo"] = fields[1]
        elif fields[0] == "part":
            part = song["parts"].setdefault(int(fields[1]), [])
        elif part is not None and fields[3] != "* End of Track *":
            part.append((int(fields[2]), fields[3]))
    return song


def read_log():
    with open(os.path.join(HOME, "pipora.log"), "rb") as f:
        return f.read().decode("cp932").split("\r\n")


def expected_part(melody):
    """melody: (key, ticks at 480 per quarter, rest before in ticks); table lengths only."""
    notes = []
    for key, ticks, rest in melody:
        if rest:
            notes.append((0, CODES[rest]))
        notes.append((key, CODES[ticks]))
    return notes


def melody_track(melody, channel, division, name=None):
    track = mido.MidiTrack()
    if name is not None:
        track.append(mido.MetaMessage("track_name", name=name.encode("cp932").decode("latin1")))
    pending = 0
    for key, ticks, rest in melody:
        track.append(mido.Message("note_on", channel=channel, note=key, velocity=100,
                                  time=(pending + rest) * division // 480))
        # A note-on of velocity 0 ends the note, so mido writes running status.
        track.append(mido.Message("note_on", channel=channel, note=key, velocity=0,
                                  time=ticks * division // 480))
        pending = 0
    return track


# 1. Format 0, division 96, running status, one channel.
MELODY_A = [(60, 480, 0), (62, 240, 0), (64, 240, 240), (65, 960, 0), (67, 120, 120)]
mid = mido.MidiFile(type=0, ticks_per_beat=96)
track = melody_track(MELODY_A, 0, 96, name="うた")
track.insert(0, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(146)))
mid.tracks.append(track)
path = os.path.join(HOME, "format0.mid")
mid.save(path)
song = dump(path)
check(song["title"] == "うた", f"format 0 title {song['title']!r}")
check(song["tempo"] == "146", f"format 0 tempo {song['tempo']}")
check(song["parts"].get(1) == expected_part(MELODY_A), f"format 0 part 1 {song['parts'].get(1)}")
log = read_log()
check(log[:4] == ["Header ", "Format0 ", "NumOfTrack1 ", "TimeBase96 "], f"log header {log[:4]}")
check("テキストなど（3）うた" in log, "track name logged in Shift-JIS")
check("1:1:0:NoteOn CH1 60 100 " in log and "1:2:0:NoteOn CH1 62 100 " in log,
      "note-on lines with positions")

# 2. Format 1, division 384: a conductor track with a Shift-JIS name, sysex and unusual meta
# events, then three channels in their own tracks, with triplets and a long note.
MELODY_1 = [(72, 160, 0), (74, 160, 0), (76, 160, 0), (77, 480, 0), (79, 1440 - 960, 960)]
MELODY_2 = [(48, 960, 0), (50, 480, 480), (52, 80, 0)]
MELODY_10 = [(38, 120, 0), (40, 120, 120)]
mid = mido.MidiFile(type=1, ticks_per_beat=384)
conductor = mido.MidiTrack()
conductor.append(mido.MetaMessage("track_name", name="夏の歌".encode("cp932").decode("latin1")))
conductor.append(mido.MetaMessage("copyright", text="(c) pipora"))
conductor.append(mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(100)))
conductor.append(mido.MetaMessage("time_signature", numerator=3, denominator=4))
conductor.append(mido.MetaMessage("key_signature", key="D"))
conductor.append(mido.MetaMessage("smpte_offset", hours=1))
conductor.append(mido.MetaMessage("midi_port", port=1))
conductor.append(mido.MetaMessage("channel_prefix", channel=2))
conductor.append(mido.MetaMessage("sequencer_specific", data=(0x41, 0x10)))
conductor.append(mido.Message("sysex", data=(0x7E, 0x7F, 0x09, 0x01)))
conductor.append(mido.MetaMessage("marker", text="A", time=384))
mid.tracks.append(conductor)
t1 = melody_track(MELODY_1, 0, 384, name="Melody")
t1.insert(0, mido.Message("program_change", channel=0, program=73))
t1.insert(1, mido.Message("control_change", channel=0, control=7, value=100))
t1.insert(2, mido.Message("pitchwheel", channel=0, pitch=100))
mid.tracks.append(t1)
mid.tracks.append(melody_track(MELODY_2, 1, 384))
mid.tracks.append(melody_track(MELODY_10, 9, 384))
path = os.path.join(HOME, "format1.mid")
mid.save(path)
# Drums are left out unless asked for.
check(dump(path)["parts"].get(10) is None, "channel 10 left out by default")
song = dump(path, "--keep-drums")
check(song["title"] == "夏の歌", f"format 1 title {song['title']!r}")
check(song["tempo"] == "104.2", f"format 1 tempo {song['tempo']}")
check(song["parts"].get(1) == [(72, "83"), (74, "83"), (76, "83"), (77, "4"), (0, "2"),
                                (79, "4")], f"format 1 part 1 {song['parts'].get(1)}")
check(song["parts"].get(2) == [(48, "2"), (0, "4"), (50, "4"), (52, "163")],
      f"format 1 part 2 {song['parts'].get(2)}")
# Channel 10 kept is an ordinary part; keys below 45 fold up by octaves.
check(song["parts"].get(10) == [(50, "16"), (0, "16"), (52, "16")],
      f"format 1 part 10 {song['parts'].get(10)}")
log = read_log()
for line in ["Format1 ", "NumOfTrack4 ", "TimeBase384 ", "Tempo100 ", "拍子 ", "調 ",
             "SMPTEオフセット ", "テキストなど（2）(c) pipora", "テキストなど（127）\x41\x10",
             "テキストなど（6）A", "1:1:0:ProgramChange CH1 73 ", "EndOfTrack 0"]:
    check(line in log, f"log line {line!r}")

song = dump(path, "--no-triplets", "--no-fold", "--keep-drums")
check(song["parts"].get(1)[:3] == [(72, "16"), (74, "8"), (76, "16")],
      f"without triplets {song['parts'].get(1)}")
check(song["parts"].get(10) == [(38, "16"), (0, "16"), (40, "16")],
      f"without folding {song['parts'].get(10)}")

# 3. Division 480, a hand-made track (no peer writes these on purpose): running status
# after a note-on, a stray data byte after a meta event, an unknown meta type 0x21 and a
# tempo of 136 per minute.
track = bytes.fromhex("00 FF 51 03 06 BB 58"     # 441176 us
                      "00 FF 21 01 00"            # unknown meta with one data byte
                      "00 91 3C 64 83 60 3C 00"  # running status: note-off
                      "00 FF 01 00 00 3C"         # after a meta event, 3C is skipped
                      "00 91 3E 64 83 60 81 3E 00 00 FF 2F 00")
data = (b"MThd" + bytes.fromhex("00000006 0000 0001 01E0") + b"MTrk" +
        len(track).to_bytes(4, "big") + track)
path = os.path.join(HOME, "handmade.mid")
with open(path, "wb") as f:
    f.write(data)
song = dump(path)
check(song["tempo"] == "146", f"136 per minute chooses 146: {song['tempo']}")
check(song["parts"].get(2) == [(60, "4"), (62, "4")], f"hand-made part 2 {song['parts'].get(2)}")

# 4. Export: the format 1 song converted to .mid is read by mido and midicsv as we meant.
out_path = os.path.join(HOME, "export.mid")
cli("convert", os.path.join(HOME, "format1.mid"), out_path)
events_text, _ = cli("events", os.path.join(HOME, "format1.mid"))
meant = [tuple(int(v) for v in line.split("\t")) for line in events_text.splitlines()]
check(len(meant) > 10, f"event list has the notes: {len(meant)}")

exported = mido.MidiFile(out_path)
check(exported.type == 0 and len(exported.tracks) == 1 and exported.ticks_per_beat == 480,
      "format 0, one track, 480 per quarter")
messages = list(exported.tracks[0])
check(messages[0].type == "track_name"
      and messages[0].name.encode("latin1").decode("cp932") == "夏の歌", "title first")
check(messages[1].type == "set_tempo" and messages[1].tempo == 0x08C948, "tempo 104.2")
setup = messages[2:2 + 48]
for c in range(16):
    program, volume, c55 = setup[3 * c:3 * c + 3]
    check(program.type == "program_change" and program.channel == c, f"program of {c + 1}")
    check(volume.is_cc(7) and volume.channel == c and volume.value == 96, f"volume of {c + 1}")
    check(c55.is_cc(55) and c55.channel == c and c55.value == 1, f"controller 55 of {c + 1}")
check(setup[0].program == 73, "tone of part 1 from the imported program change")
notes = messages[50:-1]
time = 0
got = []
for m in notes:
    time += m.time
    check(m.type == "note_on", f"only note-ons: {m}")
    check(m.velocity == 0 or 90 <= m.velocity <= 127, f"velocity {m.velocity}")
    got.append((time, m.channel + 1, m.note, 100 if m.velocity else 0))
check(got == meant, f"mido reads the events we meant:\n{got}\n{meant}")
check(messages[-1].type == "end_of_track" and messages[-1].time == 20, "end of track 20 later")
with open(os.path.join(HOME, "pipora3.log"), "rb") as f:
    writer_log = f.read().decode("ascii").split("\r\n")
check(writer_log[:2] == [f"Wait\t{meant[0][0]}", "NoteOn\t" + "\t".join(map(str, meant[0][1:]))],
      f"writer log in the program's directory: {writer_log[:2]}")
check(len(writer_log) == 2 * len(meant) + 1, "two writer log lines per event")

csv = subprocess.run(["midicsv", out_path], capture_output=True, text=True,
                     encoding="latin1").stdout.splitlines()
csv_notes = []
for line in csv:
    fields = [f.strip() for f in line.split(",")]
    if fields[2] == "Note_on_c":
        csv_notes.append((int(fields[1]), int(fields[3]) + 1, int(fields[4]),
                          100 if int(fields[5]) else 0))
check(csv_notes == meant, "midicsv reads the events we meant")
check(any("End_track" in line for line in csv), "midicsv finds the end of the track")

# 5. Damaged input: a truncated copy keeps the notes before the cut, exits 2 and says why.
with open(os.path.join(HOME, "format0.mid"), "rb") as f:
    whole = f.read()
cut_path = os.path.join(HOME, "cut.mid")
with open(cut_path, "wb") as f:
    f.write(whole[:-12])
song = dump(cut_path)
check(len(song["parts"].get(1, [])) >= 3, f"notes before the cut: {song['parts'].get(1)}")
bad = bytearray(whole)
bad[12:14] = b"\x80\x00"  # division 32768
with open(cut_path, "wb") as f:
    f.write(bytes(bad))
_, err = cli("dump", cut_path, expect=2)
check(err.endswith("ファイルの読み込みに失敗しました。\n"), f"failure message: {err!r}")

# 6. A song that SMD cannot hold is not written, and the tool names the note.
smd_path = os.path.join(HOME, "wide.smd")
_, err = cli("convert", "--no-fold", os.path.join(HOME, "format1.mid"), smd_path, expect=1)
check(not os.path.exists(smd_path), "unsavable song writes nothing")
check(re.match(r"part \d+ element \d+: .*保存に失敗しました。\n$", err), f"names the note: {err!r}")

if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)
print("all MIDI peer checks passed")
