# Run by Blender (blender -b --factory-startup --python blender_render.py --
# SCALE EYE TARGET OUT FILE...): imports each file with Blender's own
# importer and renders it alone (Workbench, transparent film) from EYE
# towards TARGET, z up, with a vertical field of view of 45 degrees, to OUT
# with the file's name and .png added. EYE and TARGET are x,y,z in the
# format's own units, SCALE the metres of one of them in Blender.
import math
import os
import sys

import bpy
from mathutils import Vector

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blender_import import importer  # noqa: E402


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    scale = float(arguments[0])
    eye = Vector([float(v) for v in arguments[1].split(",")]) * scale
    target = Vector([float(v) for v in arguments[2].split(",")]) * scale
    out = arguments[3]
    for path in arguments[4:]:
        bpy.ops.wm.read_factory_settings(use_empty=True)
        importer(path.rsplit(".", 1)[1])(filepath=path)
        scene = bpy.context.scene
        camera = bpy.data.cameras.new("camera")
        camera.sensor_fit = "VERTICAL"
        camera.angle = math.radians(45)
        camera.clip_start = 0.001 * scale
        camera.clip_end = 1e5 * scale
        view = bpy.data.objects.new("camera", camera)
        scene.collection.objects.link(view)
        scene.camera = view
        view.location = eye
        view.rotation_euler = (target - eye).to_track_quat("-Z", "Y").to_euler()
        scene.render.engine = "BLENDER_WORKBENCH"
        scene.render.resolution_x = scene.render.resolution_y = 300
        scene.render.film_transparent = True
        scene.display.render_aa = "OFF"  # edges as sharp as triview's
        scene.render.filepath = out + os.path.basename(path) + ".png"
        bpy.ops.render.render(write_still=True)


main()
