"""Drives the real MENU.EXE under Wine on Xvfb, as a person would.

Xvfb: a private X server. Wine: one prefix per X server and run. Menu: one
started copy of the program, with helpers to find its window, click into the
MenuSurface and read the screen back. Windows are looked at from inside Wine
by the probe helper (tests/helpers/probe.c), the screen from outside with
ImageMagick's import, the pointer is moved with xdotool.
"""

import io
import os
import shutil
import subprocess
import tempfile
import time

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("MENU_BUILD_ROOT", os.path.join(ROOT, "build"))


def _win32_mode():
    """How 32-bit programs run here: decided once by scripts/lib.sh (the test
    command exports it); asked of the same function when run on its own."""
    mode = os.environ.get("MENU_WIN32_MODE")
    if not mode:
        mode = subprocess.run(["bash", "-c", '. "$1/scripts/lib.sh" && win32_mode', "_", ROOT],
                              stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                              universal_newlines=True).stdout.strip() or "none"
        os.environ["MENU_WIN32_MODE"] = mode
    return mode


WIN32_MODE = _win32_mode()
RUNS_32BIT = WIN32_MODE == "native"
# Debian's `wine` starts the 32-bit loader whenever wine32 is installed; where
# the kernel cannot run it, every program goes through the 64-bit loader,
# and so do wineboot and wineserver (WINELOADER, set in Wine.env).
WINE = "wine" if RUNS_32BIT else "/usr/lib/wine/wine64"
WINESERVER = "wineserver"
# The Windows tree whose programs run: the 32-bit one, which is what the disc
# carries; the 64-bit twin's only on a machine that cannot run 32-bit
# programs (the test command says so).
WINDOWS = os.environ.get("MENU_WIN_BUILD",
                         os.path.join(BUILD, "win32" if RUNS_32BIT else "win64"))
MENU_EXE = os.path.join(WINDOWS, "MENU.EXE")
HELPERS = os.path.join(WINDOWS, "tests")
ARTIFACTS = os.path.join(BUILD, "e2e-artifacts")

FRAME_CLASS = "XERVOMENUClass"
SURFACE_CLASS = "XERVOMENUCHILDClass"
FRAME_TITLE = "XERVO CD-ROM MENU"
SURFACE_W, SURFACE_H = 640, 480

DISPLAYS = range(90, 100)  # the harness's own X display numbers

# Waits are on conditions, never fixed sleeps, and allow for a prefix that
# has sat idle for 20 s: it may take 3 to 11 s to restart its desktop
# process before the next program shows anything. Hence 30 s by default.


def helper(name):
    path = os.path.join(HELPERS, name + ".exe")
    if not os.path.isfile(path):
        raise RuntimeError("helper %s is not built (scripts/build.sh %s)"
                           % (path, os.path.basename(WINDOWS)))
    return path


def trunc_div(a, b):
    """Integer division truncated toward zero, as C does it."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b > 0) else -q


def parse_keys(text):
    """key=value lines into a dict of strings."""
    values = {}
    for line in text.splitlines():
        key, sep, value = line.partition("=")
        if sep:
            values[key.strip()] = value.rstrip("\r")
    return values


def ints(value):
    return [int(v) for v in value.split()]


# --- X server ---------------------------------------------------------------

class Xvfb:
    """A private X server on the first free display of DISPLAYS."""

    def __init__(self, depth=24, width=1024, height=768):
        self.depth, self.width, self.height = depth, width, height
        self.proc = None
        self.display = None

    def start(self, timeout=15):
        for number in DISPLAYS:
            if os.path.exists("/tmp/.X%d-lock" % number) or \
               os.path.exists("/tmp/.X11-unix/X%d" % number):
                continue
            display = ":%d" % number
            proc = subprocess.Popen(
                ["Xvfb", display, "-screen", "0",
                 "%dx%dx%d" % (self.width, self.height, self.depth),
                 "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline and proc.poll() is None:
                if subprocess.run(["xdpyinfo", "-display", display],
                                  stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode == 0:
                    self.proc, self.display = proc, display
                    return self
                time.sleep(0.1)
            # Lost a race for this display, or it never came up: next one.
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        raise RuntimeError("no free X display in :%d-:%d" % (DISPLAYS[0], DISPLAYS[-1]))

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def screenshot(self):
        """The whole screen as an RGB PIL image."""
        data = subprocess.run(["import", "-display", self.display, "-window", "root", "png:-"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True, timeout=30).stdout
        return Image.open(io.BytesIO(data)).convert("RGB")

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(),
                       check=True, timeout=10,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# --- Wine ---------------------------------------------------------------------

class Wine:
    """A fresh Wine prefix bound to one X server, booted once."""

    def __init__(self, xvfb, prefix=None):
        self.xvfb = xvfb
        self.own_prefix = prefix is None
        self.prefix = prefix or tempfile.mkdtemp(prefix="menu-wine-", dir="/tmp")
        self.env = dict(
            os.environ,
            WINEPREFIX=self.prefix,
            WINEDEBUG="-all",
            LC_ALL="ja_JP.UTF-8",
            DISPLAY=xvfb.display,
            # No Mono or Gecko prompts, no desktop menu entries for the user.
            WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
        )
        self.env.pop("LANG", None)
        self.env.pop("LANGUAGE", None)
        if not RUNS_32BIT:
            self.env["WINELOADER"] = WINE

    def boot(self, timeout=180):
        # wineserver -p changes into the prefix first: it must exist.
        os.makedirs(self.prefix, exist_ok=True)
        # A persistent server keeps every later start quick; it has to be
        # the first one, a running server cannot be made persistent.
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=30)
        subprocess.run([WINE, "wineboot", "-i"], env=self.env, check=True, timeout=timeout,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return self

    def shutdown(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.own_prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)

    def map_drive(self, letter, folder):
        link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(folder, link)

    def popen(self, program, *args):
        return subprocess.Popen([WINE, program] + [str(a) for a in args], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def probe(self, *args, timeout=60):
        """Runs the probe; returns (exit code, key=value dict)."""
        result = subprocess.run([WINE, helper("probe")] + [str(a) for a in args],
                                env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                timeout=timeout)
        return result.returncode, parse_keys(result.stdout.decode("cp932", "replace"))

    def window_info(self, cls=FRAME_CLASS, title=FRAME_TITLE):
        code, info = self.probe("info", cls, title)
        return info if code == 0 else None

    def count_windows(self, cls=FRAME_CLASS, title=FRAME_TITLE):
        code, info = self.probe("count", cls, title)
        assert code == 0, "probe count failed"
        return int(info["count"])

    def foreground(self):
        code, info = self.probe("foreground")
        assert code == 0, "probe foreground failed"
        return info

    def wait_window(self, cls=FRAME_CLASS, title=FRAME_TITLE, timeout=30):
        code, _ = self.probe("wait", cls, title, int(timeout * 1000), timeout=timeout + 30)
        return code == 0

    def wait_gone(self, cls=FRAME_CLASS, title=FRAME_TITLE, timeout=30):
        code, _ = self.probe("gone", cls, title, int(timeout * 1000), timeout=timeout + 30)
        return code == 0


# --- The menu -------------------------------------------------------------------

def make_disc(folder, files=None, exe=None):
    """A disc folder: MENU.EXE plus files ({name: bytes or source path})."""
    exe = exe or MENU_EXE
    if not os.path.isfile(exe):
        raise RuntimeError("%s is not built (scripts/build.sh %s)"
                           % (exe, os.path.basename(WINDOWS)))
    os.makedirs(folder, exist_ok=True)
    shutil.copy(exe, os.path.join(folder, "MENU.EXE"))
    for name, content in (files or {}).items():
        path = os.path.join(folder, *name.replace("\\", "/").split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if isinstance(content, (bytes, bytearray)):
            with open(path, "wb") as f:
                f.write(content)
        else:
            shutil.copy(content, path)
    return folder



def wait_painted(capture, timeout=30):
    """The image capture() gives once it is not all black and two looks
    half a second apart agree."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        image = capture()
        if image.getbbox() is not None and last is not None and \
           image.tobytes() == last.tobytes():
            return image
        last = image
        time.sleep(0.5)
    raise AssertionError("the menu was not painted within %ss" % timeout)

class Menu:
    """One started copy of the menu (or any program started the same way)."""

    def __init__(self, wine, proc):
        self.wine = wine
        self.proc = proc
        self.info = None

    # Window ---------------------------------------------------------------
    def wait_window(self, timeout=30):
        if not self.wine.wait_window(timeout=timeout):
            raise AssertionError("no window %s / %s after %ss (exit code %s)"
                                 % (FRAME_CLASS, FRAME_TITLE, timeout, self.proc.poll()))
        return self.refresh()

    def refresh(self):
        self.info = self.wine.window_info()
        assert self.info is not None, "the menu window has gone"
        return self.info

    def client_origin(self):
        """Screen position of the MenuSurface's top-left pixel."""
        info = self.info or self.refresh()
        ox, oy = ints(info["origin"])
        cx, cy = ints(info["child.rect"])[:2]
        return ox + cx, oy + cy

    # Pointer --------------------------------------------------------------
    def move(self, x, y):
        ox, oy = self.client_origin()
        self.wine.xvfb.xdotool("mousemove", ox + x, oy + y)

    def press(self, x, y):
        self.move(x, y)
        self.wine.xvfb.xdotool("mousedown", 1)

    def release(self, x, y):
        self.move(x, y)
        self.wine.xvfb.xdotool("mouseup", 1)

    def click(self, x, y, settle=0.3):
        self.press(x, y)
        self.release(x, y)
        time.sleep(settle)

    # Screen ---------------------------------------------------------------
    def surface_image(self):
        """The 640x480 MenuSurface as it is on screen now."""
        ox, oy = self.client_origin()
        return self.wine.xvfb.screenshot().crop((ox, oy, ox + SURFACE_W, oy + SURFACE_H))

    def pixel(self, x, y):
        return self.surface_image().getpixel((x, y))

    def wait_painted(self, timeout=30):
        """Waits until the surface is not all black and two looks agree."""
        return wait_painted(self.surface_image, timeout)

    def save(self, name):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, name + ".png")
        self.wine.xvfb.screenshot().save(path)
        return path

    # End ----------------------------------------------------------------
    def close(self):
        """Posts WM_CLOSE to the frame; returns whether one was found."""
        code, _ = self.wine.probe("close", FRAME_CLASS, FRAME_TITLE)
        return code == 0

    def exit_code(self, timeout=30):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
