"""The shared test vectors (vectors/*.jsonl) through decode, the Reader and encode.

Each line holds one command: its name, verb, direction, text (each character U+0000 to U+00FF
standing for one byte), the calls as the cmds tool's decode prints them, and the error (null, or
its type, offset, line, column and reason).
"""
import json
import re

import pytest

import cmds
from conftest import CHECKOUT

VECTOR_FILES = sorted((CHECKOUT / "vectors").glob("*.jsonl")) or [
    pytest.param(None, marks=pytest.mark.skip(reason="there are no test vectors in vectors/"))]

# Calls whose string values are words rather than text, and the fields that hold narrow strings.
WORD_FIELDS = {"call", "kind", "scope", "match", "exact"}
NARROW_FIELDS = {"pwd", "address"}

ERROR_TYPES = {}
for error_type in cmds.CmdError.__subclasses__():
    ERROR_TYPES["C" + error_type.__name__[3:]] = error_type
for name, code in (("lexical", 0), ("syntax", 1), ("semantic", 2), ("runtime", 3),
                   ("deadlock", 4), ("cancel", 5)):
    ERROR_TYPES[f"{name} error"] = next(t for t in cmds.CmdError.__subclasses__() if t.code == code)

ESCAPE = re.compile(r"%u([0-9A-Fa-f]{4})|%([0-9A-Fa-f]{2})|(.)", re.S)


def narrow_from_json(text):
    """%XX is one byte; any other character its UTF-8 bytes."""
    return b"".join(bytes([int(byte, 16)]) if byte else char.encode()
                    for _, byte, char in ESCAPE.findall(text))


def wide_from_json(text):
    """%XX and %uXXXX are one 16-bit unit; any other character its UTF-16 units. The units are
    returned as decode gives them: a pair as one code point, any other surrogate as itself."""
    units = []
    for unit, byte, char in ESCAPE.findall(text):
        if unit or byte:
            units.append(int(unit or byte, 16))
        else:
            encoded = char.encode("utf-16-le")
            units.extend(int.from_bytes(encoded[i:i + 2], "little")
                         for i in range(0, len(encoded), 2))
    points = []
    while units:
        unit = units.pop(0)
        if 0xD800 <= unit < 0xDC00 and units and 0xDC00 <= units[0] < 0xE000:
            unit = 0x10000 + ((unit - 0xD800) << 10) + (units.pop(0) - 0xDC00)
        points.append(chr(unit))
    return "".join(points)


def from_json(call):
    def value(key, item):
        if isinstance(item, list):
            return [value(key, element) for element in item]
        if not isinstance(item, str) or key in WORD_FIELDS:
            return item
        return narrow_from_json(item) if key in NARROW_FIELDS else wide_from_json(item)
    return {key: value(key, item) for key, item in call.items()}


def header_matches(vector, data):
    """Whether the text starts with the vector's own header, which decode reads it by."""
    found = re.match(rb"\s*([A-Za-z]+)\s+([A-Za-z]+)", data)
    return bool(found) and [part.decode().upper() for part in found.groups()] == [
        vector["verb"], vector["direction"]]


class Recorder:
    def __init__(self):
        self.calls = []

    def __getattr__(self, name):
        if not name.startswith("On") or name in ("OnCommand", "OnCommandEnd"):
            raise AttributeError(name)
        return self.calls.append


def check(vector):
    data = vector["text"].encode("latin-1")
    # decode reads each command by its own header; a vector read by another command's reader
    # says nothing about it.
    if not header_matches(vector, data):
        return
    calls = [from_json(call) for call in vector.get("calls") or []]
    expected = vector.get("error")
    if expected is None:
        command = {"verb": vector["verb"], "direction": vector["direction"], "calls": calls}
        assert cmds.decode(data) == [command]
        if vector.get("layout", True):
            if "password" in vector:
                signed = [dict(call) for call in command["calls"]]
                for call in signed:
                    if call["call"] == "OnUser":
                        del call["pwd"]
                        call["password"] = vector["password"]
                command = dict(command, calls=signed)
            assert cmds.encode([command]) == data
        return
    with pytest.raises(cmds.CmdError) as raised:
        cmds.decode(data)
    error = raised.value
    assert isinstance(error, ERROR_TYPES[expected["type"]])
    assert (error.offset, error.line, error.column) == (
        expected["offset"], expected["line"], expected["column"])
    assert error.reason == expected["reason"]
    recorder = Recorder()
    with pytest.raises(cmds.CmdError):
        reader = cmds.Reader(recorder, cmds.ReadLimits.none())
        reader.feed(data)
        reader.finish()
    assert recorder.calls == calls


@pytest.mark.parametrize("path", VECTOR_FILES, ids=lambda path: getattr(path, "name", "none"))
def test_vectors(path):
    failures = []
    lines = path.read_text(encoding="utf-8").splitlines()
    for vector in (json.loads(line) for line in lines if line.strip()):
        try:
            check(vector)
        except (AssertionError, pytest.fail.Exception) as failure:
            failures.append(f"{vector['name']}: {failure}")
    assert not failures, f"{len(failures)} of {len(lines)} vectors fail:\n" + "\n".join(
        failures[:10])
