#!/usr/bin/env python3
"""Packs a built Kavolt into the release zip, kavolt-<version>-win-x64.zip, and prints
its path.

    pack_release.py SOURCE STAGE OUT

SOURCE is the source tree the program was built from (the version numbers and the
README come from it), STAGE the build's ready-to-zip folder (kavolt.exe and cursor/),
OUT the folder that receives the zip. The zip holds one folder, kavolt/, in a fixed
order, with fixed permissions and every entry time taken from SOURCE_DATE_EPOCH, so
that the same inputs always give the same bytes.
"""
import os
import re
import struct
import sys
import time
import zipfile
from pathlib import Path

# (name in the zip, file in STAGE or None for the README, Unix permissions)
ENTRIES = (
    ("kavolt/kavolt.exe", "kavolt.exe", 0o755),
    ("kavolt/cursor/set.cur", "cursor/set.cur", 0o644),
    ("kavolt/cursor/reset.cur", "cursor/reset.cur", 0o644),
    ("kavolt/README.txt", None, 0o644),
)
ZIP_EPOCH = 315532800  # 1980-01-01, the earliest time a zip entry can carry


def version(source: Path) -> str:
    text = (source / "src/texts/version_numbers.h").read_text(encoding="utf-8")
    parts = [re.search(rf"^#define KAVOLT_VERSION_{part} (\d+)", text, re.M)
             for part in ("MAJOR", "MINOR", "REVISION")]
    if not all(parts):
        sys.exit("pack_release: no version numbers in src/texts/version_numbers.h")
    return ".".join(match[1] for match in parts)


def readme(source: Path, version_text: str) -> bytes:
    """docs/README.txt.in with the version filled in, as Notepad on any Windows reads it
    best: UTF-8 with a byte-order mark, CR LF line ends, whatever the checkout did."""
    text = (source / "docs/README.txt.in").read_text(encoding="utf-8-sig")
    text = text.replace("\r\n", "\n").replace("@VERSION@", version_text)
    return text.replace("\n", "\r\n").encode("utf-8-sig")


def pe_time_stamp(exe: bytes) -> int:
    (pe_at,) = struct.unpack_from("<I", exe, 0x3C)
    if exe[:2] != b"MZ" or exe[pe_at:pe_at + 4] != b"PE\0\0":
        sys.exit("pack_release: kavolt.exe is not a PE file")
    return struct.unpack_from("<I", exe, pe_at + 8)[0]


def main() -> None:
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source, stage, out = map(Path, sys.argv[1:])
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    version_text = version(source)

    # A linker that ignored SOURCE_DATE_EPOCH would give a zip no one can reproduce.
    stamp = pe_time_stamp((stage / "kavolt.exe").read_bytes())
    if stamp != epoch:
        sys.exit(f"pack_release: kavolt.exe is stamped {stamp}, not SOURCE_DATE_EPOCH={epoch}")

    date_time = time.gmtime(max(epoch, ZIP_EPOCH))[:6]
    path = out / f"kavolt-{version_text}-win-x64.zip"
    with zipfile.ZipFile(path, "w") as archive:
        for name, staged, mode in ENTRIES:
            data = (stage / staged).read_bytes() if staged else readme(source, version_text)
            entry = zipfile.ZipInfo(name, date_time)
            entry.create_system = 3  # Unix: the permissions below are read from it
            entry.external_attr = (0o100000 | mode) << 16
            archive.writestr(entry, data, zipfile.ZIP_DEFLATED, 9)
    print(path)


if __name__ == "__main__":
    main()
