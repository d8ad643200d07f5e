"""The Qt dialog as a screen reader sees it, through AT-SPI: every value field named by its
label (the two CPU Speed fields by their rows), each Run button by its row, figures in the C
form in every locale, the link reached and opened by keyboard.

Usage: atspi_dialog_test.py KELVANE WORKDIR (inside Xvfb and a private session bus).
"""
import locale
import os
import re
import subprocess
import sys
import time

SKIP = 77
KELVANE, WORK = sys.argv[1], sys.argv[2]
LABELS = ["CPU Speed (measured)", "CPU FLOPS", "Mem Bandwidth", "Disk Transfer", "CPU Details",
          "CPU Family", "Model", "Stepping", "Instructions", "CPU Speed (nominal)", "Vendor",
          "Cores", "Memory (RAM)", "Video Memory", "OS Version"]
SYSTEM_FIELDS = LABELS[4:]
# The two CPU Speed fields are named by their rows, their labels read alike.
LABEL_TEXT = {"CPU Speed (measured)": "CPU Speed:", "CPU Speed (nominal)": "CPU Speed:"}
RUN_BUTTONS = ["Run CPU Speed", "Run CPU FLOPS", "Run Mem Bandwidth", "Run Disk Transfer"]
URL_FILE = os.path.join(WORK, "opened")
failures = []

try:
    import pyatspi
    DESKTOP = pyatspi.Registry.getDesktop(0)
    DESKTOP.childCount  # starts the accessibility bus, or fails
except Exception as error:  # noqa: BLE001 - any failure here means no bus
    print(f"SKIP: the accessibility bus cannot start: {error}")
    sys.exit(SKIP)


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def wait_for(find, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except Exception:  # noqa: BLE001 - the tree changes while we read it
            found = None
        if found:
            return found
        time.sleep(0.2)
    return None


def walk(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from walk(child)


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return None


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return relation.getTarget(0).name
    return None


def find_dialog():
    for app in DESKTOP:
        if app is not None and app.name == "Kelvane":
            for child in app:
                if child is not None and child.name == "Kelvane 0.4":
                    return child
    return None


def value_fields(dialog):
    return [node for node in walk(dialog) if labelled_by(node) is not None]


def key(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)


def run_dialog(lang):
    """Opens the dialog under `lang`, checks it and returns the field texts by name."""
    print(f"--- LC_ALL={lang}")
    stubs = os.path.join(WORK, "bin")
    env = dict(os.environ, LC_ALL=lang, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               PATH=stubs + os.pathsep + os.environ.get("PATH", ""))
    if os.path.exists(URL_FILE):
        os.remove(URL_FILE)
    program = subprocess.Popen([KELVANE, "1000"], env=env)
    try:
        dialog = wait_for(lambda: find_dialog() if len(value_fields(find_dialog())) == 15 else None)
        if not dialog:
            check(False, f"{lang}: the dialog never showed its 15 value fields on the bus")
            return {}
        fields = value_fields(dialog)
        names = [node.name for node in fields]
        check(sorted(names) == sorted(LABELS), f"{lang}: field names {names}")
        texts = {}
        for node in fields:
            value = text_of(node)
            print(f"  {node.name!r}: {value!r}")
            label = LABEL_TEXT.get(node.name, node.name + ":")
            check(labelled_by(node) == label, f"{lang}: {node.name} labelled by {labelled_by(node)!r}")
            check(value is not None, f"{lang}: {node.name} has no text")
            texts.setdefault(node.name, value)

        # Each Run button says its row; no button is named by its bare text.
        buttons = [node for node in walk(dialog) if node.getRoleName() == "push button"]
        button_names = [node.name for node in buttons]
        check(all(name in button_names for name in RUN_BUTTONS) and "Run" not in button_names,
              f"{lang}: button names {button_names}")

        # A run: the result and the time stamp in the C form; the month in the user's language.
        run = [node for node in buttons if node.name == "Run CPU Speed"][0]
        action = run.queryAction()
        action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
        speed = [node for node in fields if node.name == "CPU Speed (measured)"][0]
        result = wait_for(lambda: re.fullmatch(r"\d+(\.\d+)? GHz", text_of(speed) or "") and text_of(speed))
        check(result, f"{lang}: CPU Speed result {text_of(speed)!r}")
        print(f"  CPU Speed after a run: {text_of(speed)!r}")
        status = [node for node in walk(dialog) if node.name and node.name.startswith("Time stamp")][0]
        stamp = text_of(status)
        print(f"  status line {status.name!r}: {stamp!r}")
        locale.setlocale(locale.LC_TIME, lang)
        month = time.strftime("%OB")
        check(re.fullmatch(r"Time Stamp:  (\S+) \d{1,2}, \d{4} at \d{1,2}:\d\d:\d\d", stamp or "")
              and month in stamp, f"{lang}: time stamp {stamp!r}, month {month!r}")

        # The link: named, reached with Tab, opened with Enter and with Space.
        links = [node for node in walk(dialog) if node.getRoleName() == "link"]
        check(len(links) == 1 and links[0].name == "www.kelvane.example", f"{lang}: links {links}")
        window = subprocess.run(["xdotool", "search", "--name", "^Kelvane 0.4$"], capture_output=True, text=True)
        subprocess.run(["xdotool", "windowfocus", "--sync", window.stdout.split()[0]], check=False)
        focused = False
        for _ in range(12):
            key("Tab")
            time.sleep(0.15)
            if links and links[0].getState().contains(pyatspi.STATE_FOCUSED):
                focused = True
                break
        check(focused, f"{lang}: Tab never reached the link")
        if focused:
            key("Return")
            opened = wait_for(lambda: os.path.exists(URL_FILE) and open(URL_FILE).read().strip(), 10)
            check(opened and opened.startswith("http"), f"{lang}: Enter on the link opened {opened!r}")
            if os.path.exists(URL_FILE):
                os.remove(URL_FILE)
            key("space")
            opened = wait_for(lambda: os.path.exists(URL_FILE) and open(URL_FILE).read().strip(), 10)
            check(bool(opened), f"{lang}: Space on the link opened nothing")
        key("Escape")
        program.wait(timeout=20)
        return texts
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


def main():
    stubs = os.path.join(WORK, "bin")
    os.makedirs(stubs, exist_ok=True)
    stub = os.path.join(stubs, "xdg-open")
    with open(stub, "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$1" > "{URL_FILE}"\n')
    os.chmod(stub, 0o755)

    results = {lang: run_dialog(lang) for lang in ("C", "de_DE.UTF-8", "ru_RU.UTF-8")}
    for lang in ("de_DE.UTF-8", "ru_RU.UTF-8"):
        for name in SYSTEM_FIELDS:
            check(results[lang].get(name) == results["C"].get(name),
                  f"{lang}: {name} reads {results[lang].get(name)!r}, in C {results['C'].get(name)!r}")
    print(f"{len(failures)} checks failed" if failures else "every check passed")
    return 1 if failures else 0


sys.exit(main())
