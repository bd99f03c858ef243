# The export's options as Blender properties: the file dialogs show them,
# the scene keeps the last export's, and cmptool.export_arguments turns them
# into its command line.
import bpy
from bpy.props import BoolProperty, EnumProperty, IntProperty, PointerProperty

SCALES = {"METRES": 1, "HOST": 92}


def scale_of(options):
    return SCALES.get(options.scale_preset, options.scale)


class ScaleAndOrientation:
    scale_preset: EnumProperty(
        name="Scale",
        items=(("METRES", "Metres", "One Blender unit (a metre) is one game unit (--scale 1)"),
               ("HOST", "Host units", "Every coordinate divided by 92, as the plug-in does by default"),
               ("CUSTOM", "Custom", "Every coordinate divided by the divisor below")),
        default="METRES")
    scale: IntProperty(name="Divisor", description="Every coordinate is divided by it",
                       min=1, max=100, default=92)
    orientation: EnumProperty(
        name="Orientation",
        items=(("BACK_TO_FRONT", "Top +Z, nose +Y",
                "Nothing is turned: build with the top towards Blender's +Z and the nose towards +Y"),
               ("UPSIDE_DOWN", "Top -Z, nose -Y",
                "Turned half a turn: build with the top towards Blender's -Z and the nose towards -Y")),
        default="BACK_TO_FRONT")

    def draw_scale_and_orientation(self, layout):
        layout.prop(self, "scale_preset")
        if self.scale_preset == "CUSTOM":
            layout.prop(self, "scale")
        else:
            layout.label(text="Divisor: %d" % scale_of(self))
        layout.prop(self, "orientation")


class ExportOptions(ScaleAndOrientation):
    source: EnumProperty(
        name="Export",
        items=(("SCENE", "Visible objects", "The objects visible in the view layer"),
               ("COLLECTION", "Active collection",
                "The collection selected in the outliner, with the collections in it, hidden objects too")),
        default="SCENE")
    parts: EnumProperty(
        name="Parts",
        items=(("NODES", "Object tree", "Every mesh object a part, joined to its parent's by its joint"),
               ("ONE", "One part", "The whole model one part")),
        default="NODES")
    levels: EnumProperty(
        name="Levels",
        items=(("GIVEN", "As modelled", "Levels 1 and 2 from the NAME$lod1 and NAME$lod2 objects"),
               ("AUTO", "Made", "Levels 1 and 2 simplified from level 0 where no object gives them")),
        default="GIVEN")
    game_ready: BoolProperty(
        name="Game-ready",
        description="Bounds, fixed joints, unit rotations, own library names, materials and collision")
    collision: BoolProperty(name="Collision", description="Also write the collision file (.sur) beside it")

    def draw_options(self, layout):
        layout.prop(self, "source")
        layout.prop(self, "parts")
        layout.prop(self, "levels")
        layout.prop(self, "game_ready")
        row = layout.row()
        row.enabled = not self.game_ready
        row.prop(self, "collision")
        self.draw_scale_and_orientation(layout)


EXPORT_OPTION_NAMES = ("source", "parts", "levels", "game_ready", "collision", "scale_preset", "scale",
                       "orientation")


def copy_options(source, target):
    for name in EXPORT_OPTION_NAMES:
        setattr(target, name, getattr(source, name))


def as_arguments_mapping(options):
    return {"parts": options.parts, "levels": options.levels, "game_ready": options.game_ready,
            "collision": options.collision, "scale": scale_of(options),
            "orientation": options.orientation}


class SVCMP_PG_export_options(bpy.types.PropertyGroup, ExportOptions):
    """The options of the scene's last export, saved with it."""


classes = (SVCMP_PG_export_options,)


def register():
    bpy.types.Scene.svcmp_export = PointerProperty(type=SVCMP_PG_export_options)


def unregister():
    del bpy.types.Scene.svcmp_export
