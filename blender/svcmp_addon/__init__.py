# Exports and imports compound models through cmptool from Blender's File
# menu, and sets the node properties the export reads from the object
# properties. The legacy bl_info form, which Blender 3.4 and current
# releases both install from a zip.
bl_info = {
    "name": "Starvane compound models (.cmp)",
    "author": "the svcmp authors",
    "version": (0, 2, 1),
    "blender": (3, 4, 0),
    "location": "File > Export / Import > compound model; Object and Scene properties > Compound model",
    "description": "Export and import Starvane compound models through cmptool, with panels for "
                   "joints, hardpoints, levels and collision pieces",
    "category": "Import-Export",
}

from . import axis_arrow, model_import, object_panels, options, preferences, scene_export

MODULES = (preferences, options, object_panels, scene_export, model_import, axis_arrow)


def register():
    import bpy
    for module in MODULES:
        for cls in getattr(module, "classes", ()):
            bpy.utils.register_class(cls)
        if hasattr(module, "register"):
            module.register()


def unregister():
    import bpy
    for module in reversed(MODULES):
        if hasattr(module, "unregister"):
            module.unregister()
        for cls in reversed(getattr(module, "classes", ())):
            bpy.utils.unregister_class(cls)
