#!/usr/bin/python3
"""Models written by triview --export, drawn again by the programs that read
them: each example and a four-coloured tetrahedron, exported, then drawn by
f3d (glTF, PLY, OBJ, STL) or rendered by Blender (FBX) from the camera of
triview's picture, must have the silhouette of triview's own picture (--render),
not its mirror image. (No program of Debian's draws 3MF; readers_test.py
checks its every vertex with lib3mf.) Needs a display, for f3d and Blender.

usage: pictures_test.py TRIVIEW EXAMPLES_DIR F3D BLENDER"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

from readers_test import write_tetrahedron

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 300  # square: triview's projection has an aspect of 1
# triview's camera at the scroll bar's start, 8: eye (800, 240, -160),
# target (160, 0, 0), up y, as it appears in each format's axes.
Y_UP = {"eye": "800,240,160", "target": "160,0,0", "up": "0,1,0"}
Z_UP = {"eye": "800,-160,240", "target": "160,0,0", "up": "0,0,1"}
F3D_FORMATS = {"glb": Y_UP, "gltf": Y_UP, "obj": Y_UP, "ply": Z_UP, "stl": Z_UP}


def silhouette(path):
    return [a >= 128 for a in Image.open(path).convert("RGBA").getchannel("A").getdata()]


def overlap(a, b):
    """Intersection over union of two silhouettes."""
    both = sum(x and y for x, y in zip(a, b))
    either = sum(x or y for x, y in zip(a, b))
    return both / either if either else 1.0


def mirrored(path):
    picture = Image.open(path).convert("RGBA").transpose(Image.FLIP_LEFT_RIGHT)
    return [a >= 128 for a in picture.getchannel("A").getdata()]


def main():
    triview, examples, f3d, blender = sys.argv[1:5]
    faults = []
    with tempfile.TemporaryDirectory() as work:
        models = [os.path.join(examples, f) for f in sorted(os.listdir(examples)) if f.endswith(".tri")]
        models.append(write_tetrahedron(work))
        for model in models:
            stem = os.path.join(work, os.path.basename(model)[:-4])
            reference = stem + "-triview.png"
            subprocess.run([triview, "--render", reference, "--size", f"{SIZE}x{SIZE}", "--transparent",
                            "--renderer", "software", model], check=True)
            drawn = {}
            for extension, camera in F3D_FORMATS.items():
                exported = f"{stem}.{extension}"
                subprocess.run([triview, "--export", exported, model], check=True)
                drawn[exported] = f"{exported}-f3d.png"
                subprocess.run([f3d, "--output", drawn[exported], "--no-background",
                                "--resolution", f"{SIZE},{SIZE}", "--camera-position", camera["eye"],
                                "--camera-focal-point", camera["target"], "--camera-view-up", camera["up"],
                                "--camera-view-angle", "45", exported],
                               check=True, capture_output=True)
            fbx = stem + ".fbx"
            subprocess.run([triview, "--export", fbx, model], check=True)
            # FBX's centimetres are Blender's hundredths of a metre.
            run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1",
                                  "--python", os.path.join(HERE, "blender_render.py"), "--", "0.01",
                                  Z_UP["eye"], Z_UP["target"], stem + "-", fbx],
                                 capture_output=True, text=True,
                                 env={**os.environ, "HOME": work})
            drawn[fbx] = f"{stem}-{os.path.basename(fbx)}.png"
            if run.returncode != 0:
                faults.append(f"Blender could not render {fbx}: {run.stdout[-1500:]}{run.stderr[-1500:]}")
                continue
            want = silhouette(reference)
            for exported, picture in drawn.items():
                same, mirror = overlap(want, silhouette(picture)), overlap(want, mirrored(picture))
                print(f"{os.path.basename(exported)}: {same:.3f} of triview's silhouette ({mirror:.3f} mirrored)")
                if same < 0.98:
                    faults.append(f"{exported} is drawn unlike triview's picture: overlap {same:.3f}, "
                                  f"mirrored {mirror:.3f}")
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
