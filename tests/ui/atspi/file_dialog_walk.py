"""Drives the file dialog «Открытие файла конфигурации» by keys while a
screen-reader client walks the whole accessibility tree again and again;
the configurator must live through it. SR5N_WALK_SEED picks another order of
keys.

Usage: file_dialog_walk.py CONFIGURATOR [SECONDS]"""

import multiprocessing
import os
import random
import sys
import time

from atspi_session import Session, fail, find_application

TITLE = "Открытие файла конфигурации"


def walk_forever(stop, counts):
    """A second client: reads every node's name, role, states, text and table
    cells, as a screen reader's review of the screen does."""
    import pyatspi

    def visit(node, depth):
        if stop.is_set() or node is None or depth > 60:
            return
        try:
            node.name, node.getRoleName(), node.getState().getStates()
            if node.getRole() in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE):
                table = node.queryTable()
                for r in range(min(table.nRows, 40)):
                    for c in range(table.nColumns):
                        cell = table.getAccessibleAt(r, c)
                        if cell is not None:
                            cell.name
                for c in range(table.nColumns):
                    table.getColumnHeader(c)
            try:
                text = node.queryText()
                text.getText(0, text.characterCount)
            except NotImplementedError:
                pass
            counts.value += 1
            for i in range(min(node.childCount, 400)):
                visit(node.getChildAtIndex(i), depth + 1)
        except Exception:
            # A node that went away while being read: a screen reader moves on.
            pass

    while not stop.is_set():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            visit(desktop.getChildAtIndex(i), 0)


KEYSYMS = {"Down": 0xff54, "Up": 0xff52, "Left": 0xff51, "Right": 0xff53, "Tab": 0xff09,
           "Home": 0xff50, "End": 0xff57, "Page_Up": 0xff55, "Page_Down": 0xff56,
           "Return": 0xff0d, "Escape": 0xff1b,
           "space": 0x20, "a": 0x61, "Cyrillic_ka": 0x6cb,
           "ctrl": 0xffe3, "shift": 0xffe1, "alt": 0xffe9}


class Keyboard:
    """Keys typed through the X server's test extension, as a keyboard types
    them (the accessibility registry's own way blocks on its listeners)."""

    def __init__(self, display):
        import ctypes
        self.x = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                ctypes.c_ulong]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open the X display")

    def _key(self, name, down):
        code = self.x.XKeysymToKeycode(self.display, KEYSYMS[name])
        if code:
            self.xtst.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)

    def press(self, key):
        """A key by its X keysym name, with a modifier as "ctrl+a"."""
        parts = key.split("+")
        for name in parts:
            self._key(name, True)
        for name in reversed(parts):
            self._key(name, False)
        self.x.XFlush(self.display)


def dialog_of(pyatspi, app):
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.name == TITLE:
            return child
    return None


def main():
    configurator = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 40
    seed = int(os.environ.get("SR5N_WALK_SEED", "1"))
    rng = random.Random(seed)
    with Session() as session:
        # Folders and files to move through.
        home = session.env["HOME"]
        for d in range(6):
            folder = os.path.join(home, "конфигурации %d" % d, "объект")
            os.makedirs(folder)
            for f in range(25):
                with open(os.path.join(folder, "файл %02d.snc" % f), "wb") as out:
                    out.write(b"\0" * 16)
        session.start(["openbox"])
        program = session.start([configurator])
        import pyatspi
        app = find_application(pyatspi, "sr5n-configurator")

        keyboard = Keyboard(session.env["DISPLAY"])
        # A client of its own, started afresh: a fork would share this one's bus.
        spawn = multiprocessing.get_context("spawn")
        stop = spawn.Event()
        counts = spawn.Value("i", 0)
        walker = spawn.Process(target=walk_forever, args=(stop, counts))
        walker.start()
        # Keys that move, choose, type and close, but neither rename, delete nor
        # leave the session's folders (no F2, Delete, BackSpace, Alt+Up, Tab
        # onto the dialog's tool buttons): the walk never touches other files.
        keys = ["Down", "Down", "Up", "Right", "Left", "Home", "End", "Page_Down", "Page_Up",
                "Return", "Escape", "a", "Cyrillic_ka", "ctrl+a", "space"]
        opened = 0
        unanswered = 0
        deadline = time.monotonic() + seconds
        try:
            while time.monotonic() < deadline:
                if program.poll() is not None:
                    fail("the configurator ended (status %s) after %d openings of the dialog, "
                         "%d nodes read" % (program.returncode, opened, counts.value))
                try:
                    dialog = dialog_of(pyatspi, app)
                    if dialog is None:
                        # Open it from the bar's button, focused, by the space key.
                        windows = [app.getChildAtIndex(i) for i in range(app.childCount)]
                        main_window = next(w for w in windows if w is not None and
                                           w.name == "СР-5/Н Конфигуратор")
                        button = next(n for n in walk(main_window)
                                      if n.getRole() == pyatspi.ROLE_PUSH_BUTTON and
                                      n.name.startswith("Открыть"))
                        button.queryComponent().grabFocus()
                        time.sleep(0.2)
                        keyboard.press("space")
                        opened += 1
                        time.sleep(0.5)
                        continue
                except Exception as error:
                    # Busy answering the other client, or a message box in front.
                    unanswered += 1
                    print("no answer: %r" % error, file=sys.stderr)
                    keyboard.press("Escape")
                    continue
                keyboard.press(rng.choice(keys))
                time.sleep(rng.choice((0.01, 0.05, 0.2)))
        finally:
            stop.set()
            walker.join(timeout=30)
            if walker.is_alive():
                walker.terminate()
        if program.poll() is not None:
            fail("the configurator ended (status %s)" % program.returncode)
        if opened == 0 or counts.value == 0:
            fail("nothing tried: %d openings of the dialog, %d nodes read"
                 % (opened, counts.value))
        print("alive after %d openings of the dialog, %d nodes read, %d lookups unanswered"
              % (opened, counts.value, unanswered))


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


if __name__ == "__main__":
    main()
