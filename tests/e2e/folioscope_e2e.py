"""Drives the built folioscope as a person does, in a private X server.

Every scenario script makes one Session: an Xvfb on a free display (its frame buffer mapped
to a file, which is how screenshots are taken), openbox as window manager, a temporary HOME
so that QSettings do not leak, and the program under test. Keys and clicks go through XTEST
(xdotool windowfocus, then key / click), never as synthetic events sent to a window: those
lose their key release when the window closes on the press, and the next dialog then sees a
key held down.

What the program shows is read as a person reads it:
  - window titles with xdotool;
  - the page box and the zoom box by copying their text (click, Ctrl+A, Ctrl+C) and reading
    the clipboard with xclip; the page count by going to the last page and reading the box;
  - the page picture by hashing the pixels of the page area in the frame buffer: a new page,
    zoom or layout changes them, navigation that must do nothing does not.
Only the standard library and the command-line tools are used.
"""

import contextlib
import hashlib
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

SKIP_CODE = 77
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SAMPLE_REPORT = os.path.join(SOURCE_DIR, "examples", "sample-report.txt")
SAMPLE_PAGES = 12
TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xclip")

PREVIEW_TITLE = "印刷プレビュー  < ファイル名 ： {} >"


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def skip(scenario, reason):
    # The QtTest form, so that scripts/test-skips.sh counts and names it.
    log(f"SKIP   : e2e::{scenario} {reason}")
    sys.exit(SKIP_CODE)


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Polls probe() until it returns something true; returns that, or fails naming what."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def check(condition, text):
    if not condition:
        raise Failure(text)


def check_equal(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


def run(args, env=None, check_rc=True, timeout=20):
    done = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    if check_rc and done.returncode != 0:
        raise Failure(f"{' '.join(args)} failed ({done.returncode}): {done.stderr.strip()}")
    return done.stdout


def program_path():
    path = os.environ.get("FOLIOSCOPE_BINARY") or os.path.join(SOURCE_DIR, "build", "folioscope")
    return os.path.abspath(path)


class Screen:
    """The Xvfb frame buffer, an XWD file that the server keeps current."""

    def __init__(self, path):
        self.path = path

    def grab(self):
        with open(self.path, "rb") as f:
            data = f.read()
        header_size, = struct.unpack(">I", data[:4])
        fields = struct.unpack(">25I", data[:100])
        width, height, bpp, stride, ncolors = fields[4], fields[5], fields[11], fields[12], fields[19]
        check(bpp == 32, f"frame buffer with {bpp} bits per pixel")
        start = header_size + 12 * ncolors
        return Image(width, height, stride, data[start:start + stride * height])


class Image:
    def __init__(self, width, height, stride, pixels):
        self.width, self.height, self.stride, self.pixels = width, height, stride, pixels

    def rows(self, x, y, w, h):
        x, y = max(x, 0), max(y, 0)
        w, h = min(w, self.width - x), min(h, self.height - y)
        for row in range(y, y + h):
            start = row * self.stride + 4 * x
            yield self.pixels[start:start + 4 * w]

    def digest(self, rect):
        sha = hashlib.sha1()
        for row in self.rows(*rect):
            sha.update(row)
        return sha.hexdigest()

    def pixel(self, x, y):
        b, g, r, _ = self.pixels[y * self.stride + 4 * x:y * self.stride + 4 * x + 4]
        return r, g, b

    def save_png(self, path, rect=None):
        x, y, w, h = rect or (0, 0, self.width, self.height)
        raw = bytearray()
        for row in self.rows(x, y, w, h):
            raw.append(0)
            for i in range(0, len(row), 4):
                raw += bytes((row[i + 2], row[i + 1], row[i]))
            w = len(row) // 4
        h = len(raw) // (3 * w + 1)

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
                    chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


class Window:
    """A top-level window of the program, addressed by its X id."""

    def __init__(self, session, wid):
        self.session, self.wid = session, wid
        self._geometry = None

    def title(self):
        return self.session.x(["xdotool", "getwindowname", self.wid], check_rc=False).strip()

    def exists(self):
        out = self.session.x(["xwininfo", "-id", self.wid], check_rc=False)
        return "Map State: IsViewable" in out

    def geometry(self):
        """Absolute x, y, width, height of the client area (read once; moved() reads again)."""
        if self._geometry is None:
            self._geometry = self._read_geometry()
        return self._geometry

    def moved(self):
        self._geometry = None

    def _read_geometry(self):
        out = self.session.x(["xwininfo", "-id", self.wid])
        get = lambda name: int(re.search(name + r":\s+(-?\d+)", out).group(1))
        return (get("Absolute upper-left X"), get("Absolute upper-left Y"), get("Width"),
                get("Height"))

    def focus(self):
        self.session.x(["xdotool", "windowfocus", "--sync", self.wid])

    def key(self, *keys):
        """Keys as a keyboard types them, one after the other, into this window."""
        self.focus()
        self.session.x(["xdotool", "key", "--delay", "30", *keys])

    def type(self, text):
        self.focus()
        self.session.x(["xdotool", "type", "--delay", "30", "--", text])

    def click(self, x, y, button=1, modifiers=(), repeat=1):
        """Clicks at (x, y) of the client area."""
        left, top, _, _ = self.geometry()
        self.focus()
        self.session.x(["xdotool", "mousemove", "--sync", str(left + x), str(top + y)])
        for m in modifiers:
            self.session.x(["xdotool", "keydown", m])
        self.session.x(["xdotool", "click", "--repeat", str(repeat), "--delay", "60", str(button)])
        for m in reversed(modifiers):
            self.session.x(["xdotool", "keyup", m])
        self.session.park_pointer()

    def close_box(self):
        """Presses the close button of the window manager's title bar (at its right end)."""
        left, top, width, _ = self.geometry()
        self.session.x(["xdotool", "mousemove", "--sync", str(left + width - 10), str(top - 10)])
        self.session.x(["xdotool", "click", "1"])
        self.session.park_pointer()

    def shot(self, rect=None):
        """The window's client area (or rect of it) from the frame buffer."""
        left, top, width, height = self.geometry()
        x, y, w, h = rect or (0, 0, width, height)
        return left + x, top + y, w, h

    def digest(self, rect=None):
        return self.session.screen.grab().digest(self.shot(rect))

    def save(self, name, rect=None):
        path = os.path.join(self.session.artifacts, name + ".png")
        self.session.screen.grab().save_png(path, self.shot(rect))
        return path

    def paste_here(self, text):
        """Pastes text into the focused control of this window."""
        self.session.x(["xclip", "-selection", "clipboard", "-i"], stdin=text)
        self.key("ctrl+v")

    def paste(self, x, y, text):
        """Puts text into the edit box at (x, y) through the clipboard, as an input method
        would hand over text that no key of the keyboard types (full-width digits)."""
        self.session.x(["xclip", "-selection", "clipboard", "-i"], stdin=text)
        self.click(x, y)
        self.session.x(["xdotool", "key", "--delay", "30", "ctrl+a", "ctrl+v"])

    def read_text(self, x, y):
        """The whole text of the edit box at (x, y), copied through the clipboard."""
        sentinel = f"<nothing copied {time.monotonic()}>"
        self.session.x(["xclip", "-selection", "clipboard", "-i"], stdin=sentinel)
        self.click(x, y)
        self.session.x(["xdotool", "key", "--delay", "30", "ctrl+a", "ctrl+c"])
        probe = lambda: (lambda t: t if t != sentinel else None)(
            self.session.x(["xclip", "-selection", "clipboard", "-o"], check_rc=False))
        try:
            return wait_for("the copied text", probe, timeout=3)
        except Failure:
            return ""  # an empty box copies nothing


class Session:
    """Xvfb + openbox + the program, torn down on every way out."""

    def __init__(self, scenario, env=None):
        self.scenario = scenario
        self.extra_env = env or {}
        self.processes = []
        self.app = None
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing:
            skip(scenario, "no X server tools to run the program in: missing " + ", ".join(missing))
        if not os.access(program_path(), os.X_OK):
            skip(scenario, f"the program is not built: {program_path()}")
        self.tmp = tempfile.mkdtemp(prefix="folioscope-e2e-")
        # Screenshots of failed cases are kept there (the build folder under ctest).
        self.artifacts = os.environ.get("FOLIOSCOPE_E2E_ARTIFACTS") or tempfile.gettempdir()
        os.makedirs(self.artifacts, exist_ok=True)
        self.home = os.path.join(self.tmp, "home")
        os.makedirs(os.path.join(self.home, ".config"))
        self.runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(self.runtime, mode=0o700)

    # -- start and stop ---------------------------------------------------------------------

    def __enter__(self):
        try:
            self._start_x()
        except Exception:
            self.close()
            raise
        return self

    def __exit__(self, kind, value, tb):
        self.close()
        return False

    def _start_x(self):
        fbdir = os.path.join(self.tmp, "fb")
        os.makedirs(fbdir)
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-fbdir", fbdir,
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_end)
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            piece = os.read(read_end, 16)
            if not piece:
                break
            number += piece
        os.close(read_end)
        if not number.strip():
            skip(self.scenario, "the X server (Xvfb) did not start")
        self.display = ":" + number.decode().strip()
        self.screen = Screen(os.path.join(fbdir, "Xvfb_screen0"))
        self.env = dict(os.environ, DISPLAY=self.display, HOME=self.home,
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_RUNTIME_DIR=self.runtime, LANG="C.UTF-8")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.update(self.extra_env)
        self.processes.append(subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True))
        wait_for("the window manager", lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check_rc=False))
        # The server draws the pointer into the frame buffer: keep it off the windows.
        self.park_pointer()

    def close(self):
        for p in reversed(self.processes):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.killpg(p.pid, signal.SIGTERM)
        for p in reversed(self.processes):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        self.processes = []
        shutil.rmtree(self.tmp, ignore_errors=True)

    def x(self, args, check_rc=True, stdin=None):
        """Runs an X client on the session's display."""
        if stdin is not None:
            # xclip stays in the background as owner of the selection until another takes it.
            p = subprocess.Popen(args, env=self.env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, text=True)
            p.communicate(stdin, timeout=10)
            return ""
        done = subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=30)
        if check_rc and done.returncode != 0:
            raise Failure(f"{' '.join(args)} failed ({done.returncode}): {done.stderr.strip()}")
        return done.stdout

    # -- the program ------------------------------------------------------------------------

    def start(self, *args):
        self.app = subprocess.Popen([program_path(), *args], env=self.env, cwd=self.tmp,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                    start_new_session=True)
        self.processes.append(self.app)
        return self.app

    def stop_program(self):
        if self.app is None:
            return
        with contextlib.suppress(ProcessLookupError):
            os.killpg(self.app.pid, signal.SIGKILL)
        self.app.wait()
        self.processes.remove(self.app)
        self.app = None
        wait_for("the program's windows to go", lambda: not self.find_windows("."))

    def park_pointer(self):
        """Puts the pointer on the bare root window, so that no tooltip or hover shows."""
        self.x(["xdotool", "mousemove", "--sync", "1279", "1023"])

    def alive(self):
        return self.app is not None and self.app.poll() is None

    def check_alive(self, when):
        if not self.alive():
            out = self.app.stdout.read().decode(errors="replace") if self.app.stdout else ""
            raise Failure(f"the program ended ({when}), exit status {self.app.returncode}\n{out}")

    def find_windows(self, title_regex):
        out = self.x(["xdotool", "search", "--onlyvisible", "--name", title_regex], check_rc=False)
        return [Window(self, wid) for wid in out.split()]

    def window(self, title_regex, timeout=15):
        """The one visible window whose title matches, waited for."""
        window = wait_for(f"a window titled /{title_regex}/",
                          lambda: self.find_windows(title_regex), timeout=timeout)[0]
        # The window manager places a window after it is mapped, and Qt centres dialogs:
        # the window is taken once two readings of its place agree.
        last = [None]

        def settled():
            now = window._read_geometry()
            same, last[0] = now == last[0], now
            return same
        wait_for(f"the window /{title_regex}/ to settle", settled, interval=0.1)
        return window

    def gone(self, title_regex, timeout=10):
        wait_for(f"the window /{title_regex}/ to close",
                 lambda: not self.find_windows(title_regex), timeout=timeout)


def preview_title(path):
    return "^" + re.escape(PREVIEW_TITLE.format(path)) + "$"


class Preview:
    """The preview window and the places of its controls (client coordinates)."""

    BUTTONS = {
        "return": (55, 15), "pdf": (55, 43), "print": (145, 43), "settings": (236, 43),
        "printer_setup": (311, 40), "fonts": (346, 40), "first": (396, 40), "previous": (419, 40),
        "next": (508, 40), "last": (533, 40), "zoom_reset": (574, 42), "zoom_up": (626, 37),
        "zoom_down": (626, 47), "help": (671, 38),
    }
    PAGE_BOX = (449, 42)
    ZOOM_BOX = (602, 42)

    def __init__(self, session, path):
        self.session, self.path = session, path
        self.window = session.window(preview_title(path))
        # The layout is done when its progress window has gone (nothing is clicked here: a
        # click would move the keyboard).
        session.gone("^データ処理中...$")

    def press(self, button):
        self.window.click(*self.BUTTONS[button])

    def key(self, *keys):
        self.window.key(*keys)

    def page(self):
        return self.window.read_text(*self.PAGE_BOX)

    def zoom(self):
        return self.window.read_text(*self.ZOOM_BOX)

    def enter(self, box, text):
        """Types text into the page or zoom box and presses Enter."""
        self.window.click(*(self.PAGE_BOX if box == "page" else self.ZOOM_BOX))
        self.session.x(["xdotool", "key", "ctrl+a", "BackSpace"])
        self.session.x(["xdotool", "type", "--delay", "30", "--", text])
        self.session.x(["xdotool", "key", "Return"])

    def page_count(self):
        """The count of pages: the page box on the last page (End), then back where it was."""
        here = self.page()
        self.key("End")
        count = wait_for("the last page", lambda: self.page() or None)
        if count != here:
            self.enter("page", here)
        return int(count)

    def area(self):
        """The page area: below the toolbar, left of the scroll bar, above the status line."""
        _, _, width, height = self.window.geometry()
        return (4, 80, width - 24, height - 120)

    def picture(self):
        """The page area's pixels (a digest), once two readings 100 ms apart agree."""
        last = [None]

        def steady():
            now = self.window.digest(self.area())
            same, last[0] = now == last[0], now
            return now if same else None
        return wait_for("a steady picture", steady, interval=0.1)

    def changed_from(self, before, what):
        """The new steady picture, once it differs from before."""
        return wait_for(what, lambda: (lambda d: d if d != before else None)(self.picture()),
                        timeout=8)

    def check_showing(self, page, count=None):
        """The title names the file, the page box shows page, the count (when given) follows."""
        check_equal(self.window.title(), PREVIEW_TITLE.format(self.path), "window title")
        check_equal(self.page(), str(page), "page box")
        if count is not None:
            check_equal(self.page_count(), count, "page count")


def run_cases(script, cases, env=None):
    """Runs each case(session) against a fresh start of the program in one X session.

    Prints one QtTest-like line per case; exits 1 when one failed, 77 when all were skipped."""
    failed = skipped = 0
    chosen = sys.argv[1:]  # case names to run, for a developer; all by default
    cases = [c for c in cases if not chosen or c.__name__ in chosen]
    with Session(script, env=env) as session:
        for case in cases:
            name = f"{script}_{case.__name__}"
            started = time.monotonic()
            try:
                case(session)
                session.check_alive("at the end of the case")
                log(f"PASS   : e2e::{name} ({time.monotonic() - started:.1f} s)")
            except CaseSkipped as reason:
                skipped += 1
                log(f"SKIP   : e2e::{name} {reason}")
            except Failure as failure:
                failed += 1
                log(f"FAIL!  : e2e::{name} {failure}")
                with contextlib.suppress(Exception):
                    shot = os.path.join(session.artifacts, name + ".png")
                    session.screen.grab().save_png(shot)
                    log(f"   screenshot: {shot}")
            finally:
                session.stop_program()
    log(f"Totals: {len(cases) - failed - skipped} passed, {failed} failed, {skipped} skipped")
    sys.exit(1 if failed else SKIP_CODE if skipped == len(cases) else 0)


def start_preview(session, path=SAMPLE_REPORT):
    """Starts the program on a report (fresh settings) and returns its preview window."""
    shutil.rmtree(session.home, ignore_errors=True)
    os.makedirs(os.path.join(session.home, ".config"))
    session.start(path)
    return Preview(session, path)


class CaseSkipped(Exception):
    pass
