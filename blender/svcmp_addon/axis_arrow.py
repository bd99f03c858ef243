# The arrow drawn in the viewport along the active object's joint or
# hardpoint axis, where the export will make the part or hardpoint turn or
# slide.
import bpy
import gpu
from gpu_extras.batch import batch_for_shader
from mathutils import Vector

from . import node_properties as props
from .object_panels import section_of

AXIS_KEYS = {("joint", "rev"): "axis_rotation", ("joint", "pris"): "axis_translation", ("hardpoint", "rev"): "axis"}


def axis_in_world(obj):
    """(start, end) of the arrow in world space, or None when the object
    has no axis: the axis (in glTF's axes, in the object's own frame) from
    the object's origin, as long as the object's size or one unit."""
    section = section_of(obj)
    choice = {"joint": "construct", "hardpoint": "hptype"}.get(section)
    key = AXIS_KEYS.get((section, props.value_of(obj, obj.name, choice))) if choice else None
    if key is None:
        return None
    axis = obj.get(key, (0.0, 1.0, 0.0))
    if props.kind_of(axis) != "vector":
        return None
    direction = obj.matrix_world.to_quaternion() @ Vector(props.blender_from_gltf(tuple(axis)))
    if direction.length == 0:
        return None
    length = max(max(obj.dimensions), 1.0)
    start = obj.matrix_world.translation
    return start, start + direction.normalized() * length


def arrow_lines(start, end):
    """The shaft and two barbs of the arrow, as line end points."""
    shaft = end - start
    side = shaft.orthogonal().normalized() * shaft.length * 0.08
    back = end - shaft * 0.15
    return [start, end, end, back + side, end, back - side]


def shader():
    for name in ("UNIFORM_COLOR", "3D_UNIFORM_COLOR"):
        try:
            return gpu.shader.from_builtin(name)
        except (ValueError, TypeError):
            continue
    return None


def draw():
    obj = bpy.context.object
    ends = axis_in_world(obj) if obj is not None else None
    drawer = shader() if ends is not None else None
    if drawer is None:
        return
    batch = batch_for_shader(drawer, "LINES", {"pos": arrow_lines(*ends)})
    gpu.state.line_width_set(3.0)
    drawer.bind()
    drawer.uniform_float("color", (1.0, 0.55, 0.0, 1.0))
    batch.draw(drawer)
    gpu.state.line_width_set(1.0)


handle = None


def register():
    global handle
    if not bpy.app.background:
        handle = bpy.types.SpaceView3D.draw_handler_add(draw, (), "WINDOW", "POST_VIEW")


def unregister():
    global handle
    if handle is not None:
        bpy.types.SpaceView3D.draw_handler_remove(handle, "WINDOW")
        handle = None
