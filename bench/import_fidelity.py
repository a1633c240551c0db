#!/usr/bin/python3
"""How much of a MIDI file's music a converted ringtone keeps, measured from outside.

For each file: runs `piporapad-cli convert [OPTIONS] IN OUT.mid` and compares the export
with the original, both at 480 ticks per quarter:

- notes kept: original note-ons outside channel 10 with a note in the song (any part but
  10) starting within 60 ticks with the same pitch class;
- melody kept: the same for the melody line, the highest note sounding at each moment
  across all channels but 10 (a note that starts as the highest sounding one);
- the constant shift: notes and melody count as kept when found again after the one shift of
  the whole song (within a beat, either way) under which most are found, since an import may
  move a song recorded against audio onto its beat;
- on the beat: the share of the melody's notes (the track named MELODY when there is one)
  whose kept note starts on an eighth of the song, against the share the file itself reaches
  within 30 ticks of the eighth grid shifted by its own best constant offset;
- balance: in files with a channel clearly louder than another (1.6 times or more in mean
  velocity x controller 7 x controller 11 before its first note), whether every such louder
  channel's part is the louder part (controller 7 of the song's channels);
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


def found(on, key, song_index, scale, shift=0):
    """The song's start of the note matching (on, key), or None."""
    starts = song_index.get(key % 12, [])
    target = on * scale + shift
    tol = TOLERANCE * scale
    i = bisect.bisect_left(starts, target - tol)
    if i < len(starts) and starts[i] <= target + tol:
        # the nearest of those within reach
        best = starts[i]
        j = i + 1
        while j < len(starts) and starts[j] <= target + tol:
            if abs(starts[j] - target) < abs(best - target):
                best = starts[j]
            j += 1
        return best
    return None


def kept(originals, song_index, scale, shift=0):
    return sum(1 for on, _, key, _ in originals
               if found(on, key, song_index, scale, shift) is not None)


def best_shift(originals, song_index, scale):
    """The constant shift of the song (song ticks, within a beat) under which most notes are
    found again: the commonest distance from a note to the nearest song start of its pitch
    class, tried with 0."""
    votes = {}
    reach = TPQ * scale
    for on, _, key, _ in originals:
        starts = song_index.get(key % 12, [])
        target = on * scale
        i = bisect.bisect_left(starts, target - reach)
        while i < len(starts) and starts[i] <= target + reach:
            d = round((starts[i] - target) / 10) * 10
            votes[d] = votes.get(d, 0) + 1
            i += 1
    candidates = {0} | {d for d, _ in sorted(votes.items(), key=lambda kv: -kv[1])[:4]}
    return max(sorted(candidates, key=abs), key=lambda d: kept(originals, song_index, scale, d))


def on_eighths_shifted(onsets, reach=30):
    """The share of `onsets` within `reach` ticks of the eighth grid moved by the best constant
    offset."""
    if not onsets:
        return 0.0
    best = 0
    for offset in range(0, 240, 2):
        n = sum(1 for t in onsets if min((t - offset) % 240, 240 - (t - offset) % 240) <= reach)
        best = max(best, n)
    return best / len(onsets)


def channel_levels(mid):
    """Loudness per channel: mean velocity x CC7 x CC11 (each /127) in force at its first note."""
    events = []
    for track in mid.tracks:
        t = 0
        for msg in track:
            t += msg.time
            if msg.type in ("note_on", "control_change"):
                events.append((t, msg))
    events.sort(key=lambda e: e[0])
    first, vel, count, cc = {}, {}, {}, {}
    for t, msg in events:
        ch = msg.channel
        if msg.type == "note_on" and msg.velocity > 0:
            first.setdefault(ch, t)
            vel[ch] = vel.get(ch, 0) + msg.velocity
            count[ch] = count.get(ch, 0) + 1
        elif msg.type == "control_change" and msg.control in (7, 11):
            if ch not in first:
                cc[(ch, msg.control)] = msg.value
    return {ch: vel[ch] / count[ch] / 127 * cc.get((ch, 7), 100) / 127 * cc.get((ch, 11), 127) / 127
            for ch in count}


def song_volumes(song):
    vols = {}
    for track in song.tracks:
        for msg in track:
            if msg.type == "control_change" and msg.control == 7:
                vols.setdefault(msg.channel, msg.value)
    return vols


def balance_of(mid, song):
    """None without a clearly louder channel, else whether every clearly louder channel's part
    is louder than the quieter one's."""
    levels = channel_levels(mid)
    vols = song_volumes(song)
    pairs = [(a, b) for a in levels for b in levels
             if a != b and a != 9 and b != 9 and levels[b] > 0 and levels[a] >= 1.6 * levels[b]]
    if not pairs:
        return None
    return all(vols.get(a, 0) > vols.get(b, 0) for a, b in pairs)


def labelled_melody(mid):
    """The notes of the track named MELODY, or None."""
    for track in mid.tracks:
        if track.name.strip().upper() == "MELODY":
            one = mido.MidiFile(ticks_per_beat=mid.ticks_per_beat)
            one.tracks.append(track)
            return notes_of(one)
    return None


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
    return (notes_of(song, skip_channel=9), 60e6 / tempo_map(song)[-1][1], song), None


def measure(path, cli, cli_options, workdir):
    mid = mido.MidiFile(path)
    originals = notes_of(mid)
    if not originals:
        return None
    song, error = song_notes_of(path, cli, cli_options, workdir)
    if error is not None:
        return {"file": path, "error": error}
    song_notes, song_tempo, song_file = song
    end = max(n[1] for n in originals)
    file_tempo = longest_tempo(tempo_map(mid), end)
    index = starts_by_pitch_class(song_notes)
    # The song's length scale: the one under which most notes are found again.
    scale = max((1.0, 2.0, 0.5), key=lambda s: kept(originals, index, s, best_shift(originals, index, s)))
    shift = best_shift(originals, index, scale)
    melody = melody_of(originals)
    labelled = labelled_melody(mid)
    tune = labelled if labelled else melody
    starts = [found(on, key, index, scale, shift) for on, _, key, _ in tune]
    song_eighths = sum(1 for t in starts if t is not None and t % round(240 * scale) == 0)
    speed = (song_tempo / (scale * file_tempo) - 1) * 100
    scales = (1.0, 2.0, 0.5) if halves_allowed(originals) else (1.0, 2.0)
    nearest = min(((step / (s * file_tempo) - 1) * 100 for step in STEPS for s in scales), key=abs)
    return {
        "file": path,
        "notes": len(originals),
        "notes_kept": kept(originals, index, scale, shift),
        "melody": len(melody),
        "melody_kept": kept(melody, index, scale, shift),
        "shift": shift,
        "tune": len(tune),
        "tune_eighths": song_eighths,
        "file_eighths": on_eighths_shifted([n[0] for n in tune]) * len(tune),
        "balance": balance_of(mid, song_file),
        "file_tempo": file_tempo,
        "song_tempo": song_tempo,
        "scale": scale,
        "speed": speed,
        "nearest": nearest,
        "lost_melody": [m for m in melody if not kept([m], index, scale, shift)],
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
           "speed_files": 0, "tune": 0, "tune_eighths": 0, "file_eighths": 0, "balance_files": 0,
           "balance_kept": 0}
    print("file\tnotes%\tmelody%\tfile BPM\tsong BPM\tscale\tspeed%\tnearest%\tshift\t"
          "eighths%\tfile eighths%\tbalance")
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
            for k in ("notes", "notes_kept", "melody", "melody_kept", "tune", "tune_eighths",
                      "file_eighths"):
                tot[k] += r[k]
            if r["balance"] is not None:
                tot["balance_files"] += 1
                tot["balance_kept"] += r["balance"]
            within = abs(r["speed"] - r["nearest"]) <= 3
            if 45 <= r["file_tempo"] <= 300:
                tot["speed_files"] += 1
                tot["speed_ok"] += within
            print(
                f"{os.path.relpath(path)}\t{100 * r['notes_kept'] / r['notes']:.1f}\t"
                f"{100 * r['melody_kept'] / max(r['melody'], 1):.1f}\t{r['file_tempo']:.1f}\t"
                f"{r['song_tempo']:.1f}\tx{r['scale']:g}\t{r['speed']:+.1f}\t{r['nearest']:+.1f}"
                f"\t{r['shift']:+d}\t{100 * r['tune_eighths'] / max(r['tune'], 1):.1f}"
                f"\t{100 * r['file_eighths'] / max(r['tune'], 1):.1f}"
                f"\t{'-' if r['balance'] is None else 'kept' if r['balance'] else 'lost'}"
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
            f"{tot['speed_ok']}/{tot['speed_files']}\tmelody on eighths "
            f"{100 * tot['tune_eighths'] / max(tot['tune'], 1):.1f}% (file, best offset "
            f"{100 * tot['file_eighths'] / max(tot['tune'], 1):.1f}%)\tbalance kept "
            f"{tot['balance_kept']}/{tot['balance_files']}"
        )


if __name__ == "__main__":
    main()
