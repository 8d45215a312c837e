"""Quillary driven as a user drives it: real key presses on an X server with a window
manager, and what a screen reader learns over AT-SPI (with its cache, kept current only by
the events the program sends). Run through run.sh, which provides the display and buses."""

import http.server
import os
import shutil
import subprocess
import tempfile
import threading
import time
import unittest

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

EXECUTABLE = os.environ["QUILLARY_EXECUTABLE"]
SANE_CONFIG = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sane")


def pump():
    """Lets the AT-SPI client take in the events that have arrived, as a screen reader does."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(condition, what, timeout=30, settle=0):
    """Waits until condition holds; with settle, until it has held for that many seconds."""
    deadline = time.monotonic() + timeout
    held_since = None
    while True:
        pump()
        value = condition()
        if value:
            held_since = held_since or time.monotonic()
            if time.monotonic() - held_since >= settle:
                return value
        else:
            held_since = None
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def descendants(root):
    stack = [root]
    while stack:
        node = stack.pop()
        yield node
        try:
            count = node.childCount
        except GLib.Error:
            continue
        stack.extend(c for c in (node.getChildAtIndex(i) for i in reversed(range(count))) if c)


def has_state(node, state):
    return node.getState().contains(state)


def enable_accessibility():
    """What a screen reader does on start: tells applications that assistive technology listens."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, -1, None)


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], check=True, capture_output=True,
                          text=True).stdout.split()


def picture(folder, name, width=600, height=800):
    path = os.path.join(folder, name)
    subprocess.run(["convert", "-size", f"{width}x{height}", "xc:white", "-fill", "black",
                    "-draw", f"rectangle 50,50 {width - 50},{height // 2}", path], check=True)
    return path


def picture_size(path):
    return tuple(int(v) for v in subprocess.run(["identify", "-format", "%w %h", path],
                                                check=True, capture_output=True,
                                                text=True).stdout.split())


class Program:
    """One run of the program with a home folder of its own."""

    def __init__(self, test, files=(), first_start=False, web_host="127.0.0.1:1", settings=""):
        self.home = tempfile.mkdtemp()
        test.addCleanup(shutil.rmtree, self.home, True)
        config = os.path.join(self.home, ".config", "Plenwick")
        os.makedirs(config)
        self.settings = os.path.join(config, "Quillary.conf")
        if not first_start:
            with open(self.settings, "w") as f:
                f.write("[General]\nFirstRunDone=true\n" + settings)
        self.pages = os.path.join(self.home, ".local", "share", "Plenwick", "Quillary", "Current")
        env = dict(os.environ, HOME=self.home, SANE_CONFIG_DIR=SANE_CONFIG,
                   QUILLARY_WEB_HOST=web_host)
        self.process = subprocess.Popen([EXECUTABLE, *files], env=env)
        test.addCleanup(self.close)
        self.app = wait_for(self._application, "the program on the accessibility bus")
        self.window = wait_for(lambda: self.find(pyatspi.ROLE_FRAME, "Quillary - ", prefix=True),
                               "the main window")
        window_id = xdotool("search", "--sync", "--onlyvisible", "--pid",
                            str(self.process.pid), "--name", "^Quillary - ")[0]
        xdotool("windowactivate", "--sync", window_id)
        wait_for(lambda: has_state(self.window, pyatspi.STATE_ACTIVE), "an active window")

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def find(self, role, name, prefix=False, root=None):
        """The first object of role (any role when None) named name."""
        for node in descendants(root or self.app):
            try:
                if role in (None, node.getRole()) and (node.name.startswith(name) if prefix
                                                       else node.name == name):
                    return node
            except GLib.Error:
                pass
        return None

    def wait_find(self, role, name, what=None):
        return wait_for(lambda: self.find(role, name), what or name)

    def focused(self):
        for node in descendants(self.window):
            if has_state(node, pyatspi.STATE_FOCUSED):
                return node
        return None

    def page_files(self):
        if not os.path.isdir(self.pages):
            return []
        return sorted(f for f in os.listdir(self.pages) if "_o." in f)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def drag(start, end, steps=10):
    """A left-button drag as a hand makes it: several moves, the first ones start the drag."""
    xdotool("mousemove", *map(str, start))
    xdotool("mousedown", "1")
    for step in range(1, steps + 1):
        xdotool("mousemove", str(start[0] + (end[0] - start[0]) * step // steps),
                str(start[1] + (end[1] - start[1]) * step // steps))
        time.sleep(0.05)
    # The target learns of the last position before the button goes up.
    time.sleep(0.2)
    xdotool("mouseup", "1")


def centre(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


class DragPeer:
    """Another program (GTK) that offers files for dragging and prints what is dropped on it."""

    def __init__(self, test, files=()):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                              "dragpeer.py"), *files],
            stdout=subprocess.PIPE, text=True)
        test.addCleanup(self.close)
        assert self.process.stdout.readline().strip() == "ready"
        window = xdotool("search", "--sync", "--onlyvisible", "--name", "^Drag peer$")[0]
        # Low on the left, clear of the program's work area and of its strip on the right.
        xdotool("windowmove", "--sync", window, "20", "760")
        geometry = dict(line.split("=") for line in xdotool(
            "getwindowgeometry", "--shell", window))
        self.centre = (int(geometry["X"]) + int(geometry["WIDTH"]) // 2,
                       int(geometry["Y"]) + int(geometry["HEIGHT"]) // 2)

    def dropped(self):
        """The next drop: its action and file paths."""
        words = self.process.stdout.readline().split()
        assert words[0] == "drop", words
        return words[1], [GLib.filename_from_uri(uri)[0] for uri in words[2:]]

    def close(self):
        self.process.kill()
        self.process.wait()


def act(node, action_name):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index(action_name))


class UpdateServer(http.server.ThreadingHTTPServer):
    """A vendor host on the loopback interface that offers version 15."""

    def __init__(self):
        self.paths = []

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(handler):
                self.paths.append(handler.path)
                body = (b"<?xml version='1.0'?><update><version>15</version>"
                        b"<path>https://dl.example.org/q.deb</path></update>"
                        if handler.path.startswith("/update/") else b"thanks")
                handler.send_response(200)
                handler.send_header("Content-Length", str(len(body)))
                handler.end_headers()
                handler.wfile.write(body)

            def log_message(handler, *args):
                pass

        super().__init__(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.serve_forever, daemon=True).start()

    @property
    def host(self):
        return "127.0.0.1:%d" % self.server_address[1]


class DesktopTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        enable_accessibility()
        cls.folder = tempfile.mkdtemp()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, True)

    def three_pages(self):
        files = [picture(self.folder, "p%d.png" % n) for n in (1, 2, 3)]
        program = Program(self, files)
        strip = program.wait_find(pyatspi.ROLE_LIST, "Pages", "the thumbnail strip")
        wait_for(lambda: strip.childCount == 3, "three pages in the strip")
        return program, strip

    def test_space_scans_page_after_page(self):
        program = Program(self)
        preview = program.wait_find(None, "Scanner preview")
        for count in range(1, 6):
            xdotool("key", "space")
            # Done when the page is in and the preview has made way for it.
            wait_for(lambda: len(program.page_files()) == count and
                     not has_state(preview, pyatspi.STATE_SHOWING), "page %d scanned" % count,
                     settle=0.3)
        strip = program.wait_find(pyatspi.ROLE_LIST, "Pages")
        wait_for(lambda: strip.childCount == 5, "five pages in the strip")
        items = [strip.getChildAtIndex(i) for i in range(5)]
        self.assertEqual([i.name for i in items], ["Page %d" % n for n in range(1, 6)])
        # Space scanned every time: it never went to a tile's check mark.
        self.assertFalse([i.name for i in items if has_state(i, pyatspi.STATE_CHECKED)])

    def test_space_in_the_glass_preview_scans_the_framed_part(self):
        program = Program(self, settings="Preview=true\n")
        xdotool("key", "space")
        glass = program.wait_find(pyatspi.ROLE_IMAGE, "Scanner glass")
        wait_for(lambda: has_state(glass, pyatspi.STATE_FOCUSED), "the glass focused")
        self.assertEqual(program.page_files(), [])
        # Arrows with Ctrl pull the frame's bottom right corner in, ten pixels with Shift.
        for _ in range(3):
            xdotool("key", "shift+ctrl+Left", "shift+ctrl+Up")
        xdotool("key", "space")
        wait_for(lambda: len(program.page_files()) == 1, "the framed part scanned", settle=0.5)
        self.assertFalse(has_state(glass, pyatspi.STATE_SHOWING))
        # The test device's glass, 40 x 50 mm, is 118 x 148 pixels at 75 dpi; the frame kept
        # 88 x 118 of them, scanned at 200 dpi.
        size = picture_size(os.path.join(program.pages, program.page_files()[0]))
        self.assertTrue(abs(size[0] - 235) <= 2 and abs(size[1] - 315) <= 2, size)

    def test_pages_are_checkable_items_and_the_view_names_its_page(self):
        program, strip = self.three_pages()
        items = [strip.getChildAtIndex(i) for i in range(3)]
        self.assertEqual([(i.getRole(), i.name) for i in items],
                         [(pyatspi.ROLE_LIST_ITEM, "Page %d" % n) for n in (1, 2, 3)])
        self.assertEqual([i.name for i in items if has_state(i, pyatspi.STATE_SELECTED)],
                         ["Page 3"])
        program.wait_find(pyatspi.ROLE_IMAGE, "Page 3", "the page view")

        act(items[1], "Toggle")
        wait_for(lambda: has_state(items[1], pyatspi.STATE_CHECKED), "page 2 checked")
        act(items[1], "Toggle")
        wait_for(lambda: not has_state(items[1], pyatspi.STATE_CHECKED), "page 2 unchecked")

        # Pressing a page makes it current: the view follows.
        act(items[0], "Press")
        wait_for(lambda: has_state(items[0], pyatspi.STATE_SELECTED), "page 1 selected")
        program.wait_find(pyatspi.ROLE_IMAGE, "Page 1", "the view showing page 1")
        self.assertFalse(has_state(items[2], pyatspi.STATE_SELECTED))

        # The keyboard: Ctrl+Space checks the focused page, Tab leaves the strip in one step
        # and Shift+Tab comes back to the current page.
        wait_for(lambda: program.focused() == items[0], "page 1 focused")
        xdotool("key", "ctrl+space")
        wait_for(lambda: has_state(items[0], pyatspi.STATE_CHECKED), "page 1 checked by key")
        xdotool("key", "Tab")
        ribbon = program.find(pyatspi.ROLE_PAGE_TAB_LIST, "Ribbon pages")
        wait_for(lambda: program.focused() == ribbon, "the ribbon focused after one Tab")
        xdotool("key", "shift+Tab")
        wait_for(lambda: program.focused() == items[0], "page 1 focused again")

        # Delete asks, then removes the current page; the reader learns of the gap closing.
        xdotool("key", "Delete")
        act(program.wait_find(pyatspi.ROLE_PUSH_BUTTON, "Yes", "the question"), "Press")
        wait_for(lambda: strip.childCount == 2 and len(program.page_files()) == 2,
                 "the page removed")
        self.assertEqual([strip.getChildAtIndex(i).name for i in range(2)], ["Page 1", "Page 2"])

    def test_dragging_a_page_past_the_last_renumbers_the_files_and_ctrl_z_takes_it_back(self):
        files = [picture(self.folder, "drag%d.png" % n, 300 + 100 * n, 800) for n in (1, 2, 3)]
        program = Program(self, files)
        strip = program.wait_find(pyatspi.ROLE_LIST, "Pages", "the thumbnail strip")
        wait_for(lambda: strip.childCount == 3 and len(program.page_files()) == 3,
                 "three pages")
        sizes = [picture_size(os.path.join(program.pages, f)) for f in program.page_files()]
        self.assertEqual(sorted(set(sizes)), sizes)

        def point(index, across, down):
            box = strip.getChildAtIndex(index).queryComponent().getExtents(
                pyatspi.DESKTOP_COORDS)
            return box.x + int(box.width * across), box.y + int(box.height * down)

        # The lower right of page 3 is after it in a column and in a row alike.
        start, end = point(0, 0.5, 0.5), point(2, 0.75, 0.85)
        xdotool("mousemove", *map(str, start))
        xdotool("mousedown", "1")
        # Several steps, as a hand moves: the first ones start the drag.
        for step in range(1, 11):
            xdotool("mousemove", str(start[0] + (end[0] - start[0]) * step // 10),
                    str(start[1] + (end[1] - start[1]) * step // 10))
            time.sleep(0.05)
        xdotool("mouseup", "1")
        names = ["0000000%d_o.jpg" % n for n in (1, 2, 3)]

        def renumbered():
            # Files are read only once the renumbering is over: it renames them one by one.
            try:
                return program.page_files() == names and [
                    picture_size(os.path.join(program.pages, f)) for f in names]
            except subprocess.CalledProcessError:
                return None
        wait_for(lambda: renumbered() == [sizes[1], sizes[2], sizes[0]],
                 "the page files in the new order", settle=0.3)
        wait_for(lambda: [strip.getChildAtIndex(i).name for i in range(3)] ==
                 ["Page 1", "Page 2", "Page 3"], "the pages named in order again")
        xdotool("key", "ctrl+z")
        wait_for(lambda: renumbered() == sizes, "the page files in the first order again",
                 settle=0.3)

    def test_files_from_another_program_land_on_an_empty_window_and_a_page_drags_out(self):
        files = [picture(self.folder, "peer%d.png" % n, 300 + 100 * n, 800) for n in (1, 2)]
        program = Program(self)
        peer = DragPeer(self, files)
        drag(peer.centre, centre(program.window))
        wait_for(lambda: len(program.page_files()) == 2, "two pages from the dropped files",
                 settle=0.3)
        self.assertEqual([picture_size(os.path.join(program.pages, f))
                          for f in program.page_files()], [(400, 800), (500, 800)])

        strip = program.wait_find(pyatspi.ROLE_LIST, "Pages", "the thumbnail strip")
        wait_for(lambda: strip.childCount == 2, "two pages in the strip")
        drag(centre(strip.getChildAtIndex(0)), peer.centre)
        action, paths = peer.dropped()
        # A copy of the page file: the page stays in the document.
        self.assertEqual(action, "copy")
        self.assertEqual(paths, [os.path.join(program.pages, "00000001_o.jpg")])
        self.assertEqual(len(program.page_files()), 2)

        # Onto the page view: after the page shown.
        drag(peer.centre, centre(program.window))
        wait_for(lambda: len(program.page_files()) == 4, "two more pages", settle=0.3)

    def test_crop_accepted_through_accessibility(self):
        program = Program(self, [picture(self.folder, "crop.png", 800, 1000)])
        page = os.path.join(program.pages, "00000001_o.jpg")
        wait_for(lambda: os.path.exists(page), "the page file")
        act(program.wait_find(pyatspi.ROLE_PAGE_TAB, "Editing"), "Press")
        act(program.wait_find(pyatspi.ROLE_CHECK_BOX, "Crop Image"), "Toggle")
        accept = program.wait_find(pyatspi.ROLE_PUSH_BUTTON, "Accept", "the crop panel")
        program.wait_find(pyatspi.ROLE_PUSH_BUTTON, "Cancel", "the crop panel")
        act(accept, "Press")
        wait_for(lambda: picture_size(page) == (400, 500), "the page cut to the box")

    def test_first_start_reports_while_the_update_dialog_is_open(self):
        server = UpdateServer()
        self.addCleanup(server.shutdown)
        program = Program(self, first_start=True, web_host=server.host)
        dialog = program.wait_find(pyatspi.ROLE_DIALOG, "Quillary Updates", "the update offer")
        wait_for(lambda: any(p.startswith("/instcnt/") for p in server.paths), "the report")
        def marked():
            with open(program.settings) as settings:
                return "FirstRunDone=true" in settings.read()
        wait_for(marked, "the first start marked as reported")
        self.assertTrue(has_state(dialog, pyatspi.STATE_SHOWING))


if __name__ == "__main__":
    unittest.main()
