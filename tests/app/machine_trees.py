#!/usr/bin/env python3
"""kelvane-cli info --json --sysroot TREE for every machine tree, field by field against
its expected.json. Only what the tree decides is compared; a tree with a cpuid.txt decides
the CPUID fields too. machine_trees.py CLI MACHINES_DIR"""
import json
import os
import subprocess
import sys

# The video memory source reads the machine's /sys/class/drm itself until it reads under
# the system root too; its expectations are in the trees already.
NOT_YET_FROM_TREE = set()  # every key is decided by the tree now


def main():
    cli, machines = sys.argv[1], sys.argv[2]
    failures = 0
    names = sorted(n for n in os.listdir(machines) if os.path.isfile(os.path.join(machines, n, "expected.json")))
    for name in names:
        with open(os.path.join(machines, name, "expected.json"), encoding="utf-8") as f:
            sections = json.load(f)
        expected = sections.pop("info")
        run = subprocess.run([cli, "info", "--json", "--sysroot", os.path.join(machines, name, "tree")],
                             capture_output=True, text=True, timeout=60)
        if run.returncode != 0:
            print(f"FAIL {name}: exit status {run.returncode}: {run.stderr.strip()}")
            failures += 1
            continue
        document = json.loads(run.stdout)
        got = document["info"]
        # Other sections: an object ("processor", "container") by the keys it lists, a list
        # ("graphics_adapters") or null whole.
        for key, want in sections.items():
            got_section = document.get(key)
            if isinstance(want, dict) and isinstance(got_section, dict):
                for inner, value in want.items():
                    if got_section.get(inner) != value:
                        print(f"FAIL {name}: {key}.{inner} is {json.dumps(got_section.get(inner))}, "
                              f"expected {json.dumps(value)}")
                        failures += 1
            elif got_section != want:
                print(f"FAIL {name}: {key} is {json.dumps(got_section)}, expected {json.dumps(want)}")
                failures += 1
        for key, want in expected.items():
            if key in NOT_YET_FROM_TREE:
                continue
            if got.get(key) != want:
                print(f"FAIL {name}: {key} is {json.dumps(got.get(key))}, expected {json.dumps(want)}")
                failures += 1
    print(f"{len(names)} machine trees, {failures} differences")
    return 1 if failures or not names else 0


if __name__ == "__main__":
    sys.exit(main())
