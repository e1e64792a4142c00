"""The icon and cursors in the tree: drawn by scripts/make_art.py, loadable by Windows."""

import shutil
import struct
import subprocess
import sys
from pathlib import Path

import pytest

REPO = Path(__file__).resolve().parents[2]
SCRIPT = REPO / "scripts" / "make_art.py"
ICON = "src/app/kavolt.ico"
CURSORS = ("cursor/set.cur", "cursor/reset.cur")


def run_script(script, *args):
    return subprocess.run([sys.executable, str(script), *args],
                          capture_output=True, text=True, timeout=120)


def read_single_image(data, kind):
    """Parses an ICO/CUR file that must hold exactly one image. Returns the directory
    entry fields, the BITMAPINFOHEADER fields and a pixel reader."""
    reserved, file_kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, file_kind, count) == (0, kind, 1)
    width, height, colours, _, field_a, field_b, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    assert offset == 22 and offset + size == len(data), "image must fill the file"
    (header_size, bmp_w, bmp_h, planes, bpp, compression, _, _, _, clr_used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    assert header_size == 40 and planes == 1 and compression == 0
    assert bmp_w == width and bmp_h == 2 * height, "height covers XOR and AND bitmaps"

    palette_len = (clr_used or 1 << bpp) if bpp <= 8 else 0
    palette_at = offset + header_size
    xor_at = palette_at + 4 * palette_len
    xor_stride = (bmp_w * bpp + 31) // 32 * 4
    and_at = xor_at + xor_stride * bmp_w
    and_stride = (bmp_w + 31) // 32 * 4
    assert and_at + and_stride * bmp_w == len(data), "XOR and AND bitmaps fill the image"

    def pixel(x, y):
        """(r, g, b, alpha, masked) at (x, y), y counted from the top."""
        row = bmp_w - 1 - y  # bitmaps are stored bottom-up
        masked = bool(data[and_at + row * and_stride + x // 8] & (0x80 >> (x % 8)))
        if bpp == 32:
            b, g, r, a = data[xor_at + row * xor_stride + 4 * x:][:4]
        else:
            assert bpp == 8, "only 8 and 32 bits per pixel are read here"
            index = data[xor_at + row * xor_stride + x]
            b, g, r, _ = data[palette_at + 4 * index:][:4]
            a = 0 if masked else 255
        return r, g, b, a, masked

    entry = dict(width=width, height=height, colours=colours, a=field_a, b=field_b)
    header = dict(bpp=bpp, palette_len=palette_len)
    return entry, header, pixel


def load(rel):
    return (REPO / rel).read_bytes()


def test_files_in_tree_match_generator():
    result = run_script(SCRIPT, "--check")
    assert result.returncode == 0, result.stderr


@pytest.mark.parametrize("damage, rel", [
    ("append", "cursor/set.cur"),
    ("flip", ICON),
    ("delete", "cursor/reset.cur"),
])
def test_check_names_the_stale_file(tmp_path, damage, rel):
    script = tmp_path / "scripts" / "make_art.py"
    script.parent.mkdir()
    shutil.copy(SCRIPT, script)
    assert run_script(script).returncode == 0
    for name in (ICON, *CURSORS):  # a fresh run reproduces the tree's bytes
        assert (tmp_path / name).read_bytes() == load(name), name

    target = tmp_path / rel
    if damage == "append":
        target.write_bytes(target.read_bytes() + b"\0")
    elif damage == "flip":
        data = bytearray(target.read_bytes())
        data[len(data) // 2] ^= 1
        target.write_bytes(bytes(data))
    else:
        target.unlink()
    result = run_script(script, "--check")
    assert result.returncode != 0
    assert rel in result.stderr
    assert all(other not in result.stderr for other in (ICON, *CURSORS) if other != rel)


def test_icon_is_one_48px_256_colour_image():
    entry, header, pixel = read_single_image(load(ICON), kind=1)
    assert (entry["width"], entry["height"]) == (48, 48)
    assert entry["colours"] == 0, "256 colours are written as 0"
    assert (entry["a"], entry["b"]) == (1, 8), "planes and bit count"
    assert header == dict(bpp=8, palette_len=256)

    pixels = [pixel(x, y) for y in range(48) for x in range(48)]
    masked = [p for p in pixels if p[4]]
    assert masked and len(masked) < len(pixels) // 2, "transparent only around the art"
    # Masked pixels are XOR-ed onto the screen, so anything but black would show.
    assert all(p[:3] == (0, 0, 0) for p in masked)
    assert not pixel(24, 24)[4], "the middle of the picture is opaque"


@pytest.mark.parametrize("rel", CURSORS)
def test_cursor_is_32px_with_hot_spot_on_arrow_tip(rel):
    entry, header, pixel = read_single_image(load(rel), kind=2)
    assert (entry["width"], entry["height"]) == (32, 32)
    hot_x, hot_y = entry["a"], entry["b"]
    assert 0 <= hot_x < 32 and 0 <= hot_y < 32

    r, g, b, a, masked = pixel(hot_x, hot_y)
    assert not masked and a == 255 and max(r, g, b) < 64, "hot spot is on the dark outline"
    # The tip is the arrow's topmost pixel, and the leftmost one in its row.
    for y in range(hot_y + 1):
        for x in range(32 if y < hot_y else hot_x):
            assert pixel(x, y)[4], f"opaque pixel ({x}, {y}) lies beyond the tip"

    if header["bpp"] == 32:
        for y in range(32):
            for x in range(32):
                r, g, b, a, masked = pixel(x, y)
                # Where alpha is ignored the mask decides; both must agree on clear pixels.
                assert masked == (a == 0), (x, y)
                if masked:
                    assert (r, g, b) == (0, 0, 0), (x, y)


def test_set_and_release_cursors_differ_but_share_hot_spot():
    (set_entry, _, set_pixel), (reset_entry, _, reset_pixel) = (
        read_single_image(load(rel), kind=2) for rel in CURSORS)
    assert (set_entry["a"], set_entry["b"]) == (reset_entry["a"], reset_entry["b"])
    changed = sum(set_pixel(x, y) != reset_pixel(x, y)
                  for y in range(32) for x in range(32))
    assert changed >= 20, "the release cursor must look clearly different"
