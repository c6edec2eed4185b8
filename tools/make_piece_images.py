#!/usr/bin/env python3
# Draws the four piece images (images/*.xpm): high-contrast round men and crowned kings for e-paper.
import os
import sys

SIZE = 96            # pixels along each edge of an image
SUPER = 4            # samples per pixel along each axis, for smooth inner edges
CENTRE = SIZE / 2
RADIUS = 40.5        # the piece's outer edge, clear of the selection frame
OUTLINE = 4.5        # the white man's black rim
INNER_RING = (33.0, 35.0)  # the black man's light ring: inner and outer radius
GRAYS = 5            # tones from black to white inside a piece

# The crown: a band with three points, each tipped with a ball.
CROWN = [(25, 64), (71, 64), (73, 31), (60, 46), (48, 25), (36, 46), (23, 31)]
CROWN_BALLS = [(23, 30, 4.5), (48, 23, 4.5), (73, 30, 4.5)]
CROWN_BAND = (27, 69, 55, 58)  # a stripe in the piece's colour that sets the band off
CROWN_SCALE = 0.9    # the crown as drawn above, shrunk about the centre ...
CROWN_DROP = 3.5     # ... and lowered, so that it sits in the middle of the disc


def inside_polygon(x, y, poly):
    inside = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def on_crown(x, y):
    x = CENTRE + (x - CENTRE) / CROWN_SCALE
    y = CENTRE + (y - CENTRE - CROWN_DROP) / CROWN_SCALE
    bx0, bx1, by0, by1 = CROWN_BAND
    if bx0 <= x <= bx1 and by0 <= y <= by1:
        return False
    if inside_polygon(x, y, CROWN):
        return True
    return any((x - cx) ** 2 + (y - cy) ** 2 <= r * r for cx, cy, r in CROWN_BALLS)


def sample(x, y, white, king):
    """Brightness 0..1 of the piece at (x, y), or None outside it."""
    r = ((x - CENTRE) ** 2 + (y - CENTRE) ** 2) ** 0.5
    if r > RADIUS:
        return None
    body, mark = (1.0, 0.0) if white else (0.0, 1.0)
    if white and r > RADIUS - OUTLINE:
        return 0.0
    if not white and INNER_RING[0] <= r <= INNER_RING[1]:
        return 1.0
    if king and on_crown(x, y):
        return mark
    return body


def render(white, king):
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            values = []
            for sy in range(SUPER):
                for sx in range(SUPER):
                    v = sample(px + (sx + 0.5) / SUPER, py + (sy + 0.5) / SUPER, white, king)
                    values.append(v)
            covered = [v for v in values if v is not None]
            # The rim against the cell stays sharp: a pixel is either piece or transparent.
            if len(covered) * 2 < len(values):
                row.append(None)
            else:
                row.append(round(sum(covered) / len(covered) * (GRAYS - 1)))
        rows.append(row)
    return rows


def to_xpm(name, rows):
    symbols = " " + "".join(chr(ord("a") + i) for i in range(GRAYS))
    colours = ['"  c None",']
    for i in range(GRAYS):
        level = round(255 * i / (GRAYS - 1))
        colours.append('"%s c #%02X%02X%02X",' % (symbols[i + 1], level, level, level))
    lines = ["/* XPM */", "static const char* %s[] = {" % name,
             '"%d %d %d 1",' % (SIZE, SIZE, GRAYS + 1)]
    lines += colours
    body = ['"%s"' % "".join(" " if v is None else symbols[v + 1] for v in row) for row in rows]
    lines.append(",\n".join(body))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "images")
    for name, white, king in [("manwhite", True, False), ("manblack", False, False),
                              ("kingwhite", True, True), ("kingblack", False, True)]:
        with open(os.path.join(out, name + ".xpm"), "w") as f:
            f.write(to_xpm(name, render(white, king)))


if __name__ == "__main__":
    main()
