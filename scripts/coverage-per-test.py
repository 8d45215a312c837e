#!/usr/bin/env python3
"""Which test functions reach nothing the others do not.

Runs every function of every Qt Test program alone, in the coverage build that
scripts/coverage.sh makes (build-coverage/), each with its own GCOV_PREFIX and home, reads
the program lines and branches it reached with gcov, then drops, longest function first, every
function whose lines and branches are all reached by the functions still kept. Prints those
(with the kept functions that overlap them most) and, for the kept ones, what only they reach.
A function in the first list is a candidate for merging, not a verdict: it may still be the
only one that checks a distinct outcome.

usage: scripts/coverage-per-test.py [TEST ...]   (CTest names; all Qt Test programs by default)
"""
import concurrent.futures
import glob
import json
import os
import pickle
import re
import shutil
import subprocess
import sys
import tempfile
from collections import Counter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-coverage")
FOLDERS = {"app", "batch", "common", "editor", "export", "ocr", "pageproc", "pages", "ribbon",
           "scan"}
WORK = os.path.join(BUILD, "per-test")


def jobs(only):
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=BUILD, check=True,
                             capture_output=True, text=True).stdout
    for test in json.loads(listing)["tests"]:
        if not test["name"].startswith("tst_") or (only and test["name"] not in only):
            continue
        env = dict(os.environ)
        for prop in test.get("properties", []):
            if prop["name"] == "ENVIRONMENT":
                env.update(kv.split("=", 1) for kv in prop["value"])
        functions = subprocess.run(test["command"] + ["-functions"], env=env,
                                   capture_output=True, text=True).stdout.split()
        for function in functions:
            yield test["name"], function.removesuffix("()"), test["command"], env


def reached(prefix):
    """The program's lines and branches reached, from the counts written below prefix."""
    counts = []
    for gcda in glob.glob(prefix + "/**/*.gcda", recursive=True):
        gcno = gcda[len(prefix):-5] + ".gcno"
        if os.path.exists(gcno):
            os.symlink(gcno, gcda[:-5] + ".gcno")
            counts.append(gcda)
    items = set()
    for i in range(0, len(counts), 150):
        out = subprocess.run(["gcov", "-b", "--json-format", "--stdout"] + counts[i:i + 150],
                             cwd=BUILD, capture_output=True, text=True).stdout
        for line in out.splitlines():
            if not line.startswith("{"):
                continue
            for source in json.loads(line)["files"]:
                path = os.path.relpath(os.path.normpath(os.path.join(BUILD, source["file"])), ROOT)
                if path.split("/")[0] not in FOLDERS:
                    continue
                for entry in source["lines"]:
                    if entry["count"] > 0:
                        items.add((path, entry["line_number"]))
                        items.update(("branch", path, entry["line_number"], n)
                                     for n, b in enumerate(entry["branches"]) if b["count"] > 0)
    return items


def run(job):
    name, function, command, env = job
    key = f"{name}::{function}"
    with tempfile.TemporaryDirectory() as prefix, tempfile.TemporaryDirectory() as home:
        result = subprocess.run(command + [function], capture_output=True, timeout=900,
                                env=dict(env, GCOV_PREFIX=prefix, GCOV_PREFIX_STRIP="0",
                                         HOME=home))
        items = reached(prefix)
    print(f"{key}: {'passed' if result.returncode == 0 else 'FAILED'}, "
          f"{sum(1 for i in items if i[0] != 'branch')} lines", flush=True)
    return key, items


def function_lengths():
    lengths = {}
    for path in glob.glob(os.path.join(ROOT, "tests", "tst_*.cpp")):
        name, current = os.path.basename(path)[:-4], None
        for line in open(path, encoding="utf-8"):
            match = re.match(r"^    void (\w+)\(\)", line)
            if match:
                current = f"{name}::{match.group(1).removesuffix('_data')}"
            if current:
                lengths[current] = lengths.get(current, 0) + 1
    return lengths


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        covered = dict(pool.map(run, list(jobs(set(sys.argv[1:])))))
    with open(os.path.join(WORK, "reached.pickle"), "wb") as f:
        pickle.dump(covered, f)
    lengths = function_lengths()
    count = Counter(i for items in covered.values() for i in items)
    kept, dropped = set(covered), []
    for key in sorted(covered, key=lambda k: -lengths.get(k, 0)):
        if all(count[i] > 1 for i in covered[key]):
            kept.discard(key)
            dropped.append(key)
            count.subtract(covered[key])
    print("\nReach nothing the kept functions do not (longest first), with the kept ones "
          "that overlap them most:")
    for key in dropped:
        items = covered[key]
        near = sorted(((len(items & covered[k]) / max(1, len(items)), k) for k in kept),
                      reverse=True)[:2]
        print(f"  {lengths.get(key, 0):4d} lines  {key}: "
              + ", ".join(f"{k} {share:.0%}" for share, k in near))
    print("\nKept: lines / branches only they reach")
    for key in sorted(kept, key=lambda k: -lengths.get(k, 0)):
        only = [i for i in covered[key] if count[i] == 1]
        branches = sum(1 for i in only if i[0] == "branch")
        print(f"  {lengths.get(key, 0):4d} lines  {key}: {len(only) - branches} / {branches}")


if __name__ == "__main__":
    main()
