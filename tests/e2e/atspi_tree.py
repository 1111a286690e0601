"""The window as a screen reader reads it, through AT-SPI (pyatspi): every
control named, the picture a graphic named by its model and described by its
triangles, distance and turn; a button pressed through AT-SPI changes the
description. Dismisses the count message through AT-SPI too. Then the mouse
through the X server (xdotool): a drag and a wheel notch on the picture, and
the window then shows what --render --turn draws for the pose the
description reports. Prints the tree it read. Exits 1 with what is wrong.
  atspi_tree.py TRIVIEW MODEL WORK_FOLDER"""
import os
import subprocess
import sys
import time

import pyatspi

viewer, model_path, work = sys.argv[1:4]
model = os.path.basename(model_path)
check = os.path.join(os.path.dirname(__file__), "..", "support", "picture_check.py")


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
NAMES = {pyatspi.ROLE_PUSH_BUTTON: "push button", pyatspi.ROLE_IMAGE: "image",
         pyatspi.ROLE_FRAME: "frame", pyatspi.ROLE_WINDOW: "window", pyatspi.ROLE_SCROLL_BAR: "scroll bar",
         pyatspi.ROLE_CHECK_BOX: "check box", pyatspi.ROLE_FILLER: "filler"}


def role(node):
    return NAMES.get(node.getRole(), node.getRoleName())


def press(node):
    node.queryAction().doAction(0)


press(wait_for(lambda n: role(n) == "push button" and n.name == "確定", "count message's 確定"))
picture = wait_for(lambda n: role(n) == "image" and n.description, "described picture")
# A window (Qt 6.4) or, as Qt 6.8 gives a plain widget's window, a filler.
frame = wait_for(lambda n: role(n) in ("frame", "window", "filler")
                 and n.name.startswith("天才Tovan3D模型秀圖"), "window")
for node in walk(frame):
    print(f"{role(node)}: {node.name!r} {node.description!r}")

expected = {
    ("image", model): "12 個三角形,距離 8,旋轉 0,0,0:0",
    ("scroll bar", "距離調整"): None,
    ("check box", "自動旋轉"): None,
}
for axis in "XYZ":
    for turn in ("正轉", "反轉"):
        expected[("push button", f"繞{axis}軸{turn}")] = None
seen = {(role(node), node.name): node.description for node in walk(frame)}
for key, description in expected.items():
    if key not in seen:
        sys.exit(f"atspi: no {key[0]} named {key[1]!r}")
    if description is not None and seen[key] != description:
        sys.exit(f"atspi: the {key[0]} says {seen[key]!r}, not {description!r}")
if any(role(node) == "filler" and not node.name for node in walk(frame) if node.getState().contains(pyatspi.STATE_FOCUSABLE)):
    sys.exit("atspi: a control that takes the focus has no name")

press(wait_for(lambda n: role(n) == "push button" and n.name == "繞Y軸正轉", "Y's + button"))
wait_for(lambda n: role(n) == "image" and n.description.endswith("旋轉 0,1,0:0.1"),
         "description of the turn a press made")
print("atspi: every control named, the picture described and kept up to date")

# A drag and a wheel notch forward, as the X server delivers them.
x, y, width, height = picture.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
middle_x, middle_y = x + width // 2, y + height // 2
xdotool = ["xdotool", "mousemove", str(middle_x), str(middle_y), "mousedown", "1"]
for step in range(1, 7):
    xdotool += ["mousemove", str(middle_x + 12 * step), str(middle_y - 5 * step)]
subprocess.run(xdotool + ["mouseup", "1", "click", "4"], check=True)
described = wait_for(lambda n: role(n) == "image" and "距離 7," in n.description
                     and not n.description.endswith("0,1,0:0.1"), "description after a drag")
turn = described.description.rsplit(" ", 1)[1]
frame = os.path.join(work, "turned.png")
subprocess.run([viewer, "--render", frame, "--distance", "7", "--turn", turn, model_path], check=True)
for _ in range(20):
    time.sleep(0.25)
    shot = os.path.join(work, "shot.png")
    subprocess.run(["import", "-window", "root", shot], check=True)
    if subprocess.run(["/usr/bin/python3", check, "within", shot, frame]).returncode == 0:
        print(f"atspi: after a drag the window shows --render --turn {turn}")
        sys.exit(0)
sys.exit(f"atspi: the window does not show --render --turn {turn} --distance 7")
