import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import cmds

GOOD = b"ALIVE OUTPUT error:0;\n"


# Each error at the first byte of the token at fault, counted from the start of the data (the
# commands before it included), with the command and record being read.
@pytest.mark.parametrize("data, kind, at, line, column, command, record", [
    (b"HELLO WORLD;", cmds.CmdSyntaxError, b"HELLO", 1, 1, None, None),
    (b"CONNECT SIDEWAYS;", cmds.CmdSyntaxError, b"SIDEWAYS", 1, 9, None, None),
    (b"CONNECT OUTPUT \r\n\terror:0,file:'x';", cmds.CmdSyntaxError, b"'x'", 2, 15,
     "CONNECT OUTPUT", None),
    (GOOD + b"ALIVE OUTPUT error:0", cmds.CmdSyntaxError, None, 2, 21, "ALIVE OUTPUT", None),
    (GOOD + b"DIRECTORY OUTPUT error:0,folder:'a", cmds.CmdLexError, b"'a", 2, 33,
     "DIRECTORY OUTPUT", None),
    (GOOD + b"SHARE OUTPUT error:0 { [error:0,id:1,folder:x] };", cmds.CmdSyntaxError, b"x]",
     2, 45, "SHARE OUTPUT", "file result record 1"),
    (b"SHARE INPUT user:1,pwd:\"a\" { ( +[folder:1,id:2,file:'f',size:1] +[folder:1] ) };",
     cmds.CmdSemanticError, b"] )", 1, 75, "SHARE INPUT", "file record 2"),
    (GOOD + b"\x00", cmds.CmdLexError, b"\x00", 2, 1, None, None),
])
def test_errors_say_what_and_where(data, kind, at, line, column, command, record):
    offset = len(data) if at is None else data.index(at)
    with pytest.raises(kind) as raised:
        cmds.decode(data)
    error = raised.value
    assert (error.offset, error.line, error.column) == (offset, line, column)
    assert (error.command, error.record) == (command, record)
    assert error.code == kind.code and isinstance(error, cmds.CmdError)
    assert error.reason and str(error).startswith(f"{line}:{column}: ")
    assert error.commands == (cmds.decode(GOOD) if data.startswith(GOOD) else [])


def outcome(read):
    """The commands read and the fault's class and place, or None."""
    commands = []
    try:
        read(commands)
    except cmds.CmdError as error:
        return commands + error.commands, (type(error), error.offset, error.line, error.column)
    return commands, None


def decode_whole(data):
    return outcome(lambda commands: commands.extend(cmds.decode(data)))


def decode_in_pieces(data, cuts):
    def read(commands):
        decoder = cmds.Decoder(cmds.ReadLimits.none())
        for start, end in zip([0, *cuts], [*cuts, len(data)]):
            commands.extend(decoder.feed(data[start:end]))
        decoder.finish()
    return outcome(read)


def damaged(exchange):
    """The exchange with a few bytes replaced, dropped or doubled."""
    def damage(edits):
        data = bytearray(exchange)
        for at, byte, how in edits:
            at %= len(data)
            if how == 0:
                data[at] = byte
            elif how == 1:
                del data[at]
            else:
                data.insert(at, data[at])
        return bytes(data)
    return st.lists(st.tuples(st.integers(0, 10**6), st.integers(0, 255), st.integers(0, 2)),
                    min_size=1, max_size=4).map(damage)


@pytest.fixture(scope="module")
def any_bytes(exchange):
    return st.binary(max_size=200) | damaged(exchange)


@settings(max_examples=400)
@given(data=st.data())
def test_any_bytes_read_alike_whole_and_in_pieces(any_bytes, data):
    text = data.draw(any_bytes)
    cuts = sorted(data.draw(st.lists(st.integers(0, len(text)), max_size=4)))
    assert decode_in_pieces(text, cuts) == decode_whole(text)
