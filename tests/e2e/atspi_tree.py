"""The window as a screen reader reads it, through AT-SPI (pyatspi) on the
session bus it runs in: every control named, the picture a graphic named by
its model and described by its triangles, distance and turn, kept up to date
as a button is pressed through AT-SPI. Then the mouse and keys through the X
server (xdotool) or, with "wayland", a wlroots compositor's virtual pointer
and keyboard: after each, the window shows --render's picture of the pose the
description reports. Prints the tree it read; exits 1 with what is wrong.
  dbus-run-session -- atspi_tree.py TRIVIEW MODEL [wayland]"""
import atexit
import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from PIL import Image

viewer, model_path = sys.argv[1:3]
model, wayland = os.path.basename(model_path), sys.argv[3:] == ["wayland"]
support = os.path.join(os.path.dirname(__file__), "..", "support")
check, folder = os.path.join(support, "picture_check.py"), tempfile.TemporaryDirectory()  # gone at exit
work = folder.name
# Qt's bridge switched on as a screen reader's session does.
os.environ.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="wayland" if wayland else "xcb")
pyatspi.Registry.getDesktop(0)  # the bus and its registry up before the window joins them
atexit.register(subprocess.Popen([viewer, model_path], stderr=subprocess.DEVNULL).kill)


def walk(node):
    yield node
    for child in node or []:
        yield from walk(child)


def wait_for(find, what, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "triview":
                found = [node for node in walk(app) if node is not None and find(node)]
                if found:
                    return found[0]
        time.sleep(0.2)
    sys.exit(f"atspi: no {what}")


# Roles by their constants: their names change between releases ("push
# button" became "button" in at-spi2-core 2.52).
BUTTON, IMAGE, FILLER = pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_IMAGE, pyatspi.ROLE_FILLER
wait_for(lambda n: n.getRole() == BUTTON and n.name == "確定", "count message's 確定").queryAction().doAction(0)
wait_for(lambda n: n.getRole() == IMAGE and n.description, "described picture")
frame = wait_for(lambda n: n.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW)
                 and n.name.startswith("天才Tovan3D模型秀圖"), "window")
for node in walk(frame):
    print(f"{node.getRoleName()}: {node.name!r} {node.description!r}")

expected = {(IMAGE, model): "12 個三角形,距離 8,旋轉 0,0,0:0", (pyatspi.ROLE_SCROLL_BAR, "距離調整"): None,
            (pyatspi.ROLE_CHECK_BOX, "自動旋轉"): None}
expected.update({(BUTTON, f"繞{axis}軸{turn}"): None for axis in "XYZ" for turn in ("正轉", "反轉")})
seen = {(node.getRole(), node.name): node.description for node in walk(frame)}
for key, description in expected.items():
    if key not in seen:
        sys.exit(f"atspi: no {key[0]} named {key[1]!r}")
    if description is not None and seen[key] != description:
        sys.exit(f"atspi: the {key[0]} says {seen[key]!r}, not {description!r}")
if any(node.getRole() == FILLER and not node.name for node in walk(frame) if node.getState().contains(pyatspi.STATE_FOCUSABLE)):
    sys.exit("atspi: a control that takes the focus has no name")

wait_for(lambda n: n.getRole() == BUTTON and n.name == "繞Y軸正轉", "Y's + button").queryAction().doAction(0)
wait_for(lambda n: n.getRole() == IMAGE and n.description.endswith("旋轉 0,1,0:0.1"),
         "description of the turn a press made")
print("atspi: every control named, the picture described and kept up to date")

# A drag and a wheel notch forward, then Home and the right arrow on the
# picture the press focused.
pointer = ["/usr/bin/python3", os.path.join(support, "wayland_pointer.py")] if wayland else ["xdotool"]
key = ["wtype", "-s", "300", "-k"] if wayland else ["xdotool", "key"]
shot = os.path.join(work, "shot.png")


def shown(distance, turn):
    """Where a shot of the screen shows --render's picture of the pose: X Y W H."""
    frame = os.path.join(work, "pose.png")
    subprocess.run([viewer, "--render", frame, "--distance", distance, "--turn", turn, model_path], check=True)
    for _ in range(20):
        time.sleep(0.25)
        subprocess.run(["grim", shot] if wayland else ["import", "-window", "root", shot], check=True)
        found = subprocess.run(["/usr/bin/python3", check, "within", shot, frame], capture_output=True, text=True)
        if found.returncode == 0:
            return [int(word) for word in found.stdout.split()]
    sys.exit(f"atspi: the window does not show --render --distance {distance} --turn {turn}")


def turned(after, command):
    subprocess.run([str(word) for word in command], check=True, timeout=20)
    turn = wait_for(lambda n: n.getRole() == IMAGE and "距離 7," in n.description and not
                    n.description.endswith("0,1,0:0.1"), f"description after {after}").description.split()[-1]
    shown("7", turn)
    print(f"atspi: after {after} the window shows --render --turn {turn}")


x, y, width, height = shown("8", "0,1,0:0.1")
middle_x, middle_y = x + width // 2, y + height // 2
drag = [word for step in range(1, 7) for word in ("mousemove", middle_x + 12 * step, middle_y - 5 * step)]
extent = [] if not wayland else ["%dx%d" % Image.open(shot).size]
turned("a drag and a wheel notch",
       pointer + extent + ["mousemove", middle_x, middle_y, "mousedown", 1] + drag + ["mouseup", 1, "click", 4])
subprocess.run(key + ["Home"], check=True, timeout=10)
wait_for(lambda n: n.getRole() == IMAGE and n.description.endswith("距離 7,旋轉 0,1,0:0.1"), "description after Home")
turned("Home and Right", key + ["Right"])
