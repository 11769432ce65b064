import itertools
from concurrent.futures import ThreadPoolExecutor

import pytest

import cmds
from conftest import split_commands


def test_every_split_reads_as_the_whole(exchange):
    whole = cmds.decode(exchange)
    for at in range(len(exchange) + 1):
        decoder = cmds.Decoder()
        commands = decoder.feed(exchange[:at]) + decoder.feed(memoryview(exchange)[at:])
        decoder.finish()
        assert commands == whole, at
        assert decoder.consumed == len(exchange) and not decoder.in_command


def test_feed_returns_each_command_with_its_end(exchange, exchange_commands):
    # split_commands cuts where a one-byte feed returned a command: each cut is a ";", and the
    # pieces read alone give the commands in order.
    assert b"".join(exchange_commands) == exchange
    assert all(text.endswith(b";") for text in exchange_commands)
    assert [c for text in exchange_commands for c in cmds.decode(text)] == cmds.decode(exchange)
    decoder = cmds.Decoder()
    assert decoder.feed(exchange_commands[0][:-1]) == []
    assert decoder.in_command
    assert decoder.feed(bytearray(b";" + b"ALIVE")) == cmds.decode(exchange_commands[0])
    with pytest.raises(cmds.CmdSyntaxError) as unfinished:
        decoder.finish()
    assert unfinished.value.offset == len(exchange_commands[0]) + len("ALIVE")


class Recorder:
    """A handler with a method for every call, recording what the reader passes."""

    def __init__(self):
        self.commands = []

    def OnCommand(self, header):
        self.commands.append({**header, "calls": []})

    def OnCommandEnd(self, header):
        assert header == {k: self.commands[-1][k] for k in ("verb", "direction")}
        self.commands[-1]["ended"] = True

    def __getattr__(self, name):
        if not name.startswith("On"):
            raise AttributeError(name)
        return lambda call: self.commands[-1]["calls"].append((name, call))


@pytest.mark.parametrize("piece", [1, 7, 1 << 20])
def test_reader_calls_the_handler_as_decode_lists(exchange, piece):
    recorder = Recorder()
    reader = cmds.Reader(recorder)
    for start in range(0, len(exchange), piece):
        reader.feed(exchange[start:start + piece])
    reader.finish()
    expected = [{**c, "calls": [(call["call"], call) for call in c["calls"]], "ended": True}
                for c in cmds.decode(exchange)]
    assert recorder.commands == expected


def test_reader_skips_what_the_handler_lacks_and_stops_at_what_it_raises(exchange):
    files = []

    class Handler:
        def OnFile(self, call):
            files.append(call["id"])
            if len(files) == 2:
                raise LookupError("enough")

    reader = cmds.Reader(Handler())
    with pytest.raises(LookupError, match="enough"):
        reader.feed(exchange)
    assert files == [7, 8]
    with pytest.raises(LookupError, match="enough"):
        reader.feed(b"ALIVE OUTPUT error:0;")


def test_a_reader_takes_no_feed_from_its_own_handler():
    class Reentrant:
        def OnError(self, call):
            reader.feed(b";")

    reader = cmds.Reader(Reentrant())
    with pytest.raises(RuntimeError, match="in use"):
        reader.feed(b"ALIVE OUTPUT error:0;")


def test_decoding_from_several_threads(exchange):
    # Large enough that the threads read at the same time, each without the GIL.
    data = exchange * 200
    expected = cmds.decode(data)
    with ThreadPoolExecutor(4) as pool:
        results = list(pool.map(cmds.decode, itertools.repeat(data, 8)))
        streamed = list(pool.map(lambda text: [c for piece in split_pieces(text)
                                               for c in piece], itertools.repeat(data, 4)))
    assert all(result == expected for result in results + streamed)


def split_pieces(data):
    decoder = cmds.Decoder()
    pieces = [decoder.feed(data[start:start + 4096]) for start in range(0, len(data), 4096)]
    decoder.finish()
    return pieces


def test_limits_guard_the_streaming_readers():
    assert cmds.Decoder().feed(b"") == []
    long_value = b"CONNECT OUTPUT error:0,file:" + b"1" * ((1 << 20) + 1) + b";"
    with pytest.raises(cmds.CmdLexError):
        cmds.Decoder().feed(long_value)
    with pytest.raises(cmds.CmdLexError):
        cmds.Reader(object()).feed(long_value)
    # Keywords are words too: OUTPUT takes six bytes.
    assert cmds.decode(b"ALIVE OUTPUT error:123456;", cmds.ReadLimits(max_value_bytes=6))
    with pytest.raises(cmds.CmdLexError):
        cmds.decode(b"ALIVE OUTPUT error:1234567;", cmds.ReadLimits(max_value_bytes=6))
    assert cmds.ReadLimits.for_untrusted_input() == cmds.ReadLimits(
        max_value_bytes=1 << 20, max_tags_per_list=1024, max_records_per_command=10_000_000)
