# Object properties > Compound model: the rows of node_properties.ENTRIES
# for the active object, written through operators so every value has the
# key and kind the export reads.
import bpy
from bpy.props import EnumProperty, FloatProperty, FloatVectorProperty, StringProperty

from . import node_properties as props

SECTIONS = (("joint", "Joint to the parent part"), ("hardpoint", "Hardpoint"), ("node", "Export"))


def section_of(obj):
    """The section of the object's own rows: a mesh under no other mesh is
    the root part, which no joint holds."""
    holder = obj.parent
    while holder is not None and holder.type != "MESH":
        holder = holder.parent
    return props.section_of(obj, obj.name, obj.type == "MESH" and holder is not None)


class SVCMP_OT_set_property(bpy.types.Operator):
    """Set the node property as the export reads it"""
    bl_idname = "svcmp.set_property"
    bl_label = "Set node property"
    bl_options = {"REGISTER", "UNDO"}

    section: StringProperty()
    key: StringProperty()
    text: StringProperty(description="The value of a text or a choice")
    number: FloatProperty(description="The value of a number or a flag")
    vector: FloatVectorProperty(size=3, description="The value of three numbers, in glTF's axes")

    @classmethod
    def poll(cls, context):
        return context.object is not None

    def execute(self, context):
        obj = context.object
        entry = props.entry_for(obj, obj.name, self.key, self.section)
        if entry is None:
            self.report({"ERROR"}, 'object "%s": no property "%s" applies here' % (obj.name, self.key))
            return {"CANCELLED"}
        given = {"text": "text", "choice": "text", "number": "number", "flag": "number", "vector": "vector"}
        field = given[entry.kind]
        value = getattr(self, field) if self.properties.is_property_set(field) else None
        if not props.set_value(obj, obj.name, self.section, self.key, value):
            self.report({"ERROR"}, 'object "%s": "%s" is no %s' % (obj.name, value, entry.label.lower()))
            return {"CANCELLED"}
        return {"FINISHED"}


class SVCMP_OT_clear_property(bpy.types.Operator):
    """Take the node property away (the export takes its default)"""
    bl_idname = "svcmp.clear_property"
    bl_label = "Clear node property"
    bl_options = {"REGISTER", "UNDO"}

    key: StringProperty()

    @classmethod
    def poll(cls, context):
        return context.object is not None

    def execute(self, context):
        if self.key in context.object:
            del context.object[self.key]
        return {"FINISHED"}


class SVCMP_OT_axis_along(bpy.types.Operator):
    """Point the axis along one of the object's own Blender axes"""
    bl_idname = "svcmp.axis_along"
    bl_label = "Axis along"
    bl_options = {"REGISTER", "UNDO"}

    section: StringProperty()
    key: StringProperty()
    along: EnumProperty(items=[(a, a.replace("NEG_", "-"), "") for a in
                               ("X", "Y", "Z", "NEG_X", "NEG_Y", "NEG_Z")])

    @classmethod
    def poll(cls, context):
        return context.object is not None

    def execute(self, context):
        name = self.along.replace("NEG_", "")
        sign = -1.0 if self.along.startswith("NEG_") else 1.0
        blender = tuple(sign if axis == name else 0.0 for axis in "XYZ")
        # -0.0 would be written as such; the export reads it the same, but
        # a hand-made axis has plain zeros.
        value = tuple(v + 0.0 for v in props.gltf_from_blender(blender))
        obj = context.object
        if not props.set_value(obj, obj.name, self.section, self.key, value):
            self.report({"ERROR"}, 'object "%s": no property "%s" applies here' % (obj.name, self.key))
            return {"CANCELLED"}
        return {"FINISHED"}


class SVCMP_OT_hardpoint_preset(bpy.types.Operator):
    """Name the empty as a hardpoint of this kind, or add one under the active object"""
    bl_idname = "svcmp.hardpoint_preset"
    bl_label = "Hardpoint"
    bl_options = {"REGISTER", "UNDO"}

    preset: EnumProperty(items=[(p.name, p.label, p.stem) for p in props.PRESETS])

    def execute(self, context):
        preset = next(p for p in props.PRESETS if p.name == self.preset)
        active = context.object
        name = props.next_free_name(preset.stem, bpy.data.objects.keys())
        if active is not None and active.type == "EMPTY":
            hardpoint = active
            hardpoint.name = name
        else:
            hardpoint = bpy.data.objects.new(name, None)
            hardpoint.empty_display_type = "ARROWS"
            collection = active.users_collection[0] if active is not None else context.collection
            collection.objects.link(hardpoint)
            hardpoint.parent = active
        if preset.kind != "fix" or "hptype" in hardpoint:
            props.set_value(hardpoint, hardpoint.name, "hardpoint", "hptype", preset.kind)
        for obj in context.selected_objects:
            obj.select_set(False)
        hardpoint.select_set(True)
        context.view_layer.objects.active = hardpoint
        return {"FINISHED"}


class SVCMP_OT_name_role(bpy.types.Operator):
    """Name the object as a level or the collision piece of its parent's part"""
    bl_idname = "svcmp.name_role"
    bl_label = "Name as"
    bl_options = {"REGISTER", "UNDO"}

    role: EnumProperty(items=[(r.name, r.label, r.suffix) for r in props.ROLES])

    @classmethod
    def poll(cls, context):
        return context.object is not None

    def execute(self, context):
        obj = context.object
        if obj.parent is None:
            self.report({"ERROR"}, 'object "%s" has no parent: make it a child of its part first' % obj.name)
            return {"CANCELLED"}
        role = next(r for r in props.ROLES if r.name == self.role)
        wanted = props.role_name(role, obj.parent.name)
        obj.name = wanted
        if obj.name != wanted:
            self.report({"WARNING"}, 'another object is called "%s"; this one is now "%s"' % (wanted, obj.name))
        return {"FINISHED"}


def draw_row(layout, obj, entry):
    row = layout.row(align=True)
    if entry.kind == "choice":
        row.label(text=entry.label)
        current = props.value_of(obj, obj.name, entry.key)
        for value, label in entry.choices:
            op = row.operator(SVCMP_OT_set_property.bl_idname, text=label, depress=value == current)
            op.section, op.key, op.text = entry.section, entry.key, value
        return
    if entry.key in obj:
        row.prop(obj, '["%s"]' % entry.key, text=entry.label)
        if entry.kind == "vector" and entry.key.startswith("axis"):
            menu = row.operator_menu_enum(SVCMP_OT_axis_along.bl_idname, "along", text="", icon="ORIENTATION_LOCAL")
            menu.section, menu.key = entry.section, entry.key
        row.operator(SVCMP_OT_clear_property.bl_idname, text="", icon="X").key = entry.key
    else:
        op = row.operator(SVCMP_OT_set_property.bl_idname, text="Add " + entry.label.lower(), icon="ADD")
        op.section, op.key = entry.section, entry.key


class SVCMP_PT_object(bpy.types.Panel):
    bl_label = "Compound model"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "object"

    @classmethod
    def poll(cls, context):
        return context.object is not None

    def draw(self, context):
        obj = context.object
        own = section_of(obj)
        if own is None and obj.type == "MESH":
            self.layout.label(text="The root part: no joint holds it")
        for section, title in SECTIONS:
            if section not in (own, "node"):
                continue
            box = self.layout.box()
            box.label(text=title)
            for entry in props.shown(obj, obj.name, section):
                draw_row(box, obj, entry)
        row = self.layout.row(align=True)
        row.operator_menu_enum(SVCMP_OT_hardpoint_preset.bl_idname, "preset", text="Hardpoint preset")
        row.operator_menu_enum(SVCMP_OT_name_role.bl_idname, "role", text="Name as")


classes = (SVCMP_OT_set_property, SVCMP_OT_clear_property, SVCMP_OT_axis_along, SVCMP_OT_hardpoint_preset,
           SVCMP_OT_name_role, SVCMP_PT_object)
