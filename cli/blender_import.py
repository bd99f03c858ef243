# Run by cmptool inside Blender (blender -b --factory-startup --python THIS
# -- MODEL.glb OUTPUT.blend): imports the GLB that `convert` wrote into an
# empty scene, custom properties and all, and saves it as a .blend file.
# Blender 3.4's glTF importer (Debian 12's) still names numpy.bool, which
# numpy 1.24 took out; the alias, the built-in bool, is put back for it when
# numpy lacks it. A failure ends with status 1 (Python's traceback), which
# cmptool shows with Blender's last lines.
import sys

import bpy
import numpy

if not hasattr(numpy, "bool"):
    numpy.bool = bool


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    model, output = arguments[0], arguments[1]
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.import_scene.gltf(filepath=model)
    bpy.ops.wm.save_as_mainfile(filepath=output)


main()
