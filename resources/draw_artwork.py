#!/usr/bin/env python3
"""Draws Brivane's artwork and writes it next to this script.

Run `python3 draw_artwork.py` after changing a drawing; the generated files
are committed so that a build needs no Python. Output is deterministic.

  Every icon holds its image drawn at each small-icon size (SM_CXSMICON) of
  100, 125, 150, 175, 200, 225, 250 and 300 %: 16, 20, 24, 28, 32, 36, 40
  and 48 pixels, each stored PNG-compressed.
  brivane.ico              application icon, also the tray/menu image 0:
                           desktop shown (for a light taskbar and the menu)
  tray_*.ico               the other tray and menu images:
  tray_1_hidden.ico        tray/menu image: desktop hidden (likewise)
  tray_0_shown_dark.ico    the tray images for a dark taskbar: a light frame
  tray_1_hidden_dark.ico
  tray_0_shown_contrast.ico   the tray images for high contrast, in black ink
  tray_1_hidden_contrast.ico  on white paper: the program draws the ink in the
                              system's window-text colour and the paper in its
                              window colour
  tray_2_about.ico         menu image: About
  tray_3_exit.ico          menu image: Exit
  tray_4_spare.ico         fifth image of the list, not used by the program
  about.png                About window picture, 400 x 263, 8 bpp, 64 colours
                           (a palette PNG; Windows decodes it)
  harrow.cur               pointing-hand link cursor, 32 x 32, 16 colours

Geometry of about.png: the About window draws it centred in a 399 x 256
area at (3, 3), so bitmap pixel (x, y) lands on window pixel (x + 3, y).
The click area over the product name is window (80, 62) 243 x 48, the
version list opens at window (80, 110) 245 x 108 and the web link label
sits at window (144, 226) 117 x 19; the drawing keeps those places in mind.
"""

import math
import os
import sys

sys.dont_write_bytecode = True  # keep the source folder free of caches
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from artkit import (Canvas, Lcg, arc, cur_bytes, ico_bytes, lerp, png8_bytes,  # noqa: E402
                    median_cut, nearest_index, text_shape, text_width)

HERE = os.path.dirname(os.path.abspath(__file__))

# Small-icon sizes at 96, 120, 144, 168, 192, 216, 240 and 288 DPI.
SMALL_ICON_SIZES = (16, 20, 24, 28, 32, 36, 40, 48)

# A shared palette of named colours keeps the small images consistent.
SLATE = (50, 56, 68)
SLATE_LIGHT = (92, 100, 116)
STAND = (120, 128, 140)
WHITE = (255, 255, 255)
SKY_TOP = (64, 146, 230)
SKY_LOW = (36, 92, 186)
HILL = (74, 170, 96)
FOLDER = (250, 204, 72)
PAGE = (244, 246, 250)
DARK_TOP = (40, 44, 54)
DARK_LOW = (24, 27, 34)
INFO_BLUE = (34, 106, 204)
INFO_BLUE_DARK = (20, 70, 150)
EXIT_RED = (214, 48, 44)
EXIT_RED_DARK = (150, 26, 24)
NEUTRAL = (150, 156, 166)
NEUTRAL_DARK = (104, 110, 122)
CONTRAST_INK = (0, 0, 0)
CONTRAST_PAPER = (255, 255, 255)

# The monitor's frame: a dark one for a light taskbar and the menu, a light
# one that stands out on a dark taskbar.
LIGHT_TASKBAR_FRAME = {"bezel": SLATE, "neck": STAND, "foot": SLATE_LIGHT}
DARK_TASKBAR_FRAME = {"bezel": (206, 212, 222), "neck": (168, 176, 188), "foot": (226, 230, 236)}


# --------------------------------------------------------------------------
# Small images (designed on a 16-unit grid, scaled to the target size)
# --------------------------------------------------------------------------

def monitor(size, screen_on, frame=LIGHT_TASKBAR_FRAME):
    """A desktop monitor; screen_on draws a wallpaper with desktop icons."""
    ss = 8 if size <= 16 else 4
    cv = Canvas(size, size, ss)
    u = size / 16.0

    def R(x0, y0, x1, y1):
        return (x0 * u, y0 * u, x1 * u, y1 * u)

    # Stand: neck and foot.
    cv.paint(cv.shape().rect(*R(6.5, 11.5, 9.5, 14)), frame["neck"])
    cv.paint(cv.shape().round_rect(*R(3.5, 13.5, 12.5, 15.5), 0.8 * u), frame["foot"])
    # Bezel with a slightly thicker chin.
    cv.paint(cv.shape().round_rect(*R(0, 1, 16, 12.5), 1.4 * u), frame["bezel"])
    screen = cv.shape().rect(*R(1, 2, 15, 10.5))
    if screen_on:
        top, low = 2 * u, 10.5 * u
        cv.paint(screen, lambda x, y: lerp(SKY_TOP, SKY_LOW, (y - top) / (low - top)))
        hill = cv.shape().ellipse(12 * u, 12.5 * u, 7 * u, 4.2 * u).intersect(screen)
        cv.paint(hill, HILL)
        # Two desktop icons in the left column: a folder and a page.
        if size <= 16:
            cv.paint(cv.shape().rect(*R(2, 3, 5, 5)), FOLDER)
            cv.paint(cv.shape().rect(*R(2, 6.5, 5, 9)), PAGE)
        else:
            cv.paint(cv.shape().round_rect(*R(2, 3, 5, 5.25), 0.3 * u), FOLDER)
            cv.paint(cv.shape().rect(*R(2, 3, 3.2, 3.5)), (214, 164, 40))
            cv.paint(cv.shape().polygon([(2 * u, 6.5 * u), (4.2 * u, 6.5 * u), (5 * u, 7.3 * u),
                                         (5 * u, 9.3 * u), (2 * u, 9.3 * u)]), PAGE)
            cv.paint(cv.shape().rect(*R(6, 3, 9, 5.25)), (236, 104, 88))
    else:
        top, low = 2 * u, 10.5 * u
        cv.paint(screen, lambda x, y: lerp(DARK_TOP, DARK_LOW, (y - top) / (low - top)))
        # A faint glare shows the screen is there but switched off.
        glare = cv.shape().polygon([(9 * u, 2 * u), (11.5 * u, 2 * u), (7 * u, 10.5 * u), (4.5 * u, 10.5 * u)])
        cv.paint(glare.intersect(screen), (255, 255, 255), 0.10)
    return cv.pixels()


def contrast_monitor(size, screen_on):
    """The monitor in two tones for high contrast: an ink frame around a paper
    screen with two ink desktop icons when the desktop is shown, a screen of
    solid ink when it is hidden. Lines are at least a pixel wide."""
    ss = 8 if size <= 16 else 4
    cv = Canvas(size, size, ss)
    u = size / 16.0
    line = max(1.0, round(1.25 * u))

    def R(x0, y0, x1, y1):
        return (x0 * u, y0 * u, x1 * u, y1 * u)

    cv.paint(cv.shape().rect(7 * u - line / 2 + u / 2, 11.5 * u, 9 * u + line / 2 - u / 2, 14 * u), CONTRAST_INK)
    cv.paint(cv.shape().round_rect(*R(3.5, 13.5, 12.5, 15.5), 0.8 * u), CONTRAST_INK)
    outer = cv.shape().round_rect(*R(0, 1, 16, 12.5), 1.4 * u)
    cv.paint(outer, CONTRAST_INK)
    screen = cv.shape().rect(line, 1 * u + line, 16 * u - line, 12.5 * u - line - 0.5 * u)
    if screen_on:
        cv.paint(screen, CONTRAST_PAPER)
        cv.paint(cv.shape().rect(*R(2.6, 3.6, 5.4, 5.8)), CONTRAST_INK)
        cv.paint(cv.shape().rect(*R(2.6, 7.0, 5.4, 9.2)), CONTRAST_INK)
    return cv.pixels()


def about_image(size=16):
    cv = Canvas(size, size, 8)
    u = size / 16.0
    c = 8 * u
    cv.paint(cv.shape().circle(c, c, 7.9 * u), INFO_BLUE_DARK)
    cv.paint(cv.shape().circle(c, c, 6.9 * u), lambda x, y: lerp(INFO_BLUE, INFO_BLUE_DARK, (y - 1) / 14))
    cv.paint(cv.shape().circle(c, 4.6 * u, 1.3 * u), WHITE)
    cv.paint(cv.shape().rect(7 * u, 6.6 * u, 9 * u, 12.2 * u), WHITE)
    return cv.pixels()


def exit_image(size=16):
    cv = Canvas(size, size, 8)
    u = size / 16.0
    c = 8 * u
    cv.paint(cv.shape().circle(c, c, 7.9 * u), EXIT_RED_DARK)
    cv.paint(cv.shape().circle(c, c, 6.9 * u), lambda x, y: lerp(EXIT_RED, EXIT_RED_DARK, (y - 1) / 14))
    # Power symbol: an open ring with a bar through the gap.
    ring = cv.shape().polyline(arc(c, 8.5 * u, 3.9 * u, 3.9 * u, -55, 235, 48), 1.7 * u)
    cv.paint(ring, WHITE)
    cv.paint(cv.shape().capsule((c, 3.3 * u), (c, 8.0 * u), 0.9 * u), WHITE)
    return cv.pixels()


def spare_image(size=16):
    """A plain grey tile: this slot of the list is never shown."""
    cv = Canvas(size, size, 8)
    u = size / 16.0
    cv.paint(cv.shape().round_rect(1 * u, 1 * u, 15 * u, 15 * u, 3 * u), NEUTRAL_DARK)
    cv.paint(cv.shape().round_rect(2 * u, 2 * u, 14 * u, 14 * u, 2.2 * u), NEUTRAL)
    cv.paint(cv.shape().circle(8 * u, 8 * u, 2.2 * u), (212, 216, 222))
    return cv.pixels()


# --------------------------------------------------------------------------
# Hand cursor
# --------------------------------------------------------------------------
# The hand's inside, one string per row ('#' = inside). The outline is every
# outside pixel that touches the inside along a row or column, which keeps
# the finger tips round. The hot spot (12, 1) is the top of the index finger.

HAND_INSIDE = [
    "................................",  # 0
    "................................",  # 1
    "...........###..................",  # 2
    "...........###..................",  # 3
    "...........###..................",  # 4
    "...........###..................",  # 5
    "...........###..................",  # 6
    "...........###..................",  # 7
    "...........###.###..............",  # 8
    "...........###.###.###..........",  # 9
    "...........###.###.###..........",  # 10
    "...........###.###.###.##.......",  # 11
    "...........###.###.###.##.......",  # 12
    "...........##############.......",  # 13
    ".......###.##############.......",  # 14
    "......#####.#############.......",  # 15
    "......###################.......",  # 16
    ".......##################.......",  # 17
    "........#################.......",  # 18
    ".........################.......",  # 19
    "..........###############.......",  # 20
    "...........#############........",  # 21
    "...........#############........",  # 22
    "............###########.........",  # 23
    "............###########.........",  # 24
    "................................",  # 25
    "............###########.........",  # 26
    "............###########.........",  # 27
    "............###########.........",  # 28
    "................................",  # 29
    "................................",  # 30
    "................................",  # 31
]

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK_I, SILVER_I, WHITE_I = 0, 7, 15


def hand_cursor():
    inside = [[ch == "#" for ch in row] for row in HAND_INSIDE]
    h, w = len(inside), len(inside[0])

    def ins(x, y):
        return 0 <= x < w and 0 <= y < h and inside[y][x]

    grid = [[None] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if inside[y][x]:
                # Shade the right-hand edge of each finger and of the palm.
                grid[y][x] = SILVER_I if not ins(x + 1, y) and x > 11 else WHITE_I
            elif ins(x - 1, y) or ins(x + 1, y) or ins(x, y - 1) or ins(x, y + 1):
                grid[y][x] = BLACK_I
    assert grid[1][12] == BLACK_I and grid[0][12] is None
    return grid


# --------------------------------------------------------------------------
# About picture
# --------------------------------------------------------------------------

ABOUT_W, ABOUT_H = 400, 263
HORIZON = 116.0
NAME_RED = (206, 22, 26)
NAME_RED_DARK = (120, 10, 14)
INK = (44, 50, 62)


def shore_y(x):
    return 213.0 + 2.2 * math.sin(x / 31.0) + 1.4 * math.sin(x / 11.0 + 1.3)


def about_picture():
    ss = 3
    cv = Canvas(ABOUT_W, ABOUT_H, ss)
    rnd = Lcg(1979)

    # Sky: darker towards the top, pale at the horizon.
    sky_top, sky_low = (132, 144, 160), (228, 231, 234)
    sky = cv.shape().rect(0, 0, ABOUT_W, HORIZON + 1)
    cv.paint(sky, lambda x, y: lerp(sky_top, sky_low, (y / HORIZON) ** 0.8))

    # Low sun on the left with a soft glow.
    sun_x, sun_y = 46.0, 98.0

    def glow(x, y):
        d = math.hypot(x - sun_x, (y - sun_y) * 1.3)
        return (252, 250, 244, 255 * 0.55 * math.exp(-d / 26.0))
    cv.paint(cv.shape().rect(0, 30, 140, HORIZON), glow)
    cv.paint(cv.shape().circle(sun_x, sun_y, 8.5), (250, 249, 242))

    # Streaks of cloud.
    for cx, cy, rx, ry, alpha in ((60, 26, 70, 6, 0.35), (110, 40, 46, 4, 0.25), (330, 22, 80, 7, 0.35),
                                  (300, 46, 50, 4, 0.22), (210, 12, 60, 4, 0.2), (370, 78, 40, 3, 0.3),
                                  (150, 100, 60, 2.5, 0.35), (260, 104, 70, 2.2, 0.3)):
        cloud = cv.shape().ellipse(cx, cy, rx, ry)
        cloud.add(cv.shape().ellipse(cx - rx * 0.3, cy - ry * 0.7, rx * 0.55, ry * 0.9))
        cv.paint(cloud, (246, 247, 248), alpha)

    # Gulls.
    for gx, gy, s in ((334, 46, 5.0), (350, 39, 3.6), (318, 53, 3.0)):
        gull = cv.shape().polyline(arc(gx - s, gy + s * 0.2, s, s * 0.75, 200, 320, 10)
                                   + arc(gx + s, gy + s * 0.2, s, s * 0.75, 220, 340, 10)[1:], 1.1)
        cv.paint(gull, (78, 86, 98), 0.85)

    # Sea: dark line at the horizon, lighter towards the beach.
    sea_top, sea_low = (112, 124, 138), (170, 180, 190)
    sea = cv.shape().rect(0, HORIZON, ABOUT_W, ABOUT_H)
    cv.paint(sea, lambda x, y: lerp(sea_top, sea_low, ((y - HORIZON) / 100.0) ** 0.9))

    # Waves: short strokes that grow longer and wider towards the viewer.
    # Under the version list (x 77..322, y 110..217) they stay sparse.
    y = HORIZON + 3.0
    while y < 206:
        depth = (y - HORIZON) / 95.0
        n = int(10 + 8 * depth)
        for i in range(n):
            x = rnd.uniform(-10, ABOUT_W + 10)
            length = 6 + 26 * depth * rnd.uniform(0.6, 1.3)
            under_list = 70 < x < 330
            alpha = (0.22 if under_list else 0.45) * (0.6 + 0.4 * depth)
            wv = cv.shape().polyline([(x, y + rnd.uniform(-0.6, 0.6)), (x + length * 0.5, y - 0.6 - depth),
                                      (x + length, y)], 0.7 + 1.1 * depth)
            cv.paint(wv, (206, 214, 222), alpha)
        y += 3.0 + 4.2 * depth

    # Glitter under the sun.
    for i in range(70):
        t = rnd.next()
        gy = HORIZON + 2 + t * 92
        spread = 6 + 26 * t
        gx = sun_x + rnd.uniform(-spread, spread)
        ln = 3 + 9 * t * rnd.uniform(0.5, 1.0)
        cv.paint(cv.shape().capsule((gx - ln / 2, gy), (gx + ln / 2, gy), 0.5 + 0.6 * t),
                 (246, 244, 236), 0.75)

    # A sailing boat against the glitter.
    bx, by = 44.0, 150.0
    cv.paint(cv.shape().polygon([(bx - 14, by), (bx + 16, by), (bx + 11, by + 5), (bx - 10, by + 5)]), (58, 64, 76))
    cv.paint(cv.shape().capsule((bx + 1, by - 29), (bx + 1, by), 0.6), (58, 64, 76))
    cv.paint(cv.shape().polygon([(bx + 2.2, by - 28), (bx + 2.2, by - 2), (bx + 15, by - 2)]), (86, 94, 108))
    cv.paint(cv.shape().polygon([(bx - 0.2, by - 25), (bx - 0.2, by - 2), (bx - 12, by - 2)]), (100, 108, 122))
    for i in range(4):
        cv.paint(cv.shape().capsule((bx - 10 + i * 2, by + 8 + i * 3.0), (bx + 10 - i * 2, by + 8 + i * 3.0), 0.5),
                 (70, 78, 90), 0.35)

    # Headland with a lighthouse on the right.
    land = cv.shape().polygon([(314, HORIZON + 1), (326, 112), (338, 106), (350, 101), (364, 98), (384, 97),
                               (400, 95), (400, 126), (382, 124), (360, 121), (336, 118)])
    cv.paint(land, lambda x, y: lerp((104, 112, 124), (74, 82, 94), (y - 95) / 30.0))
    lx = 373.0
    tower = cv.shape().polygon([(lx - 5.5, 98), (lx - 3.6, 66), (lx + 3.6, 66), (lx + 5.5, 98)])
    cv.paint(tower, (238, 238, 234))
    for band_top in (72.0, 84.0):
        band = cv.shape().rect(lx - 8, band_top, lx + 8, band_top + 5).intersect(tower)
        cv.paint(band, (176, 44, 44))
    cv.paint(cv.shape().rect(lx - 3.2, 58, lx + 3.2, 66), (70, 78, 90))
    cv.paint(cv.shape().rect(lx - 2.2, 59.5, lx + 2.2, 64.5), (248, 242, 214))
    cv.paint(cv.shape().polygon([(lx - 4.5, 58.5), (lx, 53.5), (lx + 4.5, 58.5)]), (70, 78, 90))
    cv.paint(cv.shape().rect(lx - 5, 65.5, lx + 5, 67), (70, 78, 90))
    beam = cv.shape().polygon([(lx - 2, 61), (318, 52), (318, 68)])
    cv.paint(beam, lambda x, y: (250, 248, 236, 255 * 0.32 * max(0.0, (x - 318) / (lx - 318))))

    # Beach: wet sand, a line of foam, dry sand where the web link sits.
    wet = cv.shape().polygon([(x, shore_y(x) - 1.0) for x in range(-2, ABOUT_W + 3, 2)]
                             + [(ABOUT_W + 2, ABOUT_H), (-2, ABOUT_H)])
    cv.paint(wet, lambda x, y: lerp((196, 198, 196), (232, 229, 221), (y - 212) / 16.0))
    foam = cv.shape().polyline([(x, shore_y(x)) for x in range(-2, ABOUT_W + 3, 2)], 2.2)
    cv.paint(foam, (250, 251, 252), 0.95)
    foam2 = cv.shape().polyline([(x, shore_y(x) - 5 + 1.2 * math.sin(x / 7.0)) for x in range(-2, ABOUT_W + 3, 2)],
                                1.0)
    cv.paint(foam2, (232, 236, 240), 0.7)
    for i in range(40):
        px, py = rnd.uniform(0, ABOUT_W), rnd.uniform(224, ABOUT_H)
        if 132 < px < 268 and 222 < py < 250:
            continue  # keep the link's background plain
        cv.paint(cv.shape().ellipse(px, py, 1.2, 0.7), (196, 192, 182), 0.6)

    draw_logo(cv)
    draw_name(cv)
    return cv.pixels()


def draw_logo(cv):
    """The maker's mark: a round badge with a sail over a wave, and the word OLMAR."""
    size, weight, tracking = 20.0, 3.6, 3.4
    word_w = text_width("OLMAR", size, weight, tracking)
    badge_r = 21.0
    gap = 12.0
    total = 2 * badge_r + gap + word_w
    left = 199.5 - total / 2
    cx, cy = left + badge_r, 33.0

    cv.paint(cv.shape().circle(cx + 1.2, cy + 1.6, badge_r), (30, 34, 44), 0.25)
    cv.paint(cv.shape().circle(cx, cy, badge_r), INK)
    cv.paint(cv.shape().circle(cx, cy, badge_r - 2.4).subtract(cv.shape().circle(cx, cy, badge_r - 3.6)),
             (236, 238, 242))
    inner = cv.shape().circle(cx, cy, badge_r - 4.6)
    cv.paint(inner, lambda x, y: lerp((80, 90, 106), (44, 50, 62), (y - cy + 16) / 32))
    sail = cv.shape().polygon([(cx - 1.5, cy - 13), (cx - 1.5, cy + 5), (cx - 12, cy + 5)])
    sail.add(cv.shape().polygon([(cx + 1.0, cy - 11), (cx + 1.0, cy + 5), (cx + 10, cy + 5)]))
    cv.paint(sail, (244, 245, 247))
    wave = cv.shape().polyline([(cx - 15 + i * 0.5, cy + 9.2 + 1.6 * math.sin((i * 0.5) / 3.2 * math.pi))
                                for i in range(61)], 3.0).intersect(inner)
    cv.paint(wave, NAME_RED)

    top = cy - size / 2
    word = text_shape(cv.shape(), "OLMAR", left + 2 * badge_r + gap, top, size, weight, tracking)
    shadow = text_shape(cv.shape(), "OLMAR", left + 2 * badge_r + gap + 1.0, top + 1.3, size, weight, tracking)
    cv.paint(shadow, (255, 255, 255), 0.35)
    cv.paint(word, INK)
    rule_y = top + size + 6.5
    x0 = left + 2 * badge_r + gap
    cv.paint(cv.shape().capsule((x0 + 1, rule_y), (x0 + word_w - 1, rule_y), 1.0), NAME_RED)


def draw_name(cv):
    """The product name, centred over the click area (bitmap x 77..320, y 62..109)."""
    text = "Olmar Brivane"
    size, weight, tracking = 26.0, 5.0, 1.4
    w = text_width(text, size, weight, tracking)
    x = 199.0 - w / 2
    top = 86.0 - size / 2
    halo = text_shape(cv.shape(), text, x, top, size, weight, tracking, grow=4.0)
    cv.paint(halo, (250, 250, 250), 0.45)
    shadow = text_shape(cv.shape(), text, x + 1.4, top + 1.8, size, weight, tracking)
    cv.paint(shadow, (40, 20, 20), 0.35)
    body = text_shape(cv.shape(), text, x, top, size, weight, tracking)
    cv.paint(body, lambda px, py: lerp((232, 40, 40), NAME_RED_DARK, (py - top) / (size * 1.6)))


def quantise(pixels, count=64):
    """Reduces an RGB picture to exactly `count` colours (median cut). No
    dither: flat areas keep long runs of one colour, which deflate stores in
    a few bytes."""
    plain = [[(r, g, b) for r, g, b, _a in row] for row in pixels]
    hist = {}
    for row in plain:
        for c in row:
            hist[c] = hist.get(c, 0) + 1
    palette = median_cut(hist, count)
    find = nearest_index(palette)
    return [[find(c) for c in row] for row in plain], palette


# --------------------------------------------------------------------------

def write(name, data):
    path = os.path.join(HERE, name)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (name, len(data)))


def main(argv):
    only = set(argv[1:])

    def wanted(name):
        return not only or name in only

    if wanted("icons"):
        # Every small image at each size the system asks for, drawn at that
        # size rather than scaled. The application icon is image 0, shown.
        small = SMALL_ICON_SIZES
        write("brivane.ico", ico_bytes([monitor(n, True) for n in small]))
        write("tray_1_hidden.ico", ico_bytes([monitor(n, False) for n in small]))
        write("tray_0_shown_dark.ico", ico_bytes([monitor(n, True, DARK_TASKBAR_FRAME) for n in small]))
        write("tray_1_hidden_dark.ico", ico_bytes([monitor(n, False, DARK_TASKBAR_FRAME) for n in small]))
        write("tray_0_shown_contrast.ico", ico_bytes([contrast_monitor(n, True) for n in small]))
        write("tray_1_hidden_contrast.ico", ico_bytes([contrast_monitor(n, False) for n in small]))
        write("tray_2_about.ico", ico_bytes([about_image(n) for n in small]))
        write("tray_3_exit.ico", ico_bytes([exit_image(n) for n in small]))
        write("tray_4_spare.ico", ico_bytes([spare_image(n) for n in small]))
    if wanted("cursor"):
        write("harrow.cur", cur_bytes(hand_cursor(), VGA16, (12, 1)))
    if wanted("about"):
        indices, palette = quantise(about_picture())
        write("about.png", png8_bytes(indices, palette))


if __name__ == "__main__":
    main(sys.argv)
