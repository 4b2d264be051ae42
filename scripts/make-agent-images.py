#!/usr/bin/env python3
"""Draws the agent marks in resources/images/: a rounded square in the agent's colour with a monogram.

The letters are strokes (lines and arcs) of our own, anti-aliased by sampling each edge pixel 4 x 4 times,
and written as 64 x 64 RGBA PNG files with nothing but the standard library. The output is deterministic, so
running the script again leaves the committed files unchanged.

    scripts/make-agent-images.py [OUTPUT_FOLDER]
"""

import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 64
CORNER = 14.0
STROKE = 6.0
CAP_TOP, CAP_BOTTOM = 17.0, 47.0  # the height of a capital letter
SAMPLES = 4
ARC_STEPS = 32


def arc(cx, cy, rx, ry, start, end):
    """Points on an ellipse from angle `start` to `end` (degrees, counter-clockwise, y pointing down)."""
    points = []
    for i in range(ARC_STEPS + 1):
        t = math.radians(start + (end - start) * i / ARC_STEPS)
        points.append((cx + rx * math.cos(t), cy - ry * math.sin(t)))
    return points


# Each letter is a list of polylines in a unit box (x right, y down); lower-case letters use the lower part.
LETTERS = {
    "C": [arc(0.55, 0.5, 0.5, 0.5, 45, 315)],
    "G": [arc(0.55, 0.5, 0.5, 0.5, 45, 360), [(1.05, 0.5), (0.6, 0.5)]],
    "K": [[(0.05, 0.0), (0.05, 1.0)], [(0.95, 0.0), (0.05, 0.6)], [(0.35, 0.42), (0.95, 1.0)]],
    "Q": [arc(0.5, 0.5, 0.5, 0.5, 0, 360), [(0.62, 0.68), (1.0, 1.02)]],
    "r": [[(0.1, 0.38), (0.1, 1.0)], arc(0.6, 0.66, 0.5, 0.28, 180, 50)],
}

# Agent key -> (monogram, background colour, and for each letter its width in pixels). The agents and their
# colours are invented for the sample; none is a real product or its mark.
MARKS = {
    "corvid": ("C", (0x8C, 0x3B, 0x5E), [24]),
    "crane": ("Cr", (0x3D, 0x7A, 0x3A), [20, 13]),
    "gannet": ("G", (0x1F, 0x6F, 0x8B), [26]),
    "kelp": ("K", (0x5A, 0x4B, 0x2E), [22]),
    "quay": ("Q", (0xB0, 0x6A, 0x1E), [28]),
}
GAP = 5.0


def segments(monogram, widths):
    """The strokes of a monogram as line segments in pixels, centred on the square."""
    total = sum(widths) + GAP * (len(widths) - 1)
    left = (SIZE - total) / 2
    result = []
    for letter, width in zip(monogram, widths):
        for line in LETTERS[letter]:
            points = [(left + x * width, CAP_TOP + y * (CAP_BOTTOM - CAP_TOP)) for x, y in line]
            result.extend(zip(points, points[1:]))
        left += width + GAP
    return result


def distance_to_segment(px, py, segment):
    (ax, ay), (bx, by) = segment
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside_rounded_square(px, py):
    # Distance from the nearest corner centre, for points in a corner region; inside elsewhere.
    cx = min(max(px, CORNER), SIZE - CORNER)
    cy = min(max(py, CORNER), SIZE - CORNER)
    return 0 <= px <= SIZE and 0 <= py <= SIZE and math.hypot(px - cx, py - cy) <= CORNER


def coverage(x, y, test, near_edge):
    """The share of pixel (x, y) for which `test` holds; sampled only when the pixel is near an edge."""
    if not near_edge:
        return 1.0 if test(x + 0.5, y + 0.5) else 0.0
    hits = 0
    for i in range(SAMPLES):
        for j in range(SAMPLES):
            hits += test(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES)
    return hits / (SAMPLES * SAMPLES)


def draw(monogram, colour, widths):
    strokes = segments(monogram, widths)
    half = STROKE / 2

    def on_stroke(px, py):
        return any(distance_to_segment(px, py, s) <= half for s in strokes)

    rows = []
    for y in range(SIZE):
        row = bytearray([0])  # filter type: none
        for x in range(SIZE):
            centre = min(distance_to_segment(x + 0.5, y + 0.5, s) for s in strokes)
            ink = coverage(x, y, on_stroke, abs(centre - half) < 1.0)
            corner_x = min(max(x + 0.5, CORNER), SIZE - CORNER)
            corner_y = min(max(y + 0.5, CORNER), SIZE - CORNER)
            near_corner = abs(math.hypot(x + 0.5 - corner_x, y + 0.5 - corner_y) - CORNER) < 1.0
            shape = coverage(x, y, inside_rounded_square, near_corner)
            rgb = [round(c + (255 - c) * ink) for c in colour]
            row += bytes(rgb + [round(255 * shape)])
        rows.append(bytes(row))
    return b"".join(rows)


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "images"
    folder.mkdir(parents=True, exist_ok=True)
    for agent, (monogram, colour, widths) in sorted(MARKS.items()):
        path = folder / f"UsageAgent-{agent}.png"
        path.write_bytes(png(draw(monogram, colour, widths)))
        print(path)


if __name__ == "__main__":
    main()
