#!/usr/bin/env python3
"""Points a MinGW-linked PE32+ image at its load configuration:

    pe_load_config.py EXE MAP

GNU ld keeps the program's _load_config_used table but leaves the load-configuration
entry of the PE header empty, so Windows never reads it. This writes that entry (the
table's address from the linker's map file, its size from the table's own Size field),
checks that the table asks for DLLs from System32 only, and recomputes the PE checksum.
Nothing else changes: the same input always gives the same bytes."""
import re
import struct
import sys
from pathlib import Path

LOAD_CONFIG_ENTRY = 10
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
DEPENDENT_LOAD_FLAGS = 0x4E  # offset in IMAGE_LOAD_CONFIG_DIRECTORY64


def fail(message: str) -> None:
    sys.exit(f"pe_load_config: {message}")


def checksum(image: bytes, checksum_at: int) -> int:
    """The PE checksum: 16-bit one's-complement sum of the file, its own field as 0,
    plus the file's length."""
    data = image[:checksum_at] + b"\0\0\0\0" + image[checksum_at + 4:]
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total & 0xFFFF) + len(image)


def main(exe_path: str, map_path: str) -> None:
    exe = Path(exe_path)
    image = bytearray(exe.read_bytes())
    found = re.search(r"^\s+0x([0-9a-f]+)\s+_load_config_used\s*$",
                      Path(map_path).read_text(errors="replace"), re.M)
    if not found:
        fail(f"{map_path} names no _load_config_used")
    address = int(found[1], 16)

    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail(f"{exe} is not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x20B:
        fail(f"{exe} is not PE32+")
    image_base = struct.unpack_from("<Q", image, optional + 24)[0]
    directory_count = struct.unpack_from("<I", image, optional + 108)[0]
    if directory_count <= LOAD_CONFIG_ENTRY:
        fail(f"{exe} has only {directory_count} data directories")
    rva = address - image_base

    # The table in the file, through the section that holds it.
    table = None
    for index in range(sections):
        header = optional + optional_size + 40 * index
        virtual_size, virtual_address, raw_size, raw_at = struct.unpack_from("<IIII", image,
                                                                             header + 8)
        if virtual_address <= rva < virtual_address + min(virtual_size, raw_size):
            table = raw_at + rva - virtual_address
    if table is None:
        fail(f"_load_config_used (RVA {rva:#x}) lies in no section's file data")
    size = struct.unpack_from("<I", image, table)[0]
    if size <= DEPENDENT_LOAD_FLAGS + 2:
        fail(f"the load configuration is only {size} bytes")
    flags = struct.unpack_from("<H", image, table + DEPENDENT_LOAD_FLAGS)[0]
    if flags != LOAD_LIBRARY_SEARCH_SYSTEM32:
        fail(f"the load configuration's DependentLoadFlags are {flags:#x}")

    struct.pack_into("<II", image, optional + 112 + 8 * LOAD_CONFIG_ENTRY, rva, size)
    checksum_at = optional + 64
    struct.pack_into("<I", image, checksum_at, checksum(bytes(image), checksum_at))
    exe.write_bytes(image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
