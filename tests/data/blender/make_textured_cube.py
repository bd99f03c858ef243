# Saves a textured cube as the .blend file named after "--", its material's
# image named by the path given next as a .blend made on Windows names it
# ("//Textures\\HULL.png"). The image itself is written, 8 x 8 pixels, as
# textures/hull.png beside the .blend file.
import os
import sys

import bpy

arguments = sys.argv[sys.argv.index("--") + 1:]
blend = os.path.abspath(arguments[0])
bpy.ops.wm.read_factory_settings(use_empty=True)

mesh = bpy.data.meshes.new("hull")
corners = [(x, y, z) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]
faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
mesh.from_pydata(corners, [], faces)
mesh.uv_layers.new(name="UVMap")
hull = bpy.data.objects.new("hull", mesh)
bpy.context.scene.collection.objects.link(hull)

image = bpy.data.images.new("hull", 8, 8)
image.pixels = [value for i in range(64) for value in ((i % 8) / 7, (i // 8) / 7, 0.5, 1.0)]
os.makedirs(os.path.join(os.path.dirname(blend), "textures"), exist_ok=True)
image.filepath_raw = os.path.join(os.path.dirname(blend), "textures", "hull.png")
image.file_format = "PNG"
image.save()

material = bpy.data.materials.new("hull_metal")
material.use_nodes = True
nodes = material.node_tree.nodes
texture = nodes.new("ShaderNodeTexImage")
texture.image = image
material.node_tree.links.new(texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"])
mesh.materials.append(material)

bpy.ops.wm.save_as_mainfile(filepath=blend)
image.filepath = arguments[1]
bpy.ops.wm.save_as_mainfile(filepath=blend)
