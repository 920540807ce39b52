"""What the loader and the processor of an old Windows see in MENU.EXE.

The disc's program must load on Windows 95 (first release) and on NT 4.0,
and run on an i486. This file holds both without running anything:

* the import table (and the delay-load table) of the i686 MENU.EXE is read
  with a small PE reader and every imported DLL and name is compared with
  the export lists of those systems kept in tests/data/exports/ (each list
  says in its first lines where it comes from and what it leaves out);
* the program's executable sections are disassembled with
  i686-w64-mingw32-objdump and every instruction the i486 does not have is
  reported with its address and the function it lies in.

Code and data in the executable sections. MinGW's linker places two data
tables at the end of .text: the constructor and destructor lists, each a -1
word, pointers into the code and a 0 word. Read as instructions they give
"(bad)" bytes, and they could as well give anything. They are found by that
layout (no symbols are needed, the shipped program is stripped) and left out
of the disassembly. Switch jump tables are placed in .rdata by this
compiler; every table jump ("jmp *TABLE(,%reg,4)") is checked to read from
outside the executable sections, so that the assumption is tested rather
than trusted. Any other undecodable byte ("(bad)") in the code is reported
too: past such bytes a linear disassembly may be out of step, so the
instructions there would be unverified.

Function names come from the image's own symbols when it has them, or from
a GNU ld map file beside it (MENU.map, e.g. from -Wl,-Map,MENU.map), or are
reported as unknown.

The program comes from MENU_EXE32 (set by scripts/test.sh), else
$MENU_BUILD_ROOT/win32/MENU.EXE, else build/win32/MENU.EXE. A missing file
skips the image checks; a file that is there but cannot be read fails them.
"""

import os
import re
import shutil
import struct
import subprocess

import pytest

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EXPORTS = os.path.join(REPO, "tests", "data", "exports")
OBJDUMP = "i686-w64-mingw32-objdump"
CXXFILT = "i686-w64-mingw32-c++filt"

ALLOWED_DLLS = ("kernel32", "user32", "gdi32", "shell32", "winmm")
SYSTEMS = (("win95", "Windows 95"), ("nt4", "Windows NT 4.0"))

IMAGE_SCN_CNT_CODE = 0x00000020
IMAGE_SCN_MEM_EXECUTE = 0x20000000


# ---------------------------------------------------------------------------
# PE reading


class PEError(ValueError):
    pass


class PEImage:
    """The parts of a 32-bit PE file that the checks need."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PEError("no MZ header")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PEError("no PE signature at %#x" % pe)
        (self.machine, count, _, _, _, optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = self._u16(optional)
        if magic != 0x10B:
            raise PEError("not a PE32 optional header (magic %#x)" % magic)
        self.image_base = self._u32(optional + 28)
        self.entry_rva = self._u32(optional + 16)
        directory_count = self._u32(optional + 92)
        self.directories = []
        for i in range(min(directory_count, 16)):
            self.directories.append(struct.unpack_from("<II", data, optional + 96 + 8 * i))
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            at = table + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, at + 8)
            flags = self._u32(at + 36)
            self.sections.append({"name": name, "rva": rva, "size": virtual_size or raw_size,
                                  "raw_size": raw_size, "raw": raw_offset, "flags": flags})

    def _u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def _u32(self, at):
        if at < 0 or at + 4 > len(self.data):
            raise PEError("read past the end of the file at %#x" % at)
        return struct.unpack_from("<I", self.data, at)[0]

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for s in self.sections:
            if s["rva"] <= rva < s["rva"] + max(s["size"], s["raw_size"]):
                if rva - s["rva"] >= s["raw_size"]:
                    raise PEError("RVA %#x lies in the uninitialised part of %s" % (rva, s["name"]))
                return s["raw"] + rva - s["rva"]
        raise PEError("RVA %#x lies outside every section" % rva)

    def u32_at(self, rva):
        return self._u32(self.offset(rva))

    def string_at(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PEError("unterminated string at RVA %#x" % rva)
        return self.data[start:end].decode("latin-1")

    def code_sections(self):
        return [s for s in self.sections if s["flags"] & (IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE)]

    def section_bytes(self, section):
        return self.data[section["raw"]:section["raw"] + min(section["size"], section["raw_size"])]

    def _thunks(self, table_rva):
        """Yield ("name", hint, name) or ("ordinal", number, None) for a
        zero-terminated table of 32-bit thunks."""
        rva = table_rva
        while True:
            value = self.u32_at(rva)
            if value == 0:
                return
            if value & 0x80000000:
                yield ("ordinal", value & 0xFFFF, None)
            else:
                hint = struct.unpack_from("<H", self.data, self.offset(value))[0]
                yield ("name", hint, self.string_at(value + 2))
            rva += 4

    def imports(self):
        """[(dll, [thunk, ...])] of the import directory (data directory 1)."""
        rva, size = self.directory(1)
        found = []
        if rva == 0:
            return found
        at = rva
        while True:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, self.offset(at))
            if lookup == 0 and name_rva == 0 and first_thunk == 0:
                break
            table = lookup or first_thunk
            found.append((self.string_at(name_rva), list(self._thunks(table))))
            at += 20
        return found

    def delay_imports(self):
        """[(dll, [thunk, ...])] of the delay-load directory (data directory 13).
        Old linkers wrote virtual addresses here instead of RVAs (attribute
        bit 0 clear); both are read."""
        rva, size = self.directory(13)
        found = []
        if rva == 0:
            return found
        at = rva
        while True:
            fields = struct.unpack_from("<8I", self.data, self.offset(at))
            attributes, name, _, _, names_table = fields[:5]
            if not any(fields):
                break
            base = 0 if attributes & 1 else self.image_base
            found.append((self.string_at(name - base), list(self._thunks(names_table - base))))
            at += 32
        return found


def read_image(path):
    with open(path, "rb") as f:
        return PEImage(f.read())


# ---------------------------------------------------------------------------
# Export lists


def load_exports(root=EXPORTS):
    """{system: {dll: set(names)}} from tests/data/exports/SYSTEM/DLL.txt."""
    lists = {}
    for system, _ in SYSTEMS:
        lists[system] = {}
        for dll in ALLOWED_DLLS:
            path = os.path.join(root, system, dll + ".txt")
            with open(path, encoding="ascii") as f:
                lines = f.read().splitlines()
            if not lines or not lines[0].startswith("# "):
                raise ValueError("%s does not start with a line on where it comes from" % path)
            names = [l for l in lines if l and not l.startswith("#")]
            lists[system][dll] = set(names)
    return lists


def dll_key(name):
    base = name.lower()
    return base[:-4] if base.endswith(".dll") else base


def import_problems(tables, exports, kind="import"):
    """Every import that would stop the loader of an old system."""
    problems = []
    for dll, thunks in tables:
        key = dll_key(dll)
        if key not in ALLOWED_DLLS:
            names = ", ".join(t[2] if t[0] == "name" else "#%d" % t[1] for t in thunks)
            problems.append("%s of %s: not a DLL of a fresh Windows 95 (%s)" % (kind, dll, names))
            continue
        for how, number, name in thunks:
            if how == "ordinal":
                problems.append("%s of %s by ordinal %d: ordinals differ between systems" % (kind, dll, number))
                continue
            lacking = [label for system, label in SYSTEMS if name not in exports[system][key]]
            if lacking:
                problems.append("%s of %s!%s: not exported by %s" % (kind, dll, name, " nor ".join(lacking)))
    return problems


# ---------------------------------------------------------------------------
# Instructions beyond the i486

PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32", "addr16", "addr32",
            "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd", "xacquire", "xrelease"}
PREFIX_BYTES = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3}

# Mnemonics (as objdump writes them) of instructions the i486 lacks, each
# with the processor that brought it.
NEWER = [
    (r"cmov[a-z]+", "conditional move (Pentium Pro)"),
    (r"fcmov[a-z]+", "x87 conditional move (Pentium Pro)"),
    (r"fu?comip?", "x87 compare into EFLAGS (Pentium Pro)"),
    (r"cpuid", "CPUID (missing on most i486 processors; use it only after the EFLAGS.ID test, and say so here)"),
    (r"rdtscp?", "time-stamp counter (Pentium)"),
    (r"rdpmc", "performance counter (Pentium Pro)"),
    (r"rdmsr|wrmsr", "machine register access, RDMSR/WRMSR (Pentium)"),
    (r"cmpxchg8b|cmpxchg16b", "CMPXCHG8B (Pentium)"),
    (r"sysenter|sysexit|syscall|sysret", "fast system call (Pentium II / AMD K6)"),
    (r"emms|femms", "MMX state (Pentium MMX / 3DNow!)"),
    (r"movd|movq|movnti|movntq|maskmovq|pshufw", "MMX or SSE move (Pentium MMX and later)"),
    (r"cvt[a-z0-9]+", "SSE conversion (Pentium III and later)"),
    (r"prefetch[a-z0-9]*", "prefetch hint (Pentium III / 3DNow!)"),
    (r"[lms]fence|clflush[a-z]*|clwb", "SSE memory ordering or cache control (Pentium III and later)"),
    (r"fxsave[a-z0-9]*|fxrstor[a-z0-9]*|xsave[a-z0-9]*|xrstor[a-z0-9]*|xgetbv", "extended state save (Pentium II and later)"),
    (r"ldmxcsr|stmxcsr", "SSE control register (Pentium III)"),
    (r"fisttp[a-z]*", "x87 truncating store (SSE3)"),
    (r"monitor|mwait", "MONITOR/MWAIT (SSE3)"),
    (r"popcnt|lzcnt|tzcnt|movbe|crc32[a-z]*|andn|bextr|blsi|blsmsk|blsr|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox|rdrand|rdseed",
     "general-register extension (SSE4 / BMI / ADX and later)"),
    (r"nop[lw]|endbr(32|64)", "hint NOP, 0F 18-1F (Pentium Pro and later; undefined on the i486)"),
]
NEWER_RE = [(re.compile(r"^(%s)$" % pattern), why) for pattern, why in NEWER]
VECTOR_REGISTER = re.compile(r"%(x|y|z)?mm\d")
# Any instruction whose opcode is 0F 18 to 0F 1F: hint NOPs and prefetches.
HINT_NOP = "hint NOP or prefetch, opcode 0F 18-1F (Pentium Pro and later; undefined on the i486)"
TABLE_JUMP = re.compile(r"^jmp\s+\*(0x[0-9a-f]+)\(,%e[a-z]{2},[1248]\)")


def opcode_bytes(raw):
    """The instruction's bytes after its legacy prefixes."""
    i = 0
    while i < len(raw) and raw[i] in PREFIX_BYTES:
        i += 1
    return raw[i:]


def newer_than_i486(text, raw=b""):
    """Why the instruction (objdump's text, and its bytes if known) is not an
    i486 instruction, or None. UD2 and PAUSE (REP NOP) are let through: the
    one traps by design, the other is a NOP on the i486."""
    words = text.split()
    while words and words[0] in PREFIXES:
        words = words[1:]
    if not words:
        return None
    mnemonic = words[0]
    operands = " ".join(words[1:])
    for pattern, why in NEWER_RE:
        if pattern.match(mnemonic):
            return why
    if VECTOR_REGISTER.search(operands):
        return "MMX/SSE register operand (Pentium MMX and later)"
    body = opcode_bytes(raw)
    if len(body) >= 2 and body[0] == 0x0F and 0x18 <= body[1] <= 0x1F:
        return HINT_NOP
    if mnemonic == "nop" and operands:
        return HINT_NOP
    return None


LINE = re.compile(r"^\s*([0-9a-f]+):\t([0-9a-f ]+?)\s*(?:\t(.*))?$")
LABEL = re.compile(r"^([0-9a-f]+) <(.+)>:$")


def parse_objdump(lines):
    """[(address, bytes, text)] and {address: label} from objdump -d output.
    A line with bytes and no text continues the instruction before it."""
    instructions = []
    labels = {}
    for line in lines:
        label = LABEL.match(line)
        if label:
            labels[int(label.group(1), 16)] = label.group(2)
            continue
        m = LINE.match(line)
        if not m:
            continue
        address = int(m.group(1), 16)
        raw = bytes.fromhex(m.group(2).replace(" ", ""))
        text = (m.group(3) or "").strip()
        if not text and instructions:
            prev = instructions[-1]
            instructions[-1] = (prev[0], prev[1] + raw, prev[2])
            continue
        instructions.append((address, raw, text))
    return instructions, labels


def ctor_dtor_lists(data, base, code_ranges):
    """Where MinGW's constructor and destructor lists start in a code
    section's bytes (as an address), or None: two runs of a -1 word, words
    that point into the code, a 0 word, followed by nothing but zeros."""

    def in_code(value):
        return any(lo <= value < hi for lo, hi in code_ranges)

    def run(at):
        if at + 4 > len(data) or struct.unpack_from("<I", data, at)[0] != 0xFFFFFFFF:
            return None
        at += 4
        while at + 4 <= len(data):
            word = struct.unpack_from("<I", data, at)[0]
            at += 4
            if word == 0:
                return at
            if not in_code(word):
                return None
        return None

    for start in range(0, len(data) - 15, 4):
        if data[start:start + 4] != b"\xff\xff\xff\xff":
            continue
        middle = run(start)
        end = run(middle) if middle is not None else None
        if end is not None and not data[end:].strip(b"\0"):
            return base + start
    return None


def map_symbols(path):
    """{address: name} of what a GNU ld map file places: the symbols it
    lists (ld writes C++ names demangled, with their parameter lists) and,
    for code no listed symbol covers (static functions), the input section
    and the object file it came from."""
    symbols, sections = {}, {}
    pending = None
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\n")
            alone = re.match(r"^ (\.\S+)$", line)
            if alone:
                pending = alone.group(1)
                continue
            placed = re.match(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if placed:
                name = placed.group(1) or pending
                if name and int(placed.group(3), 16):
                    if name.startswith(".text$_Z"):
                        label = name[len(".text$"):]  # a function with internal linkage
                    else:
                        where = placed.group(4)
                        archive, _, member = where.partition("(")
                        label = "[%s in %s%s]" % (name, os.path.basename(archive), "(" + member if member else "")
                    sections.setdefault(int(placed.group(2), 16), label)
                pending = None
                continue
            pending = None
            symbol = re.match(r"^\s+0x([0-9a-f]+)\s+(?!0x)(\S.*?)\s*$", line)
            if symbol and " = " not in symbol.group(2) and not symbol.group(2).startswith(("PROVIDE", "ASSERT")):
                symbols.setdefault(int(symbol.group(1), 16), symbol.group(2))
    for address, name in sections.items():
        symbols.setdefault(address, name)
    return symbols


def demangle(names):
    names = list(names)
    if not names or not shutil.which(CXXFILT):
        return {n: n for n in names}
    out = subprocess.run([CXXFILT, "-n"], input="\n".join(names) + "\n", stdout=subprocess.PIPE,
                         universal_newlines=True, timeout=60).stdout.splitlines()
    return dict(zip(names, out)) if len(out) == len(names) else {n: n for n in names}


def nearest(labels, address):
    best = None
    for at in labels:
        if at <= address and (best is None or at > best):
            best = at
    return None if best is None else (best, labels[best])


def disassemble(path, image):
    """objdump -d of every executable section up to its data tables.
    Returns (instructions, labels, notes)."""
    base = image.image_base
    code = image.code_sections()
    ranges = [(base + s["rva"], base + s["rva"] + s["size"]) for s in code]
    instructions, labels, notes = [], {}, []
    for s in code:
        start = base + s["rva"]
        stop = start + min(s["size"], s["raw_size"])
        tables = ctor_dtor_lists(image.section_bytes(s), start, ranges)
        if tables is not None:
            notes.append("%s: constructor/destructor lists at %#x-%#x left out" % (s["name"], tables, stop))
            stop = tables
        result = subprocess.run([OBJDUMP, "-d", "-z", "-j", s["name"], "--stop-address=%#x" % stop, path],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                universal_newlines=True, timeout=300)
        assert result.returncode == 0, "%s failed on %s: %s" % (OBJDUMP, s["name"], result.stderr)
        assert "Disassembly of section %s:" % s["name"] in result.stdout, \
            "%s did not disassemble section %s" % (OBJDUMP, s["name"])
        found, found_labels = parse_objdump(result.stdout.splitlines())
        instructions += found
        labels.update(found_labels)
    return instructions, labels, notes, ranges


def instruction_problems(instructions, labels, code_ranges):
    problems = []

    def where(address):
        hit = nearest(labels, address)
        if hit is None:
            return "%#x (function unknown)" % address
        return "%#x in %s+%#x" % (address, hit[1], address - hit[0])

    for address, raw, text in instructions:
        if text == "(bad)":
            problems.append("%s: undecodable byte %s: data in the code, or the disassembly is out of step" %
                            (where(address), raw.hex()))
            continue
        jump = TABLE_JUMP.match(text)
        if jump:
            table = int(jump.group(1), 16)
            if any(lo <= table < hi for lo, hi in code_ranges):
                problems.append("%s: %s reads a jump table inside the code; this test cannot tell how long it is" %
                                (where(address), text))
        why = newer_than_i486(text, raw)
        if why:
            problems.append("%s: %s  [%s]" % (where(address), text, why))
    return problems


# ---------------------------------------------------------------------------
# The program


def program_path():
    path = os.environ.get("MENU_EXE32")
    if path:
        return path
    build = os.environ.get("MENU_BUILD_ROOT") or os.path.join(REPO, "build")
    return os.path.join(build, "win32", "MENU.EXE")


@pytest.fixture(scope="module")
def program():
    path = program_path()
    if not os.path.exists(path):
        pytest.skip("%s does not exist: build the 32-bit program first (scripts/build.sh win32)" % path)
    image = read_image(path)  # an unreadable or malformed file fails here
    assert image.machine == 0x014C, "%s is not an i386 image (machine %#x)" % (path, image.machine)
    return path, image


@pytest.fixture(scope="module")
def exports():
    return load_exports()


def test_imports_exist_on_windows_95_and_nt_4(program, exports):
    path, image = program
    tables = image.imports()
    by_dll = {dll_key(dll): thunks for dll, thunks in tables}
    # The reader must have read something real before its silence means anything.
    assert "kernel32" in by_dll, "no KERNEL32 imports were read from %s" % path
    assert len(by_dll["kernel32"]) >= 20, "only %d KERNEL32 imports were read" % len(by_dll["kernel32"])
    assert "user32" in by_dll and "gdi32" in by_dll, "USER32 or GDI32 imports missing: %r" % sorted(by_dll)
    problems = import_problems(tables, exports) + import_problems(image.delay_imports(), exports, "delay-load import")
    assert not problems, "%s imports what Windows 95 or NT 4.0 do not export:\n  %s" % (
        path, "\n  ".join(problems))


def test_no_instruction_beyond_the_i486(program):
    path, image = program
    if not shutil.which(OBJDUMP):
        pytest.fail("%s is missing (Debian package binutils-mingw-w64-i686)" % OBJDUMP)
    instructions, labels, notes, ranges = disassemble(path, image)
    assert ranges, "%s has no executable section" % path
    assert len(instructions) > 1000, "only %d instructions were read from %s" % (len(instructions), path)
    # Names: the image's own labels if objdump printed any beyond section
    # starts, else a linker map beside the program.
    named = {a: n for a, n in labels.items() if not n.startswith(".")}
    if not named:
        map_path = os.path.splitext(path)[0] + ".map"
        if os.path.exists(map_path):
            lo = min(r[0] for r in ranges)
            hi = max(r[1] for r in ranges)
            symbols = {a: n for a, n in map_symbols(map_path).items() if lo <= a < hi}
            readable = demangle(n for n in symbols.values() if n.startswith("_Z"))
            named = {a: readable.get(n, n) for a, n in symbols.items()}
    problems = instruction_problems(instructions, named, ranges)
    assert not problems, "%s has %d instructions or bytes the i486 cannot run (%s; %d instructions read):\n  %s" % (
        path, len(problems), "; ".join(notes) or "no data tables found in the code",
        len(instructions), "\n  ".join(problems))


# ---------------------------------------------------------------------------
# The checkers themselves, on hand-made input


def test_export_lists_hold_the_known_facts(exports):
    both = {
        "kernel32": ["WinExec", "GetPrivateProfileStringA", "_lopen", "_hread", "_lclose", "GlobalAlloc",
                     "GlobalLock", "GlobalHandle", "FindFirstFileA", "CreateProcessA", "GetProcAddress"],
        "user32": ["wsprintfA", "EnumWindows", "GetWindowThreadProcessId", "CreateWindowExA"],
        "gdi32": ["CreateDIBitmap", "CreatePalette", "RealizePalette", "BitBlt"],
        "shell32": ["ShellExecuteExA"],
        "winmm": ["sndPlaySoundA"],
    }
    for system, label in SYSTEMS:
        for dll, names in both.items():
            for name in names:
                assert name in exports[system][dll], "%s missing from the %s list of %s" % (name, label, dll)
        assert "GetProcessId" not in exports[system]["kernel32"], label
    assert "IsDebuggerPresent" not in exports["win95"]["kernel32"]
    assert "GetFileAttributesExA" not in exports["win95"]["kernel32"]
    assert "IsDebuggerPresent" in exports["nt4"]["kernel32"]
    for system, _ in SYSTEMS:
        for dll in ALLOWED_DLLS:
            names = exports[system][dll]
            assert len(names) > 50, (system, dll, len(names))
            with open(os.path.join(EXPORTS, system, dll + ".txt"), encoding="ascii") as f:
                body = [l for l in f.read().splitlines() if not l.startswith("#")]
            assert body == sorted(set(body)), "%s/%s.txt is not sorted and unique" % (system, dll)


def build_pe(imports, delay=None, ordinal=None):
    """A minimal PE32 image: headers and one section holding the import and
    delay-load tables. imports: [(dll, [name, ...])]; an int in the list is
    an import by ordinal."""
    section_rva, file_align = 0x1000, 0x200
    blob = bytearray()

    def put(data):
        at = len(blob)
        blob.extend(data)
        while len(blob) % 4:
            blob.append(0)
        return section_rva + at

    def tables(entries, descriptor_size):
        layout = []
        for dll, names in entries:
            name_rva = put(dll.encode() + b"\0")
            thunks = []
            for n in names:
                thunks.append(0x80000000 | n if isinstance(n, int) else put(b"\0\0" + n.encode() + b"\0"))
            lookup = put(b"".join(struct.pack("<I", t) for t in thunks + [0]))
            layout.append((name_rva, lookup))
        return layout

    plain = tables(imports, 20)
    descriptors = put(b"".join(struct.pack("<IIIII", lookup, 0, 0, name, lookup) for name, lookup in plain)
                      + b"\0" * 20)
    delay_rva = 0
    if delay:
        late = tables(delay, 32)
        delay_rva = put(b"".join(struct.pack("<8I", 1, name, 0, lookup, lookup, 0, 0, 0) for name, lookup in late)
                        + b"\0" * 32)
    pe = 0x40
    header = bytearray(0x400)
    header[0:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, pe)
    header[pe:pe + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", header, pe + 4, 0x014C, 1, 0, 0, 0, 0xE0, 0x0102)
    optional = pe + 24
    struct.pack_into("<H", header, optional, 0x10B)
    struct.pack_into("<I", header, optional + 28, 0x400000)
    struct.pack_into("<I", header, optional + 92, 16)
    struct.pack_into("<II", header, optional + 96 + 8 * 1, descriptors, 20 * (len(plain) + 1))
    if delay_rva:
        struct.pack_into("<II", header, optional + 96 + 8 * 13, delay_rva, 32)
    table = optional + 0xE0
    raw = (len(blob) + file_align - 1) // file_align * file_align
    header[table:table + 8] = b".idata\0\0"
    struct.pack_into("<IIII", header, table + 8, len(blob), section_rva, raw, 0x400)
    struct.pack_into("<I", header, table + 36, 0xC0000040)
    return bytes(header) + bytes(blob) + b"\0" * (raw - len(blob))


def test_import_checker_flags_what_old_systems_lack(exports):
    image = PEImage(build_pe([("KERNEL32.dll", ["CloseHandle", "GetProcessId", 7]),
                              ("msvcrt.dll", ["malloc"]),
                              ("USER32.dll", ["MessageBoxA"])],
                             delay=[("ole32.dll", ["CoInitialize"])]))
    tables = image.imports()
    assert tables == [("KERNEL32.dll", [("name", 0, "CloseHandle"), ("name", 0, "GetProcessId"), ("ordinal", 7, None)]),
                      ("msvcrt.dll", [("name", 0, "malloc")]),
                      ("USER32.dll", [("name", 0, "MessageBoxA")])]
    problems = import_problems(tables, exports)
    assert problems == [
        "import of KERNEL32.dll!GetProcessId: not exported by Windows 95 nor Windows NT 4.0",
        "import of KERNEL32.dll by ordinal 7: ordinals differ between systems",
        "import of msvcrt.dll: not a DLL of a fresh Windows 95 (malloc)",
    ]
    delayed = image.delay_imports()
    assert delayed == [("ole32.dll", [("name", 0, "CoInitialize")])]
    assert import_problems(delayed, exports, "delay-load import") == [
        "delay-load import of ole32.dll: not a DLL of a fresh Windows 95 (CoInitialize)"]
    # One system lacking a name is named alone.
    one = import_problems([("kernel32.dll", [("name", 0, "IsDebuggerPresent")])], exports)
    assert one == ["import of kernel32.dll!IsDebuggerPresent: not exported by Windows 95"]


def test_import_checker_passes_what_both_systems_have(exports):
    image = PEImage(build_pe([("KERNEL32.dll", ["CloseHandle", "_lopen"]), ("WINMM.DLL", ["sndPlaySoundA"]),
                              ("shell32.dll", ["ShellExecuteExA"])]))
    assert image.delay_imports() == []
    assert import_problems(image.imports(), exports) == []


def test_pe_reader_refuses_what_is_not_a_pe_file():
    with pytest.raises(PEError):
        PEImage(b"\0" * 0x100)
    broken = bytearray(build_pe([("KERNEL32.dll", ["CloseHandle"])]))
    broken[0x40:0x44] = b"NE\0\0"
    with pytest.raises(PEError):
        PEImage(bytes(broken))


OBJDUMP_SAMPLE = """
MENU.EXE:     file format pei-i386


Disassembly of section .text:

00401000 <_start>:
  401000:\t0f 4d c2             \tcmovge %edx,%eax
  401003:\tdf e9                \tfucomip %st(1),%st
  401005:\t66 0f 1f 44 00 00    \tnopw   0x0(%eax,%eax,1)
  40100b:\t0f 6e c0             \tmovd   %eax,%mm0
  40100e:\t66 0f ef c0          \tpxor   %xmm0,%xmm0
  401012:\tf2 0f 11 04 24       \tmovsd  %xmm0,(%esp)
  401017:\tf0 0f c7 0e          \tlock cmpxchg8b (%esi)
  40101b:\t0f a2                \tcpuid
  40101d:\tdd 0c 24             \tfisttpll (%esp)
  401020:\tf3 0f 1e fb          \tendbr32
  401024:\t0f 18 06             \tprefetchnta (%esi)
  401027:\t0f 31                \trdtsc
  401029:\t0f 0f c1 b4          \tpfmul  %mm1,%mm0
  40102d:\tff                   \t(bad)
00401030 <_good>:
  401030:\tf3 a5                \trep movsl %ds:(%esi),%es:(%edi)
  401032:\t0f c8                \tbswap  %eax
  401034:\tf0 0f b1 0a          \tlock cmpxchg %ecx,(%edx)
  401038:\t0f c1 02             \txadd   %eax,(%edx)
  40103b:\t0f 0b                \tud2
  40103d:\tf3 90                \tpause
  40103f:\t8d b4 26 00 00 00 00 \tlea    0x0(%esi,%eiz,1),%esi
  401046:\t66 90                \txchg   %ax,%ax
  401048:\tdf e0                \tfnstsw %ax
  40104a:\t9e                   \tsahf
  40104b:\t0f 94 c0             \tsete   %al
  40104e:\t60                   \tpusha
  40104f:\t61                   \tpopa
  401050:\tc7 44 24 04 00 00 00 \tmovl   $0x0,0x4(%esp)
  401057:\t00 
  401058:\tff 24 85 00 20 40 00 \tjmp    *0x402000(,%eax,4)
  40105f:\tff 24 85 60 10 40 00 \tjmp    *0x401060(,%eax,4)
\t...
"""


def test_instruction_checker_flags_what_the_i486_lacks():
    instructions, labels = parse_objdump(OBJDUMP_SAMPLE.splitlines())
    assert labels == {0x401000: "_start", 0x401030: "_good"}
    # The split movl is one instruction of 8 bytes.
    movl = [i for i in instructions if i[0] == 0x401050]
    assert movl and len(movl[0][1]) == 8
    problems = instruction_problems(instructions, labels, [(0x401000, 0x401070)])
    flagged = sorted({int(p.split()[0], 16) for p in problems})
    assert flagged == [0x401000, 0x401003, 0x401005, 0x40100b, 0x40100e, 0x401012, 0x401017, 0x40101b,
                       0x40101d, 0x401020, 0x401024, 0x401027, 0x401029, 0x40102d, 0x40105f], problems
    assert problems[0] == "0x401000 in _start+0x0: cmovge %edx,%eax  [conditional move (Pentium Pro)]"
    assert any(p.startswith("0x40105f in _good+0x2f: jmp") and "jump table inside the code" in p for p in problems)
    assert instruction_problems([(0x500000, b"\x0f\x4d\xc2", "cmovge %edx,%eax")], {}, []) == [
        "0x500000 (function unknown): cmovge %edx,%eax  [conditional move (Pentium Pro)]"]


def test_instruction_checker_reads_bytes_when_the_text_hides_them():
    # A hint NOP that a disassembler might print as a plain "nop".
    assert newer_than_i486("nop", b"\x0f\x1f\x00") == HINT_NOP
    assert newer_than_i486("data16 nop", b"\x66\x0f\x1f\x00") == HINT_NOP
    assert newer_than_i486("nop", b"\x90") is None
    assert newer_than_i486("cmpxchg %ecx,(%edx)", b"\x0f\xb1\x0a") is None
    assert newer_than_i486("cwtl", b"\x98") is None


def test_ctor_dtor_lists_are_found_by_their_layout():
    code = b"\x55\x89\xe5\xc9\xc3" + b"\x90" * 11
    lists = b"\xff\xff\xff\xff" + struct.pack("<I", 0x401000) + b"\0" * 4 + b"\xff\xff\xff\xff" + b"\0" * 4
    data = code + lists + b"\0" * 16
    ranges = [(0x401000, 0x401000 + len(data))]
    assert ctor_dtor_lists(data, 0x401000, ranges) == 0x401010
    # A pointer outside the code, or code after the lists, is not that layout.
    wrong = code + b"\xff\xff\xff\xff" + struct.pack("<I", 0x12345678) + b"\0" * 4 + b"\xff\xff\xff\xff" + b"\0" * 4
    assert ctor_dtor_lists(wrong, 0x401000, ranges) is None
    assert ctor_dtor_lists(code + lists + b"\xc3", 0x401000, ranges) is None
    assert ctor_dtor_lists(code, 0x401000, ranges) is None


def test_map_symbols_are_read(tmp_path):
    path = tmp_path / "MENU.map"
    path.write_text(" .text          0x00401000       0x40 /usr/lib/crt2.o\n"
                    "                0x00401030                WinMainCRTStartup\n"
                    " .text$_Z4drawv\n"
                    "                0x00401040       0x20 libmenucore.a(paint.cpp.obj)\n"
                    "                0x00401040                draw(unsigned int, char const*)\n"
                    " .text$empty    0x00401060        0x0 empty.obj\n"
                    " .text$_ZL4stepv\n"
                    "                0x00401060       0x10 /b/libmenucore.a(walk.cpp.obj)\n"
                    " .text$helper   0x00401070       0x10 /b/libmenucore.a(walk.cpp.obj)\n"
                    "                0x004068e0                        ___CTOR_LIST__ = .\n")
    symbols = map_symbols(str(path))
    assert symbols == {0x401000: "[.text in crt2.o]", 0x401030: "WinMainCRTStartup",
                       0x401040: "draw(unsigned int, char const*)", 0x401060: "_ZL4stepv",
                       0x401070: "[.text$helper in libmenucore.a(walk.cpp.obj)]"}
    assert nearest(symbols, 0x401045) == (0x401040, "draw(unsigned int, char const*)")
    assert nearest(symbols, 0x401010) == (0x401000, "[.text in crt2.o]")
    assert nearest(symbols, 0x400fff) is None


def test_windows_95_loads_it_and_nothing_runs_before_winmain(program):
    path, image = program
    data = image.data
    optional = struct.unpack_from("<I", data, 0x3C)[0] + 24
    os_major, _ = struct.unpack_from("<HH", data, optional + 40)
    subsystem = struct.unpack_from("<HH", data, optional + 48)
    # Windows 95 and NT 4 refuse a program that asks for a newer Windows.
    assert subsystem <= (4, 0), "subsystem version %d.%d" % subsystem
    assert os_major <= 4, "operating system version %d" % os_major
    # The program has no C runtime to run static constructors: its lists of
    # them must be empty (a global with a constructor would never be built).
    lists = []
    for section in image.code_sections():
        base = image.image_base + section["rva"]
        ranges = [(base, base + section["size"])]
        start = ctor_dtor_lists(image.section_bytes(section), base, ranges)
        if start is not None:
            at = section["raw"] + start - base
            lists.append(data[at:at + 16])
    assert lists, "no constructor lists found in %s" % path
    empty = b"\xff\xff\xff\xff\0\0\0\0" * 2
    assert all(found == empty for found in lists), "static constructors or destructors: %r" % lists
