# Builds the ship the .blend tests export, and saves it as the .blend file
# named after "--". Collection "Ship": a hull with a turret part on a
# revolving joint, a hardpoint empty on the turret, the hull's level 1 and a
# collision piece. Collection "Reference": a hidden block the export leaves
# out. With "compress" after the file, it is saved compressed.
import os
import sys

import bpy

arguments = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene


def collection(name):
    made = bpy.data.collections.new(name)
    scene.collection.children.link(made)
    return made


def cube(name, size, location, parent, into):
    mesh = bpy.data.meshes.new(name)
    half = size / 2
    corners = [(x, y, z) for x in (-half, half) for y in (-half, half) for z in (-half, half)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    mesh.from_pydata(corners, [], faces)
    made = bpy.data.objects.new(name, mesh)
    made.location = location
    made.parent = parent
    into.objects.link(made)
    return made


ship = collection("Ship")
hull = cube("hull", 4, (0, 0, 0), None, ship)
turret = cube("turret", 1, (0, 0, 2.5), hull, ship)
turret["construct"] = "rev"
turret["axis_rotation"] = [0.0, 1.0, 0.0]
turret["min"] = -30.0
turret["max"] = 30.0
hardpoint = bpy.data.objects.new("HpWeapon01", None)
hardpoint.location = (0, 0, 0.5)
hardpoint.parent = turret
ship.objects.link(hardpoint)
cube("hull$lod1", 3, (0, 0, 0), hull, ship)
cube("hull$hull", 4.5, (0, 0, 0), hull, ship)

reference = cube("reference", 10, (20, 0, 0), None, collection("Reference"))
reference.hide_set(True)

bpy.ops.wm.save_as_mainfile(filepath=os.path.abspath(arguments[0]), compress=arguments[1:] == ["compress"])
