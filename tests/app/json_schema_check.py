#!/usr/bin/env python3
"""Runs every command of kelvane-cli with --json and validates each document against the
schema in docs/. Usage: json_schema_check.py SCHEMA 'RUNNER' CLI WORKDIR

RUNNER is empty natively and the Wine wrapper for a Windows build (77 from it: skipped).
WORKDIR is a folder on a real disk for the disk benchmark's file."""
import json
import subprocess
import sys

import jsonschema


def main():
    schema_path, runner, cli, workdir = sys.argv[1:5]
    schema = json.load(open(schema_path))
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    prefix = [runner] if runner else []
    if runner and subprocess.run(prefix + ["--check"]).returncode == 77:
        return 77
    drive = workdir
    if runner:
        drive = subprocess.run(prefix + ["winepath", "-w", workdir], capture_output=True,
                               text=True).stdout.strip()
    # flops and memory alone write the same result objects as within "all", which takes
    # each of them once; running them apart would double the test's minute.
    runs = [
        (["info"], {0}),
        (["cpu", "--repeat", "2"], {0}),
        (["disk", "--duration", "0", "--drive", drive], {0, 1}),
        (["all", "--duration", "0", "--drive", drive, "--threads", "all"], {0, 1}),
        (["disk", "--duration", "0", "--drive", drive + "/no-such-folder"], {1}),
        (["bench", "--duration", "0", "--drive", drive], {0}),
    ]
    failures = 0
    for arguments, statuses in runs:
        done = subprocess.run(prefix + [cli] + arguments + ["--json", "--quiet"], capture_output=True, text=True)
        name = " ".join(arguments)
        if done.returncode not in statuses:
            print("FAIL %s: status %d\n%s" % (name, done.returncode, done.stderr))
            failures += 1
            continue
        try:
            document = json.loads(done.stdout)
        except ValueError as e:
            print("FAIL %s: not JSON (%s): %r" % (name, e, done.stdout[:300]))
            failures += 1
            continue
        errors = sorted(validator.iter_errors(document), key=lambda e: list(e.path))
        for e in errors:
            print("FAIL %s: %s at %s" % (name, e.message, "/".join(str(p) for p in e.path)))
        failures += 1 if errors else 0
        if document.get("command") != arguments[0]:
            print("FAIL %s: command %r" % (name, document.get("command")))
            failures += 1
        if not errors:
            print("ok   %s" % name)
        # Keys are only added within a schema version: a reader of this version must take
        # a later document with a key added at every level.
        if not errors and "results" in document:
            later = json.loads(done.stdout)
            later["added_later"] = 1
            later["results"]["added_later"] = {"figure": 1}
            for result in later["results"].values():
                if isinstance(result, dict):
                    result["added_later"] = [1]
            added = list(validator.iter_errors(later))
            for e in added:
                print("FAIL %s with keys added: %s at %s" % (name, e.message, "/".join(str(p) for p in e.path)))
            failures += 1 if added else 0
    print("%d passed, %d failed" % (len(runs) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
