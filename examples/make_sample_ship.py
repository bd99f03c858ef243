#!/usr/bin/env python3
"""Writes the bundled sample ship: sample_ship.obj (+ .mtl), the same model
as a host model document, sample_ship.json, as binary glTF, sample_ship.glb,
and the hull's texture, sample_ship_hull.png (hull plating in panels, with a
stripe).

Host units, built upside down: top towards -Y, nose towards +Z, the pilot's
left at -X. The default export turns it half a turn about X, which puts it
the right way up in the game (Y up, nose towards -Z, left at -X). With the
default scale divisor 92 the ship comes out about 16 units long and 13 wide. Geometry meshes in the order hull,
left wing, right wing, engine, so a three-part export uses --groups 1,2,1;
the hardpoints follow them.

Every coordinate is an integer and every texture coordinate a multiple of
1/64, so the OBJ text, the JSON text and the 32-bit floats a loader makes of
either are all exactly the same numbers.

Standard library only: python3 make_sample_ship.py [output directory]
"""

import json
import os
import struct
import sys
import zlib

HULL_MATERIAL = "sampleship_hull"
TRIM_MATERIAL = "sampleship_trim"
HULL_TEXTURE = "sample_ship_hull.png"
# Diffuse colours as the OBJ's material file and the document give them; the
# hull's colour comes from its texture.
COLOURS = {HULL_MATERIAL: "1 1 1", TRIM_MATERIAL: "0.8 0.45 0.1"}
TEXTURES = {HULL_MATERIAL: HULL_TEXTURE}
TEXTURE_SIDE = 128


class Mesh:
    """A named mesh whose vertices are numbered in the order the triangles
    first use them, which is also the order a loader joining equal corners
    gives them."""

    def __init__(self, name, material):
        self.name = name
        self.material = material
        self.vertices = []  # (x, y, z, u, v)
        self.index = {}
        self.triangles = []

    def corner(self, position, uv):
        key = tuple(position) + tuple(uv)
        if key not in self.index:
            self.index[key] = len(self.vertices)
            self.vertices.append(key)
        return self.index[key]

    def triangle(self, a, b, c, uv=None):
        """a, b, c counter-clockwise seen from outside."""
        uvs = [uv(p) if uv else (0, 0) for p in (a, b, c)]
        self.triangles.append(tuple(self.corner(p, t) for p, t in zip((a, b, c), uvs)))

    def textured(self):
        return any(v[3] or v[4] for v in self.vertices)

    def quad(self, a, b, c, d, uv=None):
        self.triangle(a, b, c, uv)
        self.triangle(a, c, d, uv)


def planar_uv(p):
    """Top-down projection onto a 2048-unit square, snapped to 1/64."""
    return (round((p[0] + 1024) / 32) / 64, round((p[2] + 1024) / 32) / 64)


def side_uv(p):
    return (round((p[2] + 1024) / 32) / 64, round((p[1] + 1024) / 32) / 64)


# Hull cross-sections from the tail forward: z, half width, top, bottom.
HULL_STATIONS = [
    (-600, 120, 100, -90),
    (-250, 160, 140, -110),
    (150, 140, 120, -100),
    (450, 80, 70, -60),
]
NOSE = (0, -10, 760)


def ring(z, half_width, top, bottom):
    """Eight points round a section, clockwise seen from the nose, starting
    right of the top centre."""
    w, s = half_width, half_width // 2
    return [
        (s, top, z), (w, top // 2, z), (w, bottom // 2, z), (s, bottom, z),
        (-s, bottom, z), (-w, bottom // 2, z), (-w, top // 2, z), (-s, top, z),
    ]


def make_hull():
    mesh = Mesh("sampleship_hull", HULL_MATERIAL)
    rings = [ring(*station) for station in HULL_STATIONS]
    for back, front in zip(rings, rings[1:]):
        for i in range(8):
            j = (i + 1) % 8
            mesh.quad(back[i], front[i], front[j], back[j], planar_uv)
    for i in range(8):
        mesh.triangle(rings[-1][(i + 1) % 8], rings[-1][i], NOSE, planar_uv)
    tail = rings[0]
    for i in range(1, 7):
        mesh.triangle(tail[0], tail[i], tail[i + 1], side_uv)
    return mesh


def make_wing(side):
    """A swept slab from the hull's side out to the tip, trailing backwards."""
    name = "sampleship_wing_left" if side > 0 else "sampleship_wing_right"
    mesh = Mesh(name, TRIM_MATERIAL)
    root_front, root_back, tip_front, tip_back = 150, -350, -380, -540
    root_x, tip_x = 130, 600
    root_y, tip_y = -30, -60
    top = [(root_x, root_y + 14, root_back), (root_x, root_y + 14, root_front),
           (tip_x, tip_y + 5, tip_front), (tip_x, tip_y + 5, tip_back)]
    bottom = [(x, y - (28 if x == root_x else 10), z) for x, y, z in top]
    if side < 0:
        top = [(-x, y, z) for x, y, z in top]
        bottom = [(-x, y, z) for x, y, z in bottom]
    quads = [
        (top[0], top[1], top[2], top[3]),
        (bottom[3], bottom[2], bottom[1], bottom[0]),
        (bottom[1], bottom[2], top[2], top[1]),  # leading edge
        (bottom[3], bottom[0], top[0], top[3]),  # trailing edge
        (bottom[2], bottom[3], top[3], top[2]),  # tip
        (bottom[0], bottom[1], top[1], top[0]),  # root
    ]
    for q in quads:
        # Mirroring turns the winding over; reverse it to keep faces outward.
        mesh.quad(*(q if side > 0 else q[::-1]), uv=planar_uv)
    return mesh


def make_engine():
    """A block behind the hull that narrows towards its exhaust."""
    mesh = Mesh("sampleship_engine", TRIM_MATERIAL)
    front = [(110, 90, -560), (-110, 90, -560), (-110, -80, -560), (110, -80, -560)]
    back = [(90, 72, -780), (-90, 72, -780), (-90, -64, -780), (90, -64, -780)]
    for i in range(4):
        j = (i + 1) % 4
        mesh.quad(front[i], back[i], back[j], front[j], side_uv)
    mesh.quad(back[3], back[2], back[1], back[0], side_uv)
    mesh.quad(front[0], front[1], front[2], front[3], side_uv)
    return mesh


def make_hardpoint(name, centre, plane):
    """A small triangle whose three corners average exactly to the centre,
    lying in the given plane ("xz" faces up, "xy" faces back)."""
    mesh = Mesh(name, TRIM_MATERIAL)
    x, y, z = centre
    if plane == "xz":
        corners = [(x - 6, y, z - 4), (x, y, z + 8), (x + 6, y, z - 4)]
    else:
        corners = [(x - 6, y - 4, z), (x + 6, y - 4, z), (x, y + 8, z)]
    mesh.triangle(*corners)
    return mesh


def turned_upside_down(mesh):
    """The mesh turned half a turn about Z: its top towards -Y, left and right
    swapped, the nose still towards +Z. The default export's half turn about
    X then brings it the right way up in the game (Y up, nose towards -Z)."""
    mesh.vertices = [(-x, -y, z, u, v) for x, y, z, u, v in mesh.vertices]
    return mesh


def make_ship():
    """Designed the right way up (Y up, nose towards +Z, the pilot's left at
    +X), then turned upside down as the default export wants it."""
    return [turned_upside_down(mesh) for mesh in [
        make_hull(),
        make_wing(+1),
        make_wing(-1),
        make_engine(),
        make_hardpoint("Hp_Fixed_HpMount01", (0, -76, 420), "xz"),
        make_hardpoint("Hp_Revolute_HpTurret01", (0, 142, -150), "xz"),
        make_hardpoint("Hp_Fixed_HpEngine01", (0, 4, -784), "xy"),
    ]]


def number(value):
    """The text both the OBJ reader and the document writer produce for these
    numbers: integers without a point, other values in shortest form."""
    value = value + 0  # no negative zero
    return str(int(value)) if value == int(value) else repr(float(value))


def write_obj(meshes, directory):
    materials = []
    for mesh in meshes:
        if mesh.material not in materials:
            materials.append(mesh.material)
    with open(os.path.join(directory, "sample_ship.mtl"), "w", newline="\n") as mtl:
        for name in materials:
            texture = f"map_Kd {TEXTURES[name]}\n" if name in TEXTURES else ""
            mtl.write(f"newmtl {name}\nKd {COLOURS[name]}\n{texture}\n")
    with open(os.path.join(directory, "sample_ship.obj"), "w", newline="\n") as obj:
        obj.write("# Sample ship, written by make_sample_ship.py. Host units, Y up, nose at +Z.\n")
        obj.write("mtllib sample_ship.mtl\n")
        base = 1
        for mesh in meshes:
            obj.write(f"\no {mesh.name}\nusemtl {mesh.material}\n")
            textured = mesh.textured()
            for v in mesh.vertices:
                obj.write("v " + " ".join(number(c) for c in v[:3]) + "\n")
            if textured:
                for v in mesh.vertices:
                    obj.write("vt " + " ".join(number(c) for c in v[3:]) + "\n")
            for t in mesh.triangles:
                corners = [str(base + i) + (f"/{base + i}" if textured else "") for i in t]
                obj.write("f " + " ".join(corners) + "\n")
            base += len(mesh.vertices)
    return materials


def document_vertex(mesh, v):
    """OBJ counts V upwards from the texture's bottom; the host, its documents
    and the game count it downwards from the top. A mesh without texture
    coordinates has (0, 0) everywhere, as a loader gives it."""
    x, y, z, u, v_up = v
    return (x, y, z, u, 1 - v_up) if mesh.textured() else v


def document_material(name):
    colour = ", ".join(COLOURS[name].split())
    texture = f', "texture": "{TEXTURES[name]}"' if name in TEXTURES else ""
    return f'{{"name": "{name}", "diffuse": [{colour}]{texture}}}'


def write_json(meshes, materials, directory):
    """Laid out exactly as the project's document writer lays it out."""
    lines = ["{", '  "materials": [' + ", ".join(document_material(m) for m in materials) + "],",
             '  "meshes": [']
    for n, mesh in enumerate(meshes):
        lines += ["    {", f'      "name": "{mesh.name}",',
                  f'      "material": {materials.index(mesh.material)},', '      "vertices": [']
        lines += ["        [" + ", ".join(number(c) for c in document_vertex(mesh, v)) + "]"
                  + ("," if i + 1 < len(mesh.vertices) else "") for i, v in enumerate(mesh.vertices)]
        lines += ["      ],", '      "triangles": [']
        lines += ["        [" + ", ".join(str(i) for i in t) + "]" + ("," if k + 1 < len(mesh.triangles) else "")
                  for k, t in enumerate(mesh.triangles)]
        lines += ["      ]", "    }" + ("," if n + 1 < len(meshes) else "")]
    lines += ["  ]", "}"]
    with open(os.path.join(directory, "sample_ship.json"), "w", newline="\n") as doc:
        doc.write("\n".join(lines) + "\n")


def hull_texel(x, y):
    """Grey-blue plating in 32-texel panels with dark seams, each panel a
    little lighter or darker, and an orange stripe along the middle."""
    if 60 <= y < 68:
        return (214, 118, 30)
    if x % 32 == 0 or y % 32 == 0:
        return (62, 68, 78)
    shade = ((x // 32) * 7 + (y // 32) * 13) % 5 * 6
    return (128 + shade, 138 + shade, 150 + shade)


def write_png(path, side, texel):
    """An 8-bit RGB PNG, written with the standard library only."""
    rows = b"".join(b"\0" + bytes(c for x in range(side) for c in texel(x, y)) for y in range(side))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
    with open(path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
                  + chunk(b"IEND", b""))


def write_glb(meshes, materials, directory):
    """One node per mesh, in model order, each with one indexed triangle
    primitive. glTF counts V downwards like the host, as the document does."""
    colours = {HULL_MATERIAL: [0.55, 0.6, 0.65, 1], TRIM_MATERIAL: [0.8, 0.45, 0.1, 1]}
    binary = bytearray()
    views, accessors, gltf_meshes = [], [], []

    def add(data, target, component, kind, count, bounds=None):
        """Appends data as a buffer view with one accessor; 4-byte aligned."""
        views.append({"buffer": 0, "byteOffset": len(binary), "byteLength": len(data), "target": target})
        binary.extend(data + bytes(-len(data) % 4))
        accessor = {"bufferView": len(views) - 1, "componentType": component, "count": count, "type": kind}
        if bounds:
            accessor["min"], accessor["max"] = bounds
        accessors.append(accessor)
        return len(accessors) - 1

    for mesh in meshes:
        vertices = [document_vertex(mesh, v) for v in mesh.vertices]
        positions = [v[:3] for v in vertices]
        bounds = ([min(p[i] for p in positions) for i in range(3)],
                  [max(p[i] for p in positions) for i in range(3)])
        attributes = {"POSITION": add(b"".join(struct.pack("<3f", *p) for p in positions),
                                      34962, 5126, "VEC3", len(positions), bounds)}
        if mesh.textured():
            attributes["TEXCOORD_0"] = add(b"".join(struct.pack("<2f", *v[3:]) for v in vertices),
                                           34962, 5126, "VEC2", len(vertices))
        indices = add(b"".join(struct.pack("<3H", *t) for t in mesh.triangles),
                      34963, 5123, "SCALAR", 3 * len(mesh.triangles))
        gltf_meshes.append({"name": mesh.name, "primitives": [
            {"attributes": attributes, "indices": indices, "material": materials.index(mesh.material)}]})

    document = {
        "asset": {"version": "2.0", "generator": "make_sample_ship.py"},
        "scene": 0,
        "scenes": [{"nodes": list(range(len(meshes)))}],
        "nodes": [{"name": mesh.name, "mesh": n} for n, mesh in enumerate(meshes)],
        "meshes": gltf_meshes,
        "materials": [{"name": m, "pbrMetallicRoughness": {"baseColorFactor": colours[m]}} for m in materials],
        "accessors": accessors,
        "bufferViews": views,
        "buffers": [{"byteLength": len(binary)}],
    }
    text = json.dumps(document, separators=(",", ":")).encode()
    text += b" " * (-len(text) % 4)
    chunks = struct.pack("<II", len(text), 0x4E4F534A) + text + struct.pack("<II", len(binary), 0x004E4942) + binary
    with open(os.path.join(directory, "sample_ship.glb"), "wb") as glb:
        glb.write(struct.pack("<III", 0x46546C67, 2, 12 + len(chunks)) + chunks)


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    meshes = make_ship()
    materials = write_obj(meshes, directory)
    write_json(meshes, materials, directory)
    write_png(os.path.join(directory, HULL_TEXTURE), TEXTURE_SIDE, hull_texel)
    write_glb(meshes, materials, directory)


if __name__ == "__main__":
    main()
