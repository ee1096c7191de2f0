#!/usr/bin/python3
"""What a screen reader hears of the main window, read off the accessibility
bus (AT-SPI) as a screen reader reads it.

    /usr/bin/python3 atspi_events_test.py VELKARO_DESKTOP VELKARO_CLI SCRATCH

starts an X server (Xvfb) and a session bus of its own and runs in them.

Starts the desktop program twice on fresh settings under a French and then
an English locale (a first start speaks the locale's language, a stored
choice wins), then on a working file of twelve cards and a field-names
card, presses keys as a user would (through the X server, so they arrive as
real key events) and checks the names of the window's parts and the events
that arrive for each change: the index list's row renamed when the list
moves, the display's text inserted when typing, its description when the
page changes, the field-name labels.
"""

import os
import shutil
import subprocess
import sys
import time

try:
    import gi

    gi.require_version("Atspi", "2.0")
    import pyatspi
    from gi.repository import GLib
except (ImportError, ValueError) as error:
    print(f"SKIP: no AT-SPI client library ({error})")
    sys.exit(77)

DESKTOP, CLI, SCRATCH = sys.argv[1:4]
CARDS = ["Adam Eva", "Berger Otto", "Claus Ina", "Dorn Uwe", "Eck Lea", "Fink Max", "Graf Ute",
         "Horn Jan", "Ibsen Kai", "Jung Tom", "Kurz Ida", "M\u00fcller Hans"]
EVENTS = [
    "object:property-change:accessible-name",
    "object:property-change:accessible-description",
    "object:text-changed",
]


def scratch_env():
    """Everything this test starts keeps its files in the scratch folder."""
    home = os.path.join(SCRATCH, "home")
    return dict(
        os.environ,
        HOME=home,
        XDG_CONFIG_HOME=os.path.join(home, ".config"),
        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
        XDG_CACHE_HOME=os.path.join(home, ".cache"),
        XDG_CONFIG_DIRS=os.path.join(SCRATCH, "etc"),
        XDG_RUNTIME_DIR=os.path.join(SCRATCH, "run"),
    )


def program_env():
    return dict(scratch_env(), QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                LANGUAGE="", LC_ALL="de_DE.UTF-8")


def make_cards(env):
    # The field-names card is the card whose name is twenty 0xE5 bytes.
    # More cards than the list has rows, so that Down turns a page.
    rows = [("\u00e5" * 20, "Telefon", "Ort")] + [
        (name, f"030{n:05d}", "M\u00fcnchen") for n, name in enumerate(CARDS)
    ]
    source = os.path.join(SCRATCH, "cards.csv")
    with open(source, "w", encoding="cp1252") as f:
        f.write("".join(";".join(r) + "\n" for r in rows))
    working = os.path.join(env["HOME"], "Documents", "Velkaro", "Velkaro_Desktop.itx")
    subprocess.run([CLI, "import", source, "--into", working, "--map", "1=1,2=2,3=3"],
                   env=env, check=True, stdout=subprocess.DEVNULL)


class Listener:
    def __init__(self):
        self.events = []
        for kind in EVENTS:
            pyatspi.Registry.registerEventListener(self.on_event, kind)

    def on_event(self, event):
        try:
            source = event.source
            self.events.append((event.type, source.getRoleName(), source.name, event.any_data,
                                source.getIndexInParent(), source.description))
        except Exception:  # the source went while the event travelled
            pass

    def pump(self, seconds):
        """Lets events arrive for a while; the bus delivers them in the loop."""
        loop = GLib.MainLoop()
        GLib.timeout_add(int(seconds * 1000), loop.quit)
        loop.run()

    def wait_for(self, what, matches, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = [e for e in self.events if matches(e)]
            if found:
                return found
            self.pump(0.2)
        print(f"FAIL: no event for {what}; events seen:")
        for e in self.events:
            print("   ", e)
        sys.exit(1)


def find(node, role, name=None, depth=0):
    if depth > 12 or node is None:
        return None
    if (role is None or node.getRoleName() == role) and (name is None or node.name == name):
        return node
    for i in range(node.childCount):
        hit = find(node.getChildAtIndex(i), role, name, depth + 1)
        if hit:
            return hit
    return None


def program_frame(listener):
    for _ in range(150):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Velkaro Desktop":
                # A first start greets the user; close that window first.
                about = find(app, "dialog")
                if about is not None:
                    ok = find(about, "push button", "OK")
                    ok.queryAction().doAction(0)
                    listener.pump(0.5)
                    continue
                frame = find(app, "frame")
                if frame is not None:
                    return frame
        listener.pump(0.2)
    print("FAIL: the program's window did not appear on the accessibility bus")
    sys.exit(1)


def press(listener, key):
    subprocess.run(["xdotool", "key", key], check=True)
    listener.pump(0.3)


def check(condition, what):
    if not condition:
        print(f"FAIL: {what}")
        sys.exit(1)


def check_names(frame):
    """Every part a user reaches has a name, and the names are what a
    screen reader should say."""
    check(find(frame, "menu bar", "Men\u00fcleiste") is not None, "the menu bar is named")
    check(find(frame, "tool bar", "Symbolleiste") is not None, "the toolbar is named")
    check(find(frame, "filler", "Telefon") is not None, "the telephone front is named")
    items = []

    def collect(node, depth=0):
        if depth > 8:
            return
        if node.getRoleName() == "menu item":
            items.append(node.name)
        for i in range(node.childCount):
            collect(node.getChildAtIndex(i), depth + 1)

    collect(find(frame, "menu bar"))
    check("R\u00fcckg\u00e4ngig" in items and "Neue Karte" in items, f"menu items by their text: {items}")
    check(not [n for n in items if "\t" in n or "&" in n], f"no shortcut or letter mark in a name: {items}")
    column = find(frame, None, "Feldnamen")
    labels = [column.getChildAtIndex(i).name for i in range(column.childCount)]
    check("Telefon" in labels and "Ort" in labels, f"the field-name labels can be read: {labels}")


def stop(program):
    program.terminate()
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()


def first_menu(listener, locale):
    """The first menu's title after a start under the locale."""
    program = subprocess.Popen([DESKTOP], env=dict(program_env(), LC_ALL=locale))
    try:
        return find(program_frame(listener), "menu bar").getChildAtIndex(0).name
    finally:
        stop(program)


def check_first_start_language(listener):
    """A first start speaks the locale's language; the choice is kept and
    wins over another locale later."""
    check(first_menu(listener, "fr_FR.UTF-8") == "Fichier", "a first start under a French locale speaks French")
    check(first_menu(listener, "en_US.UTF-8") == "Fichier", "the language once chosen wins over the locale")
    os.remove(os.path.join(program_env()["XDG_CONFIG_HOME"], "Velkaro", "Velkaro Desktop.ini"))


def main():
    env = program_env()
    make_cards(env)
    listener = Listener()
    check_first_start_language(listener)
    program = subprocess.Popen([DESKTOP], env=env)
    try:
        frame = program_frame(listener)
        check_names(frame)
        # The keys go to the main window once the greeting is gone.
        for _ in range(100):
            if frame.getState().contains(pyatspi.STATE_ACTIVE):
                break
            listener.pump(0.1)
        check(frame.getState().contains(pyatspi.STATE_ACTIVE), "the main window takes the keys after the greeting")

        press(listener, "Down")
        listener.wait_for("the index list's first row renamed to the next card",
                          lambda e: e[0] == "object:property-change:accessible-name"
                          and e[1] == "list item" and e[4] == 0 and e[2] in CARDS[1:])

        # F1 opens the card of the first row, F3 puts the caret into its
        # third line.
        press(listener, "F1")
        press(listener, "F3")
        press(listener, "X")
        listener.wait_for("the typed letter inserted in the display",
                          lambda e: e[0].startswith("object:text-changed:insert")
                          and e[2] == "Anzeige" and e[3] == "X")

        press(listener, "Next")
        listener.wait_for("the display's page described anew",
                          lambda e: e[0] == "object:property-change:accessible-description"
                          and e[2] == "Anzeige" and e[5] == "Seite 2 von 5")
    finally:
        stop(program)
    print("PASS")


def outer():
    """Starts the X server, then this script again in a session bus of its
    own; the bus's accessibility services must see the display."""
    shutil.rmtree(SCRATCH, ignore_errors=True)
    for folder in ("home/Documents/Velkaro", "etc", "run"):
        os.makedirs(os.path.join(SCRATCH, folder))
    os.chmod(os.path.join(SCRATCH, "run"), 0o700)
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = f.readline().strip()
    try:
        env = dict(scratch_env(), DISPLAY=":" + display, VELKARO_ATSPI_INNER="1")
        env.pop("XAUTHORITY", None)
        return subprocess.run(["dbus-run-session", "--", sys.executable] + sys.argv, env=env).returncode
    finally:
        xvfb.terminate()
        xvfb.wait()


if os.environ.get("VELKARO_ATSPI_INNER"):
    main()
else:
    sys.exit(outer())
