# Writes the open scene as GLB with what the export reads, so modders need
# not remember the ticks: the objects' custom properties as node extras
# (joints, hardpoints, hulls), the node tree, modifiers applied, materials
# with their images inside the file. Only the visible objects go out, or
# those of the collection named. Image files are found whatever their letter
# case (a .blend made on Windows names "Hull.PNG" for hull.png); one
# "warning: " line names each that is missing, which cmptool relays.
#
# cmptool runs it inside Blender (blender -b --factory-startup FILE.blend
# --python THIS -- OUTPUT.glb [COLLECTION]); a refusal is then one "error: "
# line on stderr and exit status 2, which cmptool shows as it is; anything
# else that fails ends with status 1 (Python's traceback), which cmptool
# shows with Blender's last lines. The Blender add-on imports it and calls
# export_scene, so both routes write the same GLB of the same scene.
import os
import sys

import bpy

REFUSED = 2


class Refusal(Exception):
    """This scene or this Blender cannot be written as asked; the message says why."""


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


def pick_collection(view_layer, name):
    """Makes the collection the active one, and in the view layer; returns
    what to undo: the layer, whether it was left out, the active layer."""
    layer = layer_collection_named(view_layer.layer_collection, name)
    if layer is None:
        names = sorted(c.name for c in bpy.data.collections)
        there = ", ".join('"%s"' % n for n in names) if names else "none"
        raise Refusal('no collection "%s" in the scene; its collections: %s' % (name, there))
    undo = (layer, layer.exclude, view_layer.active_layer_collection)
    layer.exclude = False
    view_layer.active_layer_collection = layer
    return undo


def export_scene(output, collection=None):
    """Writes the visible objects (or the collection named, with the
    collections in it, hidden objects too) to output as GLB. Raises Refusal;
    the view layer is left as it was."""
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
        settings["use_active_collection"] = True
        settings["use_active_collection_with_nested"] = True
    missing = [k for k in settings if k not in known and k != "use_active_collection_with_nested"]
    if missing:
        raise Refusal("this Blender's glTF exporter lacks %s; a newer Blender exports the scene"
                      % ", ".join(missing))
    if "use_active_scene" in known:
        settings["use_active_scene"] = True
    view_layer = bpy.context.view_layer
    undo = pick_collection(view_layer, collection) if collection is not None else None
    try:
        find_images()
        exporter(**{k: v for k, v in settings.items() if k in known})
    finally:
        if undo is not None:
            layer, excluded, active = undo
            view_layer.active_layer_collection = active
            layer.exclude = excluded


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    try:
        export_scene(arguments[0], arguments[1] if len(arguments) > 1 else None)
    except Refusal as refusal:
        print("error: " + str(refusal), file=sys.stderr)
        sys.exit(REFUSED)


if __name__ == "__main__":
    main()
