"""A desktop session of its own for screen-reader tests: an X server (Xvfb),
a D-Bus session bus and, started by it on demand, the accessibility bus. The
configurator runs in it with the toolkit's accessibility switched on, and a
client reads it through AT-SPI as a screen reader does."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Session:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="sr5n-atspi-")
        self.processes = []
        self.env = dict(os.environ)

    def __enter__(self):
        # Ended from outside (a time-out): still end what was started.
        signal.signal(signal.SIGTERM, lambda *_: sys.exit("ended from outside"))
        runtime = os.path.join(self.folder, "runtime")
        home = os.path.join(self.folder, "home")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(home)
        self.env.update({
            "HOME": home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "QT_QPA_PLATFORM": "xcb",
            "NO_AT_BRIDGE": "0",
        })
        for name in ("AT_SPI_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY",
                     "QT_QPA_PLATFORMTHEME", "SESSION_MANAGER"):
            self.env.pop(name, None)
        self._start_x()
        self._start_bus()
        # The client of this process reads the same buses.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "HOME"):
            os.environ[name] = self.env[name]
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
        return False

    def _spawn(self, arguments, **kwargs):
        # A process group of its own: what the bus starts for it ends with it.
        # In the session's own home: a dialog it opens starts there.
        process = subprocess.Popen(arguments, env=self.env, cwd=self.env["HOME"],
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def _start_x(self):
        read, write = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def _start_bus(self):
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                           "--print-address=1"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
        address = bus.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("the D-Bus session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def start(self, arguments):
        """Starts a program in the session; it is ended with the session."""
        return self._spawn(arguments, stdout=subprocess.DEVNULL)

    def run(self, arguments):
        return subprocess.run(arguments, env=self.env, capture_output=True, text=True,
                              timeout=120)


def find_application(pyatspi, name, timeout=60):
    """The application `name` on the accessibility desktop, once it has a window."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            try:
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == name and app.childCount > 0:
                    return app
            except Exception:
                pass
        time.sleep(0.5)
    raise RuntimeError("%s did not appear on the accessibility bus" % name)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)
