#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Two kinds of seeds: copies of the shipped content (data/), so the fuzzers start from
inputs that load, and hand-made broken inputs that each aim at one check of a loader.
Re-run after the content changes; the files it writes are committed."""

import os
import shutil
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
DATA = os.path.join(ROOT, "data")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def data_files(suffix):
    if not os.path.isdir(DATA):
        return []
    return sorted(f for f in os.listdir(DATA) if f.endswith(suffix))


def text_files():
    """The INI files of data/, whatever their names (character files have no suffix).
    Pictures, maps and sounds are binary."""
    return [f for f in data_files("") if not f.endswith((".bmp", ".map", ".wav"))]


def read_data(name):
    with open(os.path.join(DATA, name), "rb") as f:
        return f.read()


# --- INI --------------------------------------------------------------------------------
def ini_seeds():
    for name in text_files():
        put("ini", "data-" + name, read_data(name))
    put("ini", "empty", "")
    put("ini", "no-final-newline", "[Video]\npixelMultiplier = 3")
    put("ini", "crlf", "[Video]\r\npixelMultiplier = 3\r\nkey = two crs\r\r\n")
    put("ini", "bom", "\xef\xbb\xbf[Video]\npixelMultiplier = 2\n")
    put("ini", "nul-byte", b"[Vi\x00deo]\nkey\x00 = va\x00lue\n\x00\n")
    put("ini", "long-line", "[S]\nkey = " + "x" * 65536 + "\n")
    put("ini", "unterminated-bracket", "[\n[Video\n[]\n[ spaced ]\nk = v\n")
    put("ini", "duplicates", "[A]\nk = 1\nk = 2\n[B]\nk = 3\n[A]\nk = 4\nj = 5\n")
    put("ini", "numbers", "[N]\na = -1\nb = 2147483648\nc = 12abc\nd = -2147483649\n"
        "e = +7\nf = \t 9\ng = 0x10\nh = 99999999999999999999\ni =\n")
    put("ini", "odd-lines", "  ;x = 1\n;comment\n=5\nspeed\na = b = c\nspeed\t= 3\n"
        "flag = true  \nflag2 = true\t\n[Video] ; screen\n")


# --- sprite descriptions ----------------------------------------------------------------
def sprite_text(sheets=1, sprites=2, animations=1, frames=None, extra=""):
    frames = frames or [[(0, 3), (1, 2)]]
    text = extra + "[Spritesheets]\namount = %d\n" % sheets
    for i in range(max(sheets, 0) if isinstance(sheets, int) and sheets < 64 else 0):
        text += "spritesheet%d = sheet%d.bmp\n" % (i, i)
    text += "[Sprites]\namount = %s\nwidth = 16\nheight = 16\nxOffset = -8\nyOffset = -4\n" % sprites
    if isinstance(sprites, int) and 0 < sprites < 64:
        for i in range(sprites):
            text += "sprite%dYPos = %d\n" % (i, 16 * i)
    text += "[Animations]\namount = %s\n" % animations
    for a, anim in enumerate(frames):
        text += "[Animation%d]\nnFrames = %s\n" % (a, len(anim) if not isinstance(anim, tuple) else anim[0])
        for f, (index, duration) in enumerate(anim if not isinstance(anim, tuple) else anim[1]):
            text += "frame%dSpriteIndex = %s\nframe%dDuration = %s\n" % (f, index, f, duration)
    return text


def sprite_seeds():
    for name in text_files():
        text = read_data(name)
        if b"[Spritesheets]" in text:
            put("sprite", "data-" + name, text)
    put("sprite", "valid", sprite_text())
    put("sprite", "empty", "")
    for amount in ("0", "-1", "1000000000"):
        put("sprite", "sheets-" + amount, sprite_text(extra="[Spritesheets]\namount = %s\n" % amount))
        put("sprite", "sprites-" + amount, sprite_text(sprites=amount, frames=[[(0, 1)]]))
        put("sprite", "animations-" + amount, sprite_text(animations=amount))
        put("sprite", "nframes-" + amount, sprite_text(frames=[(amount, [(0, 1)])]))
    put("sprite", "nframes-past-given", sprite_text(frames=[(5, [(0, 1), (1, 1)])]))
    put("sprite", "index-equals-count", sprite_text(frames=[[(0, 1), (2, 1)]]))
    put("sprite", "index-minus-one", sprite_text(frames=[[(-1, 1)]]))
    put("sprite", "durations-zero-negative", sprite_text(animations=2,
        frames=[[(0, 0), (1, 0)], [(1, -1), (0, 2147483647)]]))
    put("sprite", "offsets-huge", sprite_text(extra="[Sprites]\nxOffset = 2147483647\n"
                                             "yOffset = -2147483648\nwidth = 65537\n"))


# --- fonts ------------------------------------------------------------------------------
def font_seeds():
    for name in data_files(".ini"):
        text = read_data(name)
        if b"[Properties]" in text:
            put("font", "data-" + name, text)
    base = "[Characters]\nA = 80\nspace = 88\n- = 96\n"
    put("font", "valid", "[Properties]\nsheet = font.bmp\ncharacterHeight = 8\n"
        "characterWidth = 8\n" + base)
    put("font", "empty", "")
    for value in ("0", "-1", "257", "1000000000", "2147483648"):
        put("font", "size-" + value, "[Properties]\nsheet = f.bmp\ncharacterHeight = %s\n"
            "characterWidth = %s\n" % (value, value) + base)
    put("font", "glyphs-out-of-range", "[Properties]\ncharacterHeight = 8\ncharacterWidth = 8\n"
        "[Characters]\nA = -8\nB = 2147483647\nspace = 100000\n")


# --- BMP ---------------------------------------------------------------------------------
def bmp(width, height, bpp, compression=0, palette=None, pixels=None, info_size=40,
        offset=None, size_override=None):
    stride = (width * bpp + 31) // 32 * 4 if width > 0 and bpp > 0 else 0
    rows = abs(height)
    if pixels is None:
        pixels = bytes((i * 37) & 0xFF for i in range(stride * rows)) if stride * rows < 1 << 20 else b""
    if palette is None:
        palette = b"".join(struct.pack("<BBBB", i, 255 - i, (i * 7) & 0xFF, 0)
                           for i in range(1 << bpp)) if bpp <= 8 else b""
    if info_size == 12:
        info = struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, 1, bpp)
        palette = b"".join(palette[i:i + 3] for i in range(0, len(palette), 4))
    else:
        info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bpp, compression,
                           len(pixels), 2835, 2835, 0, 0)
        info += b"\0" * (info_size - 40)
    if offset is None:
        offset = 14 + len(info) + len(palette)
    body = info + palette + pixels
    total = 14 + len(body) if size_override is None else size_override
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset) + body


def bmp_seeds():
    # The first byte picks the pixel multiplier (value % 4 + 1).
    for name in data_files(".bmp"):
        put("bmp", "data-" + name, b"\x02" + read_data(name))
    good = bmp(8, 8, 24)
    put("bmp", "valid-24-x1", b"\x00" + good)
    put("bmp", "valid-24-x4", b"\x03" + good)
    for depth in (1, 2, 4, 8, 16, 24, 32, 0, 3, 5, 7, 12, 48, 64, 65535):
        put("bmp", "depth-%d" % depth, b"\x01" + bmp(5, 3, depth) if depth <= 64 else
            b"\x01" + bmp(5, 3, 8)[:28] + struct.pack("<H", depth) + bmp(5, 3, 8)[30:])
    put("bmp", "len-0", b"\x01")
    put("bmp", "len-1", b"\x01B")
    put("bmp", "len-53", b"\x01" + good[:53])
    put("bmp", "cut-pixels", b"\x01" + good[:-7])
    put("bmp", "zero-size", b"\x01" + bmp(0, 0, 24, pixels=b""))
    put("bmp", "negative-width", b"\x01" + bmp(-4, 4, 24, pixels=b"\0" * 48))
    put("bmp", "top-down", b"\x02" + bmp(4, -4, 24))
    put("bmp", "int-min-height", b"\x01" + bmp(4, -2147483648, 24, pixels=b"\0" * 48))
    put("bmp", "huge-65536", b"\x01" + bmp(65536, 65536, 24, pixels=b""))
    put("bmp", "wide-4096-x4", b"\x03" + bmp(4096, 1, 8))
    put("bmp", "core-header", b"\x01" + bmp(4, 4, 8, info_size=12))
    put("bmp", "v5-header", b"\x02" + bmp(4, 4, 32, compression=3, info_size=124))
    put("bmp", "bitfields", b"\x01" + bmp(4, 4, 16, compression=3))
    put("bmp", "unknown-compression", b"\x01" + bmp(4, 4, 24, compression=9))
    put("bmp", "jpeg-compression", b"\x01" + bmp(4, 4, 24, compression=4))
    # RLE8: a run of index 200 with a palette of two, then a delta past the image, then end.
    rle = bytes([4, 200, 0, 2, 9, 9, 3, 1, 0, 0, 0, 1])
    put("bmp", "rle8-index-past-palette", b"\x01" + bmp(4, 4, 8, compression=1,
        palette=b"\0\0\0\0\xff\xff\xff\0", pixels=rle))
    put("bmp", "rle4-odd", b"\x02" + bmp(5, 3, 4, compression=2, pixels=bytes([7, 0x3f, 0, 3, 1, 2, 0x33, 0, 0, 1])))
    put("bmp", "rle8-no-end", b"\x01" + bmp(16, 16, 8, compression=1, pixels=bytes([255, 1] * 4)))
    put("bmp", "offset-past-end", b"\x01" + bmp(4, 4, 24, offset=100000))
    put("bmp", "offset-zero", b"\x01" + bmp(4, 4, 24, offset=0))
    put("bmp", "not-bm", b"\x01" + b"XY" + good[2:])
    put("bmp", "info-size-huge", b"\x01" + good[:14] + struct.pack("<I", 0xFFFFFFF0) + good[18:])
    put("bmp", "colour-key", b"\x01" + bmp(2, 1, 24, pixels=bytes([255, 128, 255, 254, 128, 255, 0, 0])))
    put("bmp", "palette-count-huge", b"\x01" + good[:46] + struct.pack("<I", 0x7FFFFFFF) + good[50:])


# --- tile maps ---------------------------------------------------------------------------
def tile_map(width, height, pictures_plus_one, tile=lambda c, r: (1, 0)):
    out = struct.pack(">HHB", width, height, pictures_plus_one)
    for r in range(height):
        for c in range(width):
            p, t = tile(c, r)
            out += bytes([p, t])
    return out


def tilemap_seeds():
    # The fuzz target's level names one boundary over screen 0.
    for name in data_files(".map"):
        put("tilemap", "data-" + name, read_data(name))
    floor = lambda c, r: (2, 1) if r == 13 else ((3, 2) if c == 4 else (1, 0))
    good = tile_map(16, 15, 4, floor)
    put("tilemap", "one-screen", good)
    put("tilemap", "two-by-two-one-absent", tile_map(32, 30, 3,
        lambda c, r: (0, 0) if c >= 16 and r >= 15 else (1 + (c + r) % 2, (c * r) % 3)))
    put("tilemap", "under-5-bytes", b"\x00\x10\x00")
    put("tilemap", "zero-sizes", struct.pack(">HHB", 0, 0, 2))
    put("tilemap", "zero-width", struct.pack(">HHB", 0, 15, 2))
    put("tilemap", "huge-no-data", struct.pack(">HHB", 65535, 65535, 2))
    put("tilemap", "huge-multiple-no-data", struct.pack(">HHB", 65520, 65520, 2))
    put("tilemap", "picture-count-0", tile_map(16, 15, 0))
    put("tilemap", "picture-count-1", tile_map(16, 15, 1))
    put("tilemap", "all-absent", tile_map(16, 15, 2, lambda c, r: (0, 0)))
    put("tilemap", "trailing-bytes", good + b"\0\1\2")
    put("tilemap", "one-byte-short", good[:-1])
    put("tilemap", "picture-past-count", tile_map(16, 15, 2, lambda c, r: (3 if c == 5 else 1, 0)))
    put("tilemap", "width-not-16", tile_map(17, 15, 2))
    put("tilemap", "height-not-15", tile_map(16, 16, 2))
    put("tilemap", "partly-present", tile_map(16, 15, 2, lambda c, r: (0, 0) if r == 7 else (1, 0)))
    put("tilemap", "absent-first-row", tile_map(16, 15, 2, lambda c, r: (0, 0) if r == 0 else (1, 0)))
    put("tilemap", "types-all-bytes", tile_map(16, 15, 255, lambda c, r: (1 + (c * 15 + r) % 254, (c * 15 + r) & 0xFF)))


# --- character files ---------------------------------------------------------------------
def character_sprite():
    text = ("[Spritesheets]\namount = 4\nspritesheet0 = r.bmp\nspritesheet1 = l.bmp\n"
            "spritesheet2 = rs.bmp\nspritesheet3 = ls.bmp\n"
            "[Sprites]\namount = 2\nwidth = 24\nheight = 24\nxOffset = -12\nyOffset = -14\n"
            "sprite0YPos = 0\nsprite1YPos = 24\n[Animations]\namount = 10\n")
    for a in range(10):
        text += ("[Animation%d]\nnFrames = 2\nframe0SpriteIndex = 0\nframe0Duration = 3\n"
                 "frame1SpriteIndex = 1\nframe1Duration = 2\n" % a)
    return text


# The test character of tests/support/fixture.h, so the seeds start from the same file the
# player, level and end-to-end tests play.
with open(os.path.join(ROOT, "tests", "support", "fixture", "character.ini"), encoding="latin-1") as f:
    CHARACTER = f.read()

ALL_OPTIONS = ["adjustPositionAfterScroll", "allowLadderDownGrabBelowTop",
               "applyGravityBeforeCollisionCheck", "climbAfterJumpingGrab",
               "firstAcceleratingFrameIsWalkingSpeed", "firstDeceleratingFrameIsWalkingSpeed",
               "firstScrollingFrameIsDifferentSpeed", "limitedEnclosedLadderGrabAssist",
               "noGravityApplicationAfterJump", "noJumpDelay",
               "onlyIntAdjustmentAtBelowYSpeedMin", "onlyIntAdjustmentAtJumpReleased",
               "onlyIntAdjustmentAtYCollision", "resetFractionAtScrollStart",
               "setFractionAtScrollStart", "specialUpwardsYCollisionTreatment",
               "useAlternativeLadderGrabCheck", "useBoundingBoxOffsetForLadderCheck"]


def keys(pattern):
    return "\n#frames#\n" + "".join(chr(k) for k in pattern)


def character_seeds():
    for name in text_files():
        text = read_data(name)
        if b"[XSpeed]" in text:
            put("character", "data-" + name, text)
    base = CHARACTER + character_sprite()
    # Left, right, up, down, shoot, jump = 1, 2, 4, 8, 16, 32; Enter 64, Tab 128.
    walk_right = [2] * 60 + [2 | 32] * 20 + [2] * 100 + [8] * 40 + [4] * 80
    put("character", "fixture", base + keys(walk_right))
    put("character", "fixture-random", base)
    everything = "[Options]\n" + "".join("%s = true\n" % o for o in ALL_OPTIONS)
    put("character", "all-options", everything + base + keys([1] * 30 + [1 | 16 | 32, 1] * 40 + [4] * 60))
    put("character", "pause-and-step", base + keys([2, 2 | 64, 2, 2 | 128, 2, 2 | 128, 2 | 64] * 30))
    put("character", "shoot-spam", base + keys([16, 0, 16 | 2, 2] * 60))
    put("character", "empty", "")
    put("character", "speeds-extreme", "[XSpeed]\nrunningInt = 2147483647\nacceleratingInt = 100000\n"
        "[YSpeed]\ngravityInt = -2147483648\nminInt = -100000\njumpingInt = 2147483647\n"
        "climbingInt = 1000\n" + base + keys([2 | 32, 4, 1 | 32, 8] * 50))
    put("character", "box-extreme", "[BoundingBox]\nwidth = 65536\nheight = -1\nxOffset = -2147483648\n"
        "yOffset = 2147483647\nheightHalf = 100000\n" + base)
    put("character", "durations-odd", "[Durations]\nready = -5\nscrolling = 0\nbeforeScrolling = -1\n"
        "afterScrolling = 0\naccelerating = 0\nlanding = -1\nreeling = 0\nshooting = 0\n"
        "invincible = -1\n[ReadyMessage]\ndisplayInterval = 0\n" + base + keys([2, 2 | 32] * 100))
    put("character", "scroll-extreme", "[ScrollConstants]\nverticalSpeed = -2147483648\n"
        "startPosTop = 2147483647\nstartPosBottom = -5\ndownEndPosY = -1000\nupEndPosY = 100000\n"
        "startFraction = 99999\n" + base + keys([8] * 200))
    put("character", "too-few-animations", base.replace("amount = 10", "amount = 3") + keys([2] * 50))


def main():
    if os.path.isdir(CORPUS) and "--keep" not in sys.argv:
        shutil.rmtree(CORPUS)
    ini_seeds()
    sprite_seeds()
    font_seeds()
    bmp_seeds()
    tilemap_seeds()
    character_seeds()
    for target in sorted(os.listdir(CORPUS)):
        print(target, len(os.listdir(os.path.join(CORPUS, target))))


main()
