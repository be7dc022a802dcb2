#!/usr/bin/env python3
"""Draws Lumapress's artwork and writes it as XPM arrays into artwork.cpp.

Run from this folder after changing a picture: python3 make_artwork.py
Pictures: the application icon (32 and 16 pixels), the banner at the dialog's left edge and
the folder browser's tree pictures (16 x 16, in the order of FolderImage).
"""

import math

SS = 4  # samples per pixel along each axis


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * (w * SS) for _ in range(h * SS)]

    def paint(self, inside, colour):
        """colour: (r,g,b) or a function (x,y)->(r,g,b), in pixel coordinates."""
        for sy in range(self.h * SS):
            y = (sy + 0.5) / SS
            row = self.px[sy]
            for sx in range(self.w * SS):
                x = (sx + 0.5) / SS
                if inside(x, y):
                    c = colour(x, y) if callable(colour) else colour
                    row[sx] = (c[0], c[1], c[2], 1.0)

    def pixels(self):
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r = g = b = a = 0.0
                for sy in range(SS):
                    for sx in range(SS):
                        p = self.px[y * SS + sy][x * SS + sx]
                        r += p[0] * p[3]; g += p[1] * p[3]; b += p[2] * p[3]; a += p[3]
                if a < SS * SS / 2:
                    row.append(None)
                else:
                    row.append((r / a, g / a, b / a))
            out.append(row)
        return out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def vgradient(top, bottom, y0, y1):
    def colour(x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


SKY_TOP = (38, 70, 160)
SKY_BOTTOM = (120, 60, 170)
SUN = (255, 196, 60)
HILL = (40, 140, 90)
HILL_FAR = (70, 170, 120)
FILM = (30, 30, 40)


def slide(c, x0, y0, x1, y1):
    """A small landscape picture: sky, sun and two hills, framed."""
    w, h = x1 - x0, y1 - y0
    c.paint(rect(x0, y0, x1, y1), vgradient((90, 160, 235), (190, 220, 250), y0, y1))
    c.paint(circle(x0 + w * 0.7, y0 + h * 0.35, min(w, h) * 0.16), SUN)
    c.paint(polygon([(x0, y1), (x0, y0 + h * 0.65), (x0 + w * 0.45, y0 + h * 0.45),
                     (x1, y0 + h * 0.8), (x1, y1)]), HILL_FAR)
    c.paint(polygon([(x0, y1), (x0 + w * 0.3, y0 + h * 0.7), (x0 + w * 0.75, y1)]), HILL)


def app_icon(size):
    c = Canvas(size, size)
    s = size / 32.0
    c.paint(rounded(1 * s, 3 * s, 31 * s, 29 * s, 3 * s), FILM)
    for i in range(5):
        x = (3 + i * 6) * s
        c.paint(rect(x, 4.5 * s, x + 3 * s, 6.5 * s), (230, 230, 230))
        c.paint(rect(x, 25.5 * s, x + 3 * s, 27.5 * s), (230, 230, 230))
    slide(c, 3 * s, 8 * s, 29 * s, 24 * s)
    return c


def banner():
    w, h = 80, 376
    c = Canvas(w, h)
    c.paint(rect(0, 0, w, h), vgradient(SKY_TOP, SKY_BOTTOM, 0, h))
    # A film strip down the right edge, with three slides.
    c.paint(rect(52, 0, 76, h), FILM)
    for y in range(4, h, 12):
        c.paint(rounded(54, y, 58, y + 6, 1), (220, 220, 230))
        c.paint(rounded(70, y, 74, y + 6, 1), (220, 220, 230))
    for i, y in enumerate((200, 254, 308)):
        slide(c, 59.5, y, 68.5, y + 46)
    # A sun rising behind hills at the foot; the name is drawn over the sky by the program.
    c.paint(circle(26, 330, 15), SUN)
    c.paint(polygon([(0, h), (0, 340), (22, 326), (52, 348), (52, h)]), HILL_FAR)
    c.paint(polygon([(0, h), (0, 356), (30, 342), (52, 360), (52, h)]), HILL)
    return c


def folder(open_):
    c = Canvas(16, 16)
    edge = (150, 110, 20)
    c.paint(rounded(1, 3, 7, 6, 1), (230, 180, 60))
    c.paint(rect(1, 4, 15, 14), edge)
    c.paint(rect(2, 5, 14, 13), (245, 200, 80))
    if open_:
        c.paint(polygon([(3, 8), (16, 8), (14, 14), (1, 14)]), edge)
        c.paint(polygon([(4, 9), (14.6, 9), (13.2, 13), (2.3, 13)]), (255, 225, 120))
    return c


def fixed_disk():
    c = Canvas(16, 16)
    c.paint(rounded(1, 4, 15, 12, 1.5), (90, 95, 110))
    c.paint(rounded(2, 5, 14, 11, 1), (180, 185, 195))
    c.paint(rect(3, 9, 9, 10), (90, 95, 110))
    c.paint(circle(12, 9.5, 1), (60, 200, 90))
    return c


def removable():
    c = Canvas(16, 16)
    c.paint(rect(5.5, 1, 10.5, 5), (200, 200, 210))
    c.paint(rect(6.5, 2, 7.5, 3), (90, 90, 100))
    c.paint(rect(8.5, 2, 9.5, 3), (90, 90, 100))
    c.paint(rounded(4, 5, 12, 15, 1.5), (40, 110, 200))
    c.paint(rect(5.5, 7, 10.5, 9), (200, 225, 255))
    return c


def cdrom():
    c = Canvas(16, 16)
    c.paint(circle(8, 8, 7), (160, 165, 180))
    c.paint(circle(8, 8, 6.2), lambda x, y: (200 + 40 * math.sin(x), 210, 235 - 30 * math.sin(y)))
    c.paint(circle(8, 8, 2.2), (120, 125, 140))
    c.paint(circle(8, 8, 1.1), (255, 255, 255))
    return c


def ram_disk():
    c = Canvas(16, 16)
    c.paint(rect(1, 5, 15, 11), (20, 110, 60))
    for x in range(2, 15, 3):
        c.paint(rect(x, 6, x + 2, 9), (30, 30, 35))
    for x in range(2, 15, 2):
        c.paint(rect(x, 11, x + 1, 13), (220, 180, 60))
    return c


def network():
    c = Canvas(16, 16)
    c.paint(circle(8, 8, 7), (30, 90, 170))
    c.paint(circle(8, 8, 6), (90, 160, 230))
    line = (30, 90, 170)
    c.paint(rect(1, 7.5, 15, 8.5), line)
    c.paint(rect(7.5, 1, 8.5, 15), line)
    c.paint(ring(8, 8 + 9, 8.5, 9.5), line)
    c.paint(ring(8, 8 - 9, 8.5, 9.5), line)
    return c


def server():
    c = Canvas(16, 16)
    c.paint(rounded(4, 1, 12, 15, 1), (70, 75, 90))
    for y in (3, 6, 9):
        c.paint(rect(5, y, 11, y + 2), (170, 175, 190))
        c.paint(rect(9.5, y + 0.5, 10.5, y + 1.5), (60, 200, 90))
    return c


ALPHABET = ".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+@"


def xpm(name, canvas):
    pix = canvas.pixels()
    colours = {}
    for row in pix:
        for p in row:
            key = None if p is None else tuple(min(255, int(round(v / 8.0)) * 8) for v in p)
            colours.setdefault(key, None)
    keys = list(colours)
    cpp = 1 if len(keys) <= len(ALPHABET) else 2
    def code(i):
        return ALPHABET[i] if cpp == 1 else ALPHABET[i // len(ALPHABET)] + ALPHABET[i % len(ALPHABET)]
    for i, k in enumerate(keys):
        colours[k] = code(i)
    lines = [f'"{canvas.w} {canvas.h} {len(keys)} {cpp}",']
    for k, ch in colours.items():
        value = "None" if k is None else "#%02X%02X%02X" % k
        lines.append(f'"{ch} c {value}",')
    for row in pix:
        text = "".join(colours[None if p is None else tuple(min(255, int(round(v / 8.0)) * 8) for v in p)]
                       for p in row)
        lines.append(f'"{text}",')
    body = "\n    ".join(lines)
    return f"const char* const {name}[] = {{\n    {body}\n}};\n"


def main():
    tree = [folder(True), folder(False), removable(), fixed_disk(), cdrom(), ram_disk(),
            network(), server()]
    out = ['// Generated by make_artwork.py; edit the script, not this file.',
           '#include "resources/artwork.h"', '', 'namespace lumapress {', '']
    out.append(xpm("kAppIcon32Xpm", app_icon(32)))
    out.append(xpm("kAppIcon16Xpm", app_icon(16)))
    out.append(xpm("kBannerXpm", banner()))
    names = []
    for i, picture in enumerate(tree):
        names.append(f"kTreeImage{i}Xpm")
        out.append(xpm(names[-1], picture))
    out.append("const char* const* const kTreeImageXpms[kTreeImageCount] = {" +
               ", ".join(names) + "};\n")
    out.append('}  // namespace lumapress')
    with open("artwork.cpp", "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
