# The add-on's preference: which cmptool it runs.
import os

import bpy
from bpy.props import StringProperty

from . import cmptool


def addon_folder():
    return os.path.dirname(os.path.abspath(__file__))


def cmptool_preference(context):
    named = context.preferences.addons[__package__].preferences.cmptool
    return bpy.path.abspath(named) if named else ""


class SVCMP_AP_preferences(bpy.types.AddonPreferences):
    bl_idname = __package__

    cmptool: StringProperty(
        name="cmptool", subtype="FILE_PATH",
        description="The cmptool program the add-on runs; empty: the one shipped with the add-on, "
                    "else the one on the PATH")

    def draw(self, context):
        self.layout.prop(self, "cmptool")
        found = cmptool.find_cmptool(cmptool_preference(context), addon_folder())
        self.layout.label(text="Runs: " + (found or "none found (install cmptool or name it above)"))


classes = (SVCMP_AP_preferences,)
