#!/usr/bin/env python3
"""Reads the machine code of the timed kernels and fails when work the figures count is gone.

Usage: kernel_machine_code.py OBJDUMP 'OBJECT|OBJECT...'

The Whetstone score counts every module of every pass as done, and the memory figure counts
three whole-block transfers a cycle. An optimiser that finds their results unread drops
them silently; this reads what the compiler really emitted for each build."""
import re
import subprocess
import sys

FUNCTION = re.compile(r"^[0-9a-f]+ <(.+)>:$")
INSTRUCTION = re.compile(r"^\s+([0-9a-f]+):\s+(\S+)\s*(.*)$")
RELOCATION = re.compile(r"^\s+[0-9a-f]+: (?:R_X86_64_PLT32|R_X86_64_PC32|R_386_PC32|R_386_PLT32|DISP32|dir32|IMAGE_REL_\S+)\s+(\S+)")
JUMP_TARGET = re.compile(r"^([0-9a-f]+)\b")


def read(objdump, path):
    """Per function: called symbols (with counts), backward branches, mnemonics."""
    text = subprocess.run([objdump, "-dr", "--no-show-raw-insn", path], check=True,
                          capture_output=True, text=True).stdout
    functions = {}
    current = None
    for line in text.splitlines():
        m = FUNCTION.match(line)
        if m:
            current = functions.setdefault(m.group(1), {"calls": {}, "backward": 0, "ops": {}})
            continue
        if current is None:
            continue
        m = RELOCATION.match(line)
        if m:
            name = re.sub(r"[-+]0x[0-9a-f]+$", "", m.group(1))
            name = re.sub(r"^\.refptr\.", "", name).lstrip("_")
            name = name.split("@")[0]
            # A call through an import pointer (Windows: msvcrt.dll's functions) counts as a
            # call of the function.
            name = re.sub(r"^imp_+", "", name)
            current["calls"][name] = current["calls"].get(name, 0) + 1
            continue
        m = INSTRUCTION.match(line)
        if m:
            address, mnemonic, operands = int(m.group(1), 16), m.group(2), m.group(3)
            current["ops"][mnemonic] = current["ops"].get(mnemonic, 0) + 1
            if mnemonic.startswith("call") and operands.startswith("*"):
                current["ops"]["indirect call"] = current["ops"].get("indirect call", 0) + 1
            t = JUMP_TARGET.match(operands)
            if mnemonic.startswith("j") and t and int(t.group(1), 16) < address:
                current["backward"] += 1
    return functions


def merged(functions, pattern):
    total = {"calls": {}, "backward": 0, "ops": {}}
    found = False
    for name, f in functions.items():
        if re.search(pattern, name):
            found = True
            total["backward"] += f["backward"]
            for key in ("calls", "ops"):
                for k, v in f[key].items():
                    total[key][k] = total[key].get(k, 0) + v
    return total if found else None


def main():
    objdump, objects = sys.argv[1], [p for p in sys.argv[2].split("|") if p]
    failures = []
    seen = set()
    for path in objects:
        functions = read(objdump, path)
        if "whetstone_kernel" in path:
            seen.add("whetstone")
            k = merged(functions, r"RunWhetstoneModules|WhetstonePA|WhetstoneP0|WhetstoneP3")
            if not k:
                failures.append("no Whetstone kernel in " + path)
                continue
            outer = merged(functions, r"RunWhetstonePass")
            if not outer or outer["backward"] < 1:
                failures.append("Whetstone: a pass no longer repeats the modules per iteration")
            # Module 7 calls sin, cos and atan; module 11 log, exp and sqrt.
            for fn in ("sin", "cos", "atan", "log", "exp"):
                if k["calls"].get(fn, 0) < 1:
                    failures.append("Whetstone: no call of %s (module %s dropped)" % (fn, 7 if fn in ("sin", "cos", "atan") else 11))
            if k["calls"].get("sqrt", 0) < 1 and k["ops"].get("sqrtsd", 0) < 1:
                failures.append("Whetstone: no square root (module 11 dropped)")
            # Through import pointers the compiler loads each pointer once and calls it from
            # a register: count those calls instead (module 7 makes 10, module 11 two).
            direct = k["calls"].get("cos", 0) + k["calls"].get("sin", 0)
            if direct < 4 and k["ops"].get("indirect call", 0) < 12:
                failures.append("Whetstone: module 7's sines and cosines merged: %s" % k["calls"])
            # A loop for each of modules 2, 3, 4, 6, 7, 8, 9 and 11, and the one inside WhetstonePA.
            if k["backward"] < 9:
                failures.append("Whetstone: %d loops where the modules need 9" % k["backward"])
            for op in ("mulsd", "divsd", "addsd", "subsd"):
                if k["ops"].get(op, 0) < 1:
                    failures.append("Whetstone: no %s left" % op)
            if k["ops"].get("imul", 0) < 1:
                failures.append("Whetstone: module 6's products are gone")
            print("%s: Whetstone kernel: calls %s, %d loops" % (path, k["calls"], k["backward"]))
        elif "memory_kernel" in path:
            seen.add("memory")
            for fn, loops in (("RunFillCopyCycles", 1), ("RunPlainFillCopy", 0)):
                k = merged(functions, fn)
                if not k:
                    failures.append("no %s in %s" % (fn, path))
                    continue
                if k["calls"].get("memset", 0) < 2 or k["calls"].get("memcpy", 0) < 1:
                    failures.append("%s: fill, fill and copy are not all there: %s" % (fn, k["calls"]))
                if k["backward"] < loops:
                    failures.append("%s: its cycle loop is gone" % fn)
                print("%s: %s: calls %s, %d loops" % (path, fn, k["calls"], k["backward"]))
    for kernel in ("whetstone", "memory"):
        if kernel not in seen:
            failures.append("no object of the %s kernel given" % kernel)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
