"""Measures the menu and prints a readable report (run by scripts/bench.sh).

1. Size of the 32-bit MENU.EXE from its PE section table (resources apart)
   and the DLLs it imports.
2. Start-up under Wine on a private Xvfb: process start to the menu fully
   painted, against a minimal window program, interleaved runs, medians.
3. A press on a page tab to the new page fully drawn: the sample disc and a
   page of 1,000 entries.
4. The model's loading over that 1,000-entry MENU.DAT, natively and under
   Wine.

Screen times come from the stopwatch helper, which runs inside Wine: it
starts the program itself (or presses through the system's input queue)
and polls the window's client area on the screen until it equals the
settled image learned beforehand.
"""

import os
import re
import shutil
import statistics
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness  # noqa: E402

BUILD = harness.BUILD
WIN32_EXE = os.path.join(BUILD, "win32", "MENU.EXE")
# The programs timed and the timers: the 32-bit ones that ship and run
# beside the menu (the twin's only where 32-bit programs cannot run).
WINDOWS = harness.WINDOWS
STOPWATCH = os.path.join(WINDOWS, "tools", "bench", "stopwatch.exe")
MODELBENCH_EXE = os.path.join(WINDOWS, "tools", "bench", "modelbench.exe")
MODELBENCH = os.environ.get("MENU_BENCH_NATIVE",
                            os.path.join(BUILD, "bench-native", "tools", "bench", "modelbench"))
MINWIN = os.path.join(WINDOWS, "tests", "minwin.exe")
WORK = os.path.join(BUILD, "bench")

# --smoke: one run of the quick figures, to show that the benchmark works.
SMOKE = "--smoke" in sys.argv[1:]
RUNS = 1 if SMOKE else int(os.environ.get("MENU_BENCH_RUNS", "7"))
# Process start under Wine varies by tens of milliseconds from run to run.
START_RUNS = 1 if SMOKE else max(RUNS, 11)
SIZE_GOAL = 32 * 1024
START_GOAL = 1.15

# The DLLs of a fresh Windows 95 (first release) that the program may use;
# msvcrt.dll is not among them.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "winmm.dll"}

# Page tabs 1 and 2: centres of their hit rectangles on the MenuSurface.
TAB1 = (1 + 126 // 2, 56 + 26 // 2)
TAB2 = (129 + 126 // 2, 56 + 26 // 2)


def heading(text):
    print()
    print(text)
    print("-" * len(text))


# --- 1. The executable ---------------------------------------------------------

def pe_layout(path):
    """Sections (name, virtual size, raw size, rva, raw offset) and imported DLLs."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("%s is not a PE file" % path)
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    import_rva, _ = struct.unpack_from("<II", data, directories + 8)
    sections = []
    table = optional + optional_size
    for i in range(count):
        entry = table + 40 * i
        name = data[entry:entry + 8].rstrip(b"\0").decode("ascii", "replace")
        vsize, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, entry + 8)
        sections.append((name, vsize, raw_size, rva, raw_offset))

    def offset_of(address):
        for _, vsize, raw_size, rva, raw_offset in sections:
            if rva <= address < rva + max(vsize, raw_size):
                return raw_offset + address - rva
        raise ValueError("address 0x%x lies in no section" % address)

    dlls = []
    if import_rva:
        at = offset_of(import_rva)
        while True:
            lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", data, at)
            if not (lookup or name_rva or thunks):
                break
            start = offset_of(name_rva)
            dlls.append(data[start:data.index(b"\0", start)].decode("ascii", "replace"))
            at += 20
    return len(data), sections, dlls


def report_size():
    heading("1. Size of the 32-bit MENU.EXE (%s)" % os.path.relpath(WIN32_EXE, ROOT))
    if not os.path.isfile(WIN32_EXE):
        print("not built")
        return {}
    size, sections, dlls = pe_layout(WIN32_EXE)
    print("%-8s %10s %10s" % ("section", "raw", "virtual"))
    for name, vsize, raw_size, _, _ in sections:
        print("%-8s %10d %10d" % (name, raw_size, vsize))
    code_raw = sum(s[2] for s in sections if s[0] != ".rsrc")
    code_virtual = sum(s[1] for s in sections if s[0] != ".rsrc")
    rsrc_raw = sum(s[2] for s in sections if s[0] == ".rsrc")
    rsrc_virtual = sum(s[1] for s in sections if s[0] == ".rsrc")
    headers = size - code_raw - rsrc_raw
    print("file %d bytes: code and data %d raw / %d virtual, resources %d raw / %d virtual, "
          "headers and the rest %d" % (size, code_raw, code_virtual, rsrc_raw, rsrc_virtual,
                                       headers))
    worst = max(code_raw, code_virtual)
    print("goal: code and data at most %d bytes: %s (%.1f KiB)"
          % (SIZE_GOAL, "met" if worst <= SIZE_GOAL else "MISSED", worst / 1024.0))
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    print("imports: %s" % ", ".join(dlls))
    print("goal: Windows 95's KERNEL32, USER32, GDI32, SHELL32, WINMM only: %s"
          % ("met" if not foreign else "MISSED (%s)" % ", ".join(foreign)))
    return {"code_raw": code_raw, "code_virtual": code_virtual, "dlls": dlls}


# --- 2. and 3. Screen times under Wine -----------------------------------------

def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def stopwatch(wine, *args, timeout=300):
    result = subprocess.run([harness.WINE, STOPWATCH] + [str(a) for a in args], env=wine.env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=timeout)
    values = harness.parse_keys(result.stdout.decode("ascii", "replace"))
    if result.returncode != 0:
        raise RuntimeError("stopwatch %s failed (%d): %s" % (args[0], result.returncode, values))
    return values


def sample_disc():
    folder = os.path.join(WORK, "sample")
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(os.path.join(ROOT, "sample"), folder)
    shutil.copy(harness.MENU_EXE, os.path.join(folder, "MENU.EXE"))
    return folder


def big_disc():
    folder = os.path.join(WORK, "big")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    subprocess.run([MODELBENCH, "write", folder], check=True)
    shutil.copy(harness.MENU_EXE, os.path.join(folder, "MENU.EXE"))
    return folder


def median(values):
    return statistics.median(values) if values else float("nan")


def report_startup(wine, disc):
    heading("2. Start-up under Wine: process start to fully painted (median of %d)" % START_RUNS)
    menu = os.path.join(disc, "MENU.EXE")
    targets = [
        ("minimal window", winpath(MINWIN), "MinWinClass", "MinWin"),
        ("menu (sample disc)", winpath(menu), harness.FRAME_CLASS, harness.FRAME_TITLE),
    ]
    refs = {}
    for name, program, cls, title in targets:
        ref = os.path.join(WORK, "start-%s.ref" % cls)
        stopwatch(wine, "settle", winpath(ref), cls, title, program)
        refs[name] = ref
        # One run not counted: the first start after settling pays for caches.
        stopwatch(wine, "start", winpath(ref), cls, title, program)
    times = {name: {"window": [], "painted": [], "polls": []} for name, _, _, _ in targets}
    for _ in range(START_RUNS):
        for name, program, cls, title in targets:
            values = stopwatch(wine, "start", winpath(refs[name]), cls, title, program)
            times[name]["window"].append(float(values["window_ms"]))
            times[name]["painted"].append(float(values["painted_ms"]))
            times[name]["polls"].append(int(values["polls"]))
    print("%-20s %12s %12s   %s" % ("program", "window ms", "painted ms", "painted, every run"))
    print("(window: found shown by FindWindowA; painted: its client area on the screen equals"
          " the settled image)")
    for name, _, _, _ in targets:
        t = times[name]
        print("%-20s %12.1f %12.1f   %s" % (name, median(t["window"]), median(t["painted"]),
                                            " ".join("%.0f" % v for v in t["painted"])))
    base = median(times["minimal window"]["painted"])
    menu_t = median(times["menu (sample disc)"]["painted"])
    ratio = menu_t / base
    print("ratio menu / minimal window: %.2f (goal at most %.2f: %s)"
          % (ratio, START_GOAL, "met" if ratio <= START_GOAL else "MISSED"))
    window_gap = median(times["menu (sample disc)"]["window"]) - median(
        times["minimal window"]["window"])
    paint_gap = (menu_t - median(times["menu (sample disc)"]["window"])) - (
        base - median(times["minimal window"]["window"]))
    print("of the difference: %.1f ms before the window is shown, %.1f ms from shown to painted"
          % (window_gap, paint_gap))
    return {"minwin_ms": base, "menu_ms": menu_t, "ratio": ratio}


def report_pages(wine, label, disc, names):
    menu = os.path.join(disc, "MENU.EXE")
    values = stopwatch(wine, "pages", RUNS, harness.FRAME_CLASS, harness.FRAME_TITLE,
                       TAB1[0], TAB1[1], TAB2[0], TAB2[1], winpath(menu), timeout=600)
    a = [float(v) for k, v in values.items() if k.startswith("a.")]
    b = [float(v) for k, v in values.items() if k.startswith("b.")]
    if int(values.get("ignored_pixels", "0")):
        print("%-12s (%s pixels of the counter's spilt text not compared)"
              % (label, values["ignored_pixels"]))
    for tab, page, runs in (("tab 1", names[0], a), ("tab 2", names[1], b)):
        print("%-12s %-30s %10.1f   %s" % (label, "%s: %s" % (tab, page), median(runs),
                                           " ".join("%.0f" % v for v in runs)))
    return median(a), median(b)


# --- 4. The model ---------------------------------------------------------------

def report_model(wine):
    heading("4. Model loading over MENU.DAT with a page of 1,000 entries")
    figures = {}
    native_dir = os.path.join(WORK, "model-native")
    wine_dir = os.path.join(WORK, "model-wine")
    for folder in (native_dir, wine_dir):
        os.makedirs(folder, exist_ok=True)
    for label, command in (("native", [MODELBENCH, native_dir]),
                           ("Wine", [harness.WINE, MODELBENCH_EXE, winpath(wine_dir)])):
        result = subprocess.run(command, env=wine.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        text = result.stdout.decode("ascii", "replace")
        print("%s (%s):" % (label, "GetPrivateProfileStringA" if label == "Wine"
                            else "the native profile reader"))
        for line in text.splitlines():
            print("  " + line)
        match = re.search(r"loadEntries.*?([\d.]+) ms", text)
        figures[label] = float(match.group(1)) if match else float("nan")
    return figures


def main():
    needed = [harness.MENU_EXE, STOPWATCH, MINWIN]
    if not SMOKE:
        needed += [MODELBENCH_EXE, MODELBENCH]
    for path in needed:
        if not os.path.isfile(path):
            print("missing %s: build first (scripts/bench.sh builds)" % path)
            return 1
    os.makedirs(WORK, exist_ok=True)
    report_size()

    print("programs: %s" % os.path.relpath(WINDOWS, ROOT))
    harness.DISPLAYS = range(80, 85)
    xvfb = harness.Xvfb().start()
    # A fresh prefix of its own (made and removed here): a kept one could
    # date from before wine32 and run no 32-bit program at all.
    wine = harness.Wine(xvfb)
    try:
        wine.boot()
        disc = sample_disc()
        report_startup(wine, disc)
        heading("3. Press on a tab to the new page fully drawn (median of %d, ms)" % RUNS)
        report_pages(wine, "sample disc", disc, ("INSTALL", "MANUALS"))
        if not SMOKE:
            report_pages(wine, "1,000 entries", big_disc(), ("1,000 entries", "one entry"))
            report_model(wine)
    finally:
        wine.shutdown()
        xvfb.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
