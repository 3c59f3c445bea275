#!/usr/bin/env python3
"""Draws Kestor's icons, hand cursor and operating-system banners and writes them as .ico, .cur and .bmp.

Standard library only: shapes are tested per sample, anti-aliased by supersampling, and the files are packed
with struct. Run from anywhere: python3 res/tools/make_art.py [output folder, default res/art].
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------- colours and shapes (unit coordinates, y down)


def hex_rgb(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0, int(text[4:6], 16) / 255.0, alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical(c0, c1, top, bottom):
    """Paint that runs from c0 at v=top to c1 at v=bottom."""
    return lambda u, v: mix(c0, c1, (v - top) / (bottom - top))


def circle(cx, cy, r):
    return lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0


def capsule(x0, y0, x1, y1, r):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(u, v):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
        px, py = x0 + t * dx - u, y0 + t * dy - v
        return px * px + py * py <= r * r
    return inside


def round_rect(x0, y0, x1, y1, r):
    def inside(u, v):
        if u < x0 or u > x1 or v < y0 or v > y1:
            return False
        cx = min(max(u, x0 + r), x1 - r)
        cy = min(max(v, y0 + r), y1 - r)
        return (u - cx) ** 2 + (v - cy) ** 2 <= r * r
    return inside


def union(*shapes):
    return lambda u, v: any(s(u, v) for s in shapes)


def minus(shape, *holes):
    return lambda u, v: shape(u, v) and not any(h(u, v) for h in holes)


def polar(cx, cy, radius, clock_hours):
    """Point at a clock position (12 at the top, clockwise)."""
    angle = clock_hours / 12.0 * 2.0 * math.pi
    return cx + radius * math.sin(angle), cy - radius * math.cos(angle)


def hand(cx, cy, clock_hours, length, width, tail=0.0):
    x1, y1 = polar(cx, cy, length, clock_hours)
    x0, y0 = polar(cx, cy, -tail, clock_hours)
    return capsule(x0, y0, x1, y1, width)


class Picture:
    """Layers painted back to front; each layer is a shape and a paint (constant RGBA or a function of u, v)."""

    def __init__(self):
        self.layers = []

    def add(self, shape, paint):
        self.layers.append((shape, paint if callable(paint) else (lambda u, v, c=paint: c)))

    def sample(self, u, v):
        r = g = b = a = 0.0
        for shape, paint in self.layers:
            if shape(u, v):
                sr, sg, sb, sa = paint(u, v)
                r, g, b = sr * sa + r * (1 - sa), sg * sa + g * (1 - sa), sb * sa + b * (1 - sa)
                a = sa + a * (1 - sa)
        return r, g, b, a  # premultiplied


def rasterize(picture, width, height, scale_u, scale_v, supersample):
    """Rows top to bottom of (r, g, b, a) bytes; the picture sees u = x / scale_u, v = y / scale_v."""
    rows = []
    n = supersample * supersample
    offsets = [((i + 0.5) / supersample, (j + 0.5) / supersample)
               for j in range(supersample) for i in range(supersample)]
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for ox, oy in offsets:
                sr, sg, sb, sa = picture.sample((px + ox) / scale_u, (py + oy) / scale_v)
                r, g, b, a = r + sr, g + sg, b + sb, a + sa
            a /= n
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(int(round(min(1.0, c / n / a) * 255)) for c in (r, g, b)) + (int(round(a * 255)),))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- file formats


def dib_32(rows):
    """BITMAPINFOHEADER, bottom-up BGRA pixels and the 1-bit AND mask of an icon image."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    return header + pixels + bit_plane([[p[3] == 0 for p in row] for row in rows])  # AND mask: 1 = screen shows


def bit_plane(rows_of_flags):
    """1 bit per pixel, set where the flag is true; rows bottom-up, each padded to 32 bits."""
    out = bytearray()
    for row in reversed(rows_of_flags):
        bits = bytearray((len(row) + 31) // 32 * 4)
        for x, flag in enumerate(row):
            if flag:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def icon_file(images):
    """An .ico from {size: rows}; every image is 32-bit with its AND mask."""
    blobs = [(size, dib_32(images[size])) for size in sorted(images)]
    offset = 6 + 16 * len(blobs)
    out = struct.pack("<HHH", 0, 1, len(blobs))
    for size, blob in blobs:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blob for _, blob in blobs)


def cursor_file(art, hot_x, hot_y):
    """A 32 x 32 monochrome .cur from text art: 'X' black, 'o' white, anything else transparent."""
    size = 32
    art = [line.ljust(size, ".")[:size] for line in art] + ["." * size] * (size - len(art))
    xor_rows = [[ch == "o" for ch in line] for line in art]
    clear_rows = [[ch not in "Xo" for ch in line] for line in art]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, size * size // 4, 0, 0, 2, 2)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    blob = header + palette + bit_plane(xor_rows) + bit_plane(clear_rows)
    return struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", size, size, 2, 0, hot_x, hot_y, len(blob), 22) + blob


def bitmap_file(rows):
    """A 24-bit uncompressed .bmp (BI_RGB), rows bottom-up and padded to 4 bytes."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes(avoid_3d_grey((b, g, r)))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data


def avoid_3d_grey(bgr):
    """The three greys that LR_LOADMAP3DCOLORS swaps for the 3-D colours are nudged off by one."""
    if bgr[0] == bgr[1] == bgr[2] and bgr[0] in (128, 192, 223):
        return (bgr[0] + 1, bgr[1], bgr[2])
    return bgr


# ---------------------------------------------------------------- the pictures

INK = hex_rgb("#1F2A36")
WHITE = hex_rgb("#FFFFFF")


def soft_shadow(picture, shape_at):
    """A drop shadow as three stacked, slightly larger copies of the outline."""
    for grow, alpha in ((0.03, 0.10), (0.015, 0.12), (0.0, 0.14)):
        picture.add(shape_at(grow), (0.0, 0.0, 0.0, alpha))


def clock_face(picture, size, cx, cy, rim, face, rim_top, rim_bottom, hours, minutes):
    """A clock in pixel measures (cx, cy at a pixel centre, so 1-pixel strokes stay crisp)."""
    px = 1.0 / size
    cx, cy, rim, face = cx * px, cy * px, rim * px, face * px
    small = size <= 16
    picture.add(circle(cx, cy, rim), vertical(hex_rgb(rim_top), hex_rgb(rim_bottom), cy - rim, cy + rim))
    picture.add(minus(circle(cx, cy, rim - px), circle(cx, cy, face + px)), (1.0, 1.0, 1.0, 0.15))
    picture.add(circle(cx, cy, face), vertical(WHITE, hex_rgb("#DCE7F5"), cy - face, cy + face))
    for hour in range(12):
        major = hour % 3 == 0
        if small and not major:
            continue
        inner = face - (2.0 if small else 3.5 if major else 1.6) * px
        x0, y0 = polar(cx, cy, inner, hour)
        x1, y1 = polar(cx, cy, face - 1.0 * px, hour)
        picture.add(capsule(x0, y0, x1, y1, (0.5 if small or not major else 0.75) * px), hex_rgb("#4A5866"))
    hour_position = hours + minutes / 60.0
    picture.add(hand(cx, cy, hour_position, face * 0.58, (0.6 if small else 1.1) * px), INK)
    picture.add(hand(cx, cy, minutes / 5.0, face * 0.82, (0.5 if small else 0.8) * px), INK)
    if not small:
        picture.add(hand(cx, cy, 7.4, face * 0.84, 0.45 * px, tail=face * 0.2), hex_rgb("#D8382B"))
    picture.add(circle(cx, cy, (0.9 if small else 1.6) * px), hex_rgb("#D8382B"))


def main_icon(size):
    """The program's clock: a blue bezel, a white face; ten past ten, or three o'clock at 16 pixels."""
    p = Picture()
    c = size / 2.0 - 0.5
    if size > 16:
        soft_shadow(p, lambda g: circle((c + 1) / size, (c + 1.5) / size, 15.0 / size + g))
        clock_face(p, size, c, c, 15.0, 11.5, "#4C8FE6", "#17479A", 10, 10)
    else:
        clock_face(p, size, c, c, 7.6, 5.6, "#4C8FE6", "#17479A", 3, 0)
    return p


def tray_icon(size):
    """The tray's alarm clock: two bell caps and feet around a teal clock, readable at 16 pixels."""
    p = Picture()
    px = 1.0 / size
    small = size <= 16
    c = size / 2.0 - 0.5
    cy = c + (1.0 if small else 1.5)
    rim = 6.5 if small else 12.5
    face = rim - (1.6 if small else 2.6)
    bell_top, bell_bottom = hex_rgb("#6FD3CC"), hex_rgb("#1F6F6B")
    if not small:
        soft_shadow(p, lambda g: circle((c + 1) * px, (cy + 1.5) * px, rim * px + g))
    for side in (-1, 1):
        foot_x = c + side * rim * 0.62
        p.add(capsule(foot_x * px, (cy + rim * 0.7) * px, (foot_x + side * rim * 0.25) * px,
                      (cy + rim * 1.05) * px, (0.7 if small else 1.3) * px), INK)
        bx, by = polar(c, cy, rim * 1.02, side * 1.45)
        cap = (2.3 if small else 4.0)
        p.add(circle(bx * px, by * px, cap * px + px), INK)
        p.add(circle(bx * px, by * px, cap * px), vertical(bell_top, bell_bottom, (by - cap) * px, (by + cap) * px))
    if not small:
        p.add(capsule(c * px, (cy - rim - 2.5) * px, c * px, (cy - rim + 1) * px, 1.1 * px), INK)
    clock_face(p, size, c, cy, rim, face, "#3FB2AC", "#1B5E5C", 10 if not small else 3, 10 if not small else 0)
    return p


def notice_icon(size):
    """The notice's bell: gold, with a clapper and a highlight."""
    p = Picture()
    small = size <= 16
    outline = 1.0 / size

    def bell(grow):
        def half(v):
            t = (v - 0.34) / 0.40
            return 0.24 + 0.14 * t * t
        body = lambda u, v: 0.34 <= v <= 0.76 + grow and abs(u - 0.5) <= half(min(v, 0.76)) + grow
        dome = circle(0.5, 0.37, 0.24 + grow)
        lip = round_rect(0.08 - grow, 0.70 - grow, 0.92 + grow, 0.80 + grow, 0.05 + grow)
        knob = circle(0.5, 0.1, 0.055 + grow)
        return union(body, dome, lip, knob)

    if not small:
        soft_shadow(p, lambda g: ellipse(0.52, 0.9, 0.38 + g, 0.06 + g / 2))
    p.add(circle(0.5, 0.85, 0.09 + outline), hex_rgb("#7A5200"))
    p.add(circle(0.5, 0.85, 0.09), hex_rgb("#B8860B"))
    p.add(bell(outline), hex_rgb("#7A5200"))
    p.add(bell(0.0), lambda u, v: mix(hex_rgb("#FFE27A"), hex_rgb("#D99A00"), (u - 0.2) / 0.7))
    p.add(capsule(0.38, 0.30, 0.32, 0.62, 0.035 if small else 0.03), (1.0, 1.0, 1.0, 0.55))
    p.add(round_rect(0.1, 0.72, 0.9, 0.74, 0.01), (1.0, 1.0, 1.0, 0.35))
    return p


def lock_icon(size):
    """The unlock dialog's padlock: a steel shackle over a gold body with a keyhole."""
    p = Picture()
    small = size <= 16
    outline = 1.0 / size
    shackle_outer, shackle_inner = 0.25, 0.14 if small else 0.15

    def shackle(grow):
        ring = minus(circle(0.5, 0.40, shackle_outer + grow), circle(0.5, 0.40, shackle_inner - grow))
        top = lambda u, v: v <= 0.40 and ring(u, v)
        legs = union(round_rect(0.25 - grow, 0.40, 0.5 - shackle_inner + grow, 0.56, 0.0),
                     round_rect(0.5 + shackle_inner - grow, 0.40, 0.75 + grow, 0.56, 0.0))
        return union(top, legs)

    def body(grow):
        return round_rect(0.14 - grow, 0.46 - grow, 0.86 + grow, 0.94 + grow, 0.09 + grow)

    if not small:
        soft_shadow(p, lambda g: round_rect(0.17 - g, 0.5 - g, 0.89 + g, 0.97 + g, 0.09 + g))
    p.add(shackle(outline), hex_rgb("#3D4650"))
    p.add(shackle(0.0), lambda u, v: mix(hex_rgb("#E3E8EE"), hex_rgb("#7D8896"), (u - 0.25) / 0.5))
    p.add(body(outline), hex_rgb("#7A5200"))
    p.add(body(0.0), vertical(hex_rgb("#FFD866"), hex_rgb("#D08E00"), 0.46, 0.94))
    p.add(round_rect(0.2, 0.5, 0.8, 0.54, 0.02), (1.0, 1.0, 1.0, 0.45))
    keyhole = union(circle(0.5, 0.64, 0.08 if small else 0.07),
                    lambda u, v: 0.64 <= v <= 0.84 and abs(u - 0.5) <= 0.03 + (v - 0.64) * 0.12)
    p.add(keyhole, hex_rgb("#3B2A00"))
    return p


# The banners stand for the three Windows 9x releases (95, 98, ME): one shared design, a palette each and an
# emblem of one, two or three cascaded windows for the first, second and third release.
BANNERS = {
    "banner_95.bmp": ("#006B6B", "#3CC3B8", "#D8FFF8", 1),
    "banner_98.bmp": ("#0A1F78", "#2E8FE0", "#DDF0FF", 2),
    "banner_me.bmp": ("#2E1F6E", "#6F7DD6", "#ECE6FF", 3),
}
BANNER_SIZE = (414, 78)


def banner(dark, light, tint, windows):
    width, height = BANNER_SIZE
    c0, c1, pane = hex_rgb(dark), hex_rgb(light), hex_rgb(tint)
    p = Picture()

    def backdrop(u, v):
        base = mix(c0, c1, (u / width) ** 0.8)
        gloss = max(0.0, 0.5 - v / height) * 0.35
        shade = max(0.0, v / height - 0.6) * 0.3
        return mix(mix(base, WHITE, gloss), (0.0, 0.0, 0.0, 1.0), shade)

    p.add(lambda u, v: True, backdrop)
    # soft rings at the right end and a wave running across
    p.add(minus(circle(350, 118, 120), circle(350, 118, 96)), (1.0, 1.0, 1.0, 0.08))
    p.add(minus(circle(395, -30, 80), circle(395, -30, 62)), (1.0, 1.0, 1.0, 0.10))
    wave = lambda u, v: abs(v - (54 + 7 * math.sin(u / 47.0) + u * 0.02)) <= 3.0 and u > 90
    p.add(wave, (1.0, 1.0, 1.0, 0.16))
    wave2 = lambda u, v: abs(v - (60 + 6 * math.sin(u / 39.0 + 1.3))) <= 1.2 and u > 110
    p.add(wave2, (1.0, 1.0, 1.0, 0.22))
    p.add(lambda u, v: v >= height - 2, (1.0, 1.0, 1.0, 0.35))
    # emblem: a glass disc with cascaded windows
    cx, cy = 46, 39
    p.add(circle(cx, cy + 2, 31), (0.0, 0.0, 0.0, 0.18))
    p.add(circle(cx, cy, 30), (1.0, 1.0, 1.0, 0.16))
    p.add(minus(circle(cx, cy, 30), circle(cx, cy, 28.6)), (1.0, 1.0, 1.0, 0.65))
    w, h, step = 26, 20, 6
    x0 = cx - (w + step * (windows - 1)) / 2.0
    y0 = cy - (h + step * (windows - 1)) / 2.0
    for k in range(windows):
        x, y = x0 + k * step, y0 + k * step
        p.add(round_rect(x - 1, y - 1, x + w + 1, y + h + 1, 3), mix(c0, (0.0, 0.0, 0.0, 1.0), 0.3))
        p.add(round_rect(x, y, x + w, y + h, 2.5), WHITE)
        p.add(round_rect(x + 2, y + 6, x + w - 2, y + h - 2, 1), vertical(pane, mix(pane, c1, 0.45), y + 6, y + h))
        p.add(round_rect(x + w - 7, y + 2, x + w - 3, y + 4, 1), mix(c0, c1, 0.5))
    # a fine rule from the emblem into the banner
    p.add(lambda u, v: 86 <= u <= 300 and abs(v - 39) <= 0.6, lambda u, v: (1.0, 1.0, 1.0, 0.5 * (1 - (u - 86) / 214)))
    return p


HAND = [
    ".....XX",
    "....XooX",
    "....XooX",
    "....XooX",
    "....XooX",
    "....XooXXX",
    "....XooXooXXX",
    "....XooXooXooXX",
    "....XooXooXooXoX",
    ".XX.XooXooXooXooX",
    "XooXXoooooooooooX",
    "XoooXoooooooooooX",
    ".XooooooooooooooX",
    "..XoooooooooooooX",
    "..XoooooooooooooX",
    "...XooooooooooooX",
    "...XoooooooooooX",
    "....XooooooooooX",
    "....XoooooooooX",
    ".....XooooooooX",
    ".....XooooooooX",
    ".....XXXXXXXXXX",
]


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "art")
    os.makedirs(folder, exist_ok=True)
    icons = {"main.ico": main_icon, "tray.ico": tray_icon, "notice.ico": notice_icon, "lock.ico": lock_icon}
    for name, draw in icons.items():
        images = {size: rasterize(draw(size), size, size, size, size, 6) for size in (16, 32)}
        write(folder, name, icon_file(images))
    write(folder, "hand.cur", cursor_file(HAND, 5, 0))
    width, height = BANNER_SIZE
    for name, (dark, light, tint, windows) in BANNERS.items():
        write(folder, name, bitmap_file(rasterize(banner(dark, light, tint, windows), width, height, 1, 1, 3)))


if __name__ == "__main__":
    main()
