"""The release that scripts/release.sh left in dist/, checked from outside with objdump,
strings and sha256sum, and made a second time in another folder, with another umask,
time zone and locale, to compare byte for byte."""
import calendar
import os
import re
import struct
import subprocess
import time
import zipfile
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
FIRST_OUT, FIRST_BUILD = REPO / "dist", REPO / "build" / "release"


def run(*command, **options) -> str:
    options.setdefault("env", {**os.environ, "LC_ALL": "C"})  # untranslated tool output
    return subprocess.run(command, check=True, capture_output=True, timeout=600,
                          **options).stdout.decode("utf-8", "replace")


def at_head(path: str) -> str:
    return run("git", "-C", REPO, "show", f"HEAD:{path}")


COMMIT_TIME = int(os.environ.get("SOURCE_DATE_EPOCH") or run("git", "-C", REPO, "log", "-1",
                                                              "--format=%ct"))
VERSION = ".".join(re.findall(r"#define KAVOLT_VERSION_\w+ (\d+)",
                              at_head("src/texts/version_numbers.h")))
ZIP = f"kavolt-{VERSION}-win-x64.zip"
ENTRIES = [("kavolt/kavolt.exe", 0o755), ("kavolt/cursor/set.cur", 0o644),
           ("kavolt/cursor/reset.cur", 0o644), ("kavolt/README.txt", 0o644)]


@pytest.fixture(scope="module")
def elsewhere(tmp_path_factory) -> Path:
    root = tmp_path_factory.mktemp("elsewhere")
    env = {**os.environ, "TZ": "Pacific/Kiritimati", "LC_ALL": "C", "LANG": "C"}
    run("bash", "-c", 'umask 077 && exec "$@"', "-", REPO / "scripts/release.sh",
        "--build-dir", root / "build", "--out", root / "out", env=env)
    return root


@pytest.fixture(scope="module")
def shipped() -> zipfile.ZipFile:
    if not (FIRST_OUT / ZIP).is_file():
        pytest.fail(f"no {FIRST_OUT / ZIP}: run scripts/release.sh first")
    return zipfile.ZipFile(FIRST_OUT / ZIP)


def test_zip_holds_the_program_in_a_fixed_order_time_and_mode(shipped):
    assert [(e.filename, e.external_attr >> 16 & 0o7777) for e in shipped.infolist()] == ENTRIES
    *day_and_minute, seconds = time.gmtime(COMMIT_TIME)[:6]
    assert {e.date_time for e in shipped.infolist()} == {
        (*day_and_minute, seconds // 2 * 2)}  # zip times count in 2 s
    for name in ("set.cur", "reset.cur"):
        assert shipped.read(f"kavolt/cursor/{name}") == (REPO / "cursor" / name).read_bytes()


def test_sha256sums_verifies_the_zip_alone():
    assert run("sha256sum", "--check", "--strict", "SHA256SUMS", cwd=FIRST_OUT) == f"{ZIP}: OK\n"


def test_readme_for_notepad_quotes_the_program(shipped):
    raw = shipped.read("kavolt/README.txt")
    assert raw.startswith(b"\xef\xbb\xbf") and raw.count(b"\n") == raw.count(b"\r\n") > 0
    text = raw.decode("utf-8-sig")
    captions = dict(re.findall(r'(kOpt\w+|kChkTran)\[\] = L"([^"]+)"', at_head("src/texts/texts.h")))
    assert len(captions) == 5
    missing = [c for c in [*captions.values(), VERSION, "kavolt.exe item item"] if c not in text]
    assert not missing, f"README.txt does not name {missing}"


def test_exe_carries_the_commit_time_and_asks_for_windows_8(shipped, tmp_path):
    exe = tmp_path / "kavolt.exe"
    exe.write_bytes(shipped.read("kavolt/kavolt.exe"))
    headers = run("x86_64-w64-mingw32-objdump", "-p", exe, env={**os.environ, "TZ": "UTC0"})
    field = dict(re.findall(r"^(\w+(?:/\w+)?)\s+(.+)$", headers, re.M))
    stamp = calendar.timegm(time.strptime(field["Time/Date"], "%a %b %d %H:%M:%S %Y"))
    assert stamp == COMMIT_TIME
    assert (field["MajorSubsystemVersion"], field["MinorSubsystemVersion"]) == ("6", "2")
    assert field["Subsystem"].endswith("(Windows GUI)")
    # A MinGW runtime DLL (lib*.dll) would have to travel in the zip: it must not be needed.
    assert not re.findall(r"DLL Name: (lib\S+)", headers)
    # Windows 10's DPI services would keep Windows 8 from loading the program at all.
    assert not re.findall(r"\b\w*(?:ForDpi|GetDpiFor)\w*", headers)


def test_exe_takes_the_dlls_it_imports_from_system32_only(shipped):
    """The load configuration the PE header points at carries DependentLoadFlags
    LOAD_LIBRARY_SEARCH_SYSTEM32, and the header's checksum still holds."""
    image = shipped.read("kavolt/kavolt.exe")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    rva, size = struct.unpack_from("<II", image, optional + 112 + 8 * 10)
    assert rva and size > 0x50, "no load configuration"
    for index in range(sections):
        _, start, raw_size, raw_at = struct.unpack_from(
            "<IIII", image, optional + optional_size + 40 * index + 8)
        if start <= rva < start + raw_size:
            table = raw_at + rva - start
            break
    else:
        pytest.fail(f"the load configuration at {rva:#x} lies in no section")
    assert struct.unpack_from("<I", image, table)[0] == size
    assert struct.unpack_from("<H", image, table + 0x4E)[0] == 0x800
    # The checksum: 16-bit one's-complement sum with its own field as 0, plus the length.
    at = optional + 64
    total = 0
    for (word,) in struct.iter_unpack("<H", image[:at] + b"\0" * 4 + image[at + 4:]):
        total = (total + word) & 0xFFFF if total + word <= 0xFFFF else (total + word - 0xFFFF)
    assert struct.unpack_from("<I", image, at)[0] == total + len(image)


def test_no_absolute_build_path_in_either_exe(elsewhere, shipped, tmp_path):
    (tmp_path / "first.exe").write_bytes(shipped.read("kavolt/kavolt.exe"))
    folders = [str(p) for p in (REPO, FIRST_BUILD, elsewhere)]
    absolute = re.compile(r"(?:^|[\s\"'(=])/[\w.+-]+/")
    found = [line for exe in (tmp_path / "first.exe", elsewhere / "build/stage/kavolt/kavolt.exe")
             for encoding in ("S", "l")
             for line in run("x86_64-w64-mingw32-strings", "-a", "-e", encoding, exe).splitlines()
             if absolute.search(line) or any(folder in line for folder in folders)]
    assert not found


def test_second_build_elsewhere_gives_the_same_bytes(elsewhere, shipped):
    again = zipfile.ZipFile(elsewhere / "out" / ZIP)
    differing = [e.filename for e in shipped.infolist()
                 if e.filename not in again.namelist() or shipped.read(e) != again.read(e.filename)]
    assert not differing, f"the entries differ: {differing}"
    assert (elsewhere / "out" / ZIP).read_bytes() == (FIRST_OUT / ZIP).read_bytes()
    assert (elsewhere / "out/SHA256SUMS").read_bytes() == (FIRST_OUT / "SHA256SUMS").read_bytes()
