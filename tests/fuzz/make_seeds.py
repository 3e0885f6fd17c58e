#!/usr/bin/env python3
"""Writes the hand-made seed inputs of each fuzz target into corpus/<target>/seed-*.

The seeds put the edge cases within the fuzzer's first steps: the capacity
boundaries, regions without a zero byte, the integer range limits, values
around the 254-byte buffer. Fuzzing and `scripts/fuzz.sh --merge` add the rest.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for index, data in enumerate(seeds):
        with open(os.path.join(folder, "seed-%02d" % index), "wb") as f:
            f.write(data)


def region(size, filler, key, contents):
    return struct.pack("<HBB", size, filler, key) + contents


def text(length, pattern):
    """A text as TFuzzInput::Text reads it: length, pattern length - 1, pattern."""
    pattern = pattern or b"-"
    assert len(pattern) <= 8
    return struct.pack("<HB", length, len(pattern) - 1) + pattern


def pane_print(length, pattern=b"p"):
    return b"\x00" + text(length, pattern)


def pane_load_long(length, pattern=b"L", state=0):
    return b"\x05" + bytes([1 | state << 1]) + text(length, pattern)


def pane_load_bytes(data, state=0):
    return b"\x05" + bytes([state << 1, len(data)]) + data


def pane_edit(start, length, replacement):
    return b"\x06" + struct.pack("<HH", start, length) + text(len(replacement), replacement)


SYNC, CLEAR = b"\x08", b"\x04"

write("fuzz_region", [
    region(0, 0, 0, b""),
    region(1, 0x41, 0, b""),
    region(4096, 0, 0, b"\x05Hello\x00"),
    region(4096, 0x41, 0, b"\x00" + b"x" * 4094 + b"\x00"),
    region(4096, 0x41, 0, b""),                 # no zero byte anywhere
    region(64, 0x7F, 0, b"\x00abc"),            # a small region created by a client
    region(8192, 0x20, 0x55, b"\x00mixed case key"),
    region(100, 0x41, 0xFF, b"\x00other key"),
])

write("fuzz_textfile", [
    b"", b"one\r\ntwo\r\n", b"a\rb\nc\r\r\n\n\rd", b"before\x00after\r", b"\n\r", b"\r\n\x00", b"\xff\xfe\t",
])

write("fuzz_integer", [s.encode() for s in [
    "0", "  -2147483648", "2147483647", "2147483648", "-2147483649", "+2147483647", "$FFFFFFFF", "$0",
    "$123456789", "$", "+", "-", " ", "", "1 ", " +7", "$ff", "$-1", "00000000002147483647", "-0", "1e3",
    "0x10", "\t1", "--1", " $7fffffff", "$80000000",
]])


def settings(shape, default, data):
    return bytes([shape, len(default)]) + default + data


write("fuzz_settings", [
    settings(0, b"dflt", b"ignored"),           # no key: the default
    settings(1, b"dflt", b""),                  # key without the value: empty
    settings(3, b"", b"C:\\log.txt\x00"),
    settings(3, b"", b"a" * 253 + b"\x00"),     # fills the buffer exactly
    settings(3, b"", b"a" * 254 + b"\x00"),     # one byte too long
    settings(3, b"", b"a" * 254),               # no terminating zero, just fits
    settings(3, b"", b"left\x00right\x00"),
    settings(7, b"dflt", b"denied\x00"),
    settings(3, b"x", b"\x00"),
])

write("fuzz_pane", [
    pane_print(10, b"01234"),
    pane_load_long(28000) + pane_print(1948) + SYNC,      # L + m = 29948: nothing removed
    pane_load_long(28000) + pane_print(1949) + SYNC,      # n = 1000
    pane_load_long(29900) + pane_print(100) + SYNC,       # n = 4749
    pane_load_long(28000) + pane_print(2949) + SYNC,      # n = 0
    pane_load_long(28000) + pane_print(3000) + SYNC,      # n < 0: nothing removed
    b"".join(pane_print(4094, b"flood\r\n") for _ in range(12)) + SYNC + pane_print(0) + SYNC,
    b"".join(pane_print(1000 + i, b"ab") + (SYNC if i % 5 == 0 else b"") for i in range(40)),
    pane_print(5) + SYNC + pane_edit(7, 0, b"typed") + pane_print(6) + SYNC,
    pane_print(4000) + pane_edit(0, 3000, b"") + pane_print(4094) * 8 + SYNC,
    pane_load_bytes(b"a\rb\nc\r\n\x00tail") + pane_print(3) + SYNC,
    pane_print(3) + pane_load_bytes(b"x", state=2) + pane_load_bytes(b"y", state=3) + SYNC,
    b"\x07" + struct.pack("<H", 5) + pane_load_bytes(b"too long for it") + pane_print(2) + CLEAR + SYNC,
])
