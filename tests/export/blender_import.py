# Run by Blender (blender -b --factory-startup --python blender_import.py --
# OUT.json FILE...): imports each file with Blender's own importer for its
# extension, alone in an empty scene, and writes what Blender made of it to
# OUT.json: per file, each triangle's corners in world space (Blender's
# metres, z up) and each corner's colour as sRGB 0..255, or an error.
import json
import sys

import bpy

try:  # Debian 12's numpy lacks np.bool, which Blender 3.4's glTF importer uses.
    import numpy
    if not hasattr(numpy, "bool"):
        numpy.bool = bool
except ImportError:
    pass


def importer(extension):
    wm = bpy.ops.wm
    native = dir(wm)  # Blender 4 reads PLY and STL in C++, under new names
    return {
        "glb": bpy.ops.import_scene.gltf,
        "gltf": bpy.ops.import_scene.gltf,
        "fbx": bpy.ops.import_scene.fbx,
        "obj": wm.obj_import,
        "ply": wm.ply_import if "ply_import" in native else bpy.ops.import_mesh.ply,
        "stl": wm.stl_import if "stl_import" in native else bpy.ops.import_mesh.stl,
    }[extension]


def triangles(obj):
    mesh = obj.data
    colours = mesh.color_attributes[0] if len(mesh.color_attributes) else None
    return [{"corners": [list(obj.matrix_world @ mesh.vertices[v].co) for v in polygon.vertices],
             "colours": colours and [[c * 255 for c in colours.data[i].color_srgb[:3]] for i in (
                 polygon.loop_indices if colours.domain == "CORNER" else polygon.vertices)]}
            for polygon in mesh.polygons]


def main():
    arguments = sys.argv[sys.argv.index("--") + 1:]
    report = {}
    for path in arguments[1:]:
        bpy.ops.wm.read_factory_settings(use_empty=True)
        try:
            importer(path.rsplit(".", 1)[1])(filepath=path)
            meshes = [o for o in bpy.context.scene.objects if o.type == "MESH"]
            report[path] = {"triangles": [t for o in meshes for t in triangles(o)]}
        except Exception as error:  # the test reports it as the reader's verdict
            report[path] = {"error": repr(error)}
    with open(arguments[0], "w") as out:
        json.dump(report, out)


if __name__ == "__main__":
    main()
