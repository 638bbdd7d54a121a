#!/usr/bin/env python3
"""Conversion speed of parvex-convert against efix, side by side in one run.

Makes a text of PAGES pages (60 lines each), then times, alternating so that
both see the same machine load:
  efix       text -> TIFF (efix -i text -o tiffg3), the reference job
  to-apf     text -> APF            (parvex-convert to-apf)
  from-apf   APF -> TIFF            (parvex-convert from-apf ... .tif)
  to-tiff    text -> TIFF, one job  (parvex-convert to-tiff), efix's own job
  two jobs   text -> APF -> TIFF    (to-apf and from-apf together)
Time is CPU time (user + system) of the child, the least of REPEATS runs, as
the machine is shared. Prints each job's time and its ratio to efix's; the
goal is at most 0.5 for each of to-apf, from-apf and to-tiff. The two-job
line is told for comparison.

usage: bench/fax/convert/efix_ratio.py [--bin DIR] [--pages N] [--repeats N]
"""
import argparse
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile

GOAL = 0.5


def cpu_seconds(command):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def make_text(path, pages):
    words = ["fax", "page", "modem", "line", "paper", "the", "of", "and", "document",
             "invoice", "sender", "receiver", "number", "station"]
    rng = random.Random(1)
    with open(path, "w", newline="") as out:
        for _ in range(pages * 60):
            out.write(" ".join(rng.choice(words) for _ in range(12))[:78] + "\r\n")


def main():
    top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(top, "build", "bin"))
    parser.add_argument("--pages", type=int, default=50)
    parser.add_argument("--repeats", type=int, default=7)
    args = parser.parse_args()
    tool = os.path.join(args.bin, "parvex-convert")
    efix = shutil.which("efix")
    if not os.access(tool, os.X_OK) or efix is None:
        sys.exit(f"needs {tool} and efix (Debian package efax)")

    with tempfile.TemporaryDirectory() as work:
        text = os.path.join(work, "letter.txt")
        apf = os.path.join(work, "letter.apf")
        make_text(text, args.pages)
        jobs = {
            "efix": [efix, "-i", "text", "-o", "tiffg3", "-n", os.path.join(work, "efix.tif"),
                     text],
            "to-apf": [tool, "to-apf", text, apf, "--fine"],
            "from-apf": [tool, "from-apf", apf, os.path.join(work, "letter.tif")],
            "to-tiff": [tool, "to-tiff", text, os.path.join(work, "direct.tif"), "--fine"],
        }
        best = {name: float("inf") for name in jobs}
        for _ in range(args.repeats):
            for name, command in jobs.items():
                best[name] = min(best[name], cpu_seconds(command))
        best["two jobs"] = best["to-apf"] + best["from-apf"]
        # The one job makes the very file the two jobs make.
        with open(os.path.join(work, "letter.tif"), "rb") as a, \
                open(os.path.join(work, "direct.tif"), "rb") as b:
            if a.read() != b.read():
                sys.exit("to-tiff and to-apf + from-apf made different files")

    reference = best["efix"]
    print(f"{args.pages} pages of text, CPU time, least of {args.repeats} runs")
    print(f"{'job':<10} {'seconds':>9} {'ms/page':>8} {'x efix':>7}")
    worst = 0.0
    for name in ("efix", "to-apf", "from-apf", "to-tiff", "two jobs"):
        ratio = best[name] / reference if reference > 0 else float("inf")
        if name in ("to-apf", "from-apf", "to-tiff"):
            worst = max(worst, ratio)
        print(f"{name:<10} {best[name]:9.4f} {1000 * best[name] / args.pages:8.2f} {ratio:7.2f}")
    print(f"goal: to-apf, from-apf and to-tiff each at most {GOAL:.2f} x efix: "
          f"{'met' if worst <= GOAL else 'not met'}")


if __name__ == "__main__":
    main()
