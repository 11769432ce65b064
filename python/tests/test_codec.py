import io
import re

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import cmds
from conftest import EXCHANGE_PASSWORD, with_password


def test_exchange_round_trips_byte_for_byte(exchange_commands):
    assert len(exchange_commands) == 17
    for text in exchange_commands:
        [command] = cmds.decode(text)
        assert cmds.encode([with_password(command, EXCHANGE_PASSWORD)]) == text
        if command["direction"] == "OUTPUT":
            assert cmds.encode([command]) == text


def test_values_come_as_python_types(exchange):
    commands = {(c["verb"], c["direction"]): c["calls"] for c in cmds.decode(exchange)}
    connect = commands["CONNECT", "INPUT"]
    assert connect[0] == {"call": "OnUser", "user": 12,
                          "pwd": cmds.sign_password(EXCHANGE_PASSWORD)}
    assert connect[1] == {"call": "OnConnectInHost", "port": 8080, "address": b"192.0.2.10",
                          "host": "Café PC"}
    assert connect[2] == {"call": "OnConnectInFlags", "browsable": True, "httpproxy": False,
                          "socksproxy": True}
    assert commands["ALIVE", "OUTPUT"] == [{"call": "OnError", "error": -1}]
    assert commands["SHARE", "INPUT"][2] == {"call": "OnFile", "kind": "-", "folder": 1, "id": 8}
    assert commands["FIND", "INPUT"][3:6] == [{"call": "OnScope", "scope": "friend"},
                                             {"call": "OnMatch", "match": "any"},
                                             {"call": "OnExact", "exact": "off"}]
    assert commands["FRIENDS", "OUTPUT"][1]["address"] == [b"192.0.2.20:8080", b"pc1.example"]


# Wide strings and the UTF-8 the generator writes for them: lone surrogates are kept as such, a
# pair is one code point, and an apostrophe takes the two-byte form that leaves quotes intact.
@pytest.mark.parametrize("text, written", [
    ("\ud800", b"\xed\xa0\x80"),
    ("\udc00\ud800", b"\xed\xb0\x80\xed\xa0\x80"),
    ("\U0001f300", b"\xf0\x9f\x8c\x80"),
    ("it's", b"it\xc0\xa7s"),
    ("é%", b"\xc3\xa9%"),
])
def test_wide_strings_cross_unchanged(text, written):
    out = cmds.Generator()
    out.generate_directory_begin(0, text, 1)
    out.generate_directory_end()
    assert b"'" + written + b"'" in out.getvalue()
    [command] = cmds.decode(out.getvalue())
    assert command["calls"][1] == {"call": "OnDirectoryBegin", "folder": text, "id": 1}


# Random commands in the form decode gives; requests carry the plain password that encode takes.
PAIR = re.compile("[\ud800-\udbff][\udc00-\udfff]")
wide = st.text(st.characters(blacklist_categories=()), max_size=12).filter(
    lambda text: not PAIR.search(text))
some_wide = wide.filter(bool)
u64 = st.integers(0, 2**64 - 1)
u32 = st.integers(0, 2**32 - 1)
port = st.integers(0, 65535)
code = st.integers(-2**31, 2**31 - 1)
address = st.binary(min_size=1, max_size=8).filter(lambda b: not re.search(rb"[\n;, \t\r]", b))
FILE_TEXTS = ("ext", "keywords", "author", "subject", "manager", "company", "comments", "title",
              "category", "creator", "type")


def call(name, **fields):
    return st.fixed_dictionaries({"call": st.just(name), **fields})


def optional(**fields):
    return st.fixed_dictionaries({}, optional=fields)


def joined(*parts):
    return st.tuples(*parts).map(lambda dicts: {k: v for d in dicts for k, v in d.items()})


user = call("OnUser", user=u64, password=wide)
error = call("OnError", error=code)
full_file = joined(call("OnFile", kind=st.just("+"), folder=u64, id=u64, file=wide, size=u64),
                   optional(**{key: some_wide for key in FILE_TEXTS}))
key_file = call("OnFile", kind=st.sampled_from("-*"), folder=u64, id=u64)
found_host = joined(call("OnHost", online=st.just(True), id=u64, port=port),
                    optional(host=some_wide, nick=some_wide, user=some_wide,
                             address=st.lists(address, min_size=1, max_size=3)))
friend = joined(call("OnHost", online=st.booleans(), id=u64, port=port),
                optional(host=some_wide, address=st.lists(address, min_size=1, max_size=3)))


def words(name, choices):
    return call(name, **{name[2:].lower(): st.sampled_from(choices)})


def calls(*parts):
    return st.tuples(*parts).map(lambda lists: [c for part in lists for c in part])


def one(strategy):
    return strategy.map(lambda c: [c])


def command(verb, direction, strategy):
    return st.builds(lambda c: {"verb": verb, "direction": direction, "calls": c}, strategy)


COMMANDS = [
    command("CONNECT", "INPUT", calls(one(user), one(call(
        "OnConnectInHost", port=port, address=st.binary(min_size=1, max_size=12), host=wide)), one(call(
            "OnConnectInFlags", browsable=st.booleans(), httpproxy=st.booleans(),
            socksproxy=st.booleans())))),
    command("CONNECT", "OUTPUT", calls(one(error), one(call("OnConnectOut", file=u64)))),
    command("DISCONNECT", "INPUT", one(user)),
    command("DISCONNECT", "OUTPUT", one(error)),
    command("ALIVE", "INPUT", one(user)),
    command("ALIVE", "OUTPUT", one(error)),
    command("SHARE", "INPUT", calls(one(user), st.lists(full_file | key_file, max_size=3))),
    command("SHARE", "OUTPUT", calls(one(error), st.lists(
        call("OnShareOutFile", error=code, id=u32, folder=u64), max_size=3))),
    command("UNSHARE", "INPUT", calls(one(user), one(call("OnUnShareIn", folder=u64)))),
    command("UNSHARE", "OUTPUT", one(error)),
    command("SHAREDIR", "INPUT", calls(one(user), one(call("OnShareDirIn", folder=u64)))),
    command("SHAREDIR", "OUTPUT", calls(one(error), one(call("OnShareDirOut", folder=u64)))),
    command("DIRECTORY", "OUTPUT", calls(
        one(error), one(call("OnDirectoryBegin", folder=wide, id=u64)), st.lists(
            call("OnSubDir", folder=u64, id=u64, file=wide, protected=st.booleans())
            | full_file, max_size=3))),
    command("FIND", "INPUT", calls(
        one(call("OnKeywords", keywords=wide)), one(user),
        one(call("OnMax", max=st.integers(1, 2**32 - 1))),
        one(words("OnScope", ["global", "myself", "friend"])),
        one(words("OnMatch", ["all", "any", "expression"])),
        one(words("OnExact", ["on", "off", "begin", "end"])),
        *(one(call(name, **{name[2:].lower(): st.booleans()}))
          for name in ("OnCase", "OnRank", "OnFreetext")))),
    command("FIND", "OUTPUT", calls(one(error), st.lists(
        calls(one(found_host), st.lists(full_file, min_size=1, max_size=2)),
        max_size=2).map(lambda hosts: [c for host in hosts for c in host]))),
    command("FRIENDS", "INPUT", calls(one(user), st.lists(friend, max_size=3))),
    command("FRIENDS", "OUTPUT", calls(one(error), st.lists(friend, max_size=3))),
]


def as_decoded(command):
    calls = []
    for c in command["calls"]:
        c = dict(c)
        if "password" in c:
            c["pwd"] = cmds.sign_password(c.pop("password"))
        calls.append(c)
    return {**command, "calls": calls}


@settings(max_examples=300)
@given(st.lists(st.one_of(COMMANDS), min_size=1, max_size=4))
def test_random_commands_round_trip(commands):
    text = cmds.encode(commands)
    decoded = cmds.decode(text)
    assert decoded == [as_decoded(c) for c in commands]
    replies = [c for c in decoded if c["direction"] == "OUTPUT"]
    assert cmds.encode(replies) == b"".join(cmds.encode([c]) for c in commands
                                           if c["direction"] == "OUTPUT")


def friends(*entries):
    return {"verb": "FRIENDS", "direction": "INPUT",
            "calls": [{"call": "OnUser", "user": 1, "password": "x"}, *entries]}


@pytest.mark.parametrize("commands, message", [
    ([friends({"call": "OnHost", "id": 5, "nick": "n"})],
     'commands[0]: FRIENDS INPUT calls[1] OnHost: "nick" cannot be written in a friend entry'),
    ([{"verb": "ALIVE", "direction": "OUTPUT", "calls": [{"call": "OnError"}]},
      {"verb": "ALIVE", "direction": "SIDEWAYS"}],
     'commands[1]: unknown command "ALIVE SIDEWAYS"'),
    ([{"verb": "ALIVE", "direction": "INPUT", "calls": [{"call": "OnUser", "pwd": b"00"}]}],
     'OnUser has no field "pwd"; give the plain "password"'),
    ([{"verb": "ALIVE", "direction": "OUTPUT", "calls": [{"call": "OnError", "error": 2**31}]}],
     '"error" must be a whole number from -2147483648 to 2147483647'),
    ([{"verb": "SHAREDIR", "direction": "OUTPUT", "calls": [{"call": "OnError"}]}],
     "SHAREDIR OUTPUT calls[1]: missing; expected OnShareDirOut"),
    ([{"verb": "CONNECT", "direction": "OUTPUT",
       "calls": [{"call": "OnError"}, {"call": "OnConnectOut", "file": True}]}],
     '"file" must be a whole number from 0 to 18446744073709551615'),
    ([{"verb": "FIND", "direction": "OUTPUT", "calls": [
        {"call": "OnError"}, {"call": "OnHost", "id": 1, "address": [b"a b"]},
        {"call": "OnFile"}]}],
     '"address" must hold non-empty addresses without blanks'),
    ([{"verb": "CONNECT", "direction": "INPUT", "calls": [
        {"call": "OnUser"}, {"call": "OnConnectInHost", "port": 1}, {"call": "OnConnectInFlags"}]}],
     'OnConnectInHost: "address" cannot be empty in a connect request'),
    ([{"verb": "DIRECTORY", "direction": "OUTPUT", "calls": [
        {"call": "OnError"}, {"call": "OnDirectoryBegin"}, {"call": "OnFile", "kind": "*"}]}],
     '"kind" must be "+": files of this command carry no marker'),
    ([{"verb": "FIND", "direction": "INPUT", "calls": [
        {"call": "OnKeywords", "keywords": b"bytes"}]}],
     'FIND INPUT calls[0] OnKeywords: "keywords" must be a str'),
    ([{"verb": "ALIVE", "direction": "OUTPUT", "calls": [{"call": "OnError"}, {"call": "x"}]}],
     "ALIVE OUTPUT calls[1]: unexpected x"),
])
def test_encode_says_where_and_why_it_refuses(commands, message):
    with pytest.raises(cmds.EncodeError) as refused:
        cmds.encode(commands)
    assert message in str(refused.value)


RECORD = {"folder": 1, "id": 7, "file": "a.txt", "size": 10, "author": "Ana"}
HOST = dict(id=42, host="pc1", user="bob", nick="Bobby")


# Each writer against encode of the same command, which fixes its arguments' order and meaning.
@pytest.mark.parametrize("write, command", [
    (lambda g: g.generate_connect_in(1, "pw", b"10.0.0.1", 80, "pc", True, False, True),
     ("CONNECT", "INPUT", [{"call": "OnUser", "user": 1, "password": "pw"},
                           {"call": "OnConnectInHost", "port": 80, "address": b"10.0.0.1",
                            "host": "pc"},
                           {"call": "OnConnectInFlags", "browsable": True, "socksproxy": True}])),
    (lambda g: g.generate_connect_out(-3, 5),
     ("CONNECT", "OUTPUT", [{"call": "OnError", "error": -3},
                            {"call": "OnConnectOut", "file": 5}])),
    (lambda g: (g.generate_disconnect_in(2, "pw"), g.generate_disconnect_out(1),
                g.generate_alive_in(3, "pw"), g.generate_alive_out(0)),
     None),
    (lambda g: (g.generate_share_in_begin(1, "pw"), g.generate_file("+", RECORD),
                g.generate_file("*", RECORD), g.generate_share_in_end()),
     ("SHARE", "INPUT", [{"call": "OnUser", "user": 1, "password": "pw"},
                         {"call": "OnFile", "kind": "+", **RECORD},
                         {"call": "OnFile", "kind": "*", "folder": 1, "id": 7}])),
    (lambda g: (g.generate_share_out_begin(0), g.generate_share_out_file(4, 7, 1),
                g.generate_share_out_end()),
     ("SHARE", "OUTPUT", [{"call": "OnError"},
                          {"call": "OnShareOutFile", "error": 4, "id": 7, "folder": 1}])),
    (lambda g: (g.generate_un_share_in(1, "pw", 3), g.generate_un_share_out(0),
                g.generate_share_dir_in(1, "pw", 4), g.generate_share_dir_out(0, 4)),
     None),
    (lambda g: (g.generate_directory_begin(0, "Docs", 1), g.generate_sub_dir(1, 9, "Old", True),
                g.generate_sub_dir({"folder": 1, "id": 8, "file": "New"}),
                g.generate_file(RECORD, True), g.generate_directory_end()),
     ("DIRECTORY", "OUTPUT", [{"call": "OnError"},
                              {"call": "OnDirectoryBegin", "folder": "Docs", "id": 1},
                              {"call": "OnSubDir", "folder": 1, "id": 9, "file": "Old",
                               "protected": True},
                              {"call": "OnSubDir", "folder": 1, "id": 8, "file": "New"},
                              {"call": "OnFile", **RECORD}])),
    (lambda g: g.generate_find_in(1, "pw", "blue", "begin", "all", True, False, True, "friend",
                                  50),
     ("FIND", "INPUT", [{"call": "OnKeywords", "keywords": "blue"},
                        {"call": "OnUser", "user": 1, "password": "pw"},
                        {"call": "OnMax", "max": 50}, {"call": "OnScope", "scope": "friend"},
                        {"call": "OnMatch", "match": "all"},
                        {"call": "OnExact", "exact": "begin"}, {"call": "OnCase", "case": True},
                        {"call": "OnRank"}, {"call": "OnFreetext", "freetext": True}])),
    (lambda g: g.generate_find_in({"user": 1, "password": "pw", "keywords": "k", "max": 5, "rank": True}),
     ("FIND", "INPUT", [{"call": "OnKeywords", "keywords": "k"},
                        {"call": "OnUser", "user": 1, "password": "pw"}, {"call": "OnMax", "max": 5},
                        {"call": "OnScope"}, {"call": "OnMatch"}, {"call": "OnExact"},
                        {"call": "OnCase"}, {"call": "OnRank", "rank": True},
                        {"call": "OnFreetext"}])),
    (lambda g: (g.generate_find_out_begin(0),
                g.generate_host_begin(42, "pc1", "bob", "Bobby",
                                      g.generate_address_vect([b"a:1", b"b"]), 8080),
                g.generate_file(RECORD, True), g.generate_host_end(), g.generate_find_out_end()),
     ("FIND", "OUTPUT", [{"call": "OnError"},
                         {"call": "OnHost", **HOST, "address": [b"a:1", b"b"], "port": 8080},
                         {"call": "OnFile", **RECORD}])),
    (lambda g: (g.generate_friends_in_begin(1, "pw"), g.generate_friend(5),
                g.generate_friend(6, "pc", b"a;", 80, False), g.generate_friends_in_end(),
                g.generate_friends_out_begin(0), g.generate_friends_out_end()),
     None),
])
def test_writers_write_what_encode_writes(write, command):
    memory = cmds.Generator()
    write(memory)
    if command is not None:
        verb, direction, calls = command
        assert memory.getvalue() == cmds.encode(
            [{"verb": verb, "direction": direction, "calls": calls}])
    file = io.BytesIO()
    write(cmds.Generator(file))
    assert file.getvalue() == memory.getvalue()
    assert memory.get_size() == memory.get_length() == len(memory.getvalue())
    assert cmds.encode(with_password(c, "pw") for c in cmds.decode(file.getvalue())) \
        == memory.getvalue()


def test_whole_command_functions_and_files_that_take_part_or_fail():
    assert cmds.generate_connect_out(0, 5) == b"CONNECT OUTPUT \r\n\terror:0,file:5;"
    assert cmds.generate_friend_in(1, "pw", [5, 6]) == cmds.encode([friends_of(5, 6)])
    assert cmds.generate_friend_in(1, "pw", 5) == cmds.encode([friends_of(5)])
    # A narrow string may be given as a str, which stands for its UTF-8.
    assert cmds.generate_connect_in(1, "pw", "é", 1, "h", False, False, False) == \
        cmds.generate_connect_in(1, "pw", "é".encode(), 1, "h", False, False, False)

    class Trickle(io.RawIOBase):
        """Takes three bytes a call, as a raw file may."""

        def __init__(self):
            self.taken = b""

        def writable(self):
            return True

        def write(self, data):
            self.taken += bytes(data[:3])
            return min(3, len(data))

    trickle = Trickle()
    out = cmds.Generator(trickle)
    out.encode(friends_of(5, 6))
    with pytest.raises(cmds.EncodeError):
        out.encode(friends_of(-1))
    assert trickle.taken == cmds.encode([friends_of(5, 6)])

    class Full(io.RawIOBase):
        def writable(self):
            return True

        def write(self, data):
            raise OSError(28, "No space left on device")

    out = cmds.Generator(Full())
    with pytest.raises(OSError, match="No space left"):
        out.generate_alive_out(0)
    with pytest.raises(ValueError, match="earlier write"):
        out.generate_alive_out(0)

    # A file's write may release the GIL; the generator still takes one writer at a time.
    class Echo(io.RawIOBase):
        def writable(self):
            return True

        def write(self, data):
            out.generate_alive_out(1)

    out = cmds.Generator(Echo())
    with pytest.raises(RuntimeError, match="in use"):
        out.generate_alive_out(0)


def friends_of(*ids):
    return {"verb": "FRIENDS", "direction": "INPUT",
            "calls": [{"call": "OnUser", "user": 1, "password": "pw"},
                      *({"call": "OnHost", "id": i} for i in ids)]}
