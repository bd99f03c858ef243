#!/usr/bin/env python3
"""Draws the sample ship into a PNG (three-quarter view, top view, side view)
to check its shape and that every face points outwards: faces seen from
behind are drawn red. The ship is built upside down for the default export;
it is drawn turned back, the right way up. Standard library only.

python3 render_preview.py [output.png]
"""

import math
import os
import struct
import sys
import zlib

import make_sample_ship

SIZE = 360
COLOURS = [(150, 160, 175), (220, 130, 40), (220, 130, 40), (120, 120, 130)]
HARDPOINT_COLOUR = (40, 220, 60)


def rotate(p, yaw, pitch):
    x, y, z = p
    cy, sy = math.cos(yaw), math.sin(yaw)
    x, z = cy * x + sy * z, -sy * x + cy * z
    cp, sp = math.cos(pitch), math.sin(pitch)
    y, z = cp * y - sp * z, sp * y + cp * z
    return x, y, z


def right_way_up(p):
    x, y, z = p
    return -x, -y, z


def render(meshes, yaw, pitch):
    """Orthographic view along -Z after turning the ship; z-buffered, flat shaded."""
    pixels = [[(24, 24, 32)] * SIZE for _ in range(SIZE)]
    depth = [[-1e9] * SIZE for _ in range(SIZE)]
    scale = SIZE / 1800
    light = (0.4, 0.7, 0.6)
    for n, mesh in enumerate(meshes):
        hardpoint = mesh.name.lower().startswith("hp")
        for t in mesh.triangles:
            pts = [rotate(right_way_up(mesh.vertices[i][:3]), yaw, pitch) for i in t]
            e1 = [pts[1][k] - pts[0][k] for k in range(3)]
            e2 = [pts[2][k] - pts[0][k] for k in range(3)]
            normal = (e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0])
            length = math.sqrt(sum(c * c for c in normal)) or 1
            normal = [c / length for c in normal]
            if hardpoint:
                colour = HARDPOINT_COLOUR
            elif normal[2] < 0:
                colour = (255, 0, 0)  # seen from behind: wrong winding
            else:
                shade = 0.35 + 0.65 * max(0.0, sum(a * b for a, b in zip(normal, light)))
                colour = tuple(int(c * shade) for c in COLOURS[n])
            screen = [(SIZE / 2 + p[0] * scale, SIZE / 2 - p[1] * scale, p[2]) for p in pts]
            fill(pixels, depth, screen, colour, 1e6 if hardpoint else 0)
    return pixels


def fill(pixels, depth, tri, colour, bias):
    (x0, y0, z0), (x1, y1, z1), (x2, y2, z2) = tri
    area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
    if area == 0:
        area = 1e-9  # edge-on; only a hardpoint marker can still show
    pad = 6 if bias else 2
    for y in range(max(0, int(min(y0, y1, y2)) - pad), min(SIZE, int(max(y0, y1, y2)) + pad)):
        for x in range(max(0, int(min(x0, x1, x2)) - pad), min(SIZE, int(max(x0, x1, x2)) + pad)):
            px, py = x + 0.5, y + 0.5
            w0 = ((x1 - px) * (y2 - py) - (x2 - px) * (y1 - py)) / area
            w1 = ((x2 - px) * (y0 - py) - (x0 - px) * (y2 - py)) / area
            w2 = 1 - w0 - w1
            if bias:
                # Hardpoints are tiny: draw a square marker on top instead.
                if abs(px - (x0 + x1 + x2) / 3) > 4 or abs(py - (y0 + y1 + y2) / 3) > 4:
                    continue
            elif min(w0, w1, w2) < 0:
                continue
            z = w0 * z0 + w1 * z1 + w2 * z2 + bias
            if z > depth[y][x]:
                depth[y][x] = z
                pixels[y][x] = colour


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n")
        png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        png.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        png.write(chunk(b"IEND", b""))


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "sample_ship.png")
    meshes = make_sample_ship.make_ship()
    views = [render(meshes, math.radians(-140), math.radians(30)),  # from behind, above, left
             render(meshes, math.radians(180), math.radians(90)),   # from above, nose up
             render(meshes, math.radians(90), 0)]                    # from the right side
    rows = [sum((view[y] for view in views), []) for y in range(SIZE)]
    write_png(path, rows)


if __name__ == "__main__":
    main()
