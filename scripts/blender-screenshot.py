# Run by Blender with its window (scripts/screenshots.sh): imports a glTF
# file, looks at it from triview's camera (z up, as Blender shows every
# format) with its vertex colours unlit, and saves a screenshot of the whole
# window, then quits.
#   blender --factory-startup EMPTY.blend --python blender-screenshot.py -- MODEL.glb OUT.png
import sys

import bpy
from mathutils import Vector

try:  # Debian 12's numpy lacks np.bool, which Blender 3.4's glTF importer uses.
    import numpy
    if not hasattr(numpy, "bool"):
        numpy.bool = bool
except ImportError:
    pass

model, out = sys.argv[sys.argv.index("--") + 1:][:2]
bpy.ops.import_scene.gltf(filepath=model)


def look():
    # triview's camera at the scroll bar's start, in Blender's axes.
    eye, target = Vector((800, -160, 240)), Vector((160, 0, 0))
    for area in bpy.context.window_manager.windows[0].screen.areas:
        if area.type == "VIEW_3D":
            space = area.spaces.active
            space.shading.type = "SOLID"
            space.shading.color_type = "VERTEX"
            space.shading.light = "FLAT"
            space.clip_end = 100000
            view = space.region_3d
            view.view_perspective = "PERSP"
            view.view_location = target
            view.view_distance = (eye - target).length
            view.view_rotation = (target - eye).to_track_quat("-Z", "Y")


def shoot():
    with bpy.context.temp_override(window=bpy.context.window_manager.windows[0]):
        bpy.ops.screen.screenshot(filepath=out)
    bpy.ops.wm.quit_blender()


bpy.app.timers.register(look, first_interval=1.0)
bpy.app.timers.register(shoot, first_interval=3.0)
