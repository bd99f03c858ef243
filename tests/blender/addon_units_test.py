# The add-on's own rules, loaded from its zip inside Blender (blender -b
# --factory-startup --python THIS -- ADDON.zip CMPTOOL): the table of node
# properties, cmptool's command line and messages, where cmptool is found,
# the viewport arrow's axis.
import math
import os
import stat
import subprocess
import sys
import tempfile
import unittest
from types import SimpleNamespace

import bpy
from mathutils import Euler, Vector

ZIP, CMPTOOL = sys.argv[sys.argv.index("--") + 1:]
sys.path.insert(0, ZIP)
import svcmp_addon  # noqa: E402
from svcmp_addon import axis_arrow, cmptool, node_properties as props, object_panels  # noqa: E402


class NodeProperties(unittest.TestCase):
    def test_a_choice_takes_away_what_no_longer_applies_and_resets_what_changes_kind(self):
        # (construct before, properties before, construct after, properties after)
        cases = (
            ("rev", {"axis_rotation": [1.0, 0.0, 0.0], "min": -10.0, "max": 20.0, "offset": [1.0, 2.0, 3.0]},
             "sphere", {"min": [-math.pi] * 3, "max": [math.pi] * 3, "offset": [1.0, 2.0, 3.0]}),
            ("sphere", {"min": [-1.0, -2.0, -3.0]}, "pris", {"min": 0.0}),
            ("pris", {"axis_translation": [0.0, 0.0, 1.0], "min": 0.5, "max": 3.0}, "rev",
             {"min": 0.5, "max": 3.0}),
            ("rev", {"axis_rotation": [0.0, 0.0, 1.0], "min": -5.0, "offset": [1.0, 0.0, 0.0]}, "fix", {}),
        )
        for before, values, after, expected in cases:
            with self.subTest(before=before, after=after):
                node = dict(values, construct=before)
                self.assertTrue(props.set_value(node, "part", "joint", "construct", after))
                self.assertEqual(node, dict(expected, construct=after))

    def test_values_are_stored_as_the_export_reads_them(self):
        node = {}
        cases = (
            ("node", "hull", True, 1), ("node", "export_ignore", 0, 0),
            ("hardpoint", "hptype", "rev", "rev"), ("hardpoint", "axis", (1, 0, 0), [1.0, 0.0, 0.0]),
            ("hardpoint", "min", -20, -20.0), ("hardpoint", "max", None, 45.0),
        )
        for section, key, value, expected in cases:
            with self.subTest(key=key):
                self.assertTrue(props.set_value(node, "HpGun01", section, key, value))
                self.assertEqual(node[key], expected)
                self.assertIs(type(node[key]), type(expected))

    def test_refuses_keys_that_do_not_apply_and_unknown_choices(self):
        node = {"construct": "fix"}
        self.assertFalse(props.set_value(node, "part", "joint", "axis_rotation", (0, 1, 0)))
        self.assertFalse(props.set_value(node, "part", "joint", "construct", "revolve"))
        self.assertFalse(props.set_value({}, "HpGun01", "hardpoint", "axis", (0, 1, 0)))
        self.assertEqual(node, {"construct": "fix"})

    def test_a_hardpoints_kind_follows_its_name_until_set(self):
        cases = (("Hp_Revolute_Gun", {}, "hardpoint", "rev"), ("HpGun01", {}, "hardpoint", "fix"),
                 ("hpgun", {"hptype": "rev"}, "hardpoint", "rev"), ("gun", {"hardpoint": 1}, "hardpoint", "fix"),
                 ("gun", {"hardpoint": 0}, "joint", None), ("gun", {}, "joint", None))
        for name, node, section, kind in cases:
            with self.subTest(name=name, node=node):
                self.assertEqual(props.section_of(node, name, True), section)
                if kind:
                    self.assertEqual(props.value_of(node, name, "hptype"), kind)

    def test_axes_between_blender_and_gltf(self):
        # Blender's X, Y, Z are glTF's X, -Z, Y.
        for blender, gltf in (((1, 0, 0), (1, 0, 0)), ((0, 1, 0), (0, 0, -1)), ((0, 0, 1), (0, 1, 0)),
                              ((1, 2, 3), (1, 3, -2))):
            self.assertEqual(props.gltf_from_blender(blender), gltf)
            self.assertEqual(props.blender_from_gltf(gltf), blender)

    def test_names(self):
        self.assertEqual(props.next_free_name("HpWeapon", {"HpWeapon01", "HpWeapon03"}), "HpWeapon02")
        self.assertEqual(props.role_name(props.ROLES[1], "wing"), "wing$lod2")


class Cmptool(unittest.TestCase):
    def test_export_arguments(self):
        base = {"parts": "ONE", "levels": "GIVEN", "game_ready": False, "collision": False, "scale": 92,
                "orientation": "UPSIDE_DOWN"}
        cases = (
            ({}, []),
            ({"parts": "NODES", "scale": 1, "orientation": "BACK_TO_FRONT"},
             ["--parts", "nodes"]),
            ({"levels": "AUTO", "collision": True}, ["--auto-lod", "--collision"]),
            ({"game_ready": True, "collision": True}, ["--game-ready"]),
        )
        for changes, extra in cases:
            with self.subTest(changes=changes):
                options = dict(base, **changes)
                expected = ["--scale", str(options["scale"]), "--orientation",
                            {"UPSIDE_DOWN": "upside-down", "BACK_TO_FRONT": "back-to-front"}[options["orientation"]]]
                self.assertEqual(cmptool.export_arguments(options), expected + extra)

    def test_messages_become_reports_naming_the_scene_and_objects(self):
        model = "/tmp/svcmp-x/scene.glb"
        err = ('warning: "/tmp/svcmp-x/scene.glb": node "hull$hull" is a collision piece\n'
               'error: "/tmp/svcmp-x/scene.glb": node "tur\\"ret": property "construct" must be text\n'
               "  more about it\n\n"
               "stray line\n")
        self.assertEqual(cmptool.reports(err, model, "ship.blend"), [
            ("WARNING", '"ship.blend": object "hull$hull" is a collision piece'),
            ("ERROR", '"ship.blend": object "tur\\"ret": property "construct" must be text\n  more about it\n'
                      "stray line"),
        ])
        self.assertEqual(cmptool.reports("Blender said\nwarning: w\n", model, "s"),
                         [("INFO", "Blender said"), ("WARNING", "w")])

    def test_the_preference_then_the_shipped_then_the_one_on_the_path(self):
        with tempfile.TemporaryDirectory() as folder:
            addon = os.path.join(folder, "addon")
            on_path = os.path.join(folder, "bin", cmptool.PROGRAM)
            for made in (addon, os.path.dirname(on_path)):
                os.makedirs(made)
            with open(on_path, "w") as program:
                program.write("#!/bin/sh\n")
            os.chmod(on_path, stat.S_IRWXU)
            old_path = os.environ["PATH"]
            os.environ["PATH"] = os.path.dirname(on_path)
            try:
                self.assertEqual(cmptool.find_cmptool("", addon), on_path)
                installed = os.path.join(folder, "installed")
                with open(os.path.join(addon, cmptool.SHIPPED_NOTE), "w") as note:
                    note.write(installed + "\n")
                # A package's add-on where the package is not installed.
                self.assertEqual(cmptool.find_cmptool("", addon), on_path)
                open(installed, "w").close()
                self.assertEqual(cmptool.find_cmptool("", addon), installed)
                bundled = os.path.join(addon, cmptool.BUNDLED_FOLDER, cmptool.PROGRAM)
                os.makedirs(os.path.dirname(bundled))
                open(bundled, "w").close()
                self.assertEqual(cmptool.find_cmptool("", addon), bundled)
                self.assertEqual(cmptool.find_cmptool("/opt/cmptool", addon), "/opt/cmptool")
                os.environ["PATH"] = folder
                self.assertIsNone(cmptool.find_cmptool("", os.path.join(folder, "none")))
            finally:
                os.environ["PATH"] = old_path

    def test_the_addons_version_is_cmptools(self):
        version = subprocess.run([CMPTOOL, "--version"], capture_output=True, text=True).stdout
        self.assertIn(".".join(map(str, svcmp_addon.bl_info["version"])), version)


class Layout:
    """Stands in for Blender's layout while a panel draws: records what
    each control shows, as "kind text" lines."""

    def __init__(self):
        self.drawn = []

    def row(self, **_):
        return self

    box = column = row

    def label(self, text):
        self.drawn.append("label " + text)

    def prop(self, data, name, text=""):
        self.drawn.append("prop %s %s" % (name, text))

    def operator(self, name, text="", depress=False, **_):
        self.drawn.append("button %s%s" % (text or name, " (down)" if depress else ""))
        return SimpleNamespace()

    def operator_menu_enum(self, name, field, text="", **_):
        self.drawn.append("menu %s %s" % (name, text))
        return SimpleNamespace()


class ObjectPanel(unittest.TestCase):
    def drawn(self, obj):
        panel = SimpleNamespace(layout=Layout())
        object_panels.SVCMP_PT_object.draw(panel, SimpleNamespace(object=obj))
        return [line for line in panel.layout.drawn if not line.startswith(("label", "menu svcmp.hardpoint", "menu svcmp.name"))]

    def test_draws_the_rows_that_apply_with_the_properties_set_and_buttons_for_the_others(self):
        mesh = bpy.data.meshes.new("panel")
        hull = bpy.data.objects.new("hull", mesh)
        part = bpy.data.objects.new("door", mesh)
        part.parent = bpy.data.objects.new("hinge", None)
        part.parent.parent = hull
        part["construct"] = "pris"
        part["max"] = 2.0
        node = ["button Add hardpoint", "button Add collision piece", "button Add left out"]
        self.assertEqual(self.drawn(part), [
            "button Fixed", "button Turns", "button Slides (down)", "button Ball",
            "button Add axis", "button Add min (length)", 'prop ["max"] Max (length)', "button svcmp.clear_property",
            "button Add offset"] + node)
        # The root part has no joint rows, whatever it holds.
        hull["construct"] = "rev"
        self.assertEqual(self.drawn(hull), node)
        hardpoint = bpy.data.objects.new("Hp_Revolute_Gun", None)
        hardpoint["axis"] = [1.0, 0.0, 0.0]
        self.assertEqual(self.drawn(hardpoint), [
            "button Fixed", "button Turns (down)", 'prop ["axis"] Axis', "menu svcmp.axis_along ",
            "button svcmp.clear_property", "button Add min (degrees)", "button Add max (degrees)"] + node)


class AxisArrow(unittest.TestCase):
    def test_the_arrow_follows_the_axis_in_the_objects_frame(self):
        mesh = bpy.data.meshes.new("arrow")
        mesh.from_pydata([(0, 0, 0), (3, 0, 0), (0, 1, 0)], [], [(0, 1, 2)])
        obj = bpy.data.objects.new("arm", mesh)
        obj.parent = bpy.data.objects.new("body", mesh)
        bpy.context.scene.collection.objects.link(obj)
        obj.location = (1, 2, 3)
        obj.rotation_euler = Euler((0, 0, math.pi / 2))
        obj["construct"] = "pris"
        obj["axis_translation"] = [0.0, 0.0, 1.0]  # glTF's Z: Blender's -Y
        bpy.context.view_layer.update()
        start, end = axis_arrow.axis_in_world(obj)
        self.assertLess((start - Vector((1, 2, 3))).length, 1e-6)
        # Blender's -Y turned a quarter about Z is +X; as long as the object is wide.
        self.assertLess((end - start - Vector((3, 0, 0))).length, 1e-5)
        obj["construct"] = "fix"
        self.assertIsNone(axis_arrow.axis_in_world(obj))
        obj.name = "Hp_Revolute_Arm"
        self.assertLess((axis_arrow.axis_in_world(obj)[1] - start - Vector((0, 0, 3))).length, 1e-5)


if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0]], exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
