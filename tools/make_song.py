#!/usr/bin/env python3
"""Writes SMD melody files for screenshots and benchmarks.

  make_song.py demo OUT            a short song with a Japanese title and three parts
  make_song.py big OUT PARTS NOTES  PARTS parts of NOTES notes each (start-up benchmark)
"""
import sys

ESC_PART = b"\x1b$D"
PART_END = b"\x0f"
LENGTHS = {"16": 0, "8": 1, "4": 2, "2": 3}
NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def note_code(number, length):
    """One note in the middle octave window (57..78)."""
    assert 57 <= number <= 78, number
    code = 52 + (number - 60) * 4 + LENGTHS[length]
    return bytes([39 if code == 127 else code])


def rest_code(length):
    return bytes([ord("#") + LENGTHS[length]])


def pitch(text):
    name, octave = text[:-1], int(text[-1])
    return 60 + NAMES.index(name) + (octave - 4) * 12


def part(elements, prefix=b""):
    body = b"".join(
        rest_code(length) if p == "R" else note_code(pitch(p), length)
        for p, length in elements
    )
    return ESC_PART + prefix + b"!$" + body + PART_END


def demo():
    melody = [("A4", "4"), ("A4", "4"), ("B4", "2"), ("A4", "4"), ("A4", "4"), ("B4", "2"),
              ("A4", "4"), ("B4", "4"), ("C5", "4"), ("B4", "4"), ("A4", "4"), ("B4", "8"),
              ("A4", "8"), ("F4", "2"), ("E4", "4"), ("C4", "4"), ("E4", "4"), ("F4", "4"),
              ("E4", "4"), ("E4", "8"), ("C4", "8"), ("B3", "2"), ("R", "4")]
    bass = [("A3", "2"), ("E4", "2")] * 6
    inner = [("C4", "8"), ("E4", "8"), ("G4", "8"), ("C5", "8"), ("R", "4"), ("G4", "16"),
             ("F4", "16"), ("E4", "16"), ("D4", "16")] * 3
    title = "さくらさくら".encode("cp932")
    return title + part(melody) + part(bass, b"!-") + part(inner, b"!/") + b"\r\n"


def big(parts, notes):
    scale = [60, 62, 64, 65, 67, 69, 71, 72]
    lengths = ["4", "8", "8", "16", "16", "2", "4", "8"]
    frames = []
    for p in range(parts):
        body = b"".join(
            note_code(scale[(i + p) % len(scale)], lengths[i % len(lengths)])
            for i in range(notes)
        )
        frames.append(ESC_PART + b"!$" + body + PART_END)
    return "ベンチマーク".encode("cp932") + b"".join(frames) + b"\r\n"


def main(argv):
    if len(argv) >= 3 and argv[1] == "demo":
        data = demo()
    elif len(argv) == 5 and argv[1] == "big":
        data = big(int(argv[3]), int(argv[4]))
    else:
        sys.exit(__doc__)
    with open(argv[2], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main(sys.argv)
