# Builds a ship whose door slides and turret turns, with Blender's own
# actions, and saves it as the .blend file named after "--": the door's
# action "open baydoor" is its active action, the turret's "turn turret"
# lies in an NLA track of that name with no active action.
import os
import sys

import bpy

arguments = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
scene = bpy.context.scene
scene.render.fps = 24
scene.frame_start = 0


def cube(name, size, location, parent):
    mesh = bpy.data.meshes.new(name)
    half = size / 2
    corners = [(x, y, z) for x in (-half, half) for y in (-half, half) for z in (-half, half)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    mesh.from_pydata(corners, [], faces)
    made = bpy.data.objects.new(name, mesh)
    made.location = location
    made.parent = parent
    scene.collection.objects.link(made)
    return made


hull = cube("hull", 4, (0, 0, 0), None)
door = cube("door", 1, (0, -2.5, 0), hull)
door["construct"] = "pris"
door["axis_translation"] = [0.0, 1.0, 0.0]  # glTF's Y: Blender's Z, up
door["min"] = 0.0
door["max"] = 2.0
turret = cube("turret", 1, (0, 0, 2.5), hull)
turret["construct"] = "rev"
turret["axis_rotation"] = [0.0, 1.0, 0.0]
turret["min"] = -180.0
turret["max"] = 180.0

# One second up by one unit.
door.keyframe_insert("location", frame=0)
door.location = (0, -2.5, 1)
door.keyframe_insert("location", frame=24)
door.animation_data.action.name = "open baydoor"

# Two seconds about Blender's Z, the turret's axis, by 1.5 radians.
turret.keyframe_insert("rotation_euler", frame=0)
turret.rotation_euler = (0, 0, 1.5)
turret.keyframe_insert("rotation_euler", frame=48)
action = turret.animation_data.action
action.name = "turn turret"
track = turret.animation_data.nla_tracks.new()
track.name = "turn turret"
track.strips.new("turn turret", 0, action)
turret.animation_data.action = None

bpy.ops.wm.save_as_mainfile(filepath=os.path.abspath(arguments[0]))
