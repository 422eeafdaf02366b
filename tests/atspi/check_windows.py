#!/usr/bin/python3
"""Walks what a screen reader sees of each window of the program through AT-SPI.

Run by tests/atspi/run under a virtual display and a private D-Bus session. Opens the main
window on a folder of photographs, then the preview, the about box and the viewer, each
through the program's own controls, and fails on:
  - a top-level window that is a filler instead of a frame or a dialog;
  - a focusable widget without a name;
  - a combo box named by the text it holds instead of its label;
  - anything named after the code ("Frame4") instead of what it shows.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

import pyatspi

# Values the program's combo boxes hold at start: a combo named like one of them is
# named by its value.
COMBO_VALUES = {"jpg", "1", "/", "*"}
# A control's name in the code ("Frame4", "Text3") says nothing to a listener.
CODE_NAME = re.compile(r"^(Frame|Label|Text|Combo|Command|Comm|Image|TN|Drive|Dir|File)[0-9_()]*$")


def wait_for(what, timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    return None


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == name:
            return app
    return None


def window_named(app, title):
    for window in app:
        if window is not None and window.name == title:
            return window
    return None


def walk(node, depth=0):
    yield node, depth
    # The rows of a list or a table are named by their text; walking them adds nothing.
    if node.getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE):
        return
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


def check_window(window, faults):
    role = window.getRole()
    if role not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG):
        faults.append(f"window '{window.name}' is a {window.getRoleName()}, not a frame or dialog")
    checked = 0
    for node, _ in walk(window):
        checked += 1
        states = node.getState()
        where = f"{window.name} > {node.getRoleName()}"
        if states.contains(pyatspi.STATE_FOCUSABLE) and not node.name.strip():
            faults.append(f"{where}: focusable without a name")
        if CODE_NAME.match(node.name):
            faults.append(f"{where}: named '{node.name}' after the code, not what it shows")
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            values = set(COMBO_VALUES)
            for child in node:
                if child is not None and text_of(child):
                    values.add(text_of(child))
            if node.name in values or not node.name:
                faults.append(f"{where}: combo box named '{node.name}' by its value")
    print(f"{window.name}: {checked} nodes walked")


def find(node, role, name):
    for found, _ in walk(node):
        if found.getRole() == role and found.name == name:
            return found
    return None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Toggle", "SetFocus"):
            action.doAction(i)
            return True
    if action.nActions > 0:
        action.doAction(0)
        return True
    return False


def make_photos(folder):
    for i in range(1, 4):
        subprocess.run(["convert", "-size", "64x48", "xc:green", f"{folder}/IMG_{i}.jpg"],
                       check=True)


def main():
    program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/quorvel")
    scratch = tempfile.mkdtemp(prefix="quorvel-atspi-")
    photos = os.path.join(scratch, "Photos")
    os.makedirs(photos)
    make_photos(photos)
    with open(os.path.join(scratch, "quorvel.ini"), "w", encoding="utf-8") as ini:
        ini.write(f"[Data]\nDir={photos}\ndrv=/\n")
    env = dict(os.environ, XDG_CONFIG_HOME=scratch, XDG_STATE_HOME=scratch,
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", LANG="fr_FR.UTF-8")
    shown = subprocess.Popen([program], env=env)
    faults = []
    try:
        app = wait_for(lambda: application("quorvel"))
        if app is None:
            print("the program never showed on the accessibility bus", file=sys.stderr)
            return 1
        main_window = wait_for(lambda: next((w for w in app if w is not None), None))
        time.sleep(1)
        check_window(main_window, faults)

        # A bridge that tells no radio button "checkable" does not carry that state at all
        # (Qt before 6.5): the item is then only asked to exist.
        exif = find(main_window, pyatspi.ROLE_MENU_ITEM, "Dater les photos par leur prise de vue")
        radio = find(main_window, pyatspi.ROLE_RADIO_BUTTON, "2 chiffres")
        carried = radio is not None and radio.getState().contains(pyatspi.STATE_CHECKABLE)
        if exif is None:
            faults.append("the capture-date menu item is missing")
        elif carried and not exif.getState().contains(pyatspi.STATE_CHECKABLE):
            faults.append("the capture-date menu item does not say it is checkable")

        opened = {
            "Aperçu du lot": lambda: press(find(main_window, pyatspi.ROLE_MENU_ITEM,
                                                "Aperçu du lot")),
            "A Propos": lambda: press(find(main_window, pyatspi.ROLE_PUSH_BUTTON, "A Propos")),
        }
        for title, open_it in opened.items():
            open_it()
            window = wait_for(lambda: next(
                (w for w in app if w is not None and w is not main_window and
                 w.name != main_window.name), None))
            if window is None:
                faults.append(f"'{title}' never opened")
                continue
            check_window(window, faults)
            subprocess.run(["xdotool", "key", "Escape"], check=False)
            wait_for(lambda: app.childCount == 1, 5)

        # The viewer: the strip shows the selection, Enter on a thumbnail opens it.
        press(find(main_window, pyatspi.ROLE_PUSH_BUTTON, "Voir la sélection"))
        thumbnail = wait_for(lambda: find(main_window, pyatspi.ROLE_IMAGE, "IMG_1.jpg"))
        if thumbnail is None:
            faults.append("no thumbnail named after its file")
        else:
            thumbnail.queryComponent().grabFocus()
            time.sleep(0.3)
            subprocess.run(["xdotool", "key", "Return"], check=False)
            viewer = wait_for(lambda: window_named(app, "Visionner la photo"), 10)
            if viewer is None:
                faults.append("the viewer never opened from the keyboard")
            else:
                check_window(viewer, faults)
    finally:
        shown.terminate()
        shown.wait(10)
    for fault in faults:
        print("FAULT:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
