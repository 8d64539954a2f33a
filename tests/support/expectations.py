"""Reads tests/expectations.txt: what the programs show and send, as the
tests expect it (the file says how it is written)."""

import ast
import re
from pathlib import Path

FILE = Path(__file__).resolve().parent.parent / "expectations.txt"
PLACE = re.compile(rb"\{([^{}]+)\}")


def read(path: Path = FILE) -> dict:
    entries = {}
    for number, line in enumerate(path.read_text(encoding="ascii").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        name, colon, literal = line.partition(": ")
        if not colon or not literal.startswith('"'):
            raise ValueError(f"{path}:{number}: not a line of the form name: \"text\"")
        entries[name] = entries.get(name, b"") + ast.literal_eval("b" + literal)
    return entries


ENTRIES = read()


def fill(name: str, values: dict = None) -> bytes:
    """The entry `name` with each {place} filled from `values` (bytes, or a
    number written in decimal), or else with the entry of that name."""
    values = values or {}

    def filler(place):
        key = place.group(1).decode()
        value = values[key] if key in values else ENTRIES[key]
        return b"%d" % value if isinstance(value, int) else value

    return PLACE.sub(filler, ENTRIES[name])
