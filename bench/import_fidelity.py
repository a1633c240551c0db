#!/usr/bin/python3
"""How much of a MIDI file's music a converted ringtone keeps, measured from outside.

For each file: runs `piporapad-cli convert [OPTIONS] IN OUT.mid` and compares the export
with the original, both at 480 ticks per quarter:

- notes kept: original note-ons outside channel 10 with a note in the song (any part but
  10) starting within 60 ticks with the same pitch class;
- melody kept: the same for the melody line, the highest note sounding at each moment
  across all channels but 10 (a note that starts as the highest sounding one);
- speed: how much faster (+) or slower (-) the song plays than the file, in percent, against
  the nearest speed the four tempo steps and the length scales (x1, x2, and x1/2 when every
  note of the file lies on an eighth or eighth-triplet grid) allow. The file's tempo is the
  one that holds longest; the song's scale is the one under which most notes are found again.

Prints one line per file and a total. With --why, lists for each file the melody notes lost
(time, key, length, channel) and the song's notes around each, at the import alone and after
--fit, so that a loss can be traced to the stage that made it. With --why-notes, lists
instead every note not kept: its time, channel and key, how many notes sound there in the
file, what the import report says of it, and what the song's parts hold there. Usage:
  bench/import_fidelity.py [--cli PATH] [--fit] [--why|--why-notes] [-- CLI-OPTIONS...] FILE|FOLDER...
"""

import argparse
import bisect
import os
import subprocess
import sys
import tempfile

import mido

TPQ = 480
TOLERANCE = 60
STEPS = (146.0, 121.7, 104.2, 91.0)


def tempo_map(mid):
    """[(tick at TPQ, microseconds per quarter)] sorted, starting at 0."""
    events = []
    for track in mid.tracks:
        t = 0
        for msg in track:
            t += msg.time
            if msg.type == "set_tempo":
                events.append((t * TPQ / mid.ticks_per_beat, msg.tempo))
    events.sort(key=lambda e: e[0])
    if not events or events[0][0] > 0:
        events.insert(0, (0.0, 500000))
    return events


def notes_of(mid, skip_channel=9):
    """[(on, off, key, channel)] at TPQ ticks, note-ons outside `skip_channel`."""
    scale = TPQ / mid.ticks_per_beat
    out = []
    for track in mid.tracks:
        t = 0
        open_notes = {}
        for msg in track:
            t += msg.time
            if msg.type not in ("note_on", "note_off") or msg.channel == skip_channel:
                continue
            key = (msg.channel, msg.note)
            if msg.type == "note_on" and msg.velocity > 0:
                if key in open_notes:  # a repeated note-on ends the sounding one
                    on = open_notes.pop(key)
                    out.append((on * scale, t * scale, msg.note, msg.channel))
                open_notes[key] = t
            elif key in open_notes:
                on = open_notes.pop(key)
                out.append((on * scale, t * scale, msg.note, msg.channel))
        for (ch, note), on in open_notes.items():
            out.append((on * scale, t * scale, note, ch))
    out.sort()
    return out


def melody_of(notes):
    """Notes that start as the highest sounding note."""
    onsets = sorted({n[0] for n in notes})
    by_on = {}
    for n in notes:
        by_on.setdefault(n[0], []).append(n)
    melody = []
    sounding = []  # (off, key)
    idx = 0
    ordered = sorted(notes)
    for t in onsets:
        while idx < len(ordered) and ordered[idx][0] <= t:
            sounding.append((ordered[idx][1], ordered[idx][2]))
            idx += 1
        sounding = [s for s in sounding if s[0] > t]
        if not sounding:
            continue
        top = max(k for _, k in sounding)
        starting = [n for n in by_on[t] if n[2] == top]
        if starting:
            melody.append(starting[0])
    return melody


def starts_by_pitch_class(notes):
    """The song's note starts, sorted, under each pitch class."""
    index = {}
    for on, _, key, _ in notes:
        index.setdefault(key % 12, []).append(on)
    for starts in index.values():
        starts.sort()
    return index


def kept(originals, song_index, scale):
    hits = 0
    for on, _, key, _ in originals:
        pc = key % 12
        starts = song_index.get(pc, [])
        target = on * scale
        tol = TOLERANCE * scale
        i = bisect.bisect_left(starts, target - tol)
        if i < len(starts) and starts[i] <= target + tol:
            hits += 1
    return hits


def longest_tempo(tmap, end_tick):
    held = {}
    for i, (t, us) in enumerate(tmap):
        nxt = tmap[i + 1][0] if i + 1 < len(tmap) else max(end_tick, t)
        held[us] = held.get(us, 0) + max(nxt - t, 0)
    us = max(held.items(), key=lambda kv: (kv[1], -kv[0]))[0]
    return 60e6 / us


def halves_allowed(notes):
    for on, off, _, _ in notes:
        for t in (on, off - on):
            r = round(t / 40) * 40
            if r % 240 and r % 160:
                return False
    return True


def song_notes_of(path, cli, cli_options, workdir):
    """The converted song's notes and tempo, or the CLI's error text."""
    out = os.path.join(workdir, "out.mid")
    run = subprocess.run([cli, "convert", *cli_options, path, out], capture_output=True)
    if run.returncode not in (0, 1) or not os.path.exists(out):
        return None, run.stderr.decode(errors="replace").strip()
    song = mido.MidiFile(out)
    os.remove(out)
    return (notes_of(song, skip_channel=9), 60e6 / tempo_map(song)[-1][1]), None


def measure(path, cli, cli_options, workdir):
    mid = mido.MidiFile(path)
    originals = notes_of(mid)
    if not originals:
        return None
    song, error = song_notes_of(path, cli, cli_options, workdir)
    if error is not None:
        return {"file": path, "error": error}
    song_notes, song_tempo = song
    end = max(n[1] for n in originals)
    file_tempo = longest_tempo(tempo_map(mid), end)
    index = starts_by_pitch_class(song_notes)
    # The song's length scale: the one under which most notes are found again.
    scale = max((1.0, 2.0, 0.5), key=lambda s: kept(originals, index, s))
    melody = melody_of(originals)
    speed = (song_tempo / (scale * file_tempo) - 1) * 100
    scales = (1.0, 2.0, 0.5) if halves_allowed(originals) else (1.0, 2.0)
    nearest = min(((step / (s * file_tempo) - 1) * 100 for step in STEPS for s in scales), key=abs)
    return {
        "file": path,
        "notes": len(originals),
        "notes_kept": kept(originals, index, scale),
        "melody": len(melody),
        "melody_kept": kept(melody, index, scale),
        "file_tempo": file_tempo,
        "song_tempo": song_tempo,
        "scale": scale,
        "speed": speed,
        "nearest": nearest,
        "lost_melody": [m for m in melody if not kept([m], index, scale)],
        "originals": originals,
    }


NAMES = ("C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B")


def note_text(on, off, key, channel, scale=1.0):
    return f"{on / scale:8.0f} {NAMES[key % 12]}{key // 12 - 1}:{(off - on) / scale:.0f} ch{channel + 1}"


def explain(r, cli, cli_options, workdir):
    """Each lost melody note with the file's notes and the song's notes around it, at the import
    alone and after the fitting (times in the file's ticks at 480 per quarter)."""
    plain = [o for o in cli_options if o != "--fit"]
    stages = {"import": (song_notes_of(r["file"], cli, plain, workdir)[0] or ([], 0))[0],
              "fit": (song_notes_of(r["file"], cli, cli_options, workdir)[0] or ([], 0))[0]}
    scale = r["scale"]
    for on, off, key, channel in r["lost_melody"]:
        print(f"  lost {note_text(on, off, key, channel)}")
        near = [n for n in r["originals"] if abs(n[0] - on) <= 240]
        print("    file: " + ", ".join(note_text(*n).strip() for n in near))
        for stage, notes in stages.items():
            around = [n for n in notes if abs(n[0] / scale - on) <= 240]
            found = any(abs(n[0] / scale - on) <= TOLERANCE and n[2] % 12 == key % 12 for n in notes)
            print(f"    {stage}{' (kept)' if found else ''}: "
                  + ", ".join(note_text(*n, scale).strip() for n in around))


def key_name(key):
    return f"{NAMES[key % 12]}{key // 12 - 1}"


def location(tick):
    """measure:beat:tick/10 in 4/4, as the import report writes positions."""
    beats = int(tick) // TPQ
    return f"{beats // 4 + 1}:{beats % 4 + 1}:{(int(tick) % TPQ) // 10}"


def why_notes(path, cli, cli_options, workdir):
    """Prints every note of `path` the conversion does not keep, and why, as far as seen."""
    mid = mido.MidiFile(path)
    originals = notes_of(mid)
    out = os.path.join(workdir, "why.mid")
    run = subprocess.run([cli, "convert", "--report", *cli_options, path, out],
                         capture_output=True)
    song_notes = notes_of(mido.MidiFile(out), skip_channel=9)
    # Report lines: part, element, location, key, text (moved voices under their channel).
    said = {}
    for line in run.stdout.decode(errors="replace").splitlines():
        f = line.split("\t")
        if len(f) == 5 and f[0].isdigit():
            said.setdefault((int(f[0]), f[2], int(f[3])), []).append(f[4])
    index = starts_by_pitch_class(song_notes)
    scale = max((1.0, 2.0, 0.5), key=lambda s: kept(originals, index, s))
    causes = {}
    lost = []
    for n in originals:
        if kept([n], index, scale) == 0:
            lost.append(n)
    print(f"{path}: {len(lost)} of {len(originals)} notes lost (scale x{scale:g})")
    print("location\tch\tkey\tticks\tsounding\treport\tsong there (part:key)")
    for on, off, key, ch in lost:
        sounding = sum(1 for o in originals if o[0] <= on < o[1])
        texts = said.get((ch + 1, location(on * scale), key), [])
        cause = texts[-1] if texts else "?"
        causes[cause.split(" ")[0]] = causes.get(cause.split(" ")[0], 0) + 1
        there = sorted(
            f"{c + 1}:{key_name(k)}" for o, e, k, c in song_notes if o <= on * scale + TOLERANCE and e > on * scale
        )
        print(f"{location(on)}\t{ch + 1}\t{key_name(key)}\t{int(off - on)}\t{sounding}\t"
              f"{'; '.join(texts) or '-'}\t{' '.join(there)}")
    print("by report: " + ", ".join(f"{k} {v}" for k, v in sorted(causes.items(), key=lambda kv: -kv[1])))


def files_of(args):
    for a in args:
        if os.path.isdir(a):
            for root, _, names in sorted(os.walk(a)):
                for n in sorted(names):
                    if n.lower().endswith((".mid", ".midi")):
                        yield os.path.join(root, n)
        else:
            yield a


def main():
    argv = sys.argv[1:]
    cli_options = []
    if "--" in argv:
        cut = argv.index("--")
        argv, cli_options = argv[:cut], argv[cut + 1 :]
    p = argparse.ArgumentParser()
    p.add_argument("--cli", default="build/src/app/piporapad-cli")
    p.add_argument("--fit", action="store_true", help="convert with --fit")
    p.add_argument("--why", action="store_true", help="list the melody notes lost")
    p.add_argument("--why-notes", action="store_true", help="list every note not kept, and why")
    p.add_argument("inputs", nargs="+")
    args = p.parse_args(argv)
    if args.fit:
        cli_options = ["--fit", *cli_options]
    if args.why_notes:
        with tempfile.TemporaryDirectory() as work:
            os.environ.setdefault("PIPORAPAD_HOME", work)
            for path in files_of(args.inputs):
                why_notes(path, args.cli, cli_options, work)
        return
    tot = {"notes": 0, "notes_kept": 0, "melody": 0, "melody_kept": 0, "files": 0, "speed_ok": 0,
           "speed_files": 0}
    print("file\tnotes%\tmelody%\tfile BPM\tsong BPM\tscale\tspeed%\tnearest%")
    with tempfile.TemporaryDirectory() as work:
        os.environ.setdefault("PIPORAPAD_HOME", work)
        for path in files_of(args.inputs):
            try:
                r = measure(path, args.cli, cli_options, work)
            except (OSError, ValueError, EOFError, KeyError, IndexError) as e:
                print(f"{path}\tunreadable: {e}")
                continue
            if r is None:
                continue
            if "error" in r:
                print(f"{path}\terror: {r['error']}")
                continue
            tot["files"] += 1
            for k in ("notes", "notes_kept", "melody", "melody_kept"):
                tot[k] += r[k]
            within = abs(r["speed"] - r["nearest"]) <= 3
            if 45 <= r["file_tempo"] <= 300:
                tot["speed_files"] += 1
                tot["speed_ok"] += within
            print(
                f"{os.path.relpath(path)}\t{100 * r['notes_kept'] / r['notes']:.1f}\t"
                f"{100 * r['melody_kept'] / max(r['melody'], 1):.1f}\t{r['file_tempo']:.1f}\t"
                f"{r['song_tempo']:.1f}\tx{r['scale']:g}\t{r['speed']:+.1f}\t{r['nearest']:+.1f}"
                f"{'' if within else '  <- speed off'}"
            )
            if args.why:
                explain(r, args.cli, cli_options, work)
    if tot["files"]:
        print(
            f"TOTAL {tot['files']} files\tnotes kept {100 * tot['notes_kept'] / tot['notes']:.1f}% "
            f"({tot['notes_kept']}/{tot['notes']})\tmelody kept "
            f"{100 * tot['melody_kept'] / max(tot['melody'], 1):.1f}% "
            f"({tot['melody_kept']}/{tot['melody']})\tspeed within 3 points "
            f"{tot['speed_ok']}/{tot['speed_files']}"
        )


if __name__ == "__main__":
    main()
