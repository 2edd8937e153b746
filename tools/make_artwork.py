#!/usr/bin/env python3
"""Regenerates resources/banner.bmp and resources/karvolt.ico.

Python standard library only; ImageMagick's convert rasterises the lettering with a
DejaVu font. Everything else is drawn here, with a fixed random seed, so every run
writes the same bytes.
"""
import argparse
import math
import os
import random
import re
import struct
import subprocess
import sys

CONVERT = "/usr/bin/convert"  # the real ImageMagick, not a wrapper earlier on PATH
FONTS = "/usr/share/fonts/truetype/dejavu/"
SANS_BOLD = FONTS + "DejaVuSans-Bold.ttf"
SERIF_BOLD = FONTS + "DejaVuSerif-Bold.ttf"

BANNER_W, BANNER_H = 381, 101
# The launcher paints its credit line in white here, so the art keeps it dark.
CREDIT_BOX = (272, 0, BANNER_W, 27)  # x0, y0, x1, y1 (exclusive), top-down

# Images are flat row-major lists: masks hold floats 0..1, pictures hold (r, g, b) tuples.


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def smoothstep(e0, e1, v):
    t = clamp((v - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def ramp(stops, t):
    """Colour at t along [(t0, colour), ...] sorted by t."""
    t = clamp(t)
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return lerp(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def text_mask(text, font, w, h, kerning=0):
    """Coverage of `text` squeezed into exactly w x h pixels (ink touches every edge)."""
    pgm = subprocess.run(
        [CONVERT, "-background", "black", "-fill", "white", "-font", font,
         "-pointsize", "240", "-kerning", str(kerning), "label:" + text,
         "-trim", "+repage", "-colorspace", "Gray", "-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    head = re.match(rb"P5\s+(\d+)\s+(\d+)\s+255\s", pgm)
    sw, sh = int(head[1]), int(head[2])
    data = pgm[head.end():head.end() + sw * sh]
    return resize([v / 255 for v in data], sw, sh, w, h)


def resize(src, sw, sh, dw, dh):
    """Area-average resample; good for shrinking a big rasterised glyph."""
    def weights(n_src, n_dst):
        scale, out = n_src / n_dst, []
        for d in range(n_dst):
            a, b = d * scale, (d + 1) * scale
            out.append([(s, (min(b, s + 1) - max(a, s)) / scale)
                        for s in range(int(a), min(n_src, math.ceil(b)))])
        return out
    wx, wy = weights(sw, dw), weights(sh, dh)
    rows = [[sum(src[y * sw + s] * k for s, k in wx[x]) for x in range(dw)] for y in range(sh)]
    return [sum(rows[s][x] * k for s, k in wy[y]) for y in range(dh) for x in range(dw)]


def blur(m, w, h, r, passes=3):
    """Three box blurs approximate a Gaussian."""
    for _ in range(passes):
        m = [sum(m[y * w + clamp(x + i, 0, w - 1)] for i in range(-r, r + 1)) / (2 * r + 1)
             for y in range(h) for x in range(w)]
        m = [sum(m[clamp(y + i, 0, h - 1) * w + x] for i in range(-r, r + 1)) / (2 * r + 1)
             for y in range(h) for x in range(w)]
    return m


def dilate(m, w, h, r):
    m = [max(m[y * w + x + i] for i in range(-r, r + 1) if 0 <= x + i < w)
         for y in range(h) for x in range(w)]
    return [max(m[(y + i) * w + x] for i in range(-r, r + 1) if 0 <= y + i < h)
            for y in range(h) for x in range(w)]


def paste(mask, mw, mh, ox, oy, w, h):
    """Places a small mask into a w x h canvas at (ox, oy)."""
    out = [0.0] * (w * h)
    for y in range(mh):
        for x in range(mw):
            if 0 <= x + ox < w and 0 <= y + oy < h:
                out[(y + oy) * w + x + ox] = mask[y * mw + x]
    return out


def value_noise(w, h, cell, rng):
    """Smooth random field in 0..1: bilinear blend of a coarse random grid."""
    gw, gh = w // cell + 2, h // cell + 2
    grid = [rng.random() for _ in range(gw * gh)]
    out = []
    for y in range(h):
        gy, fy = divmod(y / cell, 1)
        gy, fy = int(gy), smoothstep(0, 1, fy)
        for x in range(w):
            gx, fx = divmod(x / cell, 1)
            gx, fx = int(gx), smoothstep(0, 1, fx)
            top = grid[gy * gw + gx] * (1 - fx) + grid[gy * gw + gx + 1] * fx
            bot = grid[(gy + 1) * gw + gx] * (1 - fx) + grid[(gy + 1) * gw + gx + 1] * fx
            out.append(top * (1 - fy) + bot * fy)
    return out


# ---------------------------------------------------------------- banner

def draw_banner():
    w, h = BANNER_W, BANNER_H
    rng = random.Random(1807)
    smoke = [0.6 * a + 0.4 * b for a, b in
             zip(value_noise(w, h, 28, rng), value_noise(w, h, 9, rng))]

    # Title: tall, slightly condensed serif capitals.
    tx, ty, tw, th = 14, 33, 353, 46
    title = paste(text_mask("OSTRAVANE", SERIF_BOLD, tw, th, kerning=6), tw, th, tx, ty, w, h)
    outline = blur(dilate(title, w, h, 2), w, h, 1, passes=1)
    shadow = blur(paste(outline, w, h, 3, 4, w, h), w, h, 2)
    glow = blur(dilate(title, w, h, 3), w, h, 6)
    wear = value_noise(w, h, 3, rng)
    # A few sparks drifting above the title, clear of the credit box.
    embers = [0.0] * (w * h)
    while sum(v > 0 for v in embers) < 14:
        x, y = rng.randrange(6, w - 6), rng.randrange(3, 28)
        if x < CREDIT_BOX[0] - 30 - 2 * y:
            embers[y * w + x] = rng.uniform(0.5, 1.0)
    halo = blur(embers, w, h, 1, passes=2)

    # Subtitle with thin rules either side.
    sw, sh = 86, 9
    sx, sy = (w - sw) // 2, 86
    sub = paste(text_mask("KARVOLT", SANS_BOLD, sw, sh, kerning=40), sw, sh, sx, sy, w, h)

    fire = [(0.0, (255, 236, 160)), (0.3, (255, 170, 40)), (0.62, (222, 68, 12)),
            (1.0, (112, 10, 4))]
    px = []
    for y in range(h):
        for x in range(w):
            i = y * w + x
            # Ember-red haze behind the title, falling off to black at the edges.
            d = math.hypot((x - 190) / 230, (y - 58) / 75)
            c = lerp((92, 12, 6), (6, 2, 2), smoothstep(0.1, 1.0, d))
            c = tuple(v * (0.55 + 0.9 * smoke[i]) + rng.uniform(-4, 4) for v in c)
            c = lerp(c, (255, 90, 10), 0.38 * glow[i] * (1 - title[i]))
            c = lerp(c, (255, 110, 20), clamp(2.5 * halo[i]))
            c = lerp(c, (255, 214, 150), embers[i])
            # Fade the haze to black under the credit box so white text reads cleanly.
            dx = max(0, CREDIT_BOX[0] - x)
            dy = max(0, y - (CREDIT_BOX[3] - 1))
            c = tuple(v * (0.28 + 0.72 * smoothstep(0, 30, math.hypot(dx, dy))) for v in c)
            c = lerp(c, (0, 0, 0), 0.85 * shadow[i])
            c = lerp(c, (18, 3, 2), outline[i])
            # Letters: fire gradient, bright top bevel, scuffed by a grain field.
            t = (y - ty) / th
            f = ramp(fire, t + 0.06 * (wear[i] - 0.5))
            if y > 0 and title[i] > title[i - w] + 0.3:
                f = lerp(f, (255, 245, 210), 0.5)
            f = lerp(f, (70, 14, 4), 0.55 * smoothstep(0.68, 0.85, wear[i]) + rng.uniform(0, 0.08))
            c = lerp(c, f, title[i])
            if y == sy + 4 and (44 <= x < sx - 10 or sx + sw + 10 <= x < w - 44):
                edge = min(x - 44, w - 45 - x)
                c = lerp(c, (200, 60, 12), 0.8 * smoothstep(0, 60, edge))
            c = lerp(c, (236, 178, 120), sub[i])
            px.append(tuple(int(clamp(round(v), 0, 255)) for v in c))
    return px


def write_bmp(path, px, w, h):
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for y in reversed(range(h)):  # bottom-up
        row = bytearray()
        for r, g, b in px[y * w:(y + 1) * w]:
            row += bytes((b, g, r))
        body += row + bytes(stride - len(row))
    head = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(head + info + body)


# ---------------------------------------------------------------- icon

# 16 px is drawn by hand so the K stays crisp: k rim, o/O ring, R field, Y/Q letter.
ICON16 = [
    ".....kkkkkk.....",
    "...kkOOOOOOkk...",
    "..kOOoRRRRoOOk..",
    ".kOoYYRRRYYYoOk.",
    ".koRYYRRYYYRRok.",
    "koRRYYRYYYRRRRok",
    "koRRYYYYYRRRRRok",
    "koRRQQQQRRRRRRok",
    "koRRQQQQRRRRRRok",
    "koRRQQQQQRRRRRok",
    "koRRQQRQQQRRRRok",
    ".koRQQRRQQQRRok.",
    ".kooQQRRRQQQook.",
    "..koooRRRRoook..",
    "...kkooooookk...",
    ".....kkkkkk.....",
]
# Emblem colours: full colour, and a flat scheme in exact VGA colours for the 4-bit images,
# since VGA has no orange and nearest-colour mapping of the gradients turns them olive.
FULL = {
    "k": (28, 5, 3), "O": (250, 150, 40), "o": (214, 72, 14), "R": (112, 12, 6),
    "Y": (255, 224, 96), "Q": (255, 168, 40),
    "ring": ((255, 170, 50), (196, 52, 10)), "field": ((140, 20, 8), (64, 6, 3)),
    "letter": [(0, (255, 232, 120)), (0.5, (255, 160, 36)), (1, (226, 80, 14))],
}
FLAT = {
    "k": (0, 0, 0), "O": (255, 0, 0), "o": (255, 0, 0), "R": (128, 0, 0),
    "Y": (255, 255, 0), "Q": (255, 255, 0),
    "ring": ((255, 0, 0),) * 2, "field": ((128, 0, 0),) * 2,
    "letter": [(0, (255, 255, 0)), (1, (255, 255, 0))],
}


def disc_coverage(size, radius, ss=4):
    """Anti-aliased coverage of a centred disc, by ss x ss supersampling."""
    c, out = size / 2, []
    for y in range(size):
        for x in range(size):
            hits = sum(math.hypot(x + (i + 0.5) / ss - c, y + (j + 0.5) / ss - c) <= radius
                       for i in range(ss) for j in range(ss))
            out.append(hits / ss / ss)
    return out


def over(dst, colour, a):
    """Straight-alpha 'over' of a colour with coverage a onto an (r, g, b, a) pixel."""
    r, g, b, da = dst
    oa = a + da * (1 - a)
    if oa == 0:
        return (0, 0, 0, 0)
    k = da * (1 - a)
    return tuple((s * a + d * k) / oa for s, d in zip(colour, (r, g, b))) + (oa,)


def draw_emblem(size, scheme):
    """The K-on-a-burning-disc emblem as (r, g, b, a) floats, a in 0..1."""
    if size == 16:
        cover = disc_coverage(16, 8)
        return [scheme[ch] + (max(cover[y * 16 + x], 0.25),) if ch != "." else (0, 0, 0, 0)
                for y, row in enumerate(ICON16) for x, ch in enumerate(row)]
    # Flat colours get hard edges too: blended edge pixels would map to stray VGA colours.
    edge = (lambda v: v) if scheme is FULL else (lambda v: float(v >= 0.5))
    s, n = size / 48, size * size
    rim, ring, field = (disc_coverage(size, size / 2 - d) for d in (0, 1.4 * s, 4.2 * s))
    kw, kh = round(21 * s), round(28 * s)
    kx, ky = (size - kw) // 2 + round(s), (size - kh) // 2
    k = paste(text_mask("K", SANS_BOLD, kw, kh), kw, kh, kx, ky, size, size)
    k_edge = dilate(k, size, size, 1)
    px = []
    for i in range(n):
        y, x = divmod(i, size)
        t = (y + 0.5) / size
        d = math.hypot(x + 0.5 - size / 2, y + 0.5 - size / 2) / (size / 2)
        p = over((0, 0, 0, 0), scheme["k"], edge(rim[i]))
        p = over(p, lerp(*scheme["ring"], t), edge(ring[i]))
        p = over(p, lerp(*scheme["field"], d), edge(field[i]))
        p = over(p, scheme["k"], edge(k_edge[i] * field[i]))
        p = over(p, ramp(scheme["letter"], (y - ky) / kh), edge(k[i]))
        px.append(p)
    return px


# Standard 16-colour VGA palette, in the order Windows uses.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def opaque(p):
    return p[3] >= 0.5


def rgb8(p):
    return tuple(int(clamp(round(v), 0, 255)) for v in p[:3]) if opaque(p) else (0, 0, 0)


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], c)))


def median_cut(colours, count):
    """`count`-entry palette for `colours`; entry 0 stays black for masked-out pixels."""
    def spread(box, k):
        return max(c[k] for c in box) - min(c[k] for c in box)
    boxes = [sorted(set(colours))]
    while len(boxes) < count - 1:
        box = max(boxes, key=lambda b: max(spread(b, k) for k in range(3)))
        if len(box) < 2:
            break
        boxes.remove(box)
        axis = max(range(3), key=lambda k: spread(box, k))
        box.sort(key=lambda c: (c[axis], c))
        boxes += [box[:len(box) // 2], box[len(box) // 2:]]
    pal = [(0, 0, 0)] + sorted(tuple(round(sum(c[k] for c in b) / len(b)) for k in range(3))
                               for b in boxes)
    return pal + [(0, 0, 0)] * (count - len(pal))


def dib(px, size, bpp, palette=None):
    """One icon image: BITMAPINFOHEADER (double height), palette, XOR rows, AND mask."""
    xor = bytearray()
    for y in reversed(range(size)):
        row = px[y * size:(y + 1) * size]
        if bpp == 32:  # straight alpha; fully transparent pixels stay zero
            line = b"".join(bytes((*rgb8((*p[:3], 1))[::-1], round(p[3] * 255)))
                            if round(p[3] * 255) else bytes(4) for p in row)
        elif bpp == 24:
            line = b"".join(bytes(rgb8(p)[::-1]) for p in row)
        else:
            idx = [nearest(palette, rgb8(p)) if opaque(p) else 0 for p in row]
            line = bytes(idx) if bpp == 8 else \
                bytes(idx[i] << 4 | idx[i + 1] for i in range(0, size, 2))
        xor += line + bytes(-len(line) % 4)
    mask = bytearray()
    for y in reversed(range(size)):
        bits = [0 if opaque(p) else 1 for p in px[y * size:(y + 1) * size]]
        line = bytes(sum(bits[i + j] << (7 - j) for j in range(8)) for i in range(0, size, 8))
        mask += line + bytes(-len(line) % 4)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette or [])
    head = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       len(xor) + len(mask), 0, 0, len(palette or []), 0)
    return head + colours + bytes(xor) + bytes(mask)


def write_ico(path):
    art = {size: draw_emblem(size, FULL) for size in (48, 32, 16)}
    flat = {size: draw_emblem(size, FLAT) for size in (48, 32, 16)}
    pal256 = median_cut([rgb8(p) for px in art.values() for p in px if opaque(p)], 256)
    layout = [(48, 4), (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 24), (16, 32)]
    images = [dib(flat[s], s, 4, VGA) if bpp == 4 else
              dib(art[s], s, bpp, pal256 if bpp == 8 else None) for s, bpp in layout]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (s, bpp), img in zip(layout, images):
        out += struct.pack("<BBBBHHII", s, s, 16 if bpp == 4 else 0, 0, 1, bpp, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("out_dir", nargs="?",
                    default=os.path.join(os.path.dirname(__file__), "..", "resources"))
    out = ap.parse_args().out_dir
    if not os.access(CONVERT, os.X_OK) or not os.path.exists(SERIF_BOLD):
        sys.exit("needs ImageMagick and fonts-dejavu-core (" + CONVERT + ", " + SERIF_BOLD + ")")
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "banner.bmp"), draw_banner(), BANNER_W, BANNER_H)
    write_ico(os.path.join(out, "karvolt.ico"))


if __name__ == "__main__":
    main()
