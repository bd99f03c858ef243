#!/usr/bin/env python3
"""Writes turret_ship.json: a small ship whose node tree carries a turret on a
revolute joint, a door on a prismatic joint and two hardpoints, for the
README's walk-through of `cmptool export --parts nodes`.

Host units, built upside down as the sample ship is: designed the right way
up (Y up, nose towards +Z, the turret on top), then turned half a turn about
Z, so its top faces -Y. The default export turns it half a turn about X,
which puts the turret on top in the game (Y up, nose towards -Z)."""
import json
import math
import os

def box(half, centre=(0, 0, 0)):
    hx, hy, hz = half
    cx, cy, cz = centre
    corners = [(cx + sx * hx, cy + sy * hy, cz + sz * hz)
               for sx in (-1, 1) for sy in (-1, 1) for sz in (-1, 1)]
    faces = [(0, 1, 3), (0, 3, 2), (4, 6, 7), (4, 7, 5), (0, 4, 5), (0, 5, 1),
             (2, 3, 7), (2, 7, 6), (0, 2, 6), (0, 6, 4), (1, 5, 7), (1, 7, 3)]
    return corners, faces

def quarter_turn_about_y(p):
    # The turret's rotation as designed, a quarter turn about Y: (x, y, z) -> (z, y, -x).
    return (p[2], p[1], -p[0])

def upside_down(p):
    """A point or direction as designed, turned half a turn about Z."""
    return [-p[0], -p[1], p[2]]

def upside_down_rotation(q):
    """A rotation as designed (quaternion x, y, z, w) in the turned frame:
    the same turn about the turned axis."""
    return [*upside_down(q[:3]), q[3]]

def mesh(name, material, corners, faces, place):
    # A box's faces stay wound outwards: a half turn is no mirror.
    return {"name": name, "material": material,
            "vertices": [[*[round(v, 6) for v in upside_down(place(c))], 0, 0]
                         for c in corners],
            "triangles": [list(f) for f in faces]}

hull_corners, hull_faces = box((460, 138, 920))
turret_corners, turret_faces = box((120, 60, 120))
door_corners, door_faces = box((10, 100, 150))
turret_at = (0, 198, 300)
door_at = (470, 0, -200)
document = {
    "materials": ["hull_metal", "turret_metal"],
    "meshes": [
        mesh("hull", 0, hull_corners, hull_faces, lambda p: p),
        mesh("turret", 1, turret_corners, turret_faces,
             lambda p: tuple(a + b for a, b in zip(quarter_turn_about_y(p), turret_at))),
        mesh("door", 0, door_corners, door_faces,
             lambda p: tuple(a + b for a, b in zip(p, door_at))),
    ],
    # Translations, rotations and axes (in the nodes' own frames, which turn
    # with them) are turned as the vertices are.
    "nodes": [
        {"name": "ship", "parent": -1, "meshes": [0]},
        {"name": "turret", "parent": 0, "translation": upside_down(turret_at),
         "rotation": upside_down_rotation([0, math.sqrt(0.5), 0, math.sqrt(0.5)]), "meshes": [1],
         "properties": {"construct": "rev", "axis_rotation": upside_down([0, 1, 0]),
                        "min": -120, "max": 120}},
        {"name": "HpTurret01", "parent": 1, "translation": upside_down([0, 60, 0]),
         "properties": {"hardpoint": True, "hptype": "rev", "min": -30, "max": 60}},
        {"name": "door", "parent": 0, "translation": upside_down(door_at), "meshes": [2],
         "properties": {"construct": "pris", "axis_translation": upside_down([0, 1, 0]),
                        "min": 0, "max": 180}},
        {"name": "Hp_Fixed_HpEngine01", "parent": 0, "translation": upside_down([0, 0, -920])},
    ],
}
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "turret_ship.json")
with open(path, "w") as out:
    json.dump(document, out, indent=1)
    out.write("\n")
