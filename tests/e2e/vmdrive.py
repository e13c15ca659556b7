"""Drives the real VMAlbum window as a user would: finds controls by accessible name over AT-SPI
and acts on them with real X11 input from xdotool."""

import importlib.util
import os
import shutil
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

SKIP = 77  # ctest's skip code, for a machine without the tools


class Failure(Exception):
    pass


def require_tools(*tools):
    missing = [t for t in tools if not shutil.which(t)]
    if importlib.util.find_spec("pyatspi") is None:
        missing.append("python3-pyatspi")
    if missing:
        print("skipped: missing " + ", ".join(missing))
        sys.exit(SKIP)


def on_own_display(fn, geometry="1920x1080x24", dpi=96):
    """Runs fn with DISPLAY set to an X server of its own. Xvfb picks a free display number
    itself (-displayfd): tests started together on one machine never race for one number, as
    with xvfb-run -a. 96 dpi: Qt does not scale, and screenshots show the designed size."""
    if not shutil.which("Xvfb"):
        print("skipped: missing Xvfb")
        return SKIP
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", geometry,
                             "-dpi", str(dpi), "-nolisten", "tcp"], pass_fds=(write_end,),
                            stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            os.close(read_end)
            print(f"FAILED: Xvfb did not start (exit {xvfb.wait()})")
            return 1
        number += chunk
    os.close(read_end)
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    try:
        return fn()
    finally:
        xvfb.terminate()
        xvfb.wait()


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


def make_media(folder, pictures, music=None):
    """pictures: (file name, colour, width, height). Plain colours, so a frame says which
    picture it shows."""
    for name, colour, width, height in pictures:
        run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
             f"color=c={colour}:s={width}x{height}", "-frames:v", "1",
             os.path.join(folder, name)])
    if music:
        run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
             "sine=frequency=440:duration=30", "-c:a", "libmp3lame", "-b:a", "128k",
             os.path.join(folder, music)])


def private_env(root, home="home"):
    """Folders of the program's own under root, so that the user's files and any running
    instance stay untouched."""
    env = {"HOME": os.path.join(root, home)}
    for var, sub in (("XDG_CONFIG_HOME", ".config"), ("XDG_DATA_HOME", ".local/share"),
                     ("XDG_CACHE_HOME", ".cache"), ("XDG_STATE_HOME", ".local/state")):
        env[var] = os.path.join(env["HOME"], sub)
    env["XDG_RUNTIME_DIR"] = os.path.join(root, "runtime")
    for path in env.values():
        os.makedirs(path, mode=0o700, exist_ok=True)
    env.update({"SDL_AUDIODRIVER": "dummy", "QT_QPA_PLATFORM": "xcb",
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
    return env


class Names:
    """A name as the sources give it and as each catalogue translates it (the English catalogue
    words the source texts for users, the Chinese one translates them): the interface may come
    up in any of its languages. ts_paths: one catalogue's path, or a list of them."""

    def __init__(self, ts_paths):
        self.table = {}
        if isinstance(ts_paths, str):
            ts_paths = [ts_paths]
        for ts_path in ts_paths or []:
            if not os.path.exists(ts_path):
                continue
            for message in ElementTree.parse(ts_path).getroot().iter("message"):
                source = message.findtext("source")
                translation = message.findtext("translation")
                if source and translation:
                    self.table.setdefault(source, set()).add(translation)

    def variants(self, name):
        return {name} | self.table.get(name, set())


class Session:
    def __init__(self, app, workdir, ts_paths=None, env=None):
        self.app_path = app
        self.workdir = workdir
        self.names = Names(ts_paths)
        self.env = dict(os.environ)
        self.env.update(env or {})
        self.proc = None
        self.atspi_app = None
        self.shots = 0

    # Start and stop

    def start(self, extra_args=()):
        log = open(os.path.join(self.workdir, "vmalbum.log"), "w")
        self.proc = subprocess.Popen([self.app_path, *extra_args], env=self.env, stdout=log,
                                     stderr=subprocess.STDOUT)
        # Qt joins the accessibility bus only when it is announced after the program started
        # (or before, through the session bus alone); asking the registry first races with that.
        self.wait_for(lambda: self.window_ids(), 30, "the main window to map")
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.glib = GLib
        desktop = pyatspi.Registry.getDesktop(0)

        def find_app():
            self.pump()
            desktop.clear_cache()
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None and child.get_process_id() == self.proc.pid:
                    return child
            return None

        self.atspi_app = self.wait_for(find_app, 30, "the program on the accessibility bus")
        self._measure_scale()
        return self

    def _measure_scale(self):
        """Accessible extents are in Qt's device-independent pixels, X input in device pixels;
        they differ when Qt scales for the screen's DPI."""
        frame = self.wait_for(lambda: self.atspi_app.get_child_at_index(0), 10,
                              "the main window's accessible frame")
        width = self.extents(frame)[2]
        x_width = max(self.window_geometry(w)[2] for w in self.window_ids())
        self.scale = x_width / width if width > 0 else 1.0
        if abs(self.scale - 1.0) > 0.01:
            print(f"note: Qt scales the interface by {self.scale:.3f}")

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def pump(self):
        context = self.glib.MainContext.default()
        while context.iteration(False):
            pass

    # Waiting and evidence

    def wait_for(self, predicate, timeout, what):
        deadline = time.monotonic() + timeout
        while True:
            if self.proc and self.proc.poll() is not None:
                raise Failure(f"the program exited with {self.proc.returncode} while waiting "
                              f"for {what}")
            value = predicate()
            if value:
                return value
            if time.monotonic() > deadline:
                raise Failure(f"timed out after {timeout} s waiting for {what}")
            time.sleep(0.2)

    def screenshot(self, name):
        self.shots += 1
        path = os.path.join(self.workdir, f"{self.shots:02d}-{name}.png")
        subprocess.run(["import", "-window", "root", path], check=False,
                       capture_output=True)
        return path

    # Finding controls

    def _walk(self, node, depth=0):
        if node is None or depth > 40:
            return
        yield node
        for i in range(node.get_child_count()):
            yield from self._walk(node.get_child_at_index(i), depth + 1)

    def showing(self, node):
        states = node.get_state_set()
        return states.contains(self.pyatspi.STATE_SHOWING)

    def find_all(self, name, role=None, within=None):
        self.pump()
        root = within or self.atspi_app
        root.clear_cache()
        wanted = self.names.variants(name)
        found = []
        for node in self._walk(root):
            try:
                if node.get_name() in wanted and self.showing(node) and (
                        role is None or node.get_role_name() == role):
                    found.append(node)
            except Exception:
                continue  # a widget that went away while we looked
        return found

    def find(self, name, role=None, within=None, timeout=15):
        return self.wait_for(lambda: (self.find_all(name, role, within) or [None])[0], timeout,
                             f"a showing control named '{name}'")

    def window_of(self, node):
        """The top-level window that holds node."""
        while True:
            parent = node.get_parent()
            if parent is None or parent.get_role_name() == "application":
                return node
            node = parent

    def extents(self, node):
        """Where node is on the screen, in device pixels."""
        e = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        k = getattr(self, "scale", 1.0)
        return round(e.x * k), round(e.y * k), round(e.width * k), round(e.height * k)

    def centre(self, node):
        x, y, w, h = self.extents(node)
        return x + w // 2, y + h // 2

    def text_of(self, node):
        try:
            t = node.queryText()
            return t.getText(0, t.characterCount)
        except NotImplementedError:
            return node.get_name()

    # Input

    def xdo(self, *args):
        return run(["xdotool", *[str(a) for a in args]])

    def click(self, node_or_name, within=None):
        node = node_or_name
        if isinstance(node_or_name, str):
            node = self.find(node_or_name, within=within)
        x, y = self.centre(node)
        self.xdo("mousemove", "--sync", x, y)
        time.sleep(0.15)  # hover first: several controls act on release after a hover
        self.xdo("click", 1)
        time.sleep(0.2)

    def choose(self, items, item, within=None):
        """Opens a combo box with the mouse and clicks one of its items. On Linux Qt names a
        combo box after its current item, not its accessible name, so the box is the one that
        shows one of items."""
        wanted = set().union(*(self.names.variants(i) for i in items))

        def combo():
            self.pump()
            root = within or self.atspi_app
            root.clear_cache()
            for node in self._walk(root):
                if node.get_role_name() == "combo box" and node.get_name() in wanted and \
                        self.showing(node):
                    return node
            return None

        box = self.wait_for(combo, 15, f"a combo box showing one of {items}")
        self.click(box)
        self.click(self.find(item, role="list item"))
        self.wait_for(lambda: box.get_name() in self.names.variants(item), 10,
                      f"'{item}' chosen")

    def type(self, text):
        self.xdo("type", "--delay", 15, text)

    def key(self, *keys):
        self.xdo("key", "--delay", 40, *keys)

    def drag(self, start, end, steps=12):
        self.xdo("mousemove", "--sync", *start)
        time.sleep(0.2)
        self.xdo("mousedown", 1)
        time.sleep(0.2)
        # Small steps: Qt starts a drag only past its threshold, then follows the pointer.
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.xdo("mousemove", x, y)
            time.sleep(0.06)
        time.sleep(0.3)
        self.xdo("mousemove", end[0] + 1, end[1])
        time.sleep(0.3)
        self.xdo("mouseup", 1)
        time.sleep(0.5)

    def window_geometry(self, window):
        out = run(["xdotool", "getwindowgeometry", "--shell", str(window)])
        g = dict(line.split("=") for line in out.split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def window_ids(self):
        if not self.proc:
            return []
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)],
                             capture_output=True, text=True).stdout
        return out.split()

    def choose_files(self, folder, files, timeout=20):
        """Answers Qt's own file dialog as a user would: the folder in the file-name field, then
        the quoted names."""
        window = self.wait_for(self.chooser_window, timeout, "the file dialog")
        self.xdo("windowfocus", "--sync", window)
        self.type(folder)
        self.key("Return")
        if not files:
            return  # a folder chooser takes the folder itself
        time.sleep(0.5)
        self.type(" ".join(f'"{f}"' for f in files) if len(files) > 1 else files[0])
        self.key("Return")

    def chooser_window(self):
        # The choosers are captioned with the program's name.
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^VMAlbum$"],
                             capture_output=True, text=True).stdout.split()
        return out[-1] if out else None
