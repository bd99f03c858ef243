# Run by cmptool inside Blender (blender -b --factory-startup FILE.blend
# --python THIS -- OUTPUT.glb [COLLECTION]): writes the open scene as GLB
# with what the export reads, so modders need not remember the ticks: the
# objects' custom properties as node extras (joints, hardpoints, hulls), the
# node tree, modifiers applied, materials with their images inside the file.
# Only the visible objects go out, or those of the collection named.
# Image files are found whatever their letter case (a .blend made on Windows
# names "Hull.PNG" for hull.png); one "warning: " line names each that is
# missing, which cmptool relays.
# A refusal is one "error: " line on stderr and exit status 2, which cmptool
# shows as it is; anything else that fails ends with status 1 (Python's
# traceback), which cmptool shows with Blender's last lines.
import os
import sys

import bpy

REFUSED = 2


def refuse(message):
    print("error: " + message, file=sys.stderr)
    sys.exit(REFUSED)


def warn(message):
    print("warning: " + message, file=sys.stderr)


def find_ignoring_case(path):
    """The file at `path`, each folder and the name matched without regard
    to letter case where it does not exist as written; None when none does."""
    if os.path.exists(path):
        return path
    folder, name = os.path.split(path)
    if not name or folder == path:
        return None
    folder = find_ignoring_case(folder) if folder else "."
    if folder is None or not os.path.isdir(folder):
        return None
    wanted = name.lower()
    for entry in sorted(os.listdir(folder)):
        if entry.lower() == wanted:
            return os.path.join(folder, entry)
    return None


def find_images():
    """Points the scene's image files at the files there whatever their
    letter case, so that the glTF exporter takes them in; names those that
    are missing, which would otherwise leave their materials bare."""
    for image in bpy.data.images:
        if image.source != "FILE" or image.packed_file is not None or image.users == 0:
            continue
        written = bpy.path.abspath(image.filepath, library=image.library)
        if os.sep != "\\":
            written = written.replace("\\", "/")
        path = os.path.normpath(written)
        found = find_ignoring_case(path)
        if found is None:
            warn('the texture file "%s" of image "%s" is missing; its material goes without it'
                 % (image.filepath, image.name))
        elif found != bpy.path.abspath(image.filepath, library=image.library):
            image.filepath = found
            image.reload()


def layer_collection_named(layer, name):
    if layer.collection.name == name:
        return layer
    for child in layer.children:
        found = layer_collection_named(child, name)
        if found is not None:
            return found
    return None


def pick_collection(name):
    """Makes the collection the active one, and in the view layer."""
    view_layer = bpy.context.view_layer
    layer = layer_collection_named(view_layer.layer_collection, name)
    if layer is None:
        names = sorted(c.name for c in bpy.data.collections)
        there = ", ".join('"%s"' % n for n in names) if names else "none"
        refuse('no collection "%s" in the scene; its collections: %s' % (name, there))
    layer.exclude = False
    view_layer.active_layer_collection = layer


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    output = arguments[0]
    collection = arguments[1] if len(arguments) > 1 else None

    exporter = bpy.ops.export_scene.gltf
    known = {p.identifier for p in exporter.get_rna_type().properties}
    settings = {
        "filepath": output,
        "export_format": "GLB",
        "export_extras": True,
        "export_apply": True,
    }
    if collection is None:
        settings["use_visible"] = True
    else:
        pick_collection(collection)
        settings["use_active_collection"] = True
        settings["use_active_collection_with_nested"] = True
    missing = [k for k in settings if k not in known and k != "use_active_collection_with_nested"]
    if missing:
        refuse("this Blender's glTF exporter lacks %s; a newer Blender exports the scene"
               % ", ".join(missing))
    if "use_active_scene" in known:
        settings["use_active_scene"] = True
    find_images()
    exporter(**{k: v for k, v in settings.items() if k in known})


main()
