"""Tiny raster kit for Brivane's artwork, standard library only.

Shapes are kept as sets of horizontal spans on a supersampled grid, so they
can be united, subtracted and intersected exactly before they are painted.
A Canvas composites painted shapes in premultiplied RGBA at the supersampled
resolution and averages down to whole pixels at the end, which is all the
anti-aliasing the pictures need. The writers at the bottom produce BMP, ICO
(with PNG-compressed images) and CUR files byte by byte, so no imaging library
is needed.
"""

import math
import struct
import zlib


# --------------------------------------------------------------------------
# Span sets
# --------------------------------------------------------------------------

def _merge(spans):
    """Sorts and merges half-open [a, b) integer intervals."""
    spans = sorted(s for s in spans if s[1] > s[0])
    out = []
    for a, b in spans:
        if out and a <= out[-1][1]:
            if b > out[-1][1]:
                out[-1][1] = b
        else:
            out.append([a, b])
    return [tuple(s) for s in out]


def _subtract(spans, cut):
    out = []
    for a, b in spans:
        pieces = [(a, b)]
        for c, d in cut:
            nxt = []
            for p, q in pieces:
                if d <= p or c >= q:
                    nxt.append((p, q))
                    continue
                if c > p:
                    nxt.append((p, c))
                if d < q:
                    nxt.append((d, q))
            pieces = nxt
        out.extend(pieces)
    return out


def _intersect(spans, other):
    out = []
    for a, b in spans:
        for c, d in other:
            lo, hi = max(a, c), min(b, d)
            if hi > lo:
                out.append((lo, hi))
    return _merge(out)


class Shape:
    """A region on a canvas's supersampled grid, built from geometric parts.

    Coordinates are in output pixels (floats); a sample at grid index X lies
    at (X + 0.5) / ss, so a shape covering [0, 1) covers exactly one pixel.
    """

    def __init__(self, canvas):
        self.ss = canvas.ss
        self.gw = canvas.width * canvas.ss
        self.gh = canvas.height * canvas.ss
        self.rows = {}

    # -- building ---------------------------------------------------------
    def _rows_between(self, y0, y1):
        ss = self.ss
        first = max(0, math.ceil(y0 * ss - 0.5))
        last = min(self.gh - 1, math.floor(y1 * ss - 0.5))
        for gy in range(first, last + 1):
            yield gy, (gy + 0.5) / ss

    def _add_interval(self, gy, xa, xb):
        ss = self.ss
        a = max(0, math.ceil(xa * ss - 0.5))
        b = min(self.gw, math.ceil(xb * ss - 0.5))
        if b > a:
            self.rows.setdefault(gy, []).append((a, b))

    def _normalise(self):
        for gy in list(self.rows):
            merged = _merge(self.rows[gy])
            if merged:
                self.rows[gy] = merged
            else:
                del self.rows[gy]
        return self

    def polygon(self, *contours, even_odd=False):
        """Fills one or more closed contours (non-zero winding by default)."""
        edges = []
        for pts in contours:
            n = len(pts)
            for i in range(n):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
                if y0 != y1:
                    edges.append((x0, y0, x1, y1))
        if not edges:
            return self
        ymin = min(min(e[1], e[3]) for e in edges)
        ymax = max(max(e[1], e[3]) for e in edges)
        for gy, yc in self._rows_between(ymin, ymax):
            hits = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    x = x0 + (yc - y0) * (x1 - x0) / (y1 - y0)
                    hits.append((x, 1 if y1 > y0 else -1))
            hits.sort()
            wind = 0
            for i, (x, d) in enumerate(hits[:-1]):
                wind = wind + 1 if even_odd else wind + d
                inside = (wind % 2 == 1) if even_odd else (wind != 0)
                if inside:
                    self._add_interval(gy, x, hits[i + 1][0])
        return self._normalise()

    def rect(self, x0, y0, x1, y1):
        return self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])

    def ellipse(self, cx, cy, rx, ry):
        for gy, yc in self._rows_between(cy - ry, cy + ry):
            t = 1.0 - ((yc - cy) / ry) ** 2
            if t > 0:
                half = rx * math.sqrt(t)
                self._add_interval(gy, cx - half, cx + half)
        return self._normalise()

    def circle(self, cx, cy, r):
        return self.ellipse(cx, cy, r, r)

    def round_rect(self, x0, y0, x1, y1, radius):
        r = min(radius, (x1 - x0) / 2, (y1 - y0) / 2)
        for gy, yc in self._rows_between(y0, y1):
            inset = 0.0
            if yc < y0 + r:
                d = y0 + r - yc
                inset = r - math.sqrt(max(0.0, r * r - d * d))
            elif yc > y1 - r:
                d = yc - (y1 - r)
                inset = r - math.sqrt(max(0.0, r * r - d * d))
            self._add_interval(gy, x0 + inset, x1 - inset)
        return self._normalise()

    def capsule(self, p0, p1, radius):
        """A segment with round ends: every point within radius of p0-p1."""
        (ax, ay), (bx, by) = p0, p1
        dx, dy = bx - ax, by - ay
        length = math.hypot(dx, dy)
        if length < 1e-9:
            return self.circle(ax, ay, radius)
        nx, ny = -dy / length * radius, dx / length * radius
        quad = [(ax + nx, ay + ny), (bx + nx, by + ny), (bx - nx, by - ny), (ax - nx, ay - ny)]
        top = min(ay, by) - radius
        bottom = max(ay, by) + radius
        for gy, yc in self._rows_between(top, bottom):
            lo, hi = math.inf, -math.inf
            for cx, cy in (p0, p1):
                t = radius * radius - (yc - cy) ** 2
                if t >= 0:
                    h = math.sqrt(t)
                    lo, hi = min(lo, cx - h), max(hi, cx + h)
            for i in range(4):
                (x0, y0), (x1, y1) = quad[i], quad[(i + 1) % 4]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    x = x0 + (yc - y0) * (x1 - x0) / (y1 - y0)
                    lo, hi = min(lo, x), max(hi, x)
            if hi > lo:
                self._add_interval(gy, lo, hi)
        return self._normalise()

    def polyline(self, pts, width, closed=False):
        """A stroke of the given width with round caps and joins."""
        r = width / 2.0
        seq = list(pts) + ([pts[0]] if closed else [])
        if len(seq) == 1:
            return self.circle(seq[0][0], seq[0][1], r)
        for a, b in zip(seq, seq[1:]):
            self.capsule(a, b, r)
        return self

    # -- set operations ---------------------------------------------------
    def add(self, other):
        for gy, spans in other.rows.items():
            self.rows.setdefault(gy, []).extend(spans)
        return self._normalise()

    def subtract(self, other):
        for gy in list(self.rows):
            if gy in other.rows:
                self.rows[gy] = _subtract(self.rows[gy], other.rows[gy])
        return self._normalise()

    def intersect(self, other):
        for gy in list(self.rows):
            self.rows[gy] = _intersect(self.rows[gy], other.rows.get(gy, []))
        return self._normalise()

    def copy(self):
        s = Shape.__new__(Shape)
        s.ss, s.gw, s.gh = self.ss, self.gw, self.gh
        s.rows = {gy: list(v) for gy, v in self.rows.items()}
        return s


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------

class Canvas:
    """Premultiplied RGBA (0..1 floats) on a grid ss times finer than output."""

    def __init__(self, width, height, ss):
        self.width, self.height, self.ss = width, height, ss
        n = width * ss * height * ss
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def shape(self):
        return Shape(self)

    def full(self):
        return Shape(self).rect(0, 0, self.width, self.height)

    def paint(self, shape, paint, opacity=1.0):
        """Composites paint over the shape.

        paint is an (r, g, b) / (r, g, b, a) tuple of 0..255 values, or a
        function (x, y) -> such a tuple taking output-pixel coordinates.
        """
        ss, gw = self.ss, self.width * self.ss
        R, G, B, A = self.r, self.g, self.b, self.a
        const = not callable(paint)
        if const:
            cr, cg, cb, ca = _rgba01(paint, opacity)
        for gy, spans in shape.rows.items():
            y = (gy + 0.5) / ss
            base = gy * gw
            for x0, x1 in spans:
                for gx in range(x0, x1):
                    if not const:
                        cr, cg, cb, ca = _rgba01(paint((gx + 0.5) / ss, y), opacity)
                    i = base + gx
                    k = 1.0 - ca
                    R[i] = cr * ca + R[i] * k
                    G[i] = cg * ca + G[i] * k
                    B[i] = cb * ca + B[i] * k
                    A[i] = ca + A[i] * k

    def pixels(self):
        """Averages the supersampled grid down: rows of straight (r,g,b,a) 0..255."""
        ss, gw = self.ss, self.width * self.ss
        n = float(ss * ss)
        out = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                sr = sg = sb = sa = 0.0
                for dy in range(ss):
                    base = (y * ss + dy) * gw + x * ss
                    for i in range(base, base + ss):
                        sr += self.r[i]
                        sg += self.g[i]
                        sb += self.b[i]
                        sa += self.a[i]
                a = sa / n
                if a <= 1e-6:
                    row.append((0, 0, 0, 0))
                    continue
                row.append((_byte(sr / sa), _byte(sg / sa), _byte(sb / sa), _byte(a)))
            out.append(row)
        return out


def _rgba01(c, opacity):
    a = (c[3] / 255.0 if len(c) > 3 else 1.0) * opacity
    return c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, a


def _byte(v):
    return max(0, min(255, int(round(v * 255.0))))


def lerp(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def arc(cx, cy, rx, ry, deg0, deg1, steps=None):
    """Points along an elliptical arc; angles in degrees, 0 = +x, 90 = down."""
    if steps is None:
        steps = max(6, int(abs(deg1 - deg0) / 6))
    pts = []
    for i in range(steps + 1):
        t = math.radians(deg0 + (deg1 - deg0) * i / steps)
        pts.append((cx + rx * math.cos(t), cy + ry * math.sin(t)))
    return pts


class Lcg:
    """Small deterministic pseudo-random source (same output on every Python)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0

    def uniform(self, lo, hi):
        return lo + (hi - lo) * self.next()


# --------------------------------------------------------------------------
# Stroke font
# --------------------------------------------------------------------------
# Glyphs are drawn as strokes on a grid where capitals are 10 units high and
# lower case 7; y grows downwards and the baseline is at y = 10. Each glyph
# is (advance width, [stroke, ...]) where a stroke is a list of points, or
# ("dot", x, y) for a round dot.

def _glyphs():
    g = {}
    g["O"] = (7.4, [arc(3.7, 5, 3.7, 5, 0, 360, 72)])
    g["L"] = (5.2, [[(0, 0), (0, 10), (5.2, 10)]])
    g["M"] = (8.0, [[(0, 10), (0, 0), (4.0, 7.2), (8.0, 0), (8.0, 10)]])
    g["A"] = (7.6, [[(0, 10), (3.8, 0), (7.6, 10)], [(1.35, 6.6), (6.25, 6.6)]])
    g["R"] = (6.0, [[(0, 10), (0, 0), (3.1, 0)] + arc(3.1, 2.75, 2.75, 2.75, -90, 90)[1:] + [(0, 5.5)],
                    [(2.9, 5.5), (6.0, 10)]])
    g["B"] = (5.9, [[(0, 5), (0, 0), (3.0, 0)] + arc(3.0, 2.5, 2.5, 2.5, -90, 90)[1:] + [(0, 5)],
                    [(0, 5), (3.4, 5)] + arc(3.4, 7.5, 2.5, 2.5, -90, 90)[1:] + [(0, 10), (0, 5)]])
    g["l"] = (0.0, [[(0, -0.6), (0, 10)]])
    g["i"] = (0.0, [[(0, 3), (0, 10)], ("dot", 0, 0.35)])
    g["m"] = (8.6, [[(0, 3), (0, 10)],
                    [(0, 5.6)] + arc(2.15, 5.4, 2.15, 2.4, 180, 360)[1:] + [(4.3, 10)],
                    [(4.3, 5.6)] + arc(6.45, 5.4, 2.15, 2.4, 180, 360)[1:] + [(8.6, 10)]])
    g["n"] = (5.0, [[(0, 3), (0, 10)],
                    [(0, 5.8)] + arc(2.5, 5.6, 2.5, 2.6, 180, 360)[1:] + [(5.0, 10)]])
    g["r"] = (3.6, [[(0, 3), (0, 10)],
                    [(0, 6.2)] + arc(3.0, 6.2, 3.0, 3.2, 180, 280)[1:]])
    g["a"] = (5.2, [arc(2.6, 6.5, 2.6, 3.5, 0, 360, 60), [(5.2, 3), (5.2, 10)]])
    g["e"] = (5.4, [[(0.05, 6.4), (5.4, 6.4)] + arc(2.7, 6.5, 2.7, 3.5, 0, -180)[1:]
                    + arc(2.7, 6.5, 2.7, 3.5, 180, 40)[1:]])
    g["v"] = (5.6, [[(0, 3), (2.8, 10), (5.6, 3)]])
    g[" "] = (2.4, [])
    return g


GLYPHS = _glyphs()


def text_width(text, size, weight, tracking=0.0):
    """Width in pixels of text drawn with cap height size and stroke weight."""
    unit = size / 10.0
    w = 0.0
    for i, ch in enumerate(text):
        adv, _ = GLYPHS[ch]
        w += adv * unit + (weight if ch != " " else 0.0)
        if i + 1 < len(text):
            w += tracking
    return w


def text_shape(shape, text, x, top, size, weight, tracking=0.0, slant=0.0, grow=0.0):
    """Adds text strokes to shape; (x, top) is the left edge at cap height.

    The strokes are centred on the glyph lines, so the ink spans
    [x, x + text_width) horizontally and [top - weight/2, top + size +
    weight/2] vertically for capitals. grow widens every stroke by that
    many pixels while keeping the glyph positions (for halos and outlines).
    """
    unit = size / 10.0
    r = weight / 2.0
    pen = x + r
    for i, ch in enumerate(text):
        adv, strokes = GLYPHS[ch]

        def place(px, py):
            gx, gy = pen + px * unit, top + py * unit
            return gx + (top + size - gy) * slant, gy

        for stroke in strokes:
            if stroke and stroke[0] == "dot":
                cx, cy = place(stroke[1], stroke[2])
                shape.circle(cx, cy, r * 1.12 + grow / 2)
            else:
                shape.polyline([place(px, py) for px, py in stroke], weight + grow)
        pen += adv * unit + (weight if ch != " " else 0.0)
        if i + 1 < len(text):
            pen += tracking
    return shape


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def _dib_rows_bottom_up(rows):
    return list(reversed(rows))


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def _filtered(rows, width, pick, step=4):
    """The rows of a PNG image (step bytes a pixel), each filtered by the
    filter pick chooses from the five (given as (kind, filtered bytes)
    pairs), after its filter byte."""
    out = bytearray()
    prev = bytes(step * width)
    for row in rows:
        candidates = []
        for kind in range(5):
            filtered = bytearray()
            for i, v in enumerate(row):
                a = row[i - step] if i >= step else 0
                b, c = prev[i], (prev[i - step] if i >= step else 0)
                filtered.append((v - (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]) & 255)
            candidates.append((kind, filtered))
        kind, filtered = pick(candidates)
        out.append(kind)
        out += filtered
        prev = row
    return bytes(out)


def _png(w, h, colour_type, rows, step, chunks=()):
    """A PNG of rows of 8-bit samples, as small as this writer makes it: the
    rows filtered either each by whichever filter leaves the smallest sum of
    differences, or all by one of the five, and deflated with either
    strategy; the smallest result is kept."""
    choices = [lambda cs: min(cs, key=lambda kf: sum(d if d < 128 else 256 - d for d in kf[1]))]
    choices += [lambda cs, k=k: cs[k] for k in range(5)]
    best = None
    for pick in choices:
        data = _filtered(rows, w, pick, step)
        for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED):
            deflate = zlib.compressobj(9, zlib.DEFLATED, 15, 9, strategy)
            packed = deflate.compress(data) + deflate.flush()
            if best is None or len(packed) < len(best):
                best = packed

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + b"".join(chunk(k, d) for k, d in chunks) +
            chunk(b"IDAT", best) + chunk(b"IEND", b""))


def png_bytes(px):
    """A PNG of straight RGBA pixels (8 bits a channel)."""
    h, w = len(px), len(px[0])
    rows = [bytes(v for c in row for v in (c if c[3] else (0, 0, 0, 0))) for row in px]
    return _png(w, h, 6, rows, 4)


def png8_bytes(indices, palette):
    """A PNG of 8-bit colour indices (top row first) whose palette holds
    exactly len(palette) entries."""
    h, w = len(indices), len(indices[0])
    plte = b"".join(bytes(c) for c in palette)
    return _png(w, h, 3, [bytes(row) for row in indices], 1, [(b"PLTE", plte)])


def ico_bytes(images):
    """An .ico holding 32-bit RGBA images, each stored PNG-compressed (the
    icon image format of Windows Vista and later).

    images: list of pixel grids (rows of (r, g, b, a)), each square.
    """
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for px in images:
        h, w = len(px), len(px[0])
        blob = png_bytes(px)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def cur_bytes(indices, palette, hotspot):
    """A 4-bit .cur: indices is rows of palette indexes or None (transparent)."""
    h, w = len(indices), len(indices[0])
    assert len(palette) == 16
    xor_stride = ((w * 4 + 31) // 32) * 4
    mask_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in _dib_rows_bottom_up(indices):
        line = bytearray(xor_stride)
        bits = bytearray(mask_stride)
        for x, idx in enumerate(row):
            if idx is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                idx = 0
            line[x // 2] |= idx << (4 if x % 2 == 0 else 0)
        xor += line
        mask += bits
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    blob = header + pal + bytes(xor) + bytes(mask)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 16, 0, hotspot[0], hotspot[1], len(blob), 6 + 16)
    return struct.pack("<HHH", 0, 2, 1) + entry + blob


# --------------------------------------------------------------------------
# Colour reduction
# --------------------------------------------------------------------------

def median_cut(colours, count):
    """Deterministic median-cut palette of exactly `count` entries.

    colours: dict (r, g, b) -> number of pixels. Boxes are split on their
    widest channel (weighted by pixel count) until there are `count` boxes or
    none can be split; spare entries are filled with greys not yet present.
    """
    boxes = [sorted(colours.items())]

    def spread(box):
        best = (-1, 0)
        for ch in range(3):
            vals = [c[ch] for c, _ in box]
            best = max(best, (max(vals) - min(vals), ch))
        return best

    while len(boxes) < count:
        # Split the box with the largest (range * population) score.
        scored = []
        for i, box in enumerate(boxes):
            rng, ch = spread(box)
            if len(box) > 1 and rng > 0:
                pop = sum(n for _, n in box)
                scored.append((rng * math.sqrt(pop), -i, i, ch))
        if not scored:
            break
        _, _, i, ch = max(scored)
        box = sorted(boxes[i], key=lambda e: (e[0][ch], e[0]))
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for j, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = min(max(j + 1, 1), len(box) - 1)
                break
        boxes[i:i + 1] = [box[:cut], box[cut:]]

    palette = []
    for box in boxes:
        pop = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / pop)) for ch in range(3)))
    grey = 0
    while len(palette) < count:
        c = (grey, grey, grey)
        if c not in palette:
            palette.append(c)
        grey += 17
    return sorted(palette, key=lambda c: (sum(c), c))


def nearest_index(palette):
    cache = {}

    def find(c):
        hit = cache.get(c)
        if hit is None:
            best, hit = None, 0
            for i, p in enumerate(palette):
                d = (2 * (c[0] - p[0]) ** 2 + 4 * (c[1] - p[1]) ** 2 + 3 * (c[2] - p[2]) ** 2)
                if best is None or d < best:
                    best, hit = d, i
            cache[c] = hit
        return hit

    return find
