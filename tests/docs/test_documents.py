"""The documents a newcomer reads first: every relative link leads to a file
or a heading that exists, every repository path they name is there, and every
preset a command names is one that CMakePresets.json defines."""

import json
import re
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
DOCUMENTS = ["README.md", "HACKING.md", *sorted(str(path.relative_to(ROOT)) for path in ROOT.glob("docs/*.md"))]
LINK = re.compile(r"\]\(([^)\s]+)\)")
# A path that starts with one of the repository's own folders, as a word of
# its own (build/fuzz/tests/... is a build tree's, not the repository's).
FOLDERS = sorted(path.name for path in ROOT.iterdir() if path.is_dir() and path.name not in {"build", ".git"})
REPOSITORY_PATH = re.compile(rf"(?<![\w./-])(?:\./)?((?:{'|'.join(map(re.escape, FOLDERS))})/[\w./*-]*[\w*])")
PRESET = re.compile(r"--preset[ =]([\w.-]+)")
PRESET_KINDS = (("--workflow", "workflowPresets"), ("--build", "buildPresets"), ("ctest", "testPresets"),
                ("cpack", "packagePresets"), ("", "configurePresets"))


def anchors(document: Path) -> set:
    """The #anchors that the document's headings give, as GitHub makes them."""
    headings = re.findall(r"^#+ (.+)$", document.read_text(), re.MULTILINE)
    return {re.sub(r"[^\w -]", "", heading.lower()).replace(" ", "-") for heading in headings}


def dead_links(document: Path) -> list:
    dead = []
    for target in LINK.findall(document.read_text()):
        if re.match(r"[a-z]+:", target):
            continue
        file, _, anchor = target.partition("#")
        linked = (document.parent / file) if file else document
        if not linked.exists() or (anchor and anchor not in anchors(linked)):
            dead.append(target)
    return dead


def missing_paths(document: Path) -> list:
    named = REPOSITORY_PATH.findall(document.read_text())
    return [path for path in named if not any(ROOT.glob(path))]


def unknown_presets(document: Path) -> list:
    presets = json.loads((ROOT / "CMakePresets.json").read_text())
    unknown = []
    for line in document.read_text().splitlines():
        for match in PRESET.finditer(line):
            command = re.split(r"&&|;|\|", line[:match.start()])[-1]
            kind = next(kind for word, kind in PRESET_KINDS if word in command)
            if match.group(1) not in {preset["name"] for preset in presets.get(kind, [])}:
                unknown.append(f"{kind}: {match.group(1)}")
    return unknown


@pytest.mark.parametrize("document", DOCUMENTS)
@pytest.mark.parametrize("check", [dead_links, missing_paths, unknown_presets], ids=lambda check: check.__name__)
def test_document_names_only_what_exists(document, check):
    assert check(ROOT / document) == []
