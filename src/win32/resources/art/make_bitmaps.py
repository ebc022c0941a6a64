#!/usr/bin/env python3
"""Draws lumo's bitmaps and cursors and writes them as 8-bit palette BMP
files and monochrome CUR files into ../bitmaps/. Plain Python, no libraries:
the pictures are built from a few drawing primitives on a pixel grid.

The files are committed, so the build does not run this script; rerun it
after changing the art:  python3 make_bitmaps.py [--preview FOLDER]
(--preview also writes enlarged PPM copies for looking at them).

Button pictures use the classic 3-D greys (192/128/223/255), so the shell
can load them with LR_LOADMAP3DCOLORS and they take the system's button face.
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "bitmaps")

# ---- Colours ---------------------------------------------------------------
FACE = (192, 192, 192)      # button face (mapped to COLOR_3DFACE)
SHADOW = (128, 128, 128)    # mapped to COLOR_3DSHADOW
LIGHT = (223, 223, 223)     # mapped to COLOR_3DLIGHT
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
INK = (24, 32, 56)
PAPER = (252, 252, 244)
GRID = (200, 204, 214)
RED = (200, 40, 32)
RED_DARK = (128, 16, 16)
BLUE = (40, 88, 168)
BLUE_DARK = (16, 48, 112)
BLUE_LIGHT = (112, 152, 216)
GOLD = (236, 184, 40)
GOLD_DARK = (160, 104, 8)
GOLD_LIGHT = (252, 232, 136)
GREEN = (48, 140, 64)
WOOD = (216, 152, 64)
WOOD_DARK = (136, 80, 24)
STEEL = (96, 104, 120)
GLASS = (200, 232, 248)


class Canvas:
    def __init__(self, w, h, background=FACE):
        self.w, self.h = w, h
        self.px = [[background] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, c):
        """Inclusive rectangle."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def hline(self, x0, x1, y, c):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def thick_line(self, x0, y0, x1, y1, c, width=2):
        for i in range(width):
            for j in range(width):
                self.line(x0 + i, y0 + j, x1 + i, y1 + j, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, c, width=1.0):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = math.hypot(x - cx, y - cy)
                if r - width < d <= r:
                    self.set(x, y, c)

    def polygon(self, points, c):
        """Fills a polygon (scanline, pixel centres)."""
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(math.ceil(a - 0.5)), int(math.floor(b - 0.5)) + 1):
                    self.set(x, y, c)

    def gradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1 + 1):
            t = (y - y0) / max(1, y1 - y0)
            c = tuple(int(round(a + (b - a) * t)) for a, b in zip(top, bottom))
            self.hline(x0, x1, y, c)

    def blit(self, other, x0, y0, transparent=None):
        for y in range(other.h):
            for x in range(other.w):
                c = other.px[y][x]
                if c != transparent:
                    self.set(x0 + x, y0 + y, c)


# ---- A small pixel font (5 x 7) ---------------------------------------------
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "Z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11111", "00010", "00100", "00010", "00001", "10001", "01110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "-": ["00000", "00000", "00000", "01110", "00000", "00000", "00000"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    " ": ["00000"] * 7,
}


def text_width(text, scale=1):
    return (len(text) * 6 - 1) * scale


def draw_text(cv, x, y, text, c, scale=1, bold=False):
    for ch in text:
        for gy, row in enumerate(GLYPHS[ch]):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for b in range(2 if bold else 1):
                        cv.fill(x + (gx + b) * scale, y + gy * scale,
                                x + (gx + b) * scale + scale - 1, y + gy * scale + scale - 1, c)
        x += 6 * scale


# Bold digits for the calendar pages (6 x 9).
BIG_DIGITS = {
    "1": ["001100", "011100", "111100", "001100", "001100", "001100", "001100", "001100", "111111"],
    "2": ["011110", "110011", "000011", "000110", "001100", "011000", "110000", "110000", "111111"],
    "3": ["011110", "110011", "000011", "001110", "000011", "000011", "000011", "110011", "011110"],
    "4": ["000110", "001110", "011110", "110110", "110110", "111111", "000110", "000110", "000110"],
}


def draw_big_digit(cv, x, y, digit, c):
    for gy, row in enumerate(BIG_DIGITS[digit]):
        for gx, bit in enumerate(row):
            if bit == "1":
                cv.set(x + gx, y + gy, c)


# ---- Pictures ----------------------------------------------------------------
def calendar_page(cv, x0, y0, x1, y1, header=RED):
    """A tear-off calendar page with a coloured head and two binding rings."""
    cv.fill(x0 + 1, y0 + 1, x1 + 1, y1 + 1, SHADOW)      # drop shadow
    cv.fill(x0, y0, x1, y1, PAPER)
    cv.fill(x0, y0, x1, y0 + 4, header)
    cv.hline(x0 + 1, x1 - 1, y0 + 1, tuple(min(255, v + 60) for v in header))
    cv.frame(x0, y0, x1, y1, INK)
    for rx in (x0 + 4, x1 - 4):
        cv.vline(rx, y0 - 2, y0 + 1, STEEL)
        cv.set(rx, y0 - 2, WHITE)
    # a faint day grid
    for gy in range(y0 + 8, y1 - 1, 3):
        cv.hline(x0 + 2, x1 - 2, gy, GRID)


def calendar_button(digit):
    cv = Canvas(24, 24)
    calendar_page(cv, 3, 3, 19, 20)
    cv.fill(6, 8, 16, 19, PAPER)
    draw_big_digit(cv, 8, 9, digit, BLUE_DARK)
    return cv


def clock_button():
    cv = Canvas(24, 24)
    cv.disc(12.5, 12.5, 10.5, SHADOW)
    cv.disc(11.5, 11.5, 10.5, STEEL)
    cv.disc(11.5, 11.5, 9.0, WHITE)
    cv.ring(11.5, 11.5, 9.0, LIGHT, 1.0)
    for hour in range(12):
        a = hour * math.pi / 6
        x, y = 11.5 + 7.5 * math.sin(a), 11.5 - 7.5 * math.cos(a)
        c = INK if hour % 3 == 0 else SHADOW
        cv.set(int(round(x - 0.5)), int(round(y - 0.5)), c)
        if hour % 3 == 0:
            cv.set(int(round(x - 0.5 + 0.4 * math.sin(a))), int(round(y - 0.5 - 0.4 * math.cos(a))), c)
    cv.thick_line(11, 11, 7, 8, INK)          # hour hand (ten)
    cv.line(11, 11, 16, 5, INK)               # minute hand (two)
    cv.line(12, 11, 17, 5, INK)
    cv.line(11, 12, 11, 17, RED)              # second hand
    cv.fill(11, 11, 12, 12, RED_DARK)
    return cv


def bell_button():
    cv = Canvas(24, 24)
    outline = [(12, 3), (15, 4), (17, 7), (17, 12), (18, 15), (20, 17), (20, 18), (3, 18), (3, 17), (5, 15),
               (6, 12), (6, 7), (8, 4)]
    cv.polygon([(x + 1, y + 1) for x, y in outline], SHADOW)
    cv.polygon(outline, GOLD)
    # light on the left flank, shade on the right
    cv.polygon([(9, 5), (11, 4), (10, 8), (9, 14), (7, 16), (7, 12), (8, 7)], GOLD_LIGHT)
    cv.polygon([(16, 8), (17, 12), (18, 15), (19, 17), (16, 17), (16, 12)], GOLD_DARK)
    for (xa, ya), (xb, yb) in zip(outline, outline[1:] + outline[:1]):
        cv.line(xa, ya, xb, yb, GOLD_DARK)
    cv.hline(3, 20, 18, GOLD_DARK)
    cv.fill(10, 1, 13, 2, GOLD_DARK)                      # the knob
    cv.disc(11.5, 20.0, 1.8, GOLD_DARK)                   # the clapper
    # ringing strokes
    cv.line(1, 6, 3, 4, RED)
    cv.line(0, 9, 2, 8, RED)
    cv.line(20, 4, 22, 6, RED)
    cv.line(21, 8, 23, 9, RED)
    return cv


def appointment_button():
    cv = Canvas(24, 24)
    calendar_page(cv, 2, 3, 17, 20, header=BLUE)
    cv.fill(4, 9, 10, 9, BLUE_DARK)
    cv.fill(4, 12, 12, 12, INK)
    cv.fill(4, 15, 9, 15, INK)
    # a pencil lying across the page, tip at the bottom left
    body = [(21, 5), (23, 7), (13, 17), (11, 15)]
    cv.polygon([(x + 1, y + 1) for x, y in body], SHADOW)
    cv.polygon(body, GOLD)
    cv.line(21, 5, 11, 15, GOLD_LIGHT)
    cv.line(23, 7, 13, 17, GOLD_DARK)
    cv.polygon([(21, 5), (23, 7), (22, 8), (20, 6)], RED)       # the rubber
    cv.polygon([(11, 15), (13, 17), (9, 19)], WOOD)             # the cut wood
    cv.set(9, 19, INK)
    cv.set(10, 18, INK)
    return cv


def search_button():
    cv = Canvas(24, 24)
    calendar_page(cv, 2, 3, 17, 20, header=GREEN)
    cv.fill(4, 9, 15, 9, GRID)
    # the magnifier over the lower right corner
    cv.disc(14.5, 14.5, 5.5, INK)
    cv.disc(14.5, 14.5, 4.3, GLASS)
    cv.set(12, 12, WHITE)
    cv.set(13, 12, WHITE)
    cv.set(12, 13, WHITE)
    for i in range(5):
        cv.fill(18 + i, 18 + i, 19 + i, 19 + i, WOOD_DARK)
    cv.set(23, 23, WOOD_DARK)
    return cv


def address_button():
    cv = Canvas(24, 24)
    cv.fill(3, 6, 22, 20, SHADOW)
    cv.fill(2, 5, 21, 19, PAPER)
    cv.frame(2, 5, 21, 19, INK)
    # the flap
    cv.line(2, 5, 11, 12, SHADOW)
    cv.line(21, 5, 12, 12, SHADOW)
    # stamp
    cv.fill(16, 7, 19, 10, RED)
    cv.frame(16, 7, 19, 10, RED_DARK)
    # address lines
    cv.hline(8, 16, 14, BLUE_DARK)
    cv.hline(8, 14, 16, BLUE_DARK)
    cv.hline(8, 17, 18, BLUE_DARK)
    cv.hline(8, 16, 14, BLUE_DARK)
    return cv


def small_book(cv, x0, y0, scale=1):
    """The program's address book: a blue cover with a card and a red tab."""
    s = scale
    cv.fill(x0 + s, y0 + s, x0 + 15 * s + s - 1, y0 + 20 * s + s - 1, SHADOW)
    cv.fill(x0, y0, x0 + 15 * s - 1, y0 + 20 * s - 1, BLUE)
    cv.fill(x0, y0, x0 + 15 * s - 1, y0 + s - 1, BLUE_LIGHT)
    cv.fill(x0, y0, x0 + s - 1, y0 + 20 * s - 1, BLUE_LIGHT)
    cv.frame(x0, y0, x0 + 15 * s - 1, y0 + 20 * s - 1, BLUE_DARK)
    cv.fill(x0 + 4 * s, y0 + 4 * s, x0 + 12 * s - 1, y0 + 13 * s - 1, PAPER)
    cv.disc(x0 + 8 * s - 0.5, y0 + 7 * s - 0.5, 1.6 * s, BLUE_DARK)
    cv.fill(x0 + 5 * s, y0 + 10 * s, x0 + 11 * s - 1, y0 + 12 * s - 1, BLUE_DARK)
    for ry in (3, 8, 13, 17):                              # binding rings
        cv.fill(x0 - s, y0 + ry * s, x0 + 2 * s - 1, y0 + ry * s + s - 1, STEEL)
    cv.fill(x0 + 15 * s, y0 + 3 * s, x0 + 17 * s - 1, y0 + 7 * s - 1, RED)
    cv.fill(x0 + 15 * s, y0 + 9 * s, x0 + 17 * s - 1, y0 + 13 * s - 1, GOLD)
    cv.fill(x0 + 15 * s, y0 + 15 * s, x0 + 17 * s - 1, y0 + 18 * s - 1, GREEN)


def logo():
    cv = Canvas(60, 32)
    cv.fill(1, 1, 59, 31, SHADOW)
    cv.gradient(0, 0, 58, 30, (64, 112, 192), (16, 40, 104))
    cv.frame(0, 0, 58, 30, BLUE_DARK)
    cv.hline(1, 57, 1, BLUE_LIGHT)
    cv.vline(1, 1, 29, BLUE_LIGHT)
    small_book(cv, 4, 5)
    draw_text(cv, 26, 7, "LUMO", WHITE)
    cv.hline(26, 48, 16, GOLD)
    draw_text(cv, 26, 19, "INFO", GOLD_LIGHT)
    return cv


def about_picture(words):
    """360 x 400 pixels: 180 x 200 dialog units of the System font. Its top
    and bottom bands are plain, so a smaller picture area may crop them."""
    w, h = 360, 400
    sky_top, sky_bottom, desk = (24, 56, 128), (120, 168, 224), (236, 236, 244)
    cv = Canvas(w, h, desk)
    cv.fill(0, 0, w - 1, 19, sky_top)
    cv.gradient(0, 20, w - 1, 219, sky_top, sky_bottom)
    # the book stands on a pale desk and throws a flat shadow
    cv.hline(0, w - 1, 220, WHITE)
    for y in range(224, 242):
        half = 80 - abs(y - 233) * 5
        cv.hline(w // 2 - half, w // 2 + half, y, (206, 208, 222))
    small_book(cv, (w - 17 * 6) // 2 + 3, 98, scale=6)
    title = words[0]
    x = (w - text_width(title, 4)) // 2
    draw_text(cv, x + 3, 40 + 3, title, BLUE_DARK, scale=4)
    draw_text(cv, x, 40, title, WHITE, scale=4)
    y = 266
    for line, colour, scale in zip(words[1:], (BLUE_DARK, INK, SHADOW), (3, 2, 1)):
        draw_text(cv, (w - text_width(line, scale)) // 2, y, line, colour, scale=scale)
        y += 8 * scale + 14
    return cv


def direction_picture(forward, wrap):
    """The four search directions: an arrow left or right, with a stop bar
    (stops at the end) or bent round (wraps)."""
    cv = Canvas(24, 16)
    c = BLUE_DARK
    if not wrap:
        cv.fill(5, 7, 18, 8, c)
        if forward:
            cv.polygon([(14, 3), (19, 7.5), (14, 12)], c)
            cv.fill(20, 2, 21, 13, RED)
        else:
            cv.polygon([(10, 3), (5, 7.5), (10, 12)], c)
            cv.fill(2, 2, 3, 13, RED)
        return cv
    # a loop: half ring and an arrow head at its lower end
    cv.ring(12, 8, 6.5, c, 2.0)
    cv.fill(9, 10, 15, 15, FACE)
    if forward:
        cv.polygon([(14, 9), (20, 9), (17, 14)], c)
        cv.fill(4, 9, 7, 11, FACE)
    else:
        cv.polygon([(4, 9), (10, 9), (7, 14)], c)
        cv.fill(17, 9, 20, 11, FACE)
    return cv


def pattern():
    """The toolbar's background: a quiet grey weave, 8 x 8."""
    cv = Canvas(8, 8, (200, 200, 204))
    for y in range(8):
        for x in range(8):
            if (x + y) % 4 == 0:
                cv.set(x, y, (188, 188, 194))
            elif (x - y) % 8 == 2:
                cv.set(x, y, (212, 212, 216))
    return cv


# ---- File writers ---------------------------------------------------------------
def write_bmp(cv, path):
    colours = sorted({c for row in cv.px for c in row})
    if len(colours) > 256:
        raise ValueError(f"{path}: {len(colours)} colours")
    index = {c: i for i, c in enumerate(colours)}
    row_bytes = (cv.w + 3) & ~3
    pixels = bytearray()
    for y in range(cv.h - 1, -1, -1):
        row = bytes(index[c] for c in cv.px[y])
        pixels += row + bytes(row_bytes - cv.w)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    palette += bytes(4 * (256 - len(colours)))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def write_cursor(rows, hot_x, hot_y, path):
    """rows: 32 strings of 32 characters, '#' black, 'o' white, '.' clear."""
    size = 32

    def mask(bit_of):
        data = bytearray()
        for y in range(size - 1, -1, -1):
            bits = 0
            for x in range(size):
                bits = (bits << 1) | bit_of(rows[y][x])
            data += bits.to_bytes(4, "big")
        return bytes(data)

    xor = mask(lambda ch: 1 if ch == "o" else 0)
    and_ = mask(lambda ch: 1 if ch == "." else 0)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    image = info + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


POINTING_HAND = [
    "#####...........................",
    "#ooo#...........................",
    "#ooo#...........................",
    "#ooo#...........................",
    "#ooo#...........................",
    "#ooo#####.......................",
    "#ooo#ooo#####...................",
    "#ooo#ooo#ooo#####...............",
    "#ooo#ooo#ooo#ooo#...............",
    "#ooooooooooo#ooo#...............",
    "#ooooooooooooooo#...............",
    "#ooooooooooooooo#...............",
    "#ooooooooooooooo#...............",
    "#oooooooooooooo#................",
    ".#ooooooooooooo#................",
    "..#oooooooooooo#................",
    "...#ooooooooooo#................",
    "....#ooooooooo#.................",
    ".....#oooooooo#.................",
    ".....#########..................",
] + ["." * 32] * 12

GRAB_HAND = [
    "................................",
    "......##.##.##..................",
    ".....#oo#oo#oo#.................",
    ".....#oo#oo#oo##................",
    "..##.#oo#oo#oo#o#...............",
    ".#oo##oo#oo#oo#o#...............",
    ".#ooo#oooooooooo#...............",
    "..#oooooooooooooo#..............",
    "..#oooooooooooooo#..............",
    "...#ooooooooooooo#..............",
    "...#oooooooooooo#...............",
    "....#ooooooooooo#...............",
    ".....#oooooooooo#...............",
    ".....#ooooooooo#................",
    "......#oooooooo#................",
    "......##########................",
] + ["." * 32] * 16


def write_preview(cv, path, zoom):
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (cv.w * zoom, cv.h * zoom))
        for row in cv.px:
            line = b"".join(bytes(c) * zoom for c in row)
            f.write(line * zoom)


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {
        108: calendar_button("1"),
        109: calendar_button("2"),
        110: calendar_button("3"),
        111: calendar_button("4"),
        112: clock_button(),
        113: bell_button(),
        115: about_picture(["VORNIX-LUMO", "ADRESSBUCH", "VERSION 1.0", "ZUM KALENDER VORNIX"]),
        116: about_picture(["VORNIX-LUMO", "ADDRESS BOOK", "VERSION 1.0", "FOR THE VORNIX CALENDAR"]),
        135: direction_picture(forward=True, wrap=True),
        136: direction_picture(forward=False, wrap=True),
        137: direction_picture(forward=True, wrap=False),
        138: direction_picture(forward=False, wrap=False),
        154: logo(),
        159: pattern(),
        161: appointment_button(),
        162: search_button(),
        165: address_button(),
    }
    for number, cv in pictures.items():
        write_bmp(cv, os.path.join(OUT, f"bitmap{number}.bmp"))
    write_cursor(POINTING_HAND, 0, 0, os.path.join(OUT, "cursor150.cur"))
    write_cursor(GRAB_HAND, 9, 7, os.path.join(OUT, "cursor151.cur"))

    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        folder = sys.argv[2]
        os.makedirs(folder, exist_ok=True)
        for number, cv in pictures.items():
            write_preview(cv, os.path.join(folder, f"bitmap{number}.ppm"), 2 if cv.w > 100 else 6)
        for name, rows in (("cursor150", POINTING_HAND), ("cursor151", GRAB_HAND)):
            cv = Canvas(32, 32, (0, 160, 160))
            for y, row in enumerate(rows):
                for x, ch in enumerate(row):
                    if ch != ".":
                        cv.set(x, y, BLACK if ch == "#" else WHITE)
            write_preview(cv, os.path.join(folder, f"{name}.ppm"), 6)
    print("bitmaps and cursors written to", os.path.normpath(OUT))


if __name__ == "__main__":
    main()
