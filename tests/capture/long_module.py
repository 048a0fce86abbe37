#!/usr/bin/env python3
"""Writes a small 4-channel M.K. module that plays for about MINUTES minutes:
speed 31 and tempo 32 make each row last 31 ticks of 2.5 / 32 s (2.42 s), and
the order table repeats one pattern, the last one cut short by a pattern break.
Four voices play one looping 32-byte sample the whole time.
Usage: long_module.py MINUTES OUT.mod"""
import struct
import sys

SPEED, TEMPO = 31, 32
ROW_SECONDS = SPEED * 2.5 / TEMPO
ROWS, CHANNELS = 64, 4


def cell(period=0, instrument=0, effect=0, param=0):
    return bytes([(instrument & 0x10) | (period >> 8), period & 0xFF, ((instrument & 0x0F) << 4) | effect, param])


def pattern(break_after_row=None):
    rows = []
    for row in range(ROWS):
        cells = [cell() for _ in range(CHANNELS)]
        if row == 0:
            cells = [cell(428, 1, 0xF, SPEED), cell(320, 1, 0xF, TEMPO), cell(214, 1), cell(856, 1)]
        if row == break_after_row:
            cells[3] = cell(effect=0xD, param=0)
        rows.append(b"".join(cells))
    return b"".join(rows)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    rows = round(float(sys.argv[1]) * 60 / ROW_SECONDS)
    full, rest = divmod(rows, ROWS)
    orders = [0] * full + ([1] if rest else [])
    if not 1 <= len(orders) <= 128:
        sys.exit("long_module.py: %s minutes do not fit the 128-entry order table" % sys.argv[1])
    sample = bytes((i * 8) & 0xFF for i in range(32))  # a saw from -128 up
    header = bytearray(1084)
    header[0:20] = b"long module".ljust(20, b"\0")
    # sample 1: length, finetune 0, volume 64, loop over the whole sample (in words)
    header[20 + 22:20 + 30] = struct.pack(">HBBHH", len(sample) // 2, 0, 64, 0, len(sample) // 2)
    header[950] = len(orders)
    header[952:952 + len(orders)] = bytes(orders)
    header[1080:1084] = b"M.K."
    body = pattern() + pattern(rest - 1 if rest else None)
    with open(sys.argv[2], "wb") as out:
        out.write(bytes(header) + body + sample)


main()
