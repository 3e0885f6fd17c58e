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


def syslog(stream, cuts=(), long_frame=None):
    """mode, [a long frame: half its length, pattern, a chunk end near its end], the chunk ends, the stream."""
    mode, long_frame_bytes = 0, b""
    if long_frame:
        half, pattern, counted, odd, near_end = long_frame
        mode = 1 | odd << 1 | counted << 2
        long_frame_bytes = struct.pack("<HB", half, len(pattern) - 1) + pattern + bytes([near_end + 4])
    return bytes([mode]) + long_frame_bytes + bytes([len(cuts)]) + b"".join(struct.pack("<H", c) for c in cuts) + stream


LOGGER_5424 = (b'<13>1 2026-12-10T01:03:30.041397+00:00 vm myapp - - [timeQuality tzKnown="1" isSynced="0"] '
               b'hello world')
LOGGER_3164 = b"<13>Dec 10 01:03:34 vm myapp[4242]: hello world\n"

write("fuzz_syslog", [
    syslog(b"102 " + LOGGER_5424 + LOGGER_3164),
    syslog(b"102 " + LOGGER_5424 + LOGGER_3164 + b"\r\n\n10 two\nlines\ncrlf\r\nnul\x00", cuts=(3, 50, 104, 120)),
    syslog(LOGGER_3164, cuts=(0, 30), long_frame=(33000, b"ab", 1, 0, -3)),  # counted, over 64 KiB
    syslog(b"\nnext\n", cuts=(0, 9), long_frame=(32768, b"x", 0, 1, 0)),     # 65537 bytes, line-ended
    syslog(b"\r\nafter\n", long_frame=(32768, b"y", 0, 0, 1)),              # 64 KiB, then CR | LF
    syslog(b"99999999999 absurd\n1234567890 ten\n12x\n0 zero\n999999999 swallowed"),
    syslog(b"5 whole20 <13>par", cuts=(4,)),
    syslog(b"<165>1 2003-10-11T22:14:15.003Z h app - ID47 [a b=\"\\\"\\]\"][c d=\"]\"] \xef\xbb\xbf"
           b"a\r\nb\rc\x00\xff\xc3\xa9\xed\xa0\x80\n"),
    syslog(b"<14>Dec  1 09:05:00 cron[77]: job done\n<14>Jan 31 23:59:59 fe80::1 sshd[5]:x\n<13>plain\n"),
    syslog(b"tcp://[::1]:514"),
    syslog(b"udp://collector.example.com:00514"),
])
