#!/usr/bin/python3
"""Models written by triview --export, read by the programs people open them
with: the Khronos glTF Validator (no error, no warning), lib3mf (strictly:
triangles, shared vertices, exact colours) and Blender's own importers for
glTF, PLY, OBJ, STL and FBX (triangle count, size, colours within one level
in sRGB, and the model as triview shows it, not its mirror image). What each
reader should find is worked out here from the tri file itself.

usage: readers_test.py TRIVIEW EXAMPLES_DIR --validator MODULE --read-3mf PROGRAM
                       --blender BLENDER
The test fails on any reader's complaint, and when a reader is missing
(scripts/install-deps.sh installs them all)."""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write_tetrahedron(folder):
    """A tetrahedron whose four faces have four colours: a mirror image
    cannot pass for it. One colour spills past its byte, as triview draws it;
    one is mid-red. Large enough for triview's camera to see it whole."""
    path = os.path.join(folder, "tetrahedron.tri")
    with open(path, "w") as out:
        a, b, c, d = "0,0,0", "300,0,0", "0,200,0", "0,0,100"
        for colour, corners in (("200,30,30", (a, b, c)), ("0,255,0", (a, d, b)),
                                ("300,20,40", (a, c, d)), ("255,255,255", (b, d, c))):
            out.write("Triangle\n" + colour + ",0,0,0\n" + "".join(p + ",0,0,0\n" for p in corners))
    return path


def tri_triangles(path):
    """Each record's corners and drawn colour, as triview reads them: six
    numbers a group, the colour packed as round(c0*65536) + round(c1*256) +
    round(c2), stored less 0x1000000 in 32 bits, drawn as its three low bytes."""
    numbers = []
    records = []
    for line in open(path, encoding="latin-1"):
        if line.rstrip("\r\n") == "Triangle":
            numbers = []
            records.append(numbers)
        else:
            numbers.extend(float(n) for n in re.split(r"[,\s]+", line.strip()) if n)
    out = []
    for n in records:
        packed = round(n[0] * 65536) + round(n[1] * 256) + round(n[2])
        stored = (packed - 0x1000000) & 0xFFFFFFFF
        colour = [(stored >> 16) & 255, (stored >> 8) & 255, stored & 255]
        out.append(([n[6:9], n[12:15], n[18:21]], colour))
    return out


def as_shown(corner):
    """A tri position where a right-handed, z-up program must show it for it
    to look as it does in triview (left-handed, y up): (x, z, y)."""
    return [corner[0], corner[2], corner[1]]


def expected(path):
    """The triangles in Blender's world: mirrored corners, in the formats'
    order (triview's clockwise fronts made counter-clockwise: 0, 2, 1)."""
    return [([as_shown(c[i]) for i in (0, 2, 1)], colour) for c, colour in tri_triangles(path)]


def close(a, b, scale):
    return all(abs(x - y) <= 1e-5 * scale for x, y in zip(a, b))


def compare(name, found, want, unit, coloured):
    """Faults in what a reader found against the triangles wanted."""
    if len(found) != len(want):
        return [f"{name}: {len(found)} triangles, not {len(want)}"]
    scale = max(abs(x) for corners, _ in want for c in corners for x in c) * unit or 1
    faults = []
    for i, (triangle, (corners, colour)) in enumerate(zip(found, want)):
        got = triangle["corners"]
        # A reader may start a face at another corner, but not turn it over.
        turns = [got[k:] + got[:k] for k in range(3)]
        if not any(all(close(g, [x * unit for x in c], scale) for g, c in zip(t, corners)) for t in turns):
            mirrored = [[c[0], c[2], c[1]] for c in got]
            what = "mirrored" if any(close(m, [x * unit for x in corners[0]], scale) for m in mirrored) else "moved"
            faults.append(f"{name}: triangle {i} {what}: {got} for {corners} x {unit}")
        if coloured:
            for corner in triangle["colours"] or [None]:
                if corner is None or any(abs(g - w) > 1 for g, w in zip(corner, colour)):
                    faults.append(f"{name}: triangle {i} coloured {corner}, not {colour}")
                    break
        if len(faults) > 5:
            break
    return faults


def read_3mf(program, path, tri):
    """Faults in what lib3mf reads from a 3MF file."""
    run = subprocess.run([program, path], capture_output=True, text=True)
    if run.returncode != 0:
        return [f"{path}: lib3mf refuses it: {run.stderr.strip()}"]
    lines = run.stdout.splitlines()
    faults = [] if lines[0] == "warnings 0" else [f"{path}: lib3mf {lines[0]}"]
    vertices = [[float(x) for x in l.split()[1:]] for l in lines if l.startswith("v ")]
    found = []
    for l in lines:
        if l.startswith("t "):
            n = [int(x) for x in l.split()[1:]]
            found.append({"corners": [vertices[i] for i in n[:3]], "colours": [n[3:6], n[6:9], n[9:12]]})
    want = [t for t in expected(tri) if len({tuple(c) for c in t[0]}) == 3]
    distinct = {tuple(c) for corners, _ in want for c in corners}
    if len(vertices) != len(distinct):
        faults.append(f"{path}: {len(vertices)} vertices, not the {len(distinct)} positions shared")
    return faults + compare(path, found, want, 1, True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("triview")
    parser.add_argument("examples")
    parser.add_argument("--validator", required=True)
    parser.add_argument("--read-3mf", required=True)
    parser.add_argument("--blender", required=True)
    args = parser.parse_args()
    faults = []
    for reader, where in (("the glTF Validator", os.path.join(args.validator, "package.json")),
                          ("lib3mf's reader", args.read_3mf), ("Blender", args.blender)):
        if not os.path.exists(where):
            faults.append(f"{reader} is missing ({where}): scripts/install-deps.sh installs it")
    if faults:
        print("FAIL", "\n".join(faults))
        return 1
    with tempfile.TemporaryDirectory() as work:
        models = [os.path.join(args.examples, f) for f in sorted(os.listdir(args.examples)) if f.endswith(".tri")]
        models.append(write_tetrahedron(work))

        written = {}  # file -> (model, format)
        for model in models:
            stem = os.path.join(work, os.path.basename(model)[:-4])
            for extension, format in (("glb", None), ("gltf", None), ("ply", None), ("ply", "ply-ascii"),
                                      ("obj", None), ("stl", None), ("3mf", None), ("fbx", None)):
                out = f"{stem}-{format}.{extension}" if format else f"{stem}.{extension}"
                command = [args.triview, "--export", out] + (["--format", format] if format else []) + [model]
                run = subprocess.run(command, capture_output=True, text=True)
                if run.returncode != 0:
                    faults.append(f"{' '.join(command)}: status {run.returncode}: {run.stderr}")
                written[out] = (model, extension)

        gltf = [f for f, (_, e) in written.items() if e in ("glb", "gltf")]
        run = subprocess.run(["node", os.path.join(HERE, "validate_gltf.mjs"), args.validator] + gltf,
                             capture_output=True, text=True)
        print(run.stdout, end="")
        if run.returncode != 0:
            faults.append(f"the glTF Validator: {run.stdout}{run.stderr}")

        for f, (model, extension) in written.items():
            if extension == "3mf":
                faults += read_3mf(args.read_3mf, f, model)

        for_blender = [f for f, (_, e) in written.items() if e != "3mf"]
        report = os.path.join(work, "blender.json")
        # A plain environment: Blender as a user starts it, none of the test's settings.
        environment = {"HOME": work, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
        run = subprocess.run([args.blender, "-b", "--factory-startup", "--python-exit-code", "1",
                              "--python", os.path.join(HERE, "blender_import.py"), "--", report] + for_blender,
                             capture_output=True, text=True, env=environment)
        if run.returncode != 0 or not os.path.exists(report):
            faults.append(f"Blender: status {run.returncode}: {run.stdout[-2000:]}{run.stderr[-2000:]}")
        else:
            found = json.load(open(report))
            for f in for_blender:
                model, extension = written[f]
                if "error" in found[f]:
                    faults.append(f"Blender refuses {f}: {found[f]['error']}")
                    continue
                # FBX's unit is the centimetre, Blender's the metre.
                unit = 0.01 if extension == "fbx" else 1
                faults += compare(f, found[f]["triangles"], expected(model), unit, extension != "stl")
            print(f"Blender read {len(for_blender)} files")

    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
