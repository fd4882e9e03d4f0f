#!/usr/bin/env python3
"""The real program, read and driven through AT-SPI as a screen reader does.

CTest runs `tst_screenreader.py <the built zentrel>`. Each test starts a D-Bus session of its own
(and with it the AT-SPI bus), an Xvfb display, and the program copied into a temporary directory
with its own Zentrel.ini and ports/COM1 linked to a pseudo-terminal the test plays as the device.
What the program shows is read only through AT-SPI; keys go through the X server, as an
operator's would.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import tty
import unittest
import warnings

import screenreader_controls as table

SKIPPED = 77
TOOLS = ("dbus-run-session", "Xvfb", "xdotool")
SESSION = "ZENTREL_SCREENREADER_SESSION"
# Generous: the suite also runs on a loaded machine and under the sanitizers.
PATIENCE = 30.0
# The most a single answer of the log carries, however much is asked for.
LARGEST_ANSWER = 1 << 20

pyatspi = None
GLib = None


def skip_or_fail(why):
    verdict = "FAIL" if os.environ.get("CI") == "true" else "SKIP"
    print(f"{verdict}: {why} (scripts/deps.sh --test installs it)", flush=True)
    sys.exit(1 if verdict == "FAIL" else SKIPPED)


def enter_session():
    """Runs this script again inside a D-Bus session of its own, unless it already is."""
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        skip_or_fail("missing " + ", ".join(missing))
    if os.environ.get(SESSION):
        return
    os.environ[SESSION] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv)


def pump(seconds=0.0):
    """Delivers the AT-SPI events that arrived, for at least `seconds`."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.01)


def wait_for(condition, what, timeout=PATIENCE):
    end = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > end:
            raise AssertionError(f"gave up waiting for {what}")
        pump(0.05)


def role(obj):
    return obj.getRoleName()


def has(obj, state):
    return obj.getState().contains(state)


def spoken(obj):
    """The name a screen reader says: a label that names the control, else its own name."""
    labels = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for k in range(relation.getNTargets()):
                target = relation.getTarget(k)
                if role(target) == "label":
                    labels.append(target.name)
    return " ".join(labels) or obj.name


def group(obj):
    """The group a screen reader announces the control in; empty for the window itself."""
    parent = obj.parent
    while parent is not None and role(parent) not in ("panel", "frame", "dialog"):
        parent = parent.parent
    return parent.name if parent is not None and role(parent) == "panel" else ""


def heard(obj):
    return (group(obj), role(obj), spoken(obj))


def path_of(obj):
    steps = []
    while obj is not None and role(obj) != "application":
        steps.append(f"{role(obj)} '{obj.name}'")
        obj = obj.parent
    return " in ".join(steps)


def descendants(obj, showing_only=True):
    for child in obj:
        if child is None or (showing_only and not has(child, pyatspi.STATE_SHOWING)):
            continue
        yield child
        yield from descendants(child, showing_only)


class Events:
    """AT-SPI events of the given types, as they arrive."""

    def __init__(self, *types):
        self.got = []
        self.types = types
        pyatspi.Registry.registerEventListener(self.on, *types)

    def on(self, event):
        self.got.append((event.type, event.source, event.detail1, event.detail2, event.any_data))

    def close(self):
        pyatspi.Registry.deregisterEventListener(self.on, *self.types)

    def focus_gained(self, since):
        gained = [e for e in self.got[since:] if e[2] == 1]
        return gained[0][1] if gained else None


class Program:
    """The built program in a directory of its own, on a display of its own, with the test as
    the device on its port 1."""

    def __init__(self, executable, view="Standard", strings=("", "", "", "", "")):
        self.dir = tempfile.TemporaryDirectory(prefix="zentrel-screenreader-")
        self.path = self.dir.name
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        display = self.xvfb.stdout.readline().decode().strip()
        self.env = dict(os.environ, DISPLAY=":" + display, QT_QPA_PLATFORM="xcb",
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                        XDG_CACHE_HOME=os.path.join(self.path, "cache"),
                        XDG_RUNTIME_DIR=self.path)
        os.mkdir(os.path.join(self.path, "ports"))
        self.device, line = os.openpty()
        tty.setraw(line)
        os.set_blocking(self.device, False)
        self.line = line
        os.symlink(os.ttyname(line), os.path.join(self.path, "ports", "COM1"))
        ini = f"Port: 1\r\nView: {view}\r\n" + "".join(
            f"String {k + 1}: {string}\r\n" for k, string in enumerate(strings))
        with open(os.path.join(self.path, "Zentrel.ini"), "wb") as file:
            file.write(ini.encode("latin-1"))
        shutil.copy(executable, os.path.join(self.path, "zentrel"))
        self.errors = open(os.path.join(self.path, "errors.txt"), "wb")
        self.process = subprocess.Popen([os.path.join(self.path, "zentrel")], env=self.env,
                                        stdout=self.errors, stderr=self.errors)
        self.focus_events = Events("object:state-changed:focused")
        self.window = wait_for(self.main_window, "the main window on the AT-SPI bus", 60)
        self.window_id = wait_for(lambda: self.x_window("^Zentrel Vorlinker$"),
                                  "the main window on the display")
        self.xdotool("windowfocus", "--sync", self.window_id)

    def close(self):
        self.focus_events.close()
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(30)
        self.xvfb.terminate()
        self.xvfb.wait(30)
        self.errors.close()
        os.close(self.device)
        os.close(self.line)
        self.dir.cleanup()

    def application(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def top_levels(self):
        app = self.application()
        return [window for window in app if window is not None] if app else []

    def main_window(self):
        assert self.process.poll() is None, self.error_output()
        for window in self.top_levels():
            if role(window) == "frame" and window.name == "Zentrel Vorlinker" and has(
                    window, pyatspi.STATE_SHOWING):
                return window
        return None

    def top_level(self, role_name, name):
        for window in self.top_levels():
            if role(window) == role_name and window.name == name and has(
                    window, pyatspi.STATE_SHOWING):
                return window
        return None

    def error_output(self):
        with open(os.path.join(self.path, "errors.txt"), "rb") as file:
            return file.read().decode(errors="replace")[-3000:]

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=True,
                              capture_output=True, text=True).stdout.strip()

    def x_window(self, title):
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                               env=self.env, capture_output=True, text=True).stdout.split()
        return found[0] if found else None

    def key(self, *keys):
        self.xdotool("key", *keys)

    def type(self, text):
        self.xdotool("type", text)

    # The device's end of the line.
    def read(self, count, timeout=PATIENCE):
        got = b""
        end = time.monotonic() + timeout
        while len(got) < count and time.monotonic() < end:
            try:
                got += os.read(self.device, count - len(got))
            except BlockingIOError:
                pump(0.02)
        return got

    def write(self, data):
        view = memoryview(data)
        while view:
            try:
                view = view[os.write(self.device, view):]
            except BlockingIOError:
                pump(0.01)

    # Finding and operating controls, as a screen reader does.
    def controls(self, root=None):
        """Every showing control that takes the focus, in the tree's order."""
        return [obj for obj in descendants(root or self.window)
                if has(obj, pyatspi.STATE_FOCUSABLE) and role(obj) != "page tab"]

    def find(self, group_name, role_name, name, root=None):
        for obj in descendants(root or self.window):
            if role(obj) == role_name and spoken(obj) == name and group(obj) == group_name:
                return obj
        raise AssertionError(f"no {role_name} '{name}' in '{group_name}' is showing")

    def press(self, obj):
        actions = obj.queryAction()
        names = [actions.getName(k) for k in range(actions.nActions)]
        assert "Press" in names, f"{path_of(obj)} offers {names}"
        actions.doAction(names.index("Press"))

    def focus(self, obj):
        """Puts the focus on the control: through AT-SPI where it offers that, otherwise (a list
        offers only to open) by Tab from wherever the focus is, as an operator would."""
        actions = obj.queryAction()
        if "SetFocus" in [actions.getName(k) for k in range(actions.nActions)]:
            obj.queryComponent().grabFocus()
            wait_for(lambda: has(obj, pyatspi.STATE_FOCUSED), f"the focus on {path_of(obj)}")
            return
        for _ in range(100):
            if has(obj, pyatspi.STATE_FOCUSED):
                return
            self.tab()
        raise AssertionError(f"Tab never reached {path_of(obj)}")

    def tab(self, key="Tab"):
        """Presses Tab (or another key that moves the focus); the control that gains it."""
        since = len(self.focus_events.got)
        self.key(key)
        return wait_for(lambda: self.focus_events.focus_gained(since),
                        f"the focus to move on {key}")

    def pick(self, list_group, list_name, keys):
        """Chooses in a list by typing the start of an item, as an operator would."""
        self.focus(self.find(list_group, "combo box", list_name))
        self.type(keys)

    def show_tab(self, tab):
        panel = tab.split(",")[0]
        tabs = next(obj for obj in descendants(self.window) if role(obj) == "page tab list")
        page = next(obj for obj in tabs if obj is not None and role(obj) == "page tab"
                    and obj.name == table.TAB_CAPTIONS[panel])
        self.press(page)
        wait_for(lambda: any(role(obj) == "panel" and obj.name == panel
                             for obj in descendants(self.window)), f"the {panel} panel")
        if tab.endswith("MessageOut chosen"):
            self.pick("8-Bit", "Show Controller command", "M")
            wait_for(lambda: any(spoken(obj) == "Message" for obj in self.controls()),
                     "the data fields of MessageOut")

    def log(self):
        return self.find("", "text", "Log")


class ScreenReader(unittest.TestCase):
    program_path = None

    def start(self, **settings):
        self.program = Program(self.program_path, **settings)
        self.addCleanup(self.program.close)
        return self.program

    def assertHeard(self, found, rows):
        """The controls found are those of the rows, each named, described and enabled as its
        row says; a focusable control without a name fails, named by where it is."""
        unnamed = [path_of(obj) for obj in found if not spoken(obj).strip()]
        self.assertEqual(unnamed, [], "focusable controls without a name")
        left = list(found)
        missing = []
        for name, group_name, role_name, spoken_name, description, enabled in rows:
            match = next((obj for obj in left if heard(obj) == (group_name, role_name, spoken_name)
                          and description in (None, obj.description)), None)
            if match is None:
                missing.append((name, group_name, role_name, spoken_name, description))
                continue
            left.remove(match)
            self.assertEqual(has(match, pyatspi.STATE_ENABLED), enabled, name)
        self.assertEqual(missing, [], "controls not heard as the table says")
        self.assertEqual([(path_of(obj), obj.description) for obj in left], [],
                         "controls the table does not list")

    # Every control of each panel has the name, role and description of its row.
    def test_every_control_is_named(self):
        program = self.start()
        tabs = next(obj for obj in descendants(program.window) if role(obj) == "page tab list")
        self.assertEqual([page.name for page in tabs if role(page) == "page tab"],
                         list(table.TAB_CAPTIONS.values()))
        for tab in table.PANELS:
            with self.subTest(tab=tab):
                program.show_tab(tab)
                self.assertHeard(program.controls(), table.main_window(tab))

    # Tab from the log reaches every enabled control in reading order and comes back to it.
    def test_tab_walks_the_window_in_reading_order(self):
        program = self.start()
        for tab in table.PANELS:
            with self.subTest(tab=tab):
                program.show_tab(tab)
                expected = [(group_name, role_name, spoken_name)
                            for _, group_name, role_name, spoken_name, _, enabled
                            in table.main_window(tab) if enabled]
                program.focus(program.log())
                walked = [heard(program.tab()) for _ in expected]
                self.assertEqual(walked, expected[1:] + expected[:1])

    # A panel button pressed through its action sends its command on the line.
    def test_buttons_pressed_by_their_action_send(self):
        rows = [
            ("Pelvox2", [], "Play", b"PL\r"),
            ("Pelvox/HD", [], "OS Version", b"?V\r"),
            ("8Wendlo", [], "Firmware Version", b"?V\r"),
            ("Orbalite", [], "List Files", b"?D\r"),
            ("8-Bit", [("Target Address:", "0"), ("Response:", "N"),
                       ("Show Controller command", "SendVe")], "Send",
             bytes.fromhex("F5 00 00 01 42 43")),
        ]
        program = self.start()
        for tab, picks, button, wire in rows:
            with self.subTest(tab=tab, button=button):
                program.show_tab(tab)
                for list_name, keys in picks:
                    program.pick(tab, list_name, keys)
                program.press(program.find(tab, "push button", button))
                self.assertEqual(program.read(len(wire)), wire)

    # The log read through its text interface after a known exchange in each view, then once
    # most of it lies on disk; what arrives is announced as inserted at the end, a few times a
    # second under a flood; Clear Log announces the removal.
    def test_log_reads_as_it_shows(self):
        views = [
            ("Standard", "S", "Command Sent:  PL|", "Receiving: R|"),
            ("Mixed", "M", "Command Sent:  PL<0D>", "Receiving: R<0D>"),
            ("Hex", "H", "Command Sent:  <50><4C><0D>", "Receiving: <52><0D>"),
        ]
        program = self.start()
        inserted = Events("object:text-changed:insert", "object:text-changed:delete")
        self.addCleanup(inserted.close)
        log = program.log()
        text = log.queryText()
        line = pyatspi.TEXT_BOUNDARY_LINE_START
        whole = ""

        def announced(since, gapless=True):
            """Where the announcements since then end: each is the text at its place, after the
            one before (right after it, unless a flood left text unannounced)."""
            reached = before
            for kind, _, position, length, data in inserted.got[since:]:
                self.assertEqual(kind, "object:text-changed:insert")
                self.assertEqual((length, data), (len(data), whole[position:position + length]))
                self.assertTrue(position == reached or (not gapless and position > reached),
                                f"announced at {position}, after {reached}")
                reached = position + length
            return reached

        for view, key, sent, received in views:
            with self.subTest(view=view):
                program.pick("Settings", "View:", key)
                wait_for(lambda: program.find("Settings", "combo box", "View:").name == view,
                         f"the {view} view")
                since, before = len(inserted.got), len(whole)
                program.press(program.find("Pelvox2", "push button", "Play"))
                self.assertEqual(program.read(3), b"PL\r")
                program.write(b"R\r")
                whole += ("\r\n" if whole else "") + sent + "\r\n" + received
                wait_for(lambda: text.characterCount == len(whole), f"the answer in {view}")
                self.assertEqual(text.getText(0, -1), whole)
                end = len(whole)
                self.assertEqual(text.getTextAtOffset(end, line),
                                 (received, end - len(received), end))
                at = end - len(received) - 2 - len(sent)
                self.assertEqual(text.getTextAtOffset(at + 3, line),
                                 (sent + "\r\n", at, at + len(sent) + 2))
                self.assertEqual(text.getText(at, at + len(sent)), sent)
                wait_for(lambda: announced(since) == len(whole), "the announcement")

        # The caret and the selection, moved by keys and through AT-SPI.
        program.focus(log)
        program.key("ctrl+End")
        wait_for(lambda: text.caretOffset == len(whole), "the caret at the end")
        program.key("ctrl+a")
        wait_for(lambda: text.getNSelections() == 1, "the selection")
        self.assertEqual(text.getSelection(0), (0, len(whole)))
        text.setSelection(0, 4, 16)
        self.assertEqual((text.getSelection(0), text.caretOffset), ((4, 16), 16))

        # A flood that glues some 12 MB to the last line: the oldest text goes to disk.
        program.pick("Settings", "View:", "S")
        since, before = len(inserted.got), len(whole)
        flood = b"".join(b"%07d " % k for k in range(1_500_000))
        started = time.monotonic()
        program.write(flood)
        whole += flood.decode("latin-1")
        wait_for(lambda: text.characterCount == len(whole), "the flood in the log", 300)
        wait_for(lambda: announced(since, gapless=False) == len(whole), "the flood announced")
        took = time.monotonic() - started
        floods = len(inserted.got) - since
        self.assertLessEqual(floods, took * 1000 / 250 + 1, "announcements a second")
        cache = os.path.join(program.path, "cache")
        fds = f"/proc/{program.process.pid}/fd"
        wait_for(lambda: any(os.readlink(os.path.join(fds, fd)).startswith(cache) for fd in
                             os.listdir(fds)), "the log's spill file")
        self.assertEqual(text.getText(0, 18), "Command Sent:  PL|")
        self.assertEqual(text.getTextAtOffset(5, line), ("Command Sent:  PL|\r\n", 0, 20))
        middle = before + 8 * 777_777 + 3
        self.assertEqual(text.getText(middle, middle + 21), whole[middle:middle + 21])
        # A question about a long line, or the whole log, has an answer of bounded size.
        piece, start, end = text.getTextAtOffset(middle, line)
        self.assertEqual((len(piece), piece), (LARGEST_ANSWER, whole[start:end]))
        self.assertLessEqual(start, middle)
        self.assertEqual(text.getText(0, -1), whole[:LARGEST_ANSWER])

        # Clear Log: the removal of what was announced.
        since = len(inserted.got)
        program.press(program.find("", "push button", "Clear Log"))
        wait_for(lambda: text.characterCount == 0, "the cleared log")
        removed = wait_for(lambda: [e for e in inserted.got[since:]
                                    if e[0] == "object:text-changed:delete"], "the removal")
        self.assertEqual([(e[2], e[3]) for e in removed], [(0, LARGEST_ANSWER)])

    # A message box is announced with its text.
    def test_message_box_reads_its_text(self):
        program = self.start()
        program.focus(program.find("Pelvox2", "push button", "Search"))
        program.key("space")
        box = wait_for(lambda: program.top_level("alert", "Zentrel Vorlinker"), "the message")
        self.assertEqual(box.description, "Select file to search!")
        self.assertIn("Select file to search!",
                      [obj.name for obj in descendants(box) if role(obj) == "label"])
        program.press(program.find("", "push button", "OK", root=box))
        wait_for(lambda: program.top_level("alert", "Zentrel Vorlinker") is None,
                 "the message to close")

    # The quick strings dialog is read and walked like the main window; Escape closes it. The
    # About box reads its title and version and closes on Escape from its OK.
    def test_dialogs(self):
        program = self.start()
        program.press(program.find("Quick Strings", "push button", "Configure Strings"))
        dialog = wait_for(lambda: program.top_level("dialog", "Quick String Configuration"),
                          "the quick strings dialog")
        found = program.controls(dialog)
        self.assertHeard(found, [row + (True,) for row in table.STRINGS_DIALOG])
        program.focus(program.find("", "text", "String 1:", root=dialog))
        walked = [spoken(program.tab()) for _ in table.STRINGS_DIALOG]
        names = [row[3] for row in table.STRINGS_DIALOG]
        self.assertEqual(walked, names[1:] + names[:1])
        program.key("Escape")
        wait_for(lambda: program.top_level("dialog", "Quick String Configuration") is None,
                 "the dialog to close")

        # The bare background at the window's right edge, beside the settings.
        program.xdotool("mousemove", "--window", program.window_id, "517", "60", "click",
                        "--repeat", "2", "--delay", "80", "1")
        about = wait_for(lambda: program.top_level("dialog", "About Zentrel"), "the About box")
        labels = [obj.name for obj in descendants(about) if role(obj) == "label"]
        self.assertIn("Zentrel Vorlinker", labels)
        self.assertIn("Version 1.0.4", labels)
        ok = program.find("", "push button", "OK", root=about)
        wait_for(lambda: has(ok, pyatspi.STATE_FOCUSED), "the focus on OK")
        program.key("Escape")
        wait_for(lambda: program.top_level("dialog", "About Zentrel") is None,
                 "the About box to close")


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: tst_screenreader.py <zentrel> [unittest arguments]")
    enter_session()
    global pyatspi, GLib
    try:
        import pyatspi as atspi
        from gi.repository import GLib as glib
    except ImportError:
        skip_or_fail("python3-pyatspi is missing")
    pyatspi, GLib = atspi, glib
    # pyatspi calls the older names of libatspi's interfaces.
    warnings.filterwarnings("ignore", category=DeprecationWarning)
    ScreenReader.program_path = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
