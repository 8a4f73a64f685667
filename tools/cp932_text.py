#!/usr/bin/env python3
"""Writes a UTF-8 text file as the Windows programs' users read it: CP932
bytes with CR LF line ends.

    cp932_text.py <source.txt> <target.txt>

A character that CP932 lacks is an error (with its line), never a "?".
"""
import sys


def convert(text: str) -> bytes:
    lines = text.replace("\r\n", "\n").split("\n")
    out = []
    for number, line in enumerate(lines, 1):
        try:
            out.append(line.encode("cp932"))
        except UnicodeEncodeError as error:
            raise SystemExit(f"line {number}: {line[error.start]!r} has no CP932 form")
    return b"\r\n".join(out)


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    with open(argv[1], encoding="utf-8") as source:
        data = convert(source.read())
    with open(argv[2], "wb") as target:
        target.write(data)


if __name__ == "__main__":
    main(sys.argv)
