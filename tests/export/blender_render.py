# Run by Blender (blender -b --factory-startup --python blender_render.py --
# SCALE EYE TARGET FILE...): imports each file with Blender's own importer
# and renders it alone to FILE.png (Workbench, transparent, no smoothing of
# edges), from EYE towards TARGET (x,y,z in the format's units, SCALE metres
# each), z up, with a vertical field of view of 45 degrees.
import math
import os
import sys

import bpy
from mathutils import Vector

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from blender_import import importer  # noqa: E402

arguments = sys.argv[sys.argv.index("--") + 1:]
scale = float(arguments[0])
eye, target = (Vector([float(v) for v in a.split(",")]) * scale for a in arguments[1:3])
for path in arguments[3:]:
    bpy.ops.wm.read_factory_settings(use_empty=True)
    importer(path.rsplit(".", 1)[1])(filepath=path)
    scene = bpy.context.scene
    camera = bpy.data.cameras.new("camera")
    camera.sensor_fit, camera.angle = "VERTICAL", math.radians(45)
    camera.clip_start, camera.clip_end = 0.001 * scale, 1e5 * scale
    scene.camera = bpy.data.objects.new("camera", camera)
    scene.collection.objects.link(scene.camera)
    scene.camera.location = eye
    scene.camera.rotation_euler = (target - eye).to_track_quat("-Z", "Y").to_euler()
    scene.render.engine = "BLENDER_WORKBENCH"
    scene.render.resolution_x = scene.render.resolution_y = 300
    scene.render.film_transparent = True
    scene.display.render_aa = "OFF"  # edges as sharp as triview's
    scene.render.filepath = path + ".png"
    bpy.ops.render.render(write_still=True)
