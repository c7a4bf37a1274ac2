#!/usr/bin/env python3
"""Appends each line read from stdin to a file, pausing between them, as a careful other program
would: never over a version it did not read.

A plain read-then-rename throws away whatever landed between the two, which would make the
end-to-end test fail for the writer's fault. Here the new version is swapped in with an atomic
exchange of names, and what it displaced is checked: anything but the bytes it was made from
goes straight back, and the edit is made again on the fresh text.
"""
import ctypes
import os
import sys
import time

AT_FDCWD = -100
RENAME_EXCHANGE = 2
ATTEMPTS = 20

libc = ctypes.CDLL(None, use_errno=True)
libc.renameat2.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_int, ctypes.c_char_p,
                          ctypes.c_uint]


def exchange(a, b):
    if libc.renameat2(AT_FDCWD, os.fsencode(a), AT_FDCWD, os.fsencode(b), RENAME_EXCHANGE) != 0:
        err = ctypes.get_errno()
        raise OSError(err, f"exchanging {a} and {b}: {os.strerror(err)}")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def swap_in(target, temp, expected, ours):
    """Puts ours (already in temp) in place of expected; False when another version was there."""
    exchange(temp, target)
    displaced = read(temp)
    if displaced == expected:
        os.unlink(temp)
        return True
    # Another program's version was displaced: it goes back. It may in turn displace one that
    # program wrote over ours meanwhile, which goes back too.
    placed = ours
    for _ in range(ATTEMPTS):
        exchange(temp, target)
        back = read(temp)
        if back == placed:
            os.unlink(temp)
            return False
        placed, displaced = displaced, back
    sys.exit(f"append_lines: {target} kept changing while a displaced version was put back")


def append(target, line):
    temp = os.path.join(os.path.dirname(target), "." + os.path.basename(target) + ".append")
    for _ in range(ATTEMPTS):
        expected = read(target)
        ours = expected + line + b"\n"
        with open(temp, "wb") as f:
            f.write(ours)
        if swap_in(target, temp, expected, ours):
            return
    sys.exit(f"append_lines: {target} changed under every one of {ATTEMPTS} attempts")


def main():
    target, pause = sys.argv[1], float(sys.argv[2])
    for line in sys.stdin.buffer:
        append(target, line.rstrip(b"\n"))
        time.sleep(pause)


main()
