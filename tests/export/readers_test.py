#!/usr/bin/python3
"""Models written by triview --export, read by the programs people open them
with: the Khronos glTF Validator (no error, no warning), lib3mf (strictly:
triangles, shared vertices, exact colours) and Blender's own importers for
glTF, PLY, OBJ, STL and FBX (every corner where triview shows it, at the
format's unit; colours within one level in sRGB). What each should find is
worked out here from the tri file itself. A reader missing fails the test:
scripts/install-deps.sh installs them all.

usage: readers_test.py TRIVIEW EXAMPLES_DIR VALIDATOR_MODULE READ_3MF BLENDER"""
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FORMATS = (("glb", None), ("gltf", None), ("ply", None), ("ply", "ply-ascii"), ("obj", None),
           ("stl", None), ("3mf", None), ("fbx", None))


def write_tetrahedron(folder):
    """Four faces of four colours, which no mirror image passes for; one
    colour spills past its byte (triview draws 44,20,40), one is mid-red."""
    path = os.path.join(folder, "tetrahedron.tri")
    a, b, c, d = "0,0,0", "300,0,0", "0,200,0", "0,0,100"
    with open(path, "w") as out:
        for colour, corners in (("200,30,30", (a, b, c)), ("0,255,0", (a, d, b)),
                                ("300,20,40", (a, c, d)), ("255,255,255", (b, d, c))):
            out.write("Triangle\n" + "".join(g + ",0,0,0\n" for g in (colour,) + corners))
    return path


def expected(path):
    """Each triangle as a right-handed, z-up program must hold it to show it
    as triview (left-handed, y up) does: corners (x, z, y), in the order 1, 3,
    2 that keeps fronts fronts; and its drawn colour: round(c0*65536) +
    round(c1*256) + round(c2), less 0x1000000 in 32 bits, its three low bytes."""
    records = []
    for line in open(path, encoding="latin-1"):
        if line.rstrip("\r\n") == "Triangle":
            records.append([])
        else:
            records[-1].extend(float(n) for n in re.split(r"[,\s]+", line.strip()) if n)
    out = []
    for n in records:
        stored = (round(n[0] * 65536) + round(n[1] * 256) + round(n[2]) - 0x1000000) & 0xFFFFFFFF
        corners = [n[6:9], n[18:21], n[12:15]]
        out.append(([[c[0], c[2], c[1]] for c in corners], [(stored >> s) & 255 for s in (16, 8, 0)]))
    return out


def compare(name, found, want, unit, coloured):
    """Faults in the triangles a reader found."""
    if len(found) != len(want):
        return [f"{name}: {len(found)} triangles, not {len(want)}"]
    scale = max(abs(x) for corners, _ in want for c in corners for x in c) * unit
    close = lambda a, b: all(abs(x - y * unit) <= 1e-5 * scale for x, y in zip(a, b))
    faults = []
    for i, (triangle, (corners, colour)) in enumerate(zip(found, want)):
        got = triangle["corners"]
        # A reader may start a face at another corner, but not turn it over.
        if not any(all(close(g, c) for g, c in zip(got[k:] + got[:k], corners)) for k in range(3)):
            faults.append(f"{name}: triangle {i} at {got}, not {corners} x {unit}")
        if coloured and any(c is None or max(abs(g - w) for g, w in zip(c, colour)) > 1
                            for c in triangle["colours"] or [None]):
            faults.append(f"{name}: triangle {i} coloured {triangle['colours']}, not {colour}")
    return faults[:6]


def read_3mf(program, path, tri):
    """Faults in what lib3mf reads of a 3MF file."""
    run = subprocess.run([program, path], capture_output=True, text=True)
    if run.returncode != 0:
        return [f"{path}: lib3mf refuses it: {run.stderr.strip()}"]
    lines = [line.split() for line in run.stdout.splitlines()]
    vertices = [[float(x) for x in line[1:]] for line in lines if line[0] == "v"]
    found = [{"corners": [vertices[int(i)] for i in line[1:4]],
              "colours": [[int(x) for x in line[k:k + 3]] for k in (4, 7, 10)]} for line in lines if line[0] == "t"]
    want = [t for t in expected(tri) if len({tuple(c) for c in t[0]}) == 3]  # no degenerate one
    shared = {tuple(c) for corners, _ in want for c in corners}
    faults = [] if lines[0] == ["warnings", "0"] else [f"{path}: lib3mf says {lines[0]}"]
    if len(vertices) != len(shared):
        faults.append(f"{path}: {len(vertices)} vertices, not the {len(shared)} positions shared")
    return faults + compare(path, found, want, 1, True)


def main():
    triview, examples, validator, read_3mf_program, blender = sys.argv[1:6]
    faults = [f"{where} is missing: scripts/install-deps.sh installs it"
              for where in (os.path.join(validator, "package.json"), read_3mf_program, blender)
              if not os.path.exists(where)]
    if faults:
        print("FAIL", "\n".join(faults))
        return 1
    with tempfile.TemporaryDirectory() as work:
        models = [os.path.join(examples, f) for f in sorted(os.listdir(examples)) if f.endswith(".tri")]
        written = {}  # file: (model, extension)
        for model in models + [write_tetrahedron(work)]:
            stem = os.path.join(work, os.path.basename(model)[:-4])
            for extension, format in FORMATS:
                out = f"{stem}-{format}.{extension}" if format else f"{stem}.{extension}"
                command = [triview, "--export", out] + (["--format", format] if format else []) + [model]
                run = subprocess.run(command, capture_output=True, text=True)
                if run.returncode != 0:
                    faults.append(f"{' '.join(command)}: status {run.returncode}: {run.stderr}")
                written[out] = (model, extension)

        gltf = [f for f, (_, e) in written.items() if e in ("glb", "gltf")]
        run = subprocess.run(["node", os.path.join(HERE, "validate_gltf.mjs"), validator] + gltf,
                             capture_output=True, text=True)
        print(run.stdout, end="")
        if run.returncode != 0:
            faults.append(f"the glTF Validator: {run.stdout}{run.stderr}")
        for f, (model, extension) in written.items():
            if extension == "3mf":
                faults += read_3mf(read_3mf_program, f, model)

        for_blender = [f for f, (_, e) in written.items() if e != "3mf"]
        report = os.path.join(work, "blender.json")
        # A plain environment: Blender as a user starts it, none of the test's settings.
        run = subprocess.run([blender, "-b", "--factory-startup", "--python-exit-code", "1", "--python",
                              os.path.join(HERE, "blender_import.py"), "--", report] + for_blender,
                             capture_output=True, text=True,
                             env={"HOME": work, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"})
        if run.returncode != 0 or not os.path.exists(report):
            faults.append(f"Blender: status {run.returncode}: {run.stdout[-2000:]}{run.stderr[-2000:]}")
        else:
            found = json.load(open(report))
            for f in for_blender:
                model, extension = written[f]
                if "error" in found[f]:
                    faults.append(f"Blender refuses {f}: {found[f]['error']}")
                else:  # FBX's unit is the centimetre, Blender's the metre
                    faults += compare(f, found[f]["triangles"], expected(model), 0.01 if extension == "fbx" else 1,
                                      extension != "stl")
            print(f"Blender read {len(for_blender)} files")
    for fault in faults:
        print("FAIL", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
