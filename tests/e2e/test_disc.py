"""The disc image of scripts/disc.sh as the people who get it see it: its
INDEX.HTM in a real browser (Debian's Chromium, headless), read back from
the rendered page and held against what the checker reads of the image's
own MENU.DAT.

The image is unpacked with xorriso by its Joliet names, the names Windows,
macOS and Linux show, so a link that works here works from the disc.
"""

import hashlib
import json
import os
import shutil
import subprocess
import time
import urllib.parse
from html.parser import HTMLParser

import pytest

import harness
import test_program_image as image_checks
from harness import ARTIFACTS, BUILD, ROOT

CHECKER = os.environ.get("MENUCHECK",
                         os.path.join(BUILD, "native", "tools", "menucheck", "menucheck"))
DISC_SH = os.path.join(ROOT, "scripts", "disc.sh")
SAMPLE = os.path.join(ROOT, "sample")
CHROMIUM = "/usr/bin/chromium"


def disc_env(**extra):
    env = dict(os.environ, MENU_SKIP_BUILD="1", MENU_BUILD_ROOT=BUILD, MENUCHECK=CHECKER,
               MENU_DISC_EXE=harness.MENU_EXE, MENU_DISC_SETUP=harness.MENU_EXE)
    env.update(extra)
    return env


def make_image(folder, image, *options, env=None):
    """Runs disc.sh; returns (exit status, output)."""
    result = subprocess.run(["bash", DISC_SH] + list(options) + [folder, image],
                            env=env or disc_env(), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, timeout=300)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def unpack(image, root):
    subprocess.run(["xorriso", "-osirrox", "on", "-joliet", "on", "-indev", image,
                    "-extract", "/", root], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=120)
    return root


def report_of(folder):
    result = subprocess.run([CHECKER, "--json", folder], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return json.loads(result.stdout.decode("utf-8"))


def chromium(profile, *args):
    if not os.path.exists(CHROMIUM):
        raise RuntimeError("%s is missing (scripts/deps.sh installs chromium)" % CHROMIUM)
    result = subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                             "--hide-scrollbars", "--user-data-dir=" + profile] + list(args),
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL, timeout=120)
    assert result.returncode == 0
    return result.stdout.decode("utf-8")


class Page(HTMLParser):
    """The rendered DOM: text of each element kind, links and pictures."""

    def __init__(self):
        super().__init__()
        self.open = []
        self.text = {"h2": [], "h3": [], "span": [], "p": []}
        self.links = []     # (href, text)
        self.images = []
        self.scripts = 0
        self._href = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "script":
            self.scripts += 1
        if tag == "img":
            self.images.append(attrs.get("src"))
            return
        if tag == "a":
            self._href = attrs.get("href")
        self.open.append([tag, ""])

    def handle_endtag(self, tag):
        while self.open:
            name, text = self.open.pop()
            if name in self.text:
                self.text[name].append(text.strip())
            if name == "a":
                self.links.append((self._href, text.strip()))
            if self.open:
                self.open[-1][1] += text
            if name == tag:
                break

    def handle_data(self, data):
        if self.open:
            self.open[-1][1] += data


@pytest.fixture(scope="module")
def sample_disc(tmp_path_factory):
    """The sample's image, unpacked; its page as Chromium rendered it."""
    base = tmp_path_factory.mktemp("disc")
    image = str(base / "sample.iso")
    status, out = make_image(SAMPLE, image)
    assert status == 0, out
    root = unpack(image, str(base / "cdrom"))
    url = "file://" + urllib.parse.quote(os.path.join(root, "INDEX.HTM"))
    page = Page()
    page.feed(chromium(str(base / "profile"), "--dump-dom", url))
    # Pictures of the page at a desktop's and a phone's width, to look at.
    os.makedirs(ARTIFACTS, exist_ok=True)
    for width, height in ((1024, 900), (390, 844)):
        shot = os.path.join(ARTIFACTS, "index-%d.png" % width)
        chromium(str(base / "profile"), "--screenshot=" + shot,
                 "--window-size=%d,%d" % (width, height), url)
        assert os.path.getsize(shot) > 0
    return image, root, page


def resolves(root, href):
    """The file of the unpacked image a relative link names, or None."""
    parts = urllib.parse.urlsplit(href)
    if parts.scheme or parts.netloc or href.startswith("/"):
        return None
    path = os.path.normpath(os.path.join(root, urllib.parse.unquote(parts.path)))
    inside = path.startswith(os.path.join(root, ""))
    return path if inside and os.path.isfile(path) else None


def test_every_page_entry_and_button_is_on_the_rendered_page(sample_disc):
    _, root, page = sample_disc
    assert {"MENU.EXE", "MENU.DAT", "autorun.inf", "INDEX.HTM"} <= set(os.listdir(root))
    report = report_of(root)
    assert report["pages"], "the checker read no page of the image"
    assert page.scripts == 0
    assert any("MENU.EXE" in text and "Windows" in text for text in page.text["p"])
    captions = {text for _, text in page.links} | set(page.text["span"])
    buttons = 0
    for p in report["pages"]:
        assert p["title"] in page.text["h2"]
        for entry in p["entries"]:
            assert entry["title"] in page.text["h3"]
            for command in entry["commands"]:
                assert command["caption"] in captions, command["caption"]
                buttons += 1
    assert buttons == 16


def test_every_link_leads_to_a_file_of_the_image(sample_disc):
    _, root, page = sample_disc
    files = [href for href, _ in page.links if not href.startswith("#")]
    assert files and page.images
    for href in files + page.images:
        assert resolves(root, href), href
    # A button's link is the file its click starts, or the disc's file that
    # Windows' own program is given.
    report = report_of(root)
    linked = {}
    for href, text in page.links:
        if not href.startswith("#"):
            linked.setdefault(text, set()).add(os.path.relpath(resolves(root, href), root).lower())
    for p in report["pages"]:
        for entry in p["entries"]:
            for command in entry["commands"]:
                launch = command["launch"]
                if launch.get("onDisc"):
                    # The menu lower-cases the file name it starts.
                    target = launch["target"][3:].replace("\\", "/").lower()
                    assert target in linked[command["caption"]], command["caption"]
                elif launch.get("systemProgram"):
                    assert command["caption"] in linked
    # The start screen's pictures, in their order.
    pictures = [report["pictures"][d["picture"]]["path"][3:].replace("\\", "/")
                for d in report["startDecorations"]]
    assert [os.path.relpath(resolves(root, src), root) for src in page.images] == pictures


# --- What disc.sh refuses, and the label -----------------------------------------

def sample_copy(tmp_path, into=""):
    folder = str(tmp_path / "folder")
    shutil.copytree(SAMPLE, os.path.join(folder, into) if into else folder)
    return folder


@pytest.mark.parametrize("into, options, said", [
    ("DISC", [], "DISC/MENU.DAT lies one folder down"),
    ("", ["--label", "A" * 17], "too long"),
    # 11 Japanese characters are 33 bytes of UTF-8.
    ("", ["--label", "サンプルディスク第二版"], "too long"),
    ("", ["--label", "Disc \U0001F600"], "Shift-JIS"),
    ("", ["--label", "A\tB"], "control character"),
], ids=["root-one-down", "label-17", "label-33-bytes", "label-not-sjis", "label-tab"])
def test_refused_with_a_reason_and_no_image(tmp_path, into, options, said):
    folder = sample_copy(tmp_path, into)
    image = str(tmp_path / "out.iso")
    status, out = make_image(folder, image, *options)
    assert status != 0
    assert said in out
    assert not os.path.exists(image)


def test_japanese_label_names_the_volume_and_the_drive(tmp_path):
    folder = sample_copy(tmp_path)
    os.remove(os.path.join(folder, "autorun.inf"))
    image = str(tmp_path / "out.iso")
    status, out = make_image(folder, image, "--label", "サンプル ディスク")
    assert status == 0, out
    info = subprocess.run(["xorriso", "-indev", image, "-pvd_info"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=60).stdout.decode("utf-8")
    assert "Volume Id    : サンプル ディスク" in info
    root = unpack(image, str(tmp_path / "cdrom"))
    with open(os.path.join(root, "autorun.inf"), "rb") as f:
        assert "label=サンプル ディスク\r\n".encode("cp932") in f.read()
    report = report_of(root)
    assert not [f for f in report["findings"] if f["code"].startswith("autorun")]


# --- Signing ------------------------------------------------------------------------

PASSWORD = "disc secret"


@pytest.fixture(scope="module")
def certificate(tmp_path_factory):
    """A code-signing certificate of the test's own, as CERT.pfx with a
    password file beside it; cert.pem is what verification trusts."""
    base = tmp_path_factory.mktemp("cert")
    key, pem, pfx = (str(base / n) for n in ("key.pem", "cert.pem", "cert.pfx"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", pem, "-subj", "/CN=Disc Author Test", "-days", "30",
                    "-addext", "extendedKeyUsage=codeSigning"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=60)
    subprocess.run(["openssl", "pkcs12", "-export", "-out", pfx, "-inkey", key, "-in", pem,
                    "-passout", "pass:" + PASSWORD], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=60)
    password = base / "password"
    password.write_text(PASSWORD + "\n")
    return pfx, str(password), pem


def verify(path, pem):
    result = subprocess.run(["osslsigncode", "verify", "-in", path, "-CAfile", pem],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
    return result.returncode, result.stdout.decode("utf-8", "replace")


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def test_signed_program_verifies_and_loads_as_the_unsigned_one(tmp_path, certificate):
    pfx, password, pem = certificate
    program = image_checks.program_path()
    if not os.path.exists(program):
        pytest.skip("%s is not built (scripts/build.sh win32)" % program)
    before = sha256(program)
    image = str(tmp_path / "signed.iso")
    status, out = make_image(SAMPLE, image, "--sign", pfx, "--pass-file", password,
                             env=disc_env(MENU_DISC_EXE=program))
    assert status == 0, out
    signed = os.path.join(unpack(image, str(tmp_path / "cdrom")), "MENU.EXE")
    code, said = verify(signed, pem)
    assert code == 0, said
    assert "Message digest algorithm  : SHA256" in said
    # The build's own program is left unsigned; the disc's copy is not it.
    assert sha256(program) == before != sha256(signed)
    # The signature adds no import and no instruction: the checks of the
    # shipped program pass on the signed copy.
    checked = (signed, image_checks.read_image(signed))
    exports = image_checks.load_exports()
    image_checks.test_imports_exist_on_windows_95_and_nt_4(checked, exports)
    image_checks.test_no_instruction_beyond_the_i486(checked)
    image_checks.test_windows_95_loads_it_and_nothing_runs_before_winmain(checked)


@pytest.mark.parametrize("how, made", [
    ("file", True),
    ("variable", True),
    ("wrong password", False),
    ("password on the command line", False),
    ("time-stamp server not answering", False),
])
def test_signing_options(tmp_path, certificate, how, made):
    pfx, password, pem = certificate
    options, env = ["--sign", pfx], disc_env()
    env.pop("MENU_SIGN_PASSWORD", None)
    if how == "file":
        options += ["--pass-file", password]
    elif how == "variable":
        env["MENU_SIGN_PASSWORD"] = PASSWORD
    elif how == "wrong password":
        env["MENU_SIGN_PASSWORD"] = "not it"
    elif how.startswith("time-stamp"):
        options += ["--pass-file", password, "--timestamp", "http://127.0.0.1:9/"]
    else:
        options += ["--pass", PASSWORD]
    image = str(tmp_path / "out.iso")
    status, out = make_image(SAMPLE, image, *options, env=env)
    assert (status == 0, os.path.exists(image)) == (made, made), out
    if made:
        code, said = verify(os.path.join(unpack(image, str(tmp_path / "cdrom")), "MENU.EXE"), pem)
        assert code == 0, said
    else:
        assert "no image made" in out or "no password on the command line" in out


def test_signed_twin_shows_the_same_menu_under_wine(menus, tmp_path, certificate):
    """This machine runs the 64-bit twin: signed by disc.sh, it starts and
    paints the sample's start screen as the unsigned build does."""
    pfx, password, _ = certificate
    image = str(tmp_path / "signed.iso")
    status, out = make_image(SAMPLE, image, "--sign", pfx, "--pass-file", password)
    assert status == 0, out
    root = unpack(image, str(tmp_path / "cdrom"))
    assert sha256(os.path.join(root, "MENU.EXE")) != sha256(harness.MENU_EXE)
    looks = []
    for program in (harness.MENU_EXE, os.path.join(root, "MENU.EXE")):
        disc = str(tmp_path / ("disc%d" % len(looks)))
        shutil.copytree(root, disc)
        shutil.copy(program, os.path.join(disc, "MENU.EXE"))
        menus.wine.map_drive("Q", disc)
        menu = menus.start()
        menu.wait_window()
        looks.append(menu.wait_painted())
        menu.save("signed-menu-%d" % len(looks))
        assert menu.close()
        assert menu.exit_code(timeout=30) == 0
        assert menus.wine.wait_gone()
    assert looks[0].tobytes() == looks[1].tobytes()


# --- The same folder, the same image ----------------------------------------------

def next_second():
    """Returns once the clock has passed into a new second: a later run
    that wrote the time anywhere would then write another one."""
    start = int(time.time())
    while int(time.time()) == start:
        time.sleep(0.05)


@pytest.mark.parametrize("signed", [False, True], ids=["unsigned", "signed"])
def test_two_runs_give_the_same_bytes(tmp_path, certificate, signed):
    folder = sample_copy(tmp_path)
    options = ["--sign", certificate[0], "--pass-file", certificate[1]] if signed else []
    made = []
    for run in ("first", "second"):
        image = str(tmp_path / (run + ".iso"))
        status, out = make_image(folder, image, *options)
        assert status == 0, out
        with open(image, "rb") as f, open(str(tmp_path / (run + ".report.txt")), "rb") as r:
            made.append((f.read(), r.read()))
        next_second()
    (first, first_report), (second, second_report) = made
    assert len(first) == len(second)
    differ = next((i for i in range(len(first)) if first[i] != second[i]), None)
    assert differ is None, "the images differ first at byte %d" % differ
    assert first_report == second_report
    assert first_report.startswith(("menucheck: %s " % folder).encode())


def test_source_date_epoch_dates_every_file(tmp_path):
    image = str(tmp_path / "dated.iso")
    status, out = make_image(SAMPLE, image, env=disc_env(SOURCE_DATE_EPOCH="946684800"))
    assert status == 0, out
    root = unpack(image, str(tmp_path / "cdrom"))
    dates = {os.path.getmtime(os.path.join(folder, name))
             for folder, _, files in os.walk(root) for name in files}
    assert dates == {946684800}
