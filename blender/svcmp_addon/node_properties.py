# The node properties the export reads, as one table: the panels draw it,
# the operators write it, so a scene made with the add-on holds exactly the
# custom properties a scene made by hand does. A new property (wires, caps,
# scripts) is a new row here. Knows nothing of bpy: an object is anything
# with the mapping calls of Blender's custom properties.
import math
from collections import namedtuple

# section: the panel it shows in; kind: text, choice, number, vector (three
# numbers) or flag (0 or 1, which Blender 3.4 has no truth values for);
# when: the values other properties must have for this row to apply.
Entry = namedtuple("Entry", "section key kind label default when choices")


def row(section, key, kind, label, default, when=None, choices=()):
    return Entry(section, key, kind, label, default, when or {}, tuple(choices))


JOINT_KINDS = (("fix", "Fixed"), ("rev", "Turns"), ("pris", "Slides"), ("sphere", "Ball"))
MOVING = {"construct": {"rev", "pris", "sphere"}}
HARDPOINT_KINDS = (("fix", "Fixed"), ("rev", "Turns"))
TURNING_HARDPOINT = {"hptype": {"rev"}}

ENTRIES = (
    row("joint", "construct", "choice", "Joint", "fix", choices=JOINT_KINDS),
    row("joint", "axis_rotation", "vector", "Axis", (0.0, 1.0, 0.0), {"construct": {"rev"}}),
    row("joint", "axis_translation", "vector", "Axis", (0.0, 1.0, 0.0), {"construct": {"pris"}}),
    row("joint", "min", "number", "Min (degrees)", -90.0, {"construct": {"rev"}}),
    row("joint", "max", "number", "Max (degrees)", 90.0, {"construct": {"rev"}}),
    row("joint", "min", "number", "Min (length)", 0.0, {"construct": {"pris"}}),
    row("joint", "max", "number", "Max (length)", 1.0, {"construct": {"pris"}}),
    row("joint", "min", "vector", "Min (radians)", (-math.pi,) * 3, {"construct": {"sphere"}}),
    row("joint", "max", "vector", "Max (radians)", (math.pi,) * 3, {"construct": {"sphere"}}),
    row("joint", "offset", "vector", "Offset", (0.0, 0.0, 0.0), MOVING),
    row("node", "hardpoint", "flag", "Hardpoint", 1),
    row("hardpoint", "hptype", "choice", "Kind", "fix", choices=HARDPOINT_KINDS),
    row("hardpoint", "axis", "vector", "Axis", (0.0, 1.0, 0.0), TURNING_HARDPOINT),
    row("hardpoint", "min", "number", "Min (degrees)", -45.0, TURNING_HARDPOINT),
    row("hardpoint", "max", "number", "Max (degrees)", 45.0, TURNING_HARDPOINT),
    row("node", "hull", "flag", "Collision piece", 1),
    row("node", "export_ignore", "flag", "Left out", 1),
)

# Names that give a node its role, as the export reads them: the suffix is
# put after the name of the part the node belongs to.
Role = namedtuple("Role", "name label suffix")
ROLES = (
    Role("lod1", "Level 1 of the part", "$lod1"),
    Role("lod2", "Level 2 of the part", "$lod2"),
    Role("hull", "Collision piece of the part", "$hull"),
)

# Hardpoint presets: the name stem (numbered 01, 02, ...) and the kind.
Preset = namedtuple("Preset", "name label stem kind")
PRESETS = (
    Preset("weapon", "Weapon", "HpWeapon", "fix"),
    Preset("turret", "Turret", "HpTurret", "rev"),
    Preset("engine", "Engine", "HpEngine", "fix"),
    Preset("thruster", "Thruster", "HpThruster", "fix"),
    Preset("dock", "Dock", "HpDockMount", "fix"),
    Preset("countermeasure", "Countermeasure", "HpCM", "fix"),
    Preset("mine", "Mine", "HpMine", "fix"),
    Preset("shield", "Shield", "HpShield", "fix"),
    Preset("contrail", "Contrail", "HpContrail", "fix"),
    Preset("light", "Light", "HpRunningLight", "fix"),
)


def is_hardpoint(name, node):
    return name.lower().startswith("hp") or truth(node.get("hardpoint", 0))


def truth(value):
    return isinstance(value, (bool, int, float)) and value != 0


def value_of(node, name, key):
    """What the export takes for key: the node's value, or the default it
    gives a node without it (a hardpoint's kind follows its name)."""
    if key in node:
        return node[key]
    if key == "hptype":
        return "rev" if name.startswith("Hp_Revolute_") else "fix"
    choice = [e for e in ENTRIES if e.key == key and e.kind == "choice"]
    return choice[0].default if choice else None


def applies(entry, node, name):
    return all(value_of(node, name, key) in values for key, values in entry.when.items())


def section_of(node, name, is_mesh):
    """The section whose rows describe this node: a hardpoint's, a part's
    joint (meshes), or none."""
    if is_hardpoint(name, node):
        return "hardpoint"
    return "joint" if is_mesh else None


def shown(node, name, section):
    """The rows of a section that apply to the node as it is now."""
    return [e for e in ENTRIES if e.section == section and applies(e, node, name)]


def entry_for(node, name, key, section=None):
    sections = (section,) if section else ("joint", "hardpoint", "node")
    for entry in ENTRIES:
        if entry.key == key and entry.section in sections and applies(entry, node, name):
            return entry
    return None


def kind_of(value):
    if isinstance(value, str):
        return "text"
    if isinstance(value, (int, float)) and not isinstance(value, bool):
        return "number"
    if hasattr(value, "__len__") and len(value) == 3:
        return "vector"
    return None


def stored(entry, value):
    """The value as the custom property holds it."""
    if entry.kind in ("text", "choice"):
        return str(value)
    if entry.kind == "flag":
        return 1 if value else 0
    if entry.kind == "vector":
        return [float(v) for v in value]
    return float(value)


def fits(entry, value):
    expected = {"choice": "text", "flag": "number"}.get(entry.kind, entry.kind)
    return kind_of(value) == expected


def set_value(node, name, section, key, value=None):
    """Writes key (its default when value is None) as the row that applies
    says; after a choice, rows that no longer apply are taken away and
    those of another kind reset, so a joint never keeps a stale limit.
    Returns False when no row of the section applies to key."""
    entry = entry_for(node, name, key, section)
    if entry is None:
        return False
    if entry.kind == "choice" and value is not None and value not in dict(entry.choices):
        return False
    node[key] = stored(entry, entry.default if value is None else value)
    if entry.kind == "choice":
        for other in {e.key for e in ENTRIES if e.section == section and e.kind != "choice"}:
            if other not in node:
                continue
            now = entry_for(node, name, other, section)
            if now is None:
                del node[other]
            elif not fits(now, node[other]):
                node[other] = stored(now, now.default)
    return True


def gltf_from_blender(vector):
    """Blender's X, Y, Z in the glTF axes the export reads (Blender's up, Z,
    is glTF's Y)."""
    x, y, z = vector
    return (x, z, -y)


def blender_from_gltf(vector):
    x, y, z = vector
    return (x, -z, y)


def role_name(role, part_name):
    return part_name + role.suffix


def next_free_name(stem, taken):
    """stem01, stem02, ...: the first that no object has."""
    number = 1
    while "%s%02d" % (stem, number) in taken:
        number += 1
    return "%s%02d" % (stem, number)
