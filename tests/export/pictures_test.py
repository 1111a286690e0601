#!/usr/bin/python3
"""Models written by triview --export, drawn again by the programs that read
them, from the camera of triview's own picture (--render): f3d draws the
glTF, PLY, OBJ and STL, Blender renders the FBX. Each picture must have the
silhouette of triview's, not its mirror image. (No program of Debian's draws
3MF; readers_test.py checks its every vertex with lib3mf.) Needs a display.

usage: pictures_test.py TRIVIEW EXAMPLES_DIR F3D BLENDER"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

from readers_test import write_tetrahedron

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 300  # square: triview's projection has an aspect of 1
# triview's camera at the scroll bar's start: eye (800, 240, -160), target
# (160, 0, 0), y up; as (x, y, -z) in y-up formats, (x, z, y) in z-up ones.
Y_UP, Z_UP = ("800,240,160", "160,0,0", "0,1,0"), ("800,-160,240", "160,0,0", "0,0,1")
F3D_FORMATS = {"glb": Y_UP, "gltf": Y_UP, "obj": Y_UP, "ply": Z_UP, "stl": Z_UP}


def silhouette(path, mirror=False):
    picture = Image.open(path).convert("RGBA")
    picture = picture.transpose(Image.FLIP_LEFT_RIGHT) if mirror else picture
    return [a >= 128 for a in picture.getchannel("A").getdata()]


def overlap(a, b):
    """Intersection over union."""
    return sum(x and y for x, y in zip(a, b)) / max(1, sum(x or y for x, y in zip(a, b)))


def main():
    triview, examples, f3d, blender = sys.argv[1:5]
    faults = []
    with tempfile.TemporaryDirectory() as work:
        models = [os.path.join(examples, f) for f in sorted(os.listdir(examples)) if f.endswith(".tri")]
        for model in models + [write_tetrahedron(work)]:
            stem = os.path.join(work, os.path.basename(model)[:-4])
            subprocess.run([triview, "--render", stem + ".png", "--size", f"{SIZE}x{SIZE}", "--transparent",
                            "--renderer", "software", model], check=True)
            drawn = {}
            for extension, (eye, target, up) in F3D_FORMATS.items():
                exported = drawn[f"{stem}.{extension}"] = f"{stem}.{extension}"
                subprocess.run([triview, "--export", exported, model], check=True)
                subprocess.run([f3d, "--output", exported + ".png", "--no-background", "--resolution",
                                f"{SIZE},{SIZE}", "--camera-position", eye, "--camera-focal-point", target,
                                "--camera-view-up", up, "--camera-view-angle", "45", exported],
                               check=True, capture_output=True)
            fbx = drawn[stem + ".fbx"] = stem + ".fbx"
            subprocess.run([triview, "--export", fbx, model], check=True)
            # FBX's centimetres are Blender's hundredths of a metre.
            run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1", "--python",
                                  os.path.join(HERE, "blender_render.py"), "--", "0.01", Z_UP[0], Z_UP[1], fbx],
                                 capture_output=True, text=True, env={**os.environ, "HOME": work})
            if run.returncode != 0:
                faults.append(f"Blender could not render {fbx}: {run.stdout[-1500:]}{run.stderr[-1500:]}")
                continue
            want = silhouette(stem + ".png")
            for exported in drawn:
                same, mirrored = (overlap(want, silhouette(exported + ".png", m)) for m in (False, True))
                print(f"{os.path.basename(exported)}: {same:.3f} of triview's silhouette ({mirrored:.3f} mirrored)")
                if same < 0.98:
                    faults.append(f"{exported} is drawn unlike triview's picture ({same:.3f}; mirrored {mirrored:.3f})")
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
