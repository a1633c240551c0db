#!/usr/bin/env python3
"""Writes a Standard MIDI File of about 1 MB for the import benchmark: format 1, division 480,
a conductor track and 16 tracks of one channel each, 112,000 notes in all (7,000 per channel),
plain lengths and eighth-note triplets, some rests and some notes overlapping the next by
a sixteenth, no running status.
Deterministic: the same file every time.  Usage: make_big_smf.py OUT.mid"""
import random
import sys

NOTES_PER_CHANNEL = 7000
LENGTHS = [120, 240, 240, 480, 480, 960]


def var_len(value):
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(groups))


def chunk(kind, data):
    return kind + len(data).to_bytes(4, "big") + data


def conductor():
    name = "ベンチマーク".encode("cp932")
    data = b"\x00\xFF\x03" + var_len(len(name)) + name
    data += b"\x00\xFF\x51\x03\x07\xA1\x20"            # 120 per minute
    data += b"\x00\xFF\x58\x04\x04\x02\x18\x08"        # 4/4
    return chunk(b"MTrk", data + b"\x00\xFF\x2F\x00")


def channel_track(channel, rng):
    # (time, order, bytes): at one time note-offs go before note-ons, as a sequencer writes.
    events = []
    time = 0
    written = 0
    while written < NOTES_PER_CHANNEL:
        if written % 50 == 0 and written + 3 <= NOTES_PER_CHANNEL:
            durations = [160, 160, 160]                    # a triplet group
        else:
            durations = [rng.choice(LENGTHS)]
        for ticks in durations:
            key = rng.randint(40, 95)
            events.append((time, 1, bytes([0x90 | channel, key, rng.randint(60, 127)])))
            events.append((time + ticks, 0, bytes([0x80 | channel, key, 64])))
            time += ticks
            roll = rng.random()
            if roll < 0.1:
                time += 240                                 # an occasional rest
            elif roll < 0.15 and ticks >= 240:
                time -= 60                                  # the next note overlaps this one
            written += 1
    events.sort(key=lambda e: (e[0], e[1]))
    data = bytearray(b"\x00" + bytes([0xC0 | channel, channel * 5]))
    data += b"\x00" + bytes([0xB0 | channel, 7, 100])
    last = 0
    for at, _, message in events:
        data += var_len(at - last) + message
        last = at
    data += b"\x00\xFF\x2F\x00"
    return chunk(b"MTrk", bytes(data))


def main():
    rng = random.Random(20261207)
    tracks = [conductor()] + [channel_track(c, rng) for c in range(16)]
    header = chunk(b"MThd", (1).to_bytes(2, "big") + len(tracks).to_bytes(2, "big") +
                   (480).to_bytes(2, "big"))
    with open(sys.argv[1], "wb") as f:
        f.write(header + b"".join(tracks))


if __name__ == "__main__":
    main()
