# File > Import > compound model: cmptool converts the file (with the
# collision file beside it) to GLB, and Blender's glTF importer reads that
# into a collection named after the file. Parts, levels (PART$lodN),
# collision pieces (PART$hull) and hardpoints come back as the objects and
# custom properties the export reads, so the scene exports again as it was.
import os
import tempfile

import bpy
from bpy.props import StringProperty
from bpy_extras.io_utils import ImportHelper

from . import cmptool, options, preferences


def import_gltf(path):
    """Blender's glTF importer; Blender 3.4's uses numpy.bool, which numpy
    1.24 took away, so it is put back as the importer meant it while it runs."""
    import numpy
    shimmed = "bool" not in numpy.__dict__
    if shimmed:
        numpy.bool = bool
    try:
        return bpy.ops.import_scene.gltf(filepath=path)
    finally:
        if shimmed:
            del numpy.bool


def gather(context, name, objects):
    """Moves the objects into a new collection under the scene's, named
    after the file (Blender's importer links into whichever collection it
    finds active, which differs between its releases)."""
    collection = bpy.data.collections.new(name)
    context.scene.collection.children.link(collection)
    for obj in objects:
        for holder in list(obj.users_collection):
            holder.objects.unlink(obj)
        collection.objects.link(obj)
    return collection


def show_as_conventions_say(collection):
    """Collision pieces as wire frames, so the ship stays in sight; they
    stay visible, since the export leaves hidden objects out."""
    for obj in collection.all_objects:
        if obj.name.lower().endswith("$hull"):
            obj.display_type = "WIRE"


class SVCMP_OT_import(bpy.types.Operator, ImportHelper, options.ScaleAndOrientation):
    """Import a compound model (.cmp) or a single-part model (.3db) through cmptool"""
    bl_idname = "import_scene.svcmp_cmp"
    bl_label = "Import compound model"
    bl_options = {"UNDO", "PRESET"}

    filter_glob: StringProperty(default="*.cmp;*.3db", options={"HIDDEN"})

    def draw(self, context):
        self.layout.label(text="As the model was exported:")
        self.draw_scale_and_orientation(self.layout)

    def execute(self, context):
        program = cmptool.find_cmptool(preferences.cmptool_preference(context), preferences.addon_folder())
        if not program:
            self.report({"ERROR"}, "cmptool not found: install it, or name it in the add-on's preferences")
            return {"CANCELLED"}
        if context.object is not None and context.object.mode != "OBJECT":
            bpy.ops.object.mode_set(mode="OBJECT")
        with tempfile.TemporaryDirectory(prefix="svcmp-") as folder:
            converted = os.path.join(folder, "model.glb")
            done = cmptool.run(program, [
                "convert", self.filepath, "-o", converted, "--scale", str(options.scale_of(self)),
                "--orientation", cmptool.ORIENTATIONS[self.orientation]])
            found = cmptool.reports(done.err, converted, os.path.basename(self.filepath))
            if done.status != 0 and not any(kind == "ERROR" for kind, _ in found):
                found.append(("ERROR", "cmptool stopped with exit status %s" % done.status))
            for kind, text in found:
                self.report({kind}, text)
            if done.status != 0:
                return {"CANCELLED"}
            before = set(bpy.data.objects)
            import_gltf(converted)
        name = os.path.splitext(os.path.basename(self.filepath))[0]
        show_as_conventions_say(gather(context, name, [o for o in bpy.data.objects if o not in before]))
        return {"FINISHED"}


def menu_entry(self, context):
    self.layout.operator(SVCMP_OT_import.bl_idname, text="compound model (.cmp, .3db)")


classes = (SVCMP_OT_import,)


def register():
    bpy.types.TOPBAR_MT_file_import.append(menu_entry)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_entry)
