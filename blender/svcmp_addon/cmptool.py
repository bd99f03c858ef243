# cmptool as the add-on drives it: finding the program, the command line of
# an export from the dialog's options, running it, and its messages turned
# into Blender reports. Knows nothing of bpy, so it is tested as it is.
import os
import re
import shutil
import subprocess
import sys
from collections import namedtuple

PROGRAM = "cmptool.exe" if sys.platform == "win32" else "cmptool"
# A package's add-on carries its cmptool in this folder (the Windows zip),
# or names the installed one in this file (the Debian package).
BUNDLED_FOLDER = "cmptool"
SHIPPED_NOTE = "shipped_cmptool.txt"

Run = namedtuple("Run", "status out err")


def shipped_cmptool(addon_folder):
    """The cmptool the add-on was shipped with, or None for the plain zip."""
    bundled = os.path.join(addon_folder, BUNDLED_FOLDER, PROGRAM)
    if os.path.isfile(bundled):
        return bundled
    try:
        with open(os.path.join(addon_folder, SHIPPED_NOTE), encoding="utf-8") as note:
            named = note.read().strip()
    except OSError:
        return None
    # A package's zip installed into Blender where the package is not.
    return named if named and os.path.isfile(named) else None


def find_cmptool(preference, addon_folder):
    """The program the preference names, else the shipped one, else the one
    on the PATH; None when there is none."""
    if preference:
        return preference
    return shipped_cmptool(addon_folder) or shutil.which("cmptool")


def run(program, arguments):
    """Runs cmptool; a program that cannot be started is status None with the
    reason as its error text."""
    # No console window flashing up on Windows.
    hidden = {"creationflags": subprocess.CREATE_NO_WINDOW} if sys.platform == "win32" else {}
    try:
        done = subprocess.run([program] + arguments, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, **hidden)
    except OSError as failure:
        return Run(None, "", 'error: cannot run cmptool "%s": %s' % (program, failure.strerror or failure))
    decode = lambda raw: raw.decode("utf-8", "replace").replace("\r\n", "\n")
    return Run(done.returncode, decode(done.stdout), decode(done.stderr))


ORIENTATIONS = {"UPSIDE_DOWN": "upside-down", "BACK_TO_FRONT": "back-to-front"}


def export_arguments(options):
    """cmptool's options for the dialog's choices: a mapping with parts
    ('NODES' or 'ONE'), levels ('GIVEN' or 'AUTO'), game_ready, collision,
    scale (1 to 100) and orientation."""
    arguments = ["--scale", str(int(options["scale"])),
                 "--orientation", ORIENTATIONS[options["orientation"]]]
    if options["parts"] == "NODES":
        arguments += ["--parts", "nodes"]
    if options["levels"] == "AUTO":
        arguments.append("--auto-lod")
    if options["game_ready"]:
        arguments.append("--game-ready")
    elif options["collision"]:
        arguments.append("--collision")
    return arguments


NODE = re.compile(r'\bnode "((?:[^"\\]|\\.)*)"')


def reports(err, model_path, scene_name):
    """cmptool's stderr as Blender reports, (kind, text) with kind 'ERROR',
    'WARNING' or 'INFO': the scratch model it read is called the scene, and a
    node is called the object it was made of. Lines that start no message
    continue the one before."""
    found = []
    for line in err.splitlines():
        if not line.strip():
            continue
        line = line.replace('"%s"' % model_path, '"%s"' % scene_name).replace(model_path, scene_name)
        line = NODE.sub(r'object "\1"', line)
        for prefix, kind in (("error: ", "ERROR"), ("warning: ", "WARNING")):
            if line.startswith(prefix):
                found.append((kind, line[len(prefix):]))
                break
        else:
            if found:
                found[-1] = (found[-1][0], found[-1][1] + "\n" + line)
            else:
                found.append(("INFO", line))
    return found
