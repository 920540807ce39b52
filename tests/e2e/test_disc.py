"""The disc image of scripts/disc.sh as the people who get it see it: its
INDEX.HTM in a real browser (Debian's Chromium, headless), read back from
the rendered page and held against what the checker reads of the image's
own MENU.DAT.

The image is unpacked with xorriso by its Joliet names, the names Windows,
macOS and Linux show, so a link that works here works from the disc.
"""

import json
import os
import shutil
import subprocess
import urllib.parse
from html.parser import HTMLParser

import pytest

import harness
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
        self.text = {"h2": [], "h3": [], "a": [], "span": [], "p": [], "code": []}
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


def test_image_root_holds_the_menu_and_its_page(sample_disc):
    _, root, _ = sample_disc
    assert {"MENU.EXE", "MENU.DAT", "autorun.inf", "INDEX.HTM"} <= set(os.listdir(root))


def test_every_page_entry_and_button_is_on_the_rendered_page(sample_disc):
    _, root, page = sample_disc
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


def test_start_screen_picture_is_shown(sample_disc):
    _, root, page = sample_disc
    report = report_of(root)
    pictures = [report["pictures"][d["picture"]]["path"][3:].replace("\\", "/")
                for d in report["startDecorations"]]
    assert [os.path.relpath(resolves(root, src), root) for src in page.images] == pictures
