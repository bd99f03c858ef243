# The Blender add-on, installed from its zip into a Blender of its own
# (blender -b --factory-startup --python THIS -- ADDON.zip CMPTOOL
# MAKE_SHIP.py EXAMPLES): a ship built only through the panels' operators
# exports from the File menu's operator byte for byte as cmptool exports the
# same ship made by hand, and as it exports the scene's own .blend; the
# sample ship comes back in through the import operator.
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import bpy

ZIP, CMPTOOL, MAKE_SHIP, EXAMPLES = sys.argv[sys.argv.index("--") + 1:]
folder = tempfile.mkdtemp(prefix="svcmp-addon-test-")


def setUpModule():
    # Blender reads these when it installs, so the add-on lands in the
    # test's folder, never in the user's.
    os.environ["BLENDER_USER_SCRIPTS"] = os.path.join(folder, "scripts")
    os.environ["BLENDER_USER_CONFIG"] = os.path.join(folder, "config")
    bpy.ops.preferences.addon_install(filepath=ZIP)
    bpy.ops.preferences.addon_enable(module="svcmp_addon")
    bpy.context.preferences.addons["svcmp_addon"].preferences.cmptool = CMPTOOL


def tearDownModule():
    bpy.ops.preferences.addon_disable(module="svcmp_addon")
    shutil.rmtree(folder)


def path(*names):
    made = os.path.join(folder, *names)
    os.makedirs(os.path.dirname(made), exist_ok=True)
    return made


def cmptool(*arguments):
    done = subprocess.run([CMPTOOL] + list(arguments), capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    return done


def contents(name):
    with open(name, "rb") as file:
        return file.read()


def collection(name):
    made = bpy.data.collections.new(name)
    bpy.context.scene.collection.children.link(made)
    return made


def cube(name, size, location, parent, into):
    """A cube with make_ship.py's vertices and faces, so the bytes agree."""
    mesh = bpy.data.meshes.new(name)
    half = size / 2
    corners = [(x, y, z) for x in (-half, half) for y in (-half, half) for z in (-half, half)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    mesh.from_pydata(corners, [], faces)
    made = bpy.data.objects.new(name, mesh)
    made.location = location
    made.parent = parent
    into.objects.link(made)
    return made


def activate(obj):
    bpy.context.view_layer.objects.active = obj


def clear_scene():
    """An empty scene with the export options at their defaults; factory
    settings would take the add-on away too."""
    for data in (bpy.data.objects, bpy.data.meshes, bpy.data.collections):
        for item in list(data):
            data.remove(item)
    from svcmp_addon import options
    for name in options.EXPORT_OPTION_NAMES:
        bpy.context.scene.svcmp_export.property_unset(name)


def build_ship_with_operators():
    """make_ship.py's ship, its node properties and names set only by the
    add-on's operators; a collision piece marked by property instead of by
    name, and an ignored pilot the hand-made ship has not. The turret is a
    ball joint with limits first, which turning it into a revolving joint
    puts right."""
    clear_scene()
    ship = collection("Ship")
    hull = cube("hull", 4, (0, 0, 0), None, ship)
    turret = cube("turret", 1, (0, 0, 2.5), hull, ship)
    activate(turret)
    bpy.ops.svcmp.set_property(section="joint", key="construct", text="sphere")
    bpy.ops.svcmp.set_property(section="joint", key="min")
    bpy.ops.svcmp.set_property(section="joint", key="construct", text="rev")
    bpy.ops.svcmp.set_property(section="joint", key="axis_rotation")
    bpy.ops.svcmp.axis_along(section="joint", key="axis_rotation", along="Z")
    bpy.ops.svcmp.set_property(section="joint", key="min", number=-30)
    bpy.ops.svcmp.set_property(section="joint", key="max", number=30)
    bpy.ops.svcmp.hardpoint_preset(preset="weapon")
    bpy.context.object.location = (0, 0, 0.5)
    activate(cube("level", 3, (0, 0, 0), hull, ship))
    bpy.ops.svcmp.name_role(role="lod1")
    activate(cube("shell", 4.5, (0, 0, 0), hull, ship))
    bpy.ops.svcmp.set_property(section="node", key="hull")
    activate(cube("pilot", 0.5, (1, 1, 3), turret, ship))
    bpy.ops.svcmp.set_property(section="node", key="export_ignore")
    reference = cube("reference", 10, (20, 0, 0), None, collection("Reference"))
    reference.hide_set(True)


def plain(value):
    return value.to_list() if hasattr(value, "to_list") else value


def custom_properties(name):
    obj = bpy.data.objects[name]
    return {key: plain(obj[key]) for key in obj.keys() if key != "svcmp_export"}


class PanelsBuildTheHandMadeShip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        subprocess.run([bpy.app.binary_path, "-b", "--factory-startup", "--python", MAKE_SHIP, "--",
                        path("hand", "ship.blend")], check=True, capture_output=True)

    def setUp(self):
        build_ship_with_operators()

    def test_the_properties_are_the_hand_made_ones(self):
        self.assertEqual(custom_properties("turret"),
                         {"construct": "rev", "axis_rotation": [0.0, 1.0, 0.0], "min": -30.0, "max": 30.0})
        self.assertEqual(custom_properties("HpWeapon01"), {})
        self.assertEqual(bpy.data.objects["HpWeapon01"].parent.name, "turret")
        self.assertIn("hull$lod1", bpy.data.objects)
        self.assertEqual(custom_properties("shell"), {"hull": 1})
        self.assertEqual(custom_properties("pilot"), {"export_ignore": 1})

    def test_exports_as_cmptool_does_the_hand_made_and_the_saved_scene(self):
        cases = (
            ({"scale_preset": "HOST", "orientation": "UPSIDE_DOWN"}, ["--parts", "nodes"], ".cmp"),
            ({"scale_preset": "METRES", "orientation": "BACK_TO_FRONT", "levels": "AUTO"},
             ["--parts", "nodes", "--scale", "1", "--orientation", "back-to-front", "--auto-lod"], ".cmp"),
            ({"scale_preset": "CUSTOM", "scale": 40, "orientation": "UPSIDE_DOWN", "game_ready": True,
              "source": "COLLECTION"},
             ["--scale", "40", "--game-ready", "--blender-collection", "Ship"], ".sur"),
        )
        bpy.context.view_layer.active_layer_collection = \
            bpy.context.view_layer.layer_collection.children["Ship"]
        bpy.ops.wm.save_as_mainfile(filepath=path("scene", "ship.blend"), copy=True)
        for number, (options, arguments, last) in enumerate(cases):
            with self.subTest(arguments=arguments):
                written = path("addon%d" % number, "ship.cmp")
                self.assertEqual(bpy.ops.export_scene.svcmp_cmp(filepath=written, **options), {"FINISHED"})
                for model in ("hand", "scene"):
                    expected = path("%s%d" % (model, number), "ship.cmp")
                    cmptool("export", path(model, "ship.blend"), "-o", expected, "-q",
                            "--blender", bpy.app.binary_path, *arguments)
                    for extension in {".cmp", last}:
                        self.assertEqual(contents(written[:-4] + extension),
                                         contents(expected[:-4] + extension), model + extension)
        # The options went with the scene.
        self.assertEqual(bpy.context.scene.svcmp_export.scale, 40)
        self.assertTrue(bpy.context.scene.svcmp_export.game_ready)

    def test_the_check_lists_the_parts_as_cmptool_makes_them(self):
        settings = bpy.context.scene.svcmp_export
        settings.scale_preset, settings.orientation = "HOST", "UPSIDE_DOWN"
        self.assertEqual(bpy.ops.svcmp.check_export(), {"FINISHED"})
        from svcmp_addon import scene_export
        lines = [line.strip() for line in scene_export.check_lines]
        self.assertIn("Root (node \"hull\"); level 0: 1 mesh; level 1: 1 mesh", lines)
        self.assertIn("turret: Rev joint to Root at (0, -0.0271739, -0), axis (0, -1, -0), limits -0.523599 "
                      "to 0.523599; level 0: 1 mesh; level 1: 1 mesh; hardpoints: HpWeapon01 (fixed)", lines)
        # cmptool's warnings follow, naming the scene.
        self.assertIn('warning: "the scene": the model measures 0.087 units across at --scale 92, outside a '
                      "ship's or station's size (1 to 5,000 units); --scale 1 makes it 8.0 units", lines)

    def test_a_refused_export_reports_cmptools_error_naming_the_object(self):
        bpy.data.objects["turret"]["construct"] = 5
        written = path("refused", "ship.cmp")
        with self.assertRaises(RuntimeError) as raised:
            bpy.ops.export_scene.svcmp_cmp(filepath=written)
        message = str(raised.exception)
        self.assertIn('object "turret": property "construct" must be text', message)
        self.assertNotIn("scene.glb", message)
        self.assertFalse(os.path.exists(written))

    def test_a_collection_goes_out_and_the_view_layer_stays_as_it_was(self):
        from svcmp_addon import blender_export
        layers = bpy.context.view_layer.layer_collection.children
        layers["Reference"].exclude = True
        bpy.context.view_layer.active_layer_collection = layers["Ship"]
        written = path("collection", "scene.glb")
        blender_export.export_scene(written, "Reference")
        self.assertTrue(layers["Reference"].exclude)
        self.assertEqual(bpy.context.view_layer.active_layer_collection.name, "Ship")
        listed = cmptool("export", written, "--list").stdout
        self.assertIn("reference", listed)
        self.assertNotIn("turret", listed)

    def test_a_missing_cmptool_is_reported(self):
        preferences = bpy.context.preferences.addons["svcmp_addon"].preferences
        preferences.cmptool = path("nowhere", "cmptool")
        try:
            with self.assertRaises(RuntimeError) as raised:
                bpy.ops.export_scene.svcmp_cmp(filepath=path("missing", "ship.cmp"))
        finally:
            preferences.cmptool = CMPTOOL
        self.assertIn('cannot run cmptool "%s"' % path("nowhere", "cmptool"), str(raised.exception))


class ImportsTheSampleShip(unittest.TestCase):
    """The sample ship in three parts, game-ready (joints, hardpoints,
    materials, collision file beside it), back through the import operator."""

    @classmethod
    def setUpClass(cls):
        clear_scene()
        cls.model = path("sample", "ship.cmp")
        cmptool("export", os.path.join(EXAMPLES, "sample_ship.obj"), "-o", cls.model, "-q", "--groups", "1,2,1",
                "--game-ready")
        assert bpy.ops.import_scene.svcmp_cmp(filepath=cls.model, scale_preset="HOST",
                                               orientation="UPSIDE_DOWN") == {"FINISHED"}

    def test_parts_levels_hulls_and_hardpoints_come_back_in_a_collection_of_the_files_name(self):
        wing, engine = "sampleship_wing_left_lod1", "sampleship_engine_lod1"
        self.assertEqual(sorted(o.name for o in bpy.data.collections["ship"].all_objects), sorted([
            "Cmpnd", "Root", "Root$hull", "HpMount01", "HpTurret01", wing, wing + "$hull", wing + "_2$hull",
            engine, engine + "$hull", "HpEngine01"]))
        objects = bpy.data.objects
        self.assertEqual(objects[wing].parent.name, "Root")
        self.assertEqual(objects["HpEngine01"].parent.name, engine)
        self.assertEqual(custom_properties(wing), {"construct": "fix"})
        turret = custom_properties("HpTurret01")
        self.assertEqual((turret["hardpoint"], turret["hptype"]), (1, "rev"))
        self.assertAlmostEqual(turret["max"], 360, places=3)
        self.assertEqual([o.display_type for o in objects if o.name.endswith("$hull")], ["WIRE"] * 4)
        self.assertEqual([o.display_type for o in objects if not o.name.endswith("$hull")], ["TEXTURED"] * 7)
        self.assertEqual(objects["Root"].material_slots[0].material.name, "sampleship_hull")
        # The hull's texture comes in with it (glTF's importer keeps it inside
        # the blend file, as the converted file's folder goes).
        hull = objects["Root"].material_slots[0].material
        images = [n.image for n in hull.node_tree.nodes if n.type == "TEX_IMAGE" and n.image]
        self.assertEqual(len(images), 1)
        self.assertIsNotNone(images[0].packed_file)
        self.assertEqual(tuple(images[0].size), (128, 128))

    def test_a_file_cmptool_cannot_read_is_reported_and_nothing_comes_in(self):
        bad = path("bad", "bad.cmp")
        with open(bad, "w") as file:
            file.write("not a model")
        count = len(bpy.data.objects)
        with self.assertRaises(RuntimeError) as raised:
            bpy.ops.import_scene.svcmp_cmp(filepath=bad)
        self.assertIn("%s: not a UTF file" % bad, str(raised.exception))
        self.assertEqual(len(bpy.data.objects), count)
        self.assertNotIn("bad", bpy.data.collections)

    def test_the_imported_ship_exports_to_the_same_parts_joints_hardpoints_and_shapes(self):
        # Mesh names, part order and shared vertices are Blender's own after
        # an import; the parts' places and shapes, the joints and the
        # hardpoints come back.
        again = path("sample-again", "ship.cmp")
        self.assertEqual(bpy.ops.export_scene.svcmp_cmp(
            filepath=again, scale_preset="HOST", orientation="UPSIDE_DOWN", game_ready=True), {"FINISHED"})
        for model in (self.model, again):
            lines = cmptool("info", model).stdout.replace("-0,", "0,").replace("-0)", "0)").splitlines()
            found = {
                "parts": sorted(re.sub(r"file .*, index \d+(, )?", "", l) for l in lines if l.startswith("part ")),
                "hardpoints": sorted(l.strip() for l in lines if l.strip().startswith("hardpoint ")),
                "boxes": sorted(l.strip().split(";")[0] for l in lines if l.strip().startswith("box ")),
                "totals": re.search(r"\d+ triangles, \d+ hardpoints, \d+ joints", lines[-1]).group(0),
            }
            if model == self.model:
                expected = found
        self.assertEqual(found, expected)
        self.assertEqual(len(found["parts"]), 3)
        self.assertEqual(found["totals"], "98 triangles, 3 hardpoints, 2 joints")

if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0]], exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
