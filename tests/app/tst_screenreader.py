#!/usr/bin/env python3
"""The real program read and driven through AT-SPI as a screen reader does: CTest runs
`tst_screenreader.py <zentrel>`, which runs again in a D-Bus session (so an AT-SPI bus) of its
own; each test starts Xvfb and the program in a directory of its own, ports/COM1 a pseudo-terminal
the test plays. The program is read through AT-SPI only; keys go through the X server."""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import tty
import unittest
import warnings

import screenreader_controls as table

PATIENCE = 30.0  # seconds: the suite also runs on a loaded machine and under the sanitizers
LARGEST_ANSWER = 1 << 20  # characters: the most one answer of the log carries
pyatspi = GLib = None

def skip_or_fail(why):
    failing = os.environ.get("CI") == "true"
    print(f"{'FAIL' if failing else 'SKIP'}: {why} (scripts/deps.sh --test installs it)")
    sys.exit(1 if failing else 77)

def pump(seconds=0.0):
    end, context = time.monotonic() + seconds, GLib.MainContext.default()
    while context.pending() or time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.01)

def wait_for(condition, what, timeout=PATIENCE, seen=lambda: ""):
    end = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > end:
            raise AssertionError(f"gave up waiting for {what}{seen()}")
        pump(0.05)
    return result

def role(obj):
    return obj.getRoleName()
def has(obj, state):
    return obj.getState().contains(state)

def spoken(obj):
    """The name a screen reader says: the labels that name the control, else its own name."""
    return " ".join(relation.getTarget(k).name for relation in obj.getRelationSet()
                    if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                    for k in range(relation.getNTargets())
                    if role(relation.getTarget(k)) == "label") or obj.name

def group(obj):
    """The group a screen reader announces a control in; empty: the window itself."""
    while (obj := obj.parent) is not None and role(obj) not in ("panel", "frame", "dialog"):
        pass
    return obj.name if obj is not None and role(obj) == "panel" else ""

def heard(obj):
    return (group(obj), role(obj), spoken(obj))

def showing(obj):
    for child in obj:
        if child is not None and has(child, pyatspi.STATE_SHOWING):
            yield child
            yield from showing(child)

def listen(test, *kinds):
    """AT-SPI events of those kinds as they arrive, until the test ends: kind, source, the two
    details, data."""
    got = []
    def on(event):
        got.append((event.type, event.source, event.detail1, event.detail2, event.any_data))
    pyatspi.Registry.registerEventListener(on, *kinds)
    test.addCleanup(pyatspi.Registry.deregisterEventListener, on, *kinds)
    return got

class Program:
    """The built program in a directory and on a display of its own, port 1 the test's."""
    def __init__(self, test, executable):
        # What is started is ended with the test, also when starting fails: a child left
        # running would hold the test's output open until CTest's timeout.
        test.addCleanup(self.close)
        self.process = self.xvfb = None
        self.dir = tempfile.TemporaryDirectory(prefix="zentrel-screenreader-")
        self.path = self.dir.name
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24",
                                      "-nolisten", "tcp"], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.env = dict(os.environ, DISPLAY=":" + self.xvfb.stdout.readline().decode().strip(),
                        QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QT_ACCESSIBILITY="1", XDG_CACHE_HOME=os.path.join(self.path, "cache"),
                        XDG_RUNTIME_DIR=self.path)
        os.mkdir(os.path.join(self.path, "ports"))
        self.device, self.line = os.openpty()
        tty.setraw(self.line)
        os.symlink(os.ttyname(self.line), os.path.join(self.path, "ports", "COM1"))
        with open(os.path.join(self.path, "Zentrel.ini"), "wb") as ini:
            ini.write(b"Port: 1\r\nView: Standard\r\n" +
                      b"".join(b"String %d: \r\n" % k for k in range(1, 6)))
        shutil.copy(executable, os.path.join(self.path, "zentrel"))
        self.process = subprocess.Popen([os.path.join(self.path, "zentrel")], env=self.env)
        self.focus_events = listen(test, "object:state-changed:focused")
        self.window = wait_for(lambda: self.top_level("frame", "Zentrel Vorlinker"),
                               "the main window on the AT-SPI bus", 120, self.seen)
        self.window_id = wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name",
                                                       "^Zentrel Vorlinker$", check=False),
                                  "the main window on the display").split()[0]
        self.xdotool("windowfocus", "--sync", self.window_id)
    def close(self):
        for child in (self.process, self.xvfb):
            # Ended as at a logout, so that what it writes at its end (its coverage counts) is kept.
            if child is not None:
                child.terminate()
                try:
                    child.wait(30)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait()
        if self.xvfb is not None:
            self.xvfb.stdout.close()
        if hasattr(self, "line"):
            os.close(self.device)
            os.close(self.line)
        self.dir.cleanup()
    def top_level(self, role_name, name):
        assert self.process.poll() is None, "the program ended"
        # Asked afresh each time: a window added while the client was not listening (the main
        # window after the splash, on a loaded machine) is missing from what it remembers.
        # A window that closes while it is looked at (the splash) is no answer yet.
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.clear_cache()
        try:
            for app in desktop:
                if app is not None and app.get_process_id() == self.process.pid:
                    app.clear_cache()
                    return next((w for w in app if w is not None and role(w) == role_name and
                                 w.name == name and has(w, pyatspi.STATE_SHOWING)), None)
        except GLib.Error:
            pass
        return None
    def seen(self):
        """What the bus offers: each program's process and its windows."""
        return "; on the bus: " + ", ".join(
            f"{app.get_process_id()} {[(role(w), w.name) for w in app if w is not None]}"
            for app in pyatspi.Registry.getDesktop(0) if app is not None)
    def xdotool(self, *arguments, check=True):
        return subprocess.run(["xdotool", *arguments], env=self.env, check=check,
                              capture_output=True, text=True).stdout.strip()
    def read(self, count):
        got = b""
        while len(got) < count and select.select([self.device], [], [], PATIENCE)[0]:
            got += os.read(self.device, count - len(got))
        return got

    def write(self, data):
        while data:
            data = data[os.write(self.device, data):]

    def controls(self, root=None):  # that take the focus; the tabs are read as their strip
        return [obj for obj in showing(root or self.window)
                if has(obj, pyatspi.STATE_FOCUSABLE) and role(obj) != "page tab"]
    def find(self, group_name, role_name, name, root=None):
        found = [o for o in showing(root or self.window) if heard(o) == (group_name, role_name,
                                                                           name)]
        assert found, f"no {role_name} '{name}' in '{group_name}' is showing"
        return found[0]
    def press(self, obj, action="Press"):
        actions = obj.queryAction()
        names = [actions.getName(k) for k in range(actions.nActions)]
        assert action in names, f"{heard(obj)} offers {names}"
        actions.doAction(names.index(action))
    def tab(self):  # the control that gains the focus
        since = len(self.focus_events)
        self.xdotool("key", "Tab")
        return wait_for(lambda: next((e[1] for e in self.focus_events[since:] if e[2] == 1),
                                     None), "the focus to move on Tab")
    def focus(self, obj):
        """Through AT-SPI where the control offers it; a list does not, so by Tab."""
        try:
            self.press(obj, "SetFocus")
        except AssertionError:
            for _ in range(100):
                if has(obj, pyatspi.STATE_FOCUSED):
                    break
                self.tab()
        wait_for(lambda: has(obj, pyatspi.STATE_FOCUSED), f"the focus on {heard(obj)}")
    def pick(self, list_group, list_name, keys):  # typing the start of an item
        self.focus(self.find(list_group, "combo box", list_name))
        self.xdotool("type", keys)
    def show_tab(self, tab):
        panel = tab.split(",")[0]
        self.press(self.find("", "page tab", table.TAB_CAPTIONS[panel]))
        wait_for(lambda: any(heard(o) == ("", "panel", panel) for o in showing(self.window)),
                 f"the {panel} panel")
        if tab.endswith("MessageOut chosen"):
            self.pick("8-Bit", "Show Controller command", "M")
            wait_for(lambda: any(spoken(o) == "Message" for o in self.controls()), "MessageOut")

class ScreenReader(unittest.TestCase):
    executable = None
    def setUp(self):
        self.program = Program(self, self.executable)

    def assertHeard(self, found, rows):
        """The controls found are the rows', each named, described and enabled as its row says;
        one without a name fails first, named by where it stands."""
        self.assertEqual([heard(o) for o in found if not spoken(o).strip()], [], "unnamed")
        missing = []
        for name, group_name, role_name, spoken_name, description, enabled in rows:
            match = next((o for o in found if heard(o) == (group_name, role_name, spoken_name)
                          and description in (None, o.description)), None)
            if match is None:
                missing.append((name, group_name, role_name, spoken_name, description))
            else:
                found.remove(match)
                self.assertEqual(has(match, pyatspi.STATE_ENABLED), enabled, name)
        self.assertEqual(missing, [], "controls not heard as the table says")
        self.assertEqual([(heard(o), o.description) for o in found], [], "not in the table")

    def test_every_control_is_named_reached_by_tab_and_a_button_sends(self):
        program = self.program
        for tab in table.PANELS:
            with self.subTest(tab=tab):
                program.show_tab(tab)
                self.assertHeard(program.controls(), table.main_window(tab))
                # Tab from the log: every enabled control in reading order, then the log again.
                expected = [row[1:4] for row in table.main_window(tab) if row[5]]
                program.focus(program.find("", "text", "Log"))
                self.assertEqual([heard(program.tab()) for _ in expected],
                                 expected[1:] + expected[:1])
                picks, button, wire = table.PRESSES.get(tab, ([], None, b""))
                for list_name, keys in picks:
                    program.pick(tab, list_name, keys)
                if button:  # through its AT-SPI action
                    program.press(program.find(tab, "push button", button))
                self.assertEqual(program.read(len(wire)), wire)

    def test_log_reads_as_it_shows(self):
        """Read through its text interface after a known exchange in each view and once most
        of it lies on disk; what arrives is announced at the end, a few times a second under a
        flood; Clear Log announces the removal."""
        program = self.program
        changes = listen(self, "object:text-changed:insert", "object:text-changed:delete")
        text = program.find("", "text", "Log").queryText()
        line, whole = pyatspi.TEXT_BOUNDARY_LINE_START, ""

        def announced(since, gapless=True):  # where they end, each the text at its place
            reached = before
            for kind, _, at, length, data in changes[since:]:
                self.assertEqual((kind, data), ("object:text-changed:insert", whole[at:at + length]))
                self.assertTrue(at == reached or (not gapless and at > reached), (at, reached))
                reached = at + length
            return reached

        for view, sent, received in [("Standard", "PL|", "R|"), ("Mixed", "PL<0D>", "R<0D>"),
                                     ("Hex", "<50><4C><0D>", "<52><0D>")]:
            with self.subTest(view=view):
                program.pick("Settings", "View:", view[0])
                wait_for(lambda: program.find("Settings", "combo box", "View:").name == view, view)
                since, before = len(changes), len(whole)
                program.press(program.find("Pelvox2", "push button", "Play"))
                self.assertEqual(program.read(3), b"PL\r")
                program.write(b"R\r")
                sent, received = "Command Sent:  " + sent, "Receiving: " + received
                whole += ("\r\n" if whole else "") + sent + "\r\n" + received
                wait_for(lambda: text.characterCount == len(whole), f"the answer in {view}")
                self.assertEqual(text.getText(0, -1), whole)
                end = len(whole)
                at = end - len(received) - 2 - len(sent)
                self.assertEqual(text.getTextAtOffset(end, line),
                                 (received, end - len(received), end))
                self.assertEqual(text.getTextAtOffset(at + 3, line),
                                 (sent + "\r\n", at, at + len(sent) + 2))
                wait_for(lambda: announced(since) == end, "the announcement")

        program.focus(program.find("", "text", "Log"))
        program.xdotool("key", "ctrl+End", "ctrl+a")
        wait_for(lambda: text.getNSelections() == 1, "the selection")
        self.assertEqual((text.getSelection(0), text.caretOffset), ((0, len(whole)), len(whole)))
        text.setSelection(0, 4, 16)
        self.assertEqual((text.getSelection(0), text.caretOffset), ((4, 16), 16))

        # Some 12 MB glued to the last line: the oldest text goes to disk.
        program.pick("Settings", "View:", "S")
        since, before, started = len(changes), len(whole), time.monotonic()
        flood = b"".join(b"%07d " % k for k in range(1_500_000))
        program.write(flood)
        whole += flood.decode("latin-1")
        wait_for(lambda: text.characterCount == len(whole), "the flood in the log", 300)
        wait_for(lambda: announced(since, gapless=False) == len(whole), "the flood announced")
        self.assertLessEqual(len(changes) - since, (time.monotonic() - started) * 4 + 1)
        fds, cache = f"/proc/{program.process.pid}/fd", os.path.join(program.path, "cache")
        wait_for(lambda: any(os.readlink(os.path.join(fds, fd)).startswith(cache)
                             for fd in os.listdir(fds)), "the log's spill file")
        self.assertEqual(text.getTextAtOffset(5, line), ("Command Sent:  PL|\r\n", 0, 20))
        self.assertEqual(text.getTextAfterOffset(5, line), ("Receiving: R|\r\n", 20, 35))
        word = pyatspi.TEXT_BOUNDARY_WORD_START
        self.assertEqual(text.getTextAtOffset(16, word), ("PL", 15, 17))
        self.assertEqual(text.getTextBeforeOffset(16, word), ("  ", 13, 15))
        middle = before + 8 * 777_777 + 3
        self.assertEqual(text.getText(middle, middle + 21), whole[middle:middle + 21])
        # A long line, or the whole log, is answered in part.
        piece, start, end = text.getTextAtOffset(middle, line)
        self.assertEqual((len(piece), piece, start <= middle < end),
                         (LARGEST_ANSWER, whole[start:end], True))
        self.assertEqual(text.getText(0, -1), whole[:LARGEST_ANSWER])

        since = len(changes)
        program.press(program.find("", "push button", "Clear Log"))
        wait_for(lambda: text.characterCount == 0, "the cleared log")
        removed = wait_for(lambda: [e[2:4] for e in changes[since:] if "delete" in e[0]],
                           "the removal")
        self.assertEqual(removed, [(0, LARGEST_ANSWER)])

    def test_dialogs_and_messages_read(self):
        """A message box reads its text; the quick strings dialog reads as its table, and Escape
        closes it; the About box reads its title and version, its OK with the focus."""
        program = self.program
        program.focus(program.find("Pelvox2", "push button", "Search"))
        program.xdotool("key", "space")
        box = wait_for(lambda: program.top_level("alert", "Zentrel Vorlinker"), "the message")
        self.assertEqual(box.description, "Select file to search!")
        self.assertIn("Select file to search!", [o.name for o in showing(box)])
        program.press(program.find("", "push button", "OK", root=box))
        wait_for(lambda: not program.top_level("alert", "Zentrel Vorlinker"), "it to close")

        program.press(program.find("Quick Strings", "push button", "Configure Strings"))
        dialog = wait_for(lambda: program.top_level("dialog", "Quick String Configuration"),
                          "the quick strings dialog")
        self.assertHeard(program.controls(dialog), [r + (True,) for r in table.STRINGS_DIALOG])
        program.xdotool("key", "Escape")
        wait_for(lambda: not program.top_level("dialog", "Quick String Configuration"), "Escape")

        # A double click on the bare background at the window's right edge.
        program.xdotool("mousemove", "--window", program.window_id, "517", "60", "click",
                        "--repeat", "2", "--delay", "80", "1")
        about = wait_for(lambda: program.top_level("dialog", "About Zentrel"), "the About box")
        labels = [o.name for o in showing(about) if role(o) == "label"]
        self.assertTrue({"Zentrel Vorlinker", "Version 1.0.4"} <= set(labels), labels)
        ok = program.find("", "push button", "OK", root=about)
        wait_for(lambda: has(ok, pyatspi.STATE_FOCUSED), "the focus on OK")

def main():
    missing = [tool for tool in ("dbus-run-session", "Xvfb", "xdotool") if not shutil.which(tool)]
    if missing or len(sys.argv) < 2:
        skip_or_fail(f"missing {' '.join(missing)}" if missing else "give the program to test")
    if not os.environ.get("ZENTREL_SCREENREADER_SESSION"):
        # Each test in a session, so an AT-SPI bus, of its own: on a loaded machine a bus that
        # has served two programs was seen to offer no third.
        os.environ["ZENTREL_SCREENREADER_SESSION"] = "1"
        failed = [name for name in unittest.TestLoader().getTestCaseNames(ScreenReader)
                  if subprocess.call(["dbus-run-session", "--", sys.executable, *sys.argv[:2],
                                      "ScreenReader." + name] + sys.argv[2:])]
        print("failed: " + " ".join(failed) if failed else "every test passed")
        sys.exit(1 if failed else 0)
    global pyatspi, GLib
    try:
        import pyatspi
        from gi.repository import GLib
    except ImportError:
        skip_or_fail("python3-pyatspi is missing")
    warnings.filterwarnings("ignore", category=DeprecationWarning)  # pyatspi's older names
    ScreenReader.executable = os.path.abspath(sys.argv[1])
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)

if __name__ == "__main__":
    main()
