#!/usr/bin/env python3
"""Mutation testing: how many of the faults in tests/mutants.json the suite
catches. Each fault (an exact text of a file, found there once, and its
replacement) is put into a private copy of the tree, which is rebuilt
incrementally and tested with ctest on a virtual display, which stops at
the first failure; the fault is caught when a test fails, and confirmed by
running the failed tests again when only a few failed (and, should they
pass then, the whole suite). A fault whose "built" names a file the build makes
only on some systems (KDE Frameworks 6's plugin on Debian 13, 5's on Debian
12) counts as not built here where that file is not made. The tree itself is
never touched.

usage: scripts/mutate.py [--jobs N] [--keep] [ID...]   (default: every fault)
Prints one JSON line per fault, then "caught K of N (P%), S survived,
E did not build, T stale, H not built here"; exits 1 when the unchanged
tree fails its tests.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def log(message):
    print(f"[mutate {time.strftime('%H:%M:%S')}] {message}", file=sys.stderr, flush=True)


def run(command, log_path, timeout):
    with open(log_path, "w") as out:
        try:
            return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return "timeout"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    parser.add_argument("--keep", action="store_true", help="keep the private copy and its logs")
    parser.add_argument("ids", nargs="*")
    options = parser.parse_args()

    faults = json.load(open(os.path.join(ROOT, "tests", "mutants.json"), encoding="utf-8"))
    unknown = set(options.ids) - {fault["id"] for fault in faults}
    if unknown:
        sys.exit(f"mutate: no such fault: {', '.join(sorted(unknown))}")
    if options.ids:
        faults = [fault for fault in faults if fault["id"] in options.ids]

    work = tempfile.mkdtemp(prefix="triview-mutants.")
    tree, build, logs = (os.path.join(work, name) for name in ("tree", "build", "logs"))
    os.makedirs(logs)
    files = subprocess.run(["git", "-C", ROOT, "ls-files", "-co", "--exclude-standard", "-z"],
                           check=True, capture_output=True, text=True).stdout.split("\0")
    for name in filter(None, files):
        if os.path.isfile(os.path.join(ROOT, name)):
            os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, name), os.path.join(tree, name))
    log(f"copied {ROOT} to {tree}")

    generator = ["-G", "Ninja"] if shutil.which("ninja") else []
    build_command = ["cmake", "--build", build, "-j", str(options.jobs)]

    def test(log_path, *extra):
        return run([os.path.join(tree, "scripts", "with-display.sh"), "ctest", "--test-dir", build,
                    "--timeout", "120", "-j", str(options.jobs), "--output-on-failure", *extra],
                   log_path, 1800)

    def failed_tests():
        path = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
        return [line.split(":", 1)[1].strip() for line in open(path)] if os.path.exists(path) else []

    # Warnings stay warnings: a fault that only warns is still a fault to catch.
    if run(["cmake", "-S", tree, "-B", build, *generator, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
            "-DTRIVIEW_BENCH=OFF", "-DTRIVIEW_WERROR=OFF"], os.path.join(logs, "configure.log"), 600) != 0 \
            or run(build_command, os.path.join(logs, "build.log"), 1800) != 0:
        sys.exit(f"mutate: the unchanged tree does not build; see {logs}")
    log("testing the unchanged tree")
    if test(os.path.join(logs, "unchanged.log")) != 0:
        sys.exit(f"mutate: the unchanged tree fails its tests; see {logs}/unchanged.log")

    def judge(name):
        """Runs the suite on a fault: the first failure is enough, unless it
        is a flake that passes again; then the whole suite decides."""
        for whole in (False, True):
            stop = () if whole else ("--stop-on-failure",)
            if test(os.path.join(logs, f"{name}.{'all' if whole else 'test'}.log"), *stop) == 0:
                return "survived", []
            failed = failed_tests()
            # A few failures might be flakes: the fault must fail them again.
            if not (0 < len(failed) <= 3 and test(os.path.join(logs, f"{name}.again.log"),
                                                  "--rerun-failed") == 0):
                return "caught", failed
        return "survived", []

    counts = {"caught": 0, "survived": 0, "did not build": 0, "stale": 0, "not built here": 0}
    for fault in faults:
        started = time.time()
        path = os.path.join(tree, fault["file"])
        original = open(path, encoding="utf-8").read() if os.path.exists(path) else ""
        failed = []
        if original.count(fault["old"]) != 1:
            status = "stale"
        elif "built" in fault and not os.path.exists(os.path.join(build, fault["built"])):
            status = "not built here"
        else:
            with open(path, "w", encoding="utf-8") as out:
                out.write(original.replace(fault["old"], fault["new"]))
            if run(build_command, os.path.join(logs, f"{fault['id']}.build.log"), 1800) != 0:
                status = "did not build"
            else:
                status, failed = judge(fault["id"])
            with open(path, "w", encoding="utf-8") as out:
                out.write(original)
            os.utime(path)
        counts[status] += 1
        log(f"{fault['id']}: {status}")
        print(json.dumps({"id": fault["id"], "file": fault["file"], "status": status,
                          "seconds": round(time.time() - started), "failed": failed,
                          "why": fault["why"]}, ensure_ascii=False), flush=True)

    # Put the tree back as it was built, so a kept copy is the unchanged one.
    run(build_command, os.path.join(logs, "rebuild.log"), 1800)
    applicable = counts["caught"] + counts["survived"]
    share = 100 * counts["caught"] / applicable if applicable else 0
    print(f"caught {counts['caught']} of {applicable} ({share:.0f}%), {counts['survived']} survived, "
          f"{counts['did not build']} did not build, {counts['stale']} stale, "
          f"{counts['not built here']} not built here")
    if options.keep:
        log(f"kept {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
