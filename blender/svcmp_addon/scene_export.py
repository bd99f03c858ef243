# File > Export > compound model, and the check before it: the scene goes
# out as GLB through the same script cmptool runs on .blend files, and
# cmptool exports (or lists) that GLB; its messages become reports.
import os
import tempfile

import bpy
from bpy.props import StringProperty
from bpy_extras.io_utils import ExportHelper

from . import blender_export, cmptool, options, preferences


def scene_name():
    return os.path.basename(bpy.data.filepath) or "the scene"


def collection_to_export(context, settings):
    """The collection's name, None for the visible objects; raises
    blender_export.Refusal when the active collection is the scene itself."""
    if settings.source != "COLLECTION":
        return None
    active = context.view_layer.active_layer_collection.collection
    if active == context.scene.collection:
        raise blender_export.Refusal("select a collection in the outliner, or export the visible objects")
    return active.name


def run_on_scene(context, operator, settings, arguments_after_model):
    """Writes the scene to a scratch GLB, runs cmptool COMMAND GLB ARGUMENTS
    on it and reports its messages; returns its run (with the scene's name
    for the scratch file's) and the reports, or None when nothing ran."""
    program = cmptool.find_cmptool(preferences.cmptool_preference(context), preferences.addon_folder())
    if not program:
        operator.report({"ERROR"}, "cmptool not found: install it, or name it in the add-on's preferences")
        return None
    if context.object is not None and context.object.mode != "OBJECT":
        bpy.ops.object.mode_set(mode="OBJECT")
    with tempfile.TemporaryDirectory(prefix="svcmp-") as folder:
        model = os.path.join(folder, "scene.glb")
        try:
            blender_export.export_scene(model, collection_to_export(context, settings))
        except blender_export.Refusal as refusal:
            operator.report({"ERROR"}, str(refusal))
            return None
        done = cmptool.run(program, [arguments_after_model[0], model] + arguments_after_model[1:])
    found = cmptool.reports(done.err, model, scene_name())
    if done.status != 0 and not any(kind == "ERROR" for kind, _ in found):
        found.append(("ERROR", "cmptool stopped with exit status %s" % done.status))
    for kind, text in found:
        operator.report({kind}, text)
    return done._replace(out=done.out.replace(model, scene_name())), found


class SVCMP_OT_export(bpy.types.Operator, ExportHelper, options.ExportOptions):
    """Export the scene or a collection as a compound model through cmptool"""
    bl_idname = "export_scene.svcmp_cmp"
    bl_label = "Export compound model"
    bl_options = {"PRESET"}

    filename_ext = ".cmp"
    filter_glob: StringProperty(default="*.cmp", options={"HIDDEN"})

    def invoke(self, context, event):
        options.copy_options(context.scene.svcmp_export, self)
        return ExportHelper.invoke(self, context, event)

    def draw(self, context):
        self.draw_options(self.layout)

    def execute(self, context):
        options.copy_options(self, context.scene.svcmp_export)
        # The dialog asked before replacing a file; Blender waits for
        # cmptool, so another export writing the file fails it at once.
        arguments = ["export", "-o", self.filepath, "--force", "--no-wait", "-q"]
        ran = run_on_scene(context, self, self, arguments + cmptool.export_arguments(
            options.as_arguments_mapping(self)))
        if ran is None or ran[0].status != 0:
            return {"CANCELLED"}
        done = ran[0]
        for line in done.out.splitlines():
            if line.startswith("wrote "):
                self.report({"INFO"}, line)
        return {"FINISHED"}


# What the last check found, line by line, for the panel to show.
check_lines = []


class SVCMP_OT_check(bpy.types.Operator):
    """List the parts, joints, hardpoints and levels cmptool makes of the scene, with the scene's export options"""
    bl_idname = "svcmp.check_export"
    bl_label = "Check before export"

    def execute(self, context):
        settings = context.scene.svcmp_export
        check_lines.clear()
        ran = run_on_scene(context, self, settings, ["export", "--list"] + cmptool.export_arguments(
            options.as_arguments_mapping(settings)))
        if ran is None:
            return {"CANCELLED"}
        done, found = ran
        check_lines.extend(line for line in done.out.splitlines() if line.strip())
        check_lines.extend(kind.lower() + ": " + text for kind, text in found)
        return {"FINISHED"} if done.status == 0 else {"CANCELLED"}


class SVCMP_PT_export(bpy.types.Panel):
    bl_label = "Compound model export"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "scene"

    def draw(self, context):
        layout = self.layout
        context.scene.svcmp_export.draw_options(layout)
        layout.operator(SVCMP_OT_check.bl_idname, icon="VIEWZOOM")
        box = None
        for line in check_lines:
            box = box or layout.box().column(align=True)
            box.label(text=line)


def menu_entry(self, context):
    self.layout.operator(SVCMP_OT_export.bl_idname, text="compound model (.cmp)")


classes = (SVCMP_OT_export, SVCMP_OT_check, SVCMP_PT_export)


def register():
    bpy.types.TOPBAR_MT_file_export.append(menu_entry)


def unregister():
    bpy.types.TOPBAR_MT_file_export.remove(menu_entry)
