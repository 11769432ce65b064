#!/usr/bin/env python3
"""Writes the test vectors of the command language, one .jsonl file per verb and tokens.jsonl.

Run it from anywhere: python3 vectors/generate.py. With --check it writes nothing and exits with
status 1 when a file differs from what it would write.

Accepted vectors in the generator's layout have their text built here, from the layout rules,
independently of the library; the checks write their calls back with the library's generator
and demand the same bytes. Rejected vectors are written by hand: ⟦ marks the first byte of the
token at fault and is removed from the text, and the calls listed are those the reader makes
before the fault.
"""

import argparse
import hashlib
import json
import pathlib
import sys

MARK = "\u27e6"
WRAP = 2**64

# ---------------------------------------------------------------------------------------------
# Values as the text carries them


def sign(password):
    """The pwd a request carries: SHA-256 of the password's UTF-16LE bytes, in lower-case hex."""
    return hashlib.sha256(password.encode("utf-16-le", "surrogatepass")).hexdigest()


NARROW_PLAIN = set(b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.:-_/@;,")


def narrow(value):
    """A narrow string as the generator quotes it; `value` is bytes or ASCII text."""
    data = value.encode("latin-1") if isinstance(value, str) else value
    inner = "".join(chr(b) if b in NARROW_PLAIN else "%%%02X" % b for b in data)
    return '"' + inner + '"'


def wide_bytes(units):
    """UTF-8 of a text, an apostrophe as C0 A7 and a lone surrogate in its three-byte form."""
    out = b""
    for ch in units:
        out += b"\xc0\xa7" if ch == "'" else ch.encode("utf-8", "surrogatepass")
    return out


def wide(units):
    return "'" + wide_bytes(units).decode("latin-1") + "'"


def utf8(units):
    """Text given as code points, as the bytes of its UTF-8 form, one character a byte."""
    return units.encode("utf-8", "surrogatepass").decode("latin-1")


def narrow_json(value):
    """A narrow value in the tool's JSON form: printable ASCII but % as itself, else %XX."""
    data = value.encode("latin-1") if isinstance(value, str) else value
    return "".join(chr(b) if 0x20 <= b <= 0x7E and b != 0x25 else "%%%02X" % b for b in data)


def wide_json(units):
    """A wide value in the tool's JSON form: % as %25, a lone surrogate as %uXXXX."""
    out = ""
    for ch in units:
        if ch == "%":
            out += "%25"
        elif 0xD800 <= ord(ch) <= 0xDFFF:
            out += "%%u%04X" % ord(ch)
        else:
            out += ch
    return out


def code(error):
    """A result code as written: widened with its sign, as an unsigned 64-bit number."""
    return str(error % WRAP)


def flag(value):
    return "yes" if value else "no"


# ---------------------------------------------------------------------------------------------
# Callbacks, as `cmds decode` prints them

FILE_TEXTS = ["ext", "keywords", "author", "subject", "manager", "company", "comments", "title",
              "category", "creator", "type"]
# The order in which the generator writes the optional texts after size (ext comes before size).
WRITTEN_TEXTS = FILE_TEXTS[1:]


def on_user(user, pwd):
    return {"call": "OnUser", "user": user, "pwd": narrow_json(pwd)}


def on_error(error):
    return {"call": "OnError", "error": error}


def on_connect_in_host(port, address, host):
    return {"call": "OnConnectInHost", "port": port, "address": narrow_json(address),
            "host": wide_json(host)}


def on_connect_in_flags(browsable=False, httpproxy=False, socksproxy=False):
    return {"call": "OnConnectInFlags", "browsable": browsable, "httpproxy": httpproxy,
            "socksproxy": socksproxy}


def on_file(kind, folder, id, file="", size=0, **texts):
    call = {"call": "OnFile", "kind": kind, "folder": folder, "id": id}
    if kind == "+":
        call["file"] = wide_json(file)
        call["size"] = size
        for key in FILE_TEXTS:
            if texts.get(key):
                call[key] = wide_json(texts[key])
    return call


def on_share_out_file(error, id, folder):
    return {"call": "OnShareOutFile", "error": error, "id": id, "folder": folder}


def on_host(id, online=True, host="", nick="", user="", address=(), port=0):
    call = {"call": "OnHost", "online": online, "id": id}
    for key, value in (("host", host), ("nick", nick), ("user", user)):
        if value:
            call[key] = wide_json(value)
    if address:
        call["address"] = [narrow_json(a) for a in address]
    call["port"] = port
    return call


def on_sub_dir(folder, id, file, protected=False):
    return {"call": "OnSubDir", "folder": folder, "id": id, "file": wide_json(file),
            "protected": protected}


def single(name, key):
    return lambda value: {"call": name, key: value}


on_connect_out = single("OnConnectOut", "file")
on_un_share_in = single("OnUnShareIn", "folder")
on_share_dir_in = single("OnShareDirIn", "folder")
on_share_dir_out = single("OnShareDirOut", "folder")


def on_directory_begin(folder, id):
    return {"call": "OnDirectoryBegin", "folder": wide_json(folder), "id": id}


def find_calls(keywords, user, pwd, max=100, scope="global", match="any", exact="off",
               case=False, rank=False, freetext=False):
    return [{"call": "OnKeywords", "keywords": wide_json(keywords)}, on_user(user, pwd),
            {"call": "OnMax", "max": max}, {"call": "OnScope", "scope": scope},
            {"call": "OnMatch", "match": match}, {"call": "OnExact", "exact": exact},
            {"call": "OnCase", "case": case}, {"call": "OnRank", "rank": rank},
            {"call": "OnFreetext", "freetext": freetext}]


# ---------------------------------------------------------------------------------------------
# Records in the generator's layout, with the call each reads back as


class File:
    def __init__(self, folder, id, file="", size=0, **texts):
        self.folder, self.id, self.file, self.size, self.texts = folder, id, file, size, texts

    def text(self, kind="+"):
        if kind != "+":
            return "[folder:%d,id:%d]" % (self.folder, self.id)
        out = "[folder:%d,id:%d,file:%s" % (self.folder, self.id, wide(self.file))
        if self.texts.get("ext"):
            out += ",ext:" + wide(self.texts["ext"])
        out += ",size:%d" % self.size
        for key in WRITTEN_TEXTS:
            if self.texts.get(key):
                out += ",%s:%s" % (key, wide(self.texts[key]))
        return out + "]"

    def call(self, kind="+"):
        return on_file(kind, self.folder, self.id, self.file, self.size, **self.texts)


class Host:
    """A FIND OUTPUT host; `address` is the list of addresses."""

    def __init__(self, id, host="", user="", nick="", address=(), port=0):
        self.id, self.host, self.user, self.nick = id, host, user, nick
        self.address, self.port = list(address), port

    def text(self):
        out = "(id:%d,host:%s" % (self.id, wide(self.host))
        if self.user:
            out += ",user:" + wide(self.user)
        if self.nick:
            out += ",nick:" + wide(self.nick)
        address = "".join(a + ";" for a in self.address)
        return out + ",address:%s,port:%d" % (narrow(address), self.port)

    def call(self):
        return on_host(self.id, True, self.host, self.nick, self.user, self.address, self.port)


class Friend:
    """A friend entry: short when only `id` is given."""

    def __init__(self, id, host=None, address=(), port=0, online=True):
        self.id, self.host, self.address, self.port, self.online = id, host, address, port, online

    def text(self):
        if self.host is None:
            return "(id:%d)" % self.id
        address = "".join(a + ";" for a in self.address)
        return "(id:%d,host:%s,address:%s,port:%d,online:%s)" % (
            self.id, wide(self.host), narrow(address), self.port, flag(self.online))

    def call(self):
        return on_host(self.id, self.online, self.host or "", "", "", self.address, self.port)


def header(verb, direction):
    return "%s %s \r\n\t" % (verb, direction)


def credentials(user, password):
    return "user:%d,pwd:%s" % (user, narrow(sign(password)))


# ---------------------------------------------------------------------------------------------
# The vector files


class Vectors:
    def __init__(self):
        self.files = {}
        self.names = set()

    def _add(self, file, vector):
        key = (vector["verb"], vector["direction"], vector["name"])
        assert key not in self.names, "two vectors named %r" % (key,)
        self.names.add(key)
        self.files.setdefault(file, []).append(vector)

    def accept(self, file, name, verb, direction, text, calls, layout=True, password=None):
        assert MARK not in text and text.endswith(";"), name
        vector = {"name": name, "verb": verb, "direction": direction, "text": text,
                  "calls": calls, "error": None}
        if not layout:
            vector["layout"] = False
        if password is not None:
            vector["password"] = password
        self._add(file, vector)

    def reject(self, file, name, verb, direction, text, error, calls, reason):
        assert text.count(MARK) == 1, name
        offset = text.index(MARK)
        text = text.replace(MARK, "")
        before = text[:offset]
        self._add(file, {
            "name": name, "verb": verb, "direction": direction, "text": text, "calls": calls,
            "error": {"type": error, "offset": offset, "line": before.count("\n") + 1,
                      "column": offset - (before.rfind("\n") + 1) + 1, "reason": reason}})


V = Vectors()

LEX, SYNTAX, SEMANTIC = "CLexError", "CSyntaxError", "CSemanticError"


def command(file, verb, direction):
    """The two ways of adding a vector of one command to `file`."""

    def ok(name, text, calls, layout=True, password=None):
        V.accept(file, name, verb, direction, text, calls, layout, password)

    def bad(name, text, error, calls, reason):
        V.reject(file, name, verb, direction, text, error, calls, reason)

    return ok, bad


PASSWORD = "secret"
SIG = sign(PASSWORD)
MAX64 = WRAP - 1


# ---------------------------------------------------------------------------------------------
# Headers: every reader reads two tokens and checks them against its own verb and direction.

COMMANDS = [("CONNECT", "INPUT"), ("CONNECT", "OUTPUT"), ("DISCONNECT", "INPUT"),
            ("DISCONNECT", "OUTPUT"), ("ALIVE", "INPUT"), ("ALIVE", "OUTPUT"), ("SHARE", "INPUT"),
            ("SHARE", "OUTPUT"), ("UNSHARE", "INPUT"), ("UNSHARE", "OUTPUT"),
            ("SHAREDIR", "INPUT"), ("SHAREDIR", "OUTPUT"), ("DIRECTORY", "OUTPUT"),
            ("FIND", "INPUT"), ("FIND", "OUTPUT"), ("FRIENDS", "INPUT"), ("FRIENDS", "OUTPUT")]


def headers():
    for index, (verb, direction) in enumerate(COMMANDS):
        ok, bad = command(verb.lower() + ".jsonl", verb, direction)
        expected = "expected %s %s; read " % (verb, direction)
        bad("empty input", MARK, SYNTAX, [], expected + "the end of the input")
        bad("blanks only", " \r\n\t" + MARK, SYNTAX, [], expected + "the end of the input")
        other = "OUTPUT" if direction == "INPUT" else "INPUT"
        bad("the other direction", "%s %s%s error:0;" % (verb, MARK, other), SYNTAX, [],
            expected + "the keyword " + other)
        other_verb, _ = COMMANDS[(index + 2) % len(COMMANDS)]
        bad("another verb", "%s%s %s error:0;" % (MARK, other_verb, direction), SYNTAX, [],
            expected + "the keyword " + other_verb)
        bad("a word that is no verb", "%s%sX %s error:0;" % (MARK, verb, direction), SYNTAX, [],
            expected + 'the string "%sX"' % verb)
        bad("the direction missing", "%s %s;" % (verb, MARK), SYNTAX, [], expected + "';'")
        # The second token is read even when the first is already wrong.
        bad("a wrong verb and an unreadable direction", "PORT %s#" % MARK, LEX, [],
            "'#' starts no token")


headers()


# ---------------------------------------------------------------------------------------------
# CONNECT


def connect_in(user, password, host, address, port, browsable, httpproxy, socksproxy):
    """The generator's text of a CONNECT INPUT and the calls it reads back as."""
    text = header("CONNECT", "INPUT") + credentials(user, password) + ",host:" + wide(host)
    if address:
        text += ",address:" + narrow(address)
    text += ",port:%d,browsable:%s,httpproxy:%s,socksproxy:%s;" % (
        port, flag(browsable), flag(httpproxy), flag(socksproxy))
    calls = [on_user(user, sign(password)), on_connect_in_host(port, address, host),
             on_connect_in_flags(browsable, httpproxy, socksproxy)]
    return text, calls


def connect():
    ok, bad = command("connect.jsonl", "CONNECT", "INPUT")
    for name, args in [
        ("a typical request", (12, PASSWORD, "Café PC", "192.0.2.10", 8080, True, False, True)),
        ("every flag no, empty host, port 0", (1, PASSWORD, "", "10.0.0.1:80", 0, False, False,
                                               False)),
        ("every flag yes", (2, PASSWORD, "h", "a", 1, True, True, True)),
        ("the largest user and port", (MAX64, PASSWORD, "h", "a", 65535, False, True, False)),
        ("address bytes that are escaped", (3, PASSWORD, "h", b'a b"%\x00\x7f\xff;,.:-_/@', 4,
                                            False, False, True)),
        ("host with apostrophe, pair and lone surrogate",
         (4, PASSWORD, "it's \U0001F600 \ud800 \udfff", "a", 5, False, False, False)),
        ("a password that is not ASCII", (5, "Pässwörd €", "h", "a", 6, False, False, False)),
        ("an empty password", (6, "", "h", "a", 7, False, False, False)),
    ]:
        text, calls = connect_in(*args)
        ok(name, text, calls, password=args[1])

    ok("flags absent read as no", 'CONNECT INPUT user:1,pwd:x,host:\'h\',address:"a",port:1;',
       [on_user(1, "x"), on_connect_in_host(1, "a", "h"), on_connect_in_flags()], layout=False)
    ok("one flag given", 'CONNECT INPUT user:1,pwd:x,host:\'h\',address:"a",port:1,httpproxy:yes;',
       [on_user(1, "x"), on_connect_in_host(1, "a", "h"), on_connect_in_flags(httpproxy=True)],
       layout=False)
    ok("tags in reverse order",
       'CONNECT INPUT socksproxy:yes,httpproxy:no,browsable:yes,port:80,address:"a",host:\'h\','
       'pwd:"p",user:5;',
       [on_user(5, "p"), on_connect_in_host(80, "a", "h"), on_connect_in_flags(True, False, True)],
       layout=False)
    ok("keywords and flag words in any case",
       'connect Input USER:1,Pwd:x,HOST:\'h\',Address:"a",pORT:1,BROWSABLE:YES,httpProxy:No,'
       'SocksProxy:yEs;',
       [on_user(1, "x"), on_connect_in_host(1, "a", "h"), on_connect_in_flags(True, False, True)],
       layout=False)
    for port, low in [(65536, 0), (70000, 4464), (MAX64, 65535), (WRAP + 80, 80)]:
        ok("port %d keeps its low 16 bits" % port,
           'CONNECT INPUT user:1,pwd:x,host:\'h\',address:"a",port:%d;' % port,
           [on_user(1, "x"), on_connect_in_host(low, "a", "h"), on_connect_in_flags()],
           layout=False)
    ok("pwd as a bare word", 'CONNECT INPUT user:1,pwd:a1B2,host:\'h\',address:"a",port:1;',
       [on_user(1, "a1B2"), on_connect_in_host(1, "a", "h"), on_connect_in_flags()], layout=False)
    ok("address as a bare word", "CONNECT INPUT user:1,pwd:x,host:'h',address:localhost,port:1;",
       [on_user(1, "x"), on_connect_in_host(1, "localhost", "h"), on_connect_in_flags()],
       layout=False)
    ok("pwd of any text", 'CONNECT INPUT user:1,pwd:"not a signature",host:\'h\',address:"",'
       'port:1;',
       [on_user(1, "not a signature"), on_connect_in_host(1, "", "h"), on_connect_in_flags()],
       layout=False)
    ok("no blanks where none are needed",
       'CONNECT INPUT user:1,pwd:x,host:\'h\',address:"a",port:1,browsable:no;',
       [on_user(1, "x"), on_connect_in_host(1, "a", "h"), on_connect_in_flags()], layout=False)
    ok("blanks between every token",
       'CONNECT\r\nINPUT\tuser : 1 ,\n pwd\t:\tx\r,host :\'h\', address: "a" ,port\n:\n1 ;',
       [on_user(1, "x"), on_connect_in_host(1, "a", "h"), on_connect_in_flags()], layout=False)

    text, calls = connect_in(12, PASSWORD, "pc", "", 80, True, False, False)
    bad("the generator's text without address", text[:-1] + MARK + ";", SEMANTIC, calls[:1],
        "tag address is missing")
    bad("pwd missing", "CONNECT INPUT user:1,host:'h',address:\"a\",port:1%s;" % MARK, SEMANTIC,
        [], "tag pwd is missing")
    bad("user missing", "CONNECT INPUT pwd:x,host:'h',address:\"a\",port:1%s;" % MARK, SEMANTIC,
        [], "tag user is missing")
    bad("pwd given twice", "CONNECT INPUT user:1,pwd:x,%spwd:y,host:'h',address:\"a\",port:1;"
        % MARK, SEMANTIC, [], "tag pwd is given twice")
    bad("user given twice", "CONNECT INPUT user:1,pwd:x,%suser:1,host:'h',address:\"a\",port:1;"
        % MARK, SEMANTIC, [], "tag user is given twice")
    bad("pwd is fetched before user", "CONNECT INPUT user:1,user:2,host:'h',address:\"a\","
        "port:1%s;" % MARK, SEMANTIC, [], "tag pwd is missing")
    bad("host missing", "CONNECT INPUT user:1,pwd:x,address:\"a\",port:1%s;" % MARK, SEMANTIC,
        [on_user(1, "x")], "tag host is missing")
    bad("address given twice", "CONNECT INPUT user:1,pwd:x,host:'h',address:\"a\",%saddress:\"b\","
        "port:1;" % MARK, SEMANTIC, [on_user(1, "x")], "tag address is given twice")
    bad("port missing", "CONNECT INPUT user:1,pwd:x,host:'h',address:\"a\"%s;" % MARK, SEMANTIC,
        [on_user(1, "x")], "tag port is missing")
    bad("host is fetched before port", "CONNECT INPUT user:1,pwd:x,address:\"a\",port:1,port:2"
        "%s;" % MARK, SEMANTIC, [on_user(1, "x")], "tag host is missing")
    bad("address is fetched before port", "CONNECT INPUT user:1,pwd:x,host:'h',port:1,port:2"
        "%s;" % MARK, SEMANTIC, [on_user(1, "x")], "tag address is missing")
    bad("browsable given twice", "CONNECT INPUT user:1,pwd:x,host:'h',address:\"a\",port:1,"
        "browsable:yes,%sbrowsable:yes;" % MARK, SEMANTIC,
        [on_user(1, "x"), on_connect_in_host(1, "a", "h")], "tag browsable is given twice")
    bad("socksproxy is fetched before browsable",
        "CONNECT INPUT user:1,pwd:x,host:'h',"
        "address:\"a\",port:1,browsable:yes,browsable:no,socksproxy:no,%ssocksproxy:no;" % MARK,
        SEMANTIC, [on_user(1, "x"), on_connect_in_host(1, "a", "h")],
        "tag socksproxy is given twice")
    bad("httpproxy is fetched before browsable",
        "CONNECT INPUT user:1,pwd:x,host:'h',"
        "address:\"a\",port:1,browsable:yes,browsable:no,httpproxy:no,%shttpproxy:no;" % MARK,
        SEMANTIC, [on_user(1, "x"), on_connect_in_host(1, "a", "h")],
        "tag httpproxy is given twice")
    bad("list ended by a brace", "CONNECT INPUT user:1,pwd:x,host:'h',address:\"a\",port:1%s}"
        % MARK, SYNTAX, [], "expected ';'; read '}'")
    bad("input ends after the tags", "CONNECT INPUT user:1,pwd:x,host:'h',address:\"a\",port:1"
        + MARK, SYNTAX, [], "expected ';'; read the end of the input")
    bad("the end is checked before missing tags", "CONNECT INPUT user:1%s}" % MARK, SYNTAX, [],
        "expected ';'; read '}'")
    bad("a tag of no list", "CONNECT INPUT user:1,pwd:x,%ssize:1;" % MARK, SYNTAX, [],
        "size is not a tag of CONNECT INPUT")
    bad("a tag of the reply", "CONNECT INPUT %serror:0,user:1;" % MARK, SYNTAX, [],
        "error is not a tag of CONNECT INPUT")
    bad("host as a narrow string", "CONNECT INPUT user:1,pwd:x,host:%s\"h\";" % MARK, SYNTAX, [],
        "host takes a wide string; read the string \"h\"")
    bad("address as a wide string", "CONNECT INPUT user:1,pwd:x,address:%s'a';" % MARK, SYNTAX,
        [], "address takes a string; read the wide string 'a'")
    bad("port as a string", "CONNECT INPUT user:1,pwd:x,port:%s\"80\";" % MARK, SYNTAX, [],
        "port takes a number; read the string \"80\"")
    bad("user as a bare word", "CONNECT INPUT user:%sabc,pwd:x;" % MARK, SYNTAX, [],
        "user takes a number; read the string \"abc\"")
    bad("pwd as a number", "CONNECT INPUT user:1,pwd:%s12;" % MARK, SYNTAX, [],
        "pwd takes a string; read the number 12")
    bad("pwd as a flag word", "CONNECT INPUT user:1,pwd:%syes;" % MARK, SYNTAX, [],
        "pwd takes a string; read the word yes")
    bad("address as a keyword", "CONNECT INPUT user:1,pwd:x,address:%shost;" % MARK, SYNTAX, [],
        "expected a value; read the keyword host")
    bad("a flag as an exact word", "CONNECT INPUT user:1,browsable:%son;" % MARK, SYNTAX, [],
        "browsable takes yes or no; read the word on")
    bad("a flag as a bare word", "CONNECT INPUT user:1,socksproxy:%strue;" % MARK, SYNTAX, [],
        "socksproxy takes yes or no; read the string \"true\"")
    bad("a flag as a number", "CONNECT INPUT user:1,httpproxy:%s1;" % MARK, SYNTAX, [],
        "httpproxy takes yes or no; read the number 1")
    bad("a tag without its colon", "CONNECT INPUT user:1,port %s1;" % MARK, SYNTAX, [],
        "expected ':' after port; read the number 1")
    bad("a tag without its value", "CONNECT INPUT user:1,port:%s;" % MARK, SYNTAX, [],
        "expected a value; read ';'")
    bad("a negative port", "CONNECT INPUT user:1,port:%s-1;" % MARK, SYNTAX, [],
        "expected a value; read '-'")
    bad("a number as key", "CONNECT INPUT user:1,%s5:1;" % MARK, SYNTAX, [],
        "expected a tag; read the number 5")
    bad("a quoted key", "CONNECT INPUT %s\"user\":1;" % MARK, SYNTAX, [],
        "expected a tag; read the string \"user\"")
    bad("no tag", "CONNECT INPUT %s;" % MARK, SYNTAX, [], "expected a tag; read ';'")
    bad("a comma before the end", "CONNECT INPUT user:1,%s;" % MARK, SYNTAX, [],
        "expected a tag; read ';'")
    bad("two commas", "CONNECT INPUT user:1,%s,pwd:x;" % MARK, SYNTAX, [],
        "expected a tag; read ','")
    bad("an unreadable value", "CONNECT INPUT user:1,port:%s#;" % MARK, LEX, [],
        "'#' starts no token")
    bad("a tag of no list is checked after the next token",
        "CONNECT INPUT user:1,size:1%s#" % MARK, LEX, [], "'#' starts no token")
    bad("a wrong value kind is checked after the next token",
        "CONNECT INPUT user:1,port:'1'%s#" % MARK, LEX, [], "'#' starts no token")

    ok, bad = command("connect.jsonl", "CONNECT", "OUTPUT")
    for error, file in [(0, 5), (-1, 0), (2**31 - 1, MAX64), (-2**31, 1), (7, 0)]:
        ok("result %d, file %d" % (error, file),
           header("CONNECT", "OUTPUT") + "error:%s,file:%d;" % (code(error), file),
           [on_error(error), on_connect_out(file)])
    for name, text, error, file in [
        ("tags in reverse order", "file:5,error:0", 0, 5),
        ("result 2^32-1 reads as -1", "error:4294967295,file:0", -1, 0),
        ("result 2^31 reads as -2^31", "error:2147483648,file:0", -2**31, 0),
        ("result keeps its low 32 bits", "error:4294967298,file:0", 2, 0),
        ("a result of 2^64 wraps to 0", "error:18446744073709551616,file:0", 0, 0),
        ("file 2^64 wraps to 0", "error:0,file:18446744073709551616", 0, 0),
        ("file 2^64+1 wraps to 1", "error:0,file:18446744073709551617", 0, 1),
        ("file of 2*2^64+5 wraps to 5", "error:0,file:36893488147419103237", 0, 5),
        ("a hundred digits wrap", "error:0,file:1" + "0" * 99, 0, 10**99 % WRAP),
        ("leading zeros", "error:000,file:0005", 0, 5),
        ("twenty-five leading zeros", "error:0,file:" + "0" * 25 + "7", 0, 7),
    ]:
        ok(name, "CONNECT OUTPUT " + text + ";", [on_error(error), on_connect_out(file)],
           layout=False)
    bad("error missing", "CONNECT OUTPUT file:5%s;" % MARK, SEMANTIC, [], "tag error is missing")
    bad("error given twice", "CONNECT OUTPUT error:0,%serror:1,file:5;" % MARK, SEMANTIC, [],
        "tag error is given twice")
    bad("file missing", "CONNECT OUTPUT error:3%s;" % MARK, SEMANTIC, [on_error(3)],
        "tag file is missing")
    bad("file given twice", "CONNECT OUTPUT file:1,error:3,%sfile:2;" % MARK, SEMANTIC,
        [on_error(3)], "tag file is given twice")
    bad("error is fetched before file", "CONNECT OUTPUT error:0,%serror:1;" % MARK, SEMANTIC, [],
        "tag error is given twice")
    bad("list ended by a brace", "CONNECT OUTPUT error:0,file:5%s}" % MARK, SYNTAX, [],
        "expected ';'; read '}'")
    bad("input ends after the tags", "CONNECT OUTPUT error:0,file:5" + MARK, SYNTAX, [],
        "expected ';'; read the end of the input")
    bad("input ends after a comma", "CONNECT OUTPUT error:0,file:5," + MARK, SYNTAX, [],
        "expected a tag; read the end of the input")
    bad("file as a bare word", "CONNECT OUTPUT error:0,file:%sx;" % MARK, SYNTAX, [],
        "file takes a number; read the string \"x\"")
    bad("file as a wide string", "CONNECT OUTPUT error:0,file:%s'5';" % MARK, SYNTAX, [],
        "file takes a number; read the wide string '5'")
    bad("a negative result", "CONNECT OUTPUT error:%s-1,file:5;" % MARK, SYNTAX, [],
        "expected a value; read '-'")
    bad("a tag of the request", "CONNECT OUTPUT error:0,file:5,%suser:1;" % MARK, SYNTAX, [],
        "user is not a tag of CONNECT OUTPUT")
    bad("a tag of no list without its colon", "CONNECT OUTPUT error:0,%ssize 1;" % MARK, SYNTAX,
        [], "size is not a tag of CONNECT OUTPUT")
    bad("a number followed by a word", "CONNECT OUTPUT error:0,file:12%sab;" % MARK, SYNTAX, [],
        "expected ';'; read the string \"ab\"")


connect()


# ---------------------------------------------------------------------------------------------
# DISCONNECT and ALIVE: the credentials alone, and the result code alone


def disconnect_alive():
    for verb in ("DISCONNECT", "ALIVE"):
        file = verb.lower() + ".jsonl"
        ok, bad = command(file, verb, "INPUT")
        for user, password in [(12, PASSWORD), (0, ""), (MAX64, "naïve 🙂")]:
            ok("user %d" % user, header(verb, "INPUT") + credentials(user, password) + ";",
               [on_user(user, sign(password))], password=password)
        ok("pwd before user", verb + ' INPUT pwd:"p",user:1;', [on_user(1, "p")], layout=False)
        ok("pwd as a bare word", verb + " INPUT user:1,pwd:Sig0;", [on_user(1, "Sig0")],
           layout=False)
        ok("header and keys in lower case", verb.lower() + " input USER:1,pwd:x;",
           [on_user(1, "x")], layout=False)
        bad("pwd missing", verb + " INPUT user:1%s;" % MARK, SEMANTIC, [], "tag pwd is missing")
        bad("user missing", verb + ' INPUT pwd:"p"%s;' % MARK, SEMANTIC, [], "tag user is missing")
        bad("pwd given twice", verb + " INPUT pwd:x,user:1,%spwd:x;" % MARK, SEMANTIC, [],
            "tag pwd is given twice")
        bad("user given twice", verb + " INPUT user:1,pwd:x,%suser:2;" % MARK, SEMANTIC, [],
            "tag user is given twice")
        bad("a third tag", verb + " INPUT user:1,pwd:x,%sport:1;" % MARK, SYNTAX, [],
            "port is not a tag of %s INPUT" % verb)
        bad("list ended by a brace", verb + " INPUT user:1,pwd:x%s{" % MARK, SYNTAX, [],
            "expected ';'; read '{'")
        bad("input ends after the tags", verb + " INPUT user:1,pwd:x" + MARK, SYNTAX, [],
            "expected ';'; read the end of the input")

        ok, bad = command(file, verb, "OUTPUT")
        for error in (0, -1, 2**31 - 1, -2**31, 5):
            ok("result %d" % error, header(verb, "OUTPUT") + "error:%s;" % code(error),
               [on_error(error)])
        ok("result 2^32-1 reads as -1", verb + " OUTPUT error:4294967295;", [on_error(-1)],
           layout=False)
        ok("a result of 2^64 wraps to 0", verb + " OUTPUT error:18446744073709551616;",
           [on_error(0)], layout=False)
        ok("blanks between every token", verb + "\tOUTPUT\nerror\r:\t5 ;", [on_error(5)],
           layout=False)
        ok("header in mixed case", verb.capitalize() + " oUTPUT Error:5;", [on_error(5)],
           layout=False)
        bad("no result", verb + " OUTPUT %s;" % MARK, SYNTAX, [], "expected error; read ';'")
        bad("another tag in place of error", verb + " OUTPUT %sfile:5;" % MARK, SYNTAX, [],
            "expected error; read the keyword file")
        bad("error without its colon", verb + " OUTPUT error %s5;" % MARK, SYNTAX, [],
            "expected ':'; read the number 5")
        bad("error as a bare word", verb + " OUTPUT error:%sx;" % MARK, SYNTAX, [],
            'error takes a number; read the string "x"')
        bad("error as a wide string", verb + " OUTPUT error:%s'0';" % MARK, SYNTAX, [],
            "error takes a number; read the wide string '0'")
        bad("a negative result", verb + " OUTPUT error:%s-1;" % MARK, SYNTAX, [],
            "error takes a number; read '-'")
        bad("a second tag", verb + " OUTPUT error:0%s,file:5;" % MARK, SYNTAX, [],
            "expected ';'; read ','")
        bad("input ends after the result", verb + " OUTPUT error:0" + MARK, SYNTAX, [],
            "expected ';'; read the end of the input")
        bad("input ends after the colon", verb + " OUTPUT error:" + MARK, SYNTAX, [],
            "error takes a number; read the end of the input")
        bad("an unreadable result", verb + " OUTPUT error:%s~;" % MARK, LEX, [],
            "'~' starts no token")


disconnect_alive()


# ---------------------------------------------------------------------------------------------
# SHARE


def share_in(user, password, records):
    """`records`: (marker, File) pairs."""
    text = header("SHARE", "INPUT") + credentials(user, password) + "\r\n\t{\r\n\t\t("
    for kind, record in records:
        text += "\r\n\t\t\t" + kind + record.text(kind)
    text += "\r\n\t\t)\r\n\t};"
    return text, [on_user(user, sign(password))] + [r.call(k) for k, r in records]


ALL_TEXTS = {key: key.capitalize() + " text" for key in FILE_TEXTS}


def share():
    ok, bad = command("share.jsonl", "SHARE", "INPUT")
    for name, records in [
        ("an empty list", []),
        ("one record of the required tags", [("+", File(1, 2, "a.txt", 10))]),
        ("a record of each kind", [
            ("+", File(1, 7, "résumé", 48213, ext="pdf", author="Ana", title="CV 2024")),
            ("-", File(1, 8)), ("*", File(2, 3))]),
        ("every text of a record", [("+", File(4, 5, "all", 6, **ALL_TEXTS))]),
        ("ext alone, written before size", [("+", File(4, 5, "x", 6, ext="txt"))]),
        ("the largest numbers", [("+", File(MAX64, MAX64, "big", MAX64)),
                                 ("-", File(MAX64, MAX64))]),
        ("an empty name and texts with apostrophes",
         [("+", File(0, 0, "", 0, comments="it's 'quoted'", creator="\u4e2d\u6587"))]),
    ]:
        text, calls = share_in(12, PASSWORD, records)
        ok(name, text, calls, password=PASSWORD)

    def short(body):
        return "SHARE INPUT user:1,pwd:x{" + body + "};"

    user = on_user(1, "x")
    ok("no list", short(""), [user], layout=False)
    ok("a record without marker is full", short("([folder:1,id:2,file:'a',size:3])"),
       [user, on_file("+", 1, 2, "a", 3)], layout=False)
    ok("the kind does not carry over",
       short("(-[folder:1,id:2][folder:1,id:3,file:'a',size:0]*[folder:5,id:6]"
             "[folder:1,id:4,file:'b',size:1])"),
       [user, on_file("-", 1, 2), on_file("+", 1, 3, "a", 0), on_file("*", 5, 6),
        on_file("+", 1, 4, "b", 1)], layout=False)
    for marker in "+-*":
        ok("a lone %s before the end of the list" % marker, short("(%s)" % marker), [user],
           layout=False)
    ok("a marker after the last record", short("(*[folder:1,id:2]-)"), [user, on_file("*", 1, 2)],
       layout=False)
    ok("record tags in any order", short("([type:'t',size:3,file:'a',id:2,ext:'e',folder:1])"),
       [user, on_file("+", 1, 2, "a", 3, ext="e", type="t")], layout=False)
    ok("texts given empty", short("([folder:1,id:2,file:'a',size:0,ext:'',title:'']+"
                                  "[folder:1,id:2,file:'',size:0])"),
       [user, on_file("+", 1, 2, "a", 0), on_file("+", 1, 2, "", 0)], layout=False)
    ok("pwd before user", 'SHARE INPUT pwd:"p",user:2{()};', [on_user(2, "p")], layout=False)
    ok("key-only records in any order", short("(-[id:2,folder:1]*[id:4,folder:3])"),
       [user, on_file("-", 1, 2), on_file("*", 3, 4)], layout=False)

    bad("credentials followed by a parenthesis", "SHARE INPUT user:1,pwd:x%s();" % MARK, SYNTAX,
        [], "expected '{'; read '('")
    bad("credentials followed by the end", "SHARE INPUT user:1,pwd:x%s;" % MARK, SYNTAX, [],
        "expected '{'; read ';'")
    bad("the brace is checked before missing tags", "SHARE INPUT user:1%s;" % MARK, SYNTAX, [],
        "expected '{'; read ';'")
    bad("pwd missing", "SHARE INPUT user:1%s{};" % MARK, SEMANTIC, [], "tag pwd is missing")
    bad("user given twice", "SHARE INPUT user:1,pwd:x,%suser:1{};" % MARK, SEMANTIC, [],
        "tag user is given twice")
    bad("a bracket after the brace", "SHARE INPUT user:1,pwd:x{%s[folder:1,id:2]};" % MARK,
        SYNTAX, [user], "expected '}'; read '['")
    bad("a marker after the brace", "SHARE INPUT user:1,pwd:x{%s+()};" % MARK, SYNTAX, [user],
        "expected '}'; read '+'")
    bad("the end after the brace", "SHARE INPUT user:1,pwd:x{%s;" % MARK, SYNTAX, [user],
        "expected '}'; read ';'")
    bad("a comma between records", short("(-[folder:1,id:2]%s,-[folder:1,id:3])" % MARK),
        SYNTAX, [user, on_file("-", 1, 2)], "expected ')'; read ','")
    bad("two markers", short("(+%s-[folder:1,id:2])" % MARK), SYNTAX, [user],
        "expected ')'; read '-'")
    bad("a brace in the list", short("(%s{folder:1,id:2})" % MARK), SYNTAX, [user],
        "expected ')'; read '{'")
    bad("a key-only record with size", short("(-[folder:1,id:2,%ssize:5])" % MARK), SYNTAX,
        [user], "size is not a tag of a key-only file record")
    bad("a key-only record with file", short("(*[%sfile:'a',folder:1,id:2])" % MARK), SYNTAX,
        [user], "file is not a tag of a key-only file record")
    bad("an empty record", short("([%s])" % MARK), SYNTAX, [user], "expected a tag; read ']'")
    bad("a full record without size", short("([folder:1,id:2,file:'a'%s])" % MARK), SEMANTIC,
        [user], "tag size is missing")
    bad("a full record without file", short("(+[folder:1,id:2,size:0%s])" % MARK), SEMANTIC,
        [user], "tag file is missing")
    bad("a record without folder", short("([id:2,file:'a',size:0%s])" % MARK), SEMANTIC, [user],
        "tag folder is missing")
    bad("a key-only record without id", short("(-[folder:1%s])" % MARK), SEMANTIC, [user],
        "tag id is missing")
    bad("folder given twice", short("([folder:1,id:2,%sfolder:1,file:'a',size:0])" % MARK),
        SEMANTIC, [user], "tag folder is given twice")
    bad("folder is fetched before id", short("([id:1,id:2,file:'a',size:0%s])" % MARK),
        SEMANTIC, [user], "tag folder is missing")
    bad("id is fetched before size", short("([folder:1,size:1,size:2,file:'a'%s])" % MARK),
        SEMANTIC, [user], "tag id is missing")
    bad("size is fetched before file", short("([folder:1,id:2,file:'a',file:'b'%s])" % MARK),
        SEMANTIC, [user], "tag size is missing")
    bad("file is fetched before the texts", short("([folder:1,id:2,size:0,ext:'a',ext:'b'%s])"
                                                  % MARK), SEMANTIC, [user], "tag file is missing")
    bad("keywords is fetched before ext",
        short("([folder:1,id:2,file:'a',size:0,ext:'x',ext:'y',keywords:'k',%skeywords:'l'])"
              % MARK), SEMANTIC, [user], "tag keywords is given twice")
    bad("type given twice", short("([folder:1,id:2,file:'a',size:0,type:'x',%stype:'y'])" % MARK),
        SEMANTIC, [user], "tag type is given twice")
    bad("a record not closed", short("(-[folder:1,id:2%s))" % MARK), SYNTAX, [user],
        "expected ']'; read ')'")
    bad("a record's tags are fetched before its bracket is checked",
        short("(-[folder:1%s))" % MARK), SEMANTIC, [user], "tag id is missing")
    bad("the list not closed", short("(-[folder:1,id:2]%s" % MARK), SYNTAX,
        [user, on_file("-", 1, 2)], "expected ')'; read '}'")
    bad("the brace missing", "SHARE INPUT user:1,pwd:x{()%s;" % MARK, SYNTAX, [user],
        "expected '}'; read ';'")
    bad("the end missing", "SHARE INPUT user:1,pwd:x{()}" + MARK, SYNTAX, [user],
        "expected ';'; read the end of the input")
    bad("a comma after the brace", "SHARE INPUT user:1,pwd:x{()}%s,;" % MARK, SYNTAX, [user],
        "expected ';'; read ','")
    bad("a record's number as a string", short("([folder:%s'1',id:2,file:'a',size:0])" % MARK),
        SYNTAX, [user], "folder takes a number; read the wide string '1'")
    bad("a host tag in a record", short("([folder:1,%shost:'h',id:2,file:'a',size:0])" % MARK),
        SYNTAX, [user], "host is not a tag of a file record")
    bad("the second record fails after the first is delivered",
        short("(+[folder:1,id:2,file:'a',size:0]-[folder:1,id:%s'x'])" % MARK), SYNTAX,
        [user, on_file("+", 1, 2, "a", 0)], "id takes a number; read the wide string 'x'")
    bad("an unreadable byte in a record", short("([folder:1,id:2,file:'a',size:0%s.])" % MARK),
        LEX, [user], "'.' starts no token")
    bad("input ends inside a record's name", "SHARE INPUT user:1,pwd:x{([folder:1,id:2,file:%s'ab"
        % MARK, LEX, [user], "the input ends inside a wide string")

    ok, bad = command("share.jsonl", "SHARE", "OUTPUT")

    def share_out(error, results):
        text = header("SHARE", "OUTPUT") + "error:%s\r\n\t{" % code(error)
        for e, folder, id in results:
            text += "\r\n\t\t[error:%s,folder:%d,id:%d]" % (code(e), folder, id)
        return text + "\r\n\t};", [on_error(error)] + [on_share_out_file(e, i, f)
                                                       for e, f, i in results]

    for name, error, results in [
        ("an empty list", 0, []),
        ("two results", 0, [(0, 1, 7), (5, 1, 8)]),
        ("the largest values", -1, [(-2**31, MAX64, 2**32 - 1), (2**31 - 1, 0, 0)]),
    ]:
        ok(name, *share_out(error, results))
    ok("no braces", "SHARE OUTPUT error:5;", [on_error(5)], layout=False)
    ok("no blanks", "SHARE OUTPUT error:0{[error:1,folder:2,id:3][error:4,folder:5,id:6]};",
       [on_error(0), on_share_out_file(1, 3, 2), on_share_out_file(4, 6, 5)], layout=False)
    ok("result tags in any order", "SHARE OUTPUT error:0{[id:3,error:1,folder:2]};",
       [on_error(0), on_share_out_file(1, 3, 2)], layout=False)
    for id, low in [(2**32, 0), (2**32 + 7, 7), (MAX64, 2**32 - 1)]:
        ok("id %d keeps its low 32 bits" % id,
           "SHARE OUTPUT error:0{[error:0,folder:1,id:%d]};" % id,
           [on_error(0), on_share_out_file(0, low, 1)], layout=False)

    bad("no result", "SHARE OUTPUT %s{};" % MARK, SYNTAX, [], "expected error; read '{'")
    bad("the result as a wide string", "SHARE OUTPUT error:%s'0'{};" % MARK, SYNTAX, [],
        "error takes a number; read the wide string '0'")
    bad("the result followed by a comma", "SHARE OUTPUT error:0%s,{};" % MARK, SYNTAX,
        [on_error(0)], "expected ';'; read ','")
    bad("the result followed by a bracket", "SHARE OUTPUT error:0%s[error:0,folder:1,id:2];"
        % MARK, SYNTAX, [on_error(0)], "expected ';'; read '['")
    bad("a parenthesis in place of a result", "SHARE OUTPUT error:0{%s()};" % MARK, SYNTAX,
        [on_error(0)], "expected '}'; read '('")
    bad("a comma between results",
        "SHARE OUTPUT error:0{[error:0,folder:1,id:2]%s,[error:0,folder:1,id:3]};" % MARK,
        SYNTAX, [on_error(0), on_share_out_file(0, 2, 1)], "expected '}'; read ','")
    bad("a result not closed", "SHARE OUTPUT error:0{[error:0,folder:1,id:2%s)};" % MARK, SYNTAX,
        [on_error(0)], "expected ']'; read ')'")
    bad("the bracket is checked before missing tags", "SHARE OUTPUT error:0{[error:0,folder:1%s)"
        % MARK, SYNTAX, [on_error(0)], "expected ']'; read ')'")
    bad("id missing", "SHARE OUTPUT error:0{[error:0,folder:1%s]};" % MARK, SEMANTIC,
        [on_error(0)], "tag id is missing")
    bad("error missing", "SHARE OUTPUT error:0{[folder:1,id:2%s]};" % MARK, SEMANTIC,
        [on_error(0)], "tag error is missing")
    bad("folder given twice", "SHARE OUTPUT error:0{[error:0,folder:1,id:2,%sfolder:1]};" % MARK,
        SEMANTIC, [on_error(0)], "tag folder is given twice")
    bad("folder is fetched before id", "SHARE OUTPUT error:0{[error:0,id:1,id:2%s]};" % MARK,
        SEMANTIC, [on_error(0)], "tag folder is missing")
    bad("id is fetched before error", "SHARE OUTPUT error:0{[folder:1,error:0,error:1%s]};"
        % MARK, SEMANTIC, [on_error(0)], "tag id is missing")
    bad("a tag of no result", "SHARE OUTPUT error:0{[error:0,folder:1,id:2,%ssize:1]};" % MARK,
        SYNTAX, [on_error(0)], "size is not a tag of a file result")
    bad("a result's number as a wide string", "SHARE OUTPUT error:0{[error:0,folder:%s'1',id:2]};"
        % MARK, SYNTAX, [on_error(0)], "folder takes a number; read the wide string '1'")
    bad("the list not closed", "SHARE OUTPUT error:0{[error:0,folder:1,id:2]%s;" % MARK, SYNTAX,
        [on_error(0), on_share_out_file(0, 2, 1)], "expected '}'; read ';'")
    bad("the end missing", "SHARE OUTPUT error:0{}" + MARK, SYNTAX, [on_error(0)],
        "expected ';'; read the end of the input")
    bad("a second brace", "SHARE OUTPUT error:0{}%s};" % MARK, SYNTAX, [on_error(0)],
        "expected ';'; read '}'")


share()


# ---------------------------------------------------------------------------------------------
# UNSHARE and SHAREDIR


def unshare_sharedir():
    for verb, on_folder in (("UNSHARE", on_un_share_in), ("SHAREDIR", on_share_dir_in)):
        file = verb.lower() + ".jsonl"
        ok, bad = command(file, verb, "INPUT")
        for user, folder in [(12, 3), (0, 0), (MAX64, MAX64)]:
            ok("user %d, folder %d" % (user, folder),
               header(verb, "INPUT") + credentials(user, PASSWORD) + ",folder:%d;" % folder,
               [on_user(user, SIG), on_folder(folder)], password=PASSWORD)
        ok("folder first", verb + " INPUT folder:4,pwd:x,user:1;", [on_user(1, "x"), on_folder(4)],
           layout=False)
        ok("folder wraps modulo 2^64", verb + " INPUT user:1,pwd:x,folder:18446744073709551621;",
           [on_user(1, "x"), on_folder(5)], layout=False)
        bad("folder missing", verb + " INPUT user:1,pwd:x%s;" % MARK, SEMANTIC, [on_user(1, "x")],
            "tag folder is missing")
        bad("folder given twice", verb + " INPUT folder:1,user:1,pwd:x,%sfolder:2;" % MARK,
            SEMANTIC, [on_user(1, "x")], "tag folder is given twice")
        bad("pwd missing", verb + " INPUT user:1,folder:1%s;" % MARK, SEMANTIC, [],
            "tag pwd is missing")
        bad("user given twice", verb + " INPUT user:1,folder:1,pwd:x,%suser:1;" % MARK, SEMANTIC,
            [], "tag user is given twice")
        bad("list ended by a brace", verb + " INPUT user:1,pwd:x,folder:1%s}" % MARK, SYNTAX, [],
            "expected ';'; read '}'")
        bad("the end is checked before missing tags", verb + " INPUT user:1%s" % MARK, SYNTAX, [],
            "expected ';'; read the end of the input")
        bad("a tag of no request", verb + " INPUT user:1,pwd:x,%sport:1;" % MARK, SYNTAX, [],
            "port is not a tag of %s INPUT" % verb)
        bad("folder as a wide string", verb + " INPUT user:1,pwd:x,folder:%s'3';" % MARK, SYNTAX,
            [], "folder takes a number; read the wide string '3'")

    ok, bad = command("unshare.jsonl", "UNSHARE", "OUTPUT")
    for error in (0, -1, 2**31 - 1, -2**31):
        ok("result %d" % error, header("UNSHARE", "OUTPUT") + "error:%s;" % code(error),
           [on_error(error)])
    ok("result 2^32+9 keeps its low 32 bits", "UNSHARE OUTPUT error:4294967305;", [on_error(9)],
       layout=False)
    bad("no result", "UNSHARE OUTPUT %s;" % MARK, SYNTAX, [], "expected error; read ';'")
    bad("another tag in place of error", "UNSHARE OUTPUT %sfolder:1;" % MARK, SYNTAX, [],
        "expected error; read the keyword folder")
    bad("error without its colon", "UNSHARE OUTPUT error%s;" % MARK, SYNTAX, [],
        "expected ':'; read ';'")
    bad("error as a bare word", "UNSHARE OUTPUT error:%sok;" % MARK, SYNTAX, [],
        "error takes a number; read the string \"ok\"")
    bad("the result is delivered before a second tag", "UNSHARE OUTPUT error:0%s,folder:12;"
        % MARK, SYNTAX, [on_error(0)], "expected ';'; read ','")
    bad("the result is delivered before the end", "UNSHARE OUTPUT error:7" + MARK, SYNTAX,
        [on_error(7)], "expected ';'; read the end of the input")
    bad("an unreadable byte after the result", "UNSHARE OUTPUT error:7%s%%" % MARK, LEX, [],
        "'%' starts no token")

    ok, bad = command("sharedir.jsonl", "SHAREDIR", "OUTPUT")
    for error, folder in [(0, 4), (-1, MAX64), (-2**31, 0)]:
        ok("result %d, folder %d" % (error, folder),
           header("SHAREDIR", "OUTPUT") + "error:%s,folder:%d;" % (code(error), folder),
           [on_error(error), on_share_dir_out(folder)])
    ok("folder first", "SHAREDIR OUTPUT folder:12,error:0;", [on_error(0), on_share_dir_out(12)],
       layout=False)
    bad("error missing", "SHAREDIR OUTPUT folder:1%s;" % MARK, SEMANTIC, [], "tag error is missing")
    bad("error given twice", "SHAREDIR OUTPUT error:1,folder:1,%serror:1;" % MARK, SEMANTIC, [],
        "tag error is given twice")
    bad("folder missing", "SHAREDIR OUTPUT error:1%s;" % MARK, SEMANTIC, [on_error(1)],
        "tag folder is missing")
    bad("folder given twice", "SHAREDIR OUTPUT folder:1,error:1,%sfolder:1;" % MARK, SEMANTIC,
        [on_error(1)], "tag folder is given twice")
    bad("list ended by a brace", "SHAREDIR OUTPUT error:1,folder:1%s{" % MARK, SYNTAX, [],
        "expected ';'; read '{'")
    bad("the end is checked before missing tags", "SHAREDIR OUTPUT folder:1%s}" % MARK, SYNTAX,
        [], "expected ';'; read '}'")
    bad("folder as a wide string", "SHAREDIR OUTPUT error:1,folder:%s'a';" % MARK, SYNTAX, [],
        "folder takes a number; read the wide string 'a'")
    bad("a tag of the request", "SHAREDIR OUTPUT error:1,%suser:1;" % MARK, SYNTAX, [],
        "user is not a tag of SHAREDIR OUTPUT")


unshare_sharedir()


# ---------------------------------------------------------------------------------------------
# DIRECTORY


def directory():
    ok, bad = command("directory.jsonl", "DIRECTORY", "OUTPUT")

    def listing(error, folder, id, entries):
        """`entries`: File records and (folder, id, name, protected) sub-folders."""
        text = header("DIRECTORY", "OUTPUT") + "error:%s,folder:%s,id:%d\r\n\t\t(" % (
            code(error), wide(folder), id)
        calls = [on_error(error), on_directory_begin(folder, id)]
        for entry in entries:
            if isinstance(entry, File):
                text += "\r\n\t\t\t" + entry.text()
                calls.append(entry.call())
            else:
                f, i, name, protected = entry
                text += "\r\n\t\t\t{folder:%d,id:%d,file:%s,protected:%s}" % (
                    f, i, wide(name), flag(protected))
                calls.append(on_sub_dir(f, i, name, protected))
        return text + "\r\n\t\t);", calls

    for name, args in [
        ("an empty listing", (0, "Documents", 4, [])),
        ("a sub-folder and a file", (0, "Documents", 4, [(4, 9, "Old letters", True),
                                                         File(4, 7, "notes.txt", 120)])),
        ("files and sub-folders mixed", (0, "Mix", 1, [
            File(1, 2, "a", 3, title="T"), (1, 3, "sub", False), File(1, 4, "b", 5),
            (1, 5, "other", True)])),
        ("the largest values", (-1, "x", MAX64, [(MAX64, MAX64, "s", False),
                                                 File(MAX64, MAX64, "f", MAX64, **ALL_TEXTS)])),
        ("empty names", (2**31 - 1, "", 0, [(0, 0, "", False), File(0, 0, "", 0)])),
        ("names beyond ASCII", (-2**31, "Ünïcödé \U0001D11E", 3, [(3, 1, "日本", True)])),
    ]:
        ok(name, *listing(*args))

    begin = [on_error(0), on_directory_begin("f", 1)]

    def short(body):
        return "DIRECTORY OUTPUT error:0,folder:'f',id:1" + body

    ok("no listing", "DIRECTORY OUTPUT error:3,folder:'',id:0;",
       [on_error(3), on_directory_begin("", 0)], layout=False)
    ok("head tags in any order", "DIRECTORY OUTPUT id:1,folder:'f',error:0();", begin,
       layout=False)
    ok("protected absent reads as no", short("({folder:1,id:2,file:'a'});"),
       begin + [on_sub_dir(1, 2, "a")], layout=False)
    ok("sub-folder tags in any order", short("({protected:yes,file:'a',id:2,folder:1});"),
       begin + [on_sub_dir(1, 2, "a", True)], layout=False)
    ok("file tags in any order", short("([size:9,file:'b',id:8,folder:7,author:'me']);"),
       begin + [on_file("+", 7, 8, "b", 9, author="me")], layout=False)

    bad("the head followed by a bracket", short(MARK + "[folder:1,id:2,file:'a',size:0];"),
        SYNTAX, begin, "expected ';'; read '['")
    bad("the head followed by the end", short(MARK), SYNTAX, begin,
        "expected ';'; read the end of the input")
    bad("error missing", "DIRECTORY OUTPUT folder:'f',id:1%s;" % MARK, SEMANTIC, [],
        "tag error is missing")
    bad("error given twice", "DIRECTORY OUTPUT error:0,folder:'f',%serror:0,id:1;" % MARK,
        SEMANTIC, [], "tag error is given twice")
    bad("id missing", "DIRECTORY OUTPUT error:0,folder:'f'%s;" % MARK, SEMANTIC, [on_error(0)],
        "tag id is missing")
    bad("folder missing", "DIRECTORY OUTPUT error:0,id:1%s;" % MARK, SEMANTIC, [on_error(0)],
        "tag folder is missing")
    bad("id is fetched before folder", "DIRECTORY OUTPUT error:0,folder:'a',folder:'b'%s;" % MARK,
        SEMANTIC, [on_error(0)], "tag id is missing")
    bad("missing head tags are found before the token after the head",
        "DIRECTORY OUTPUT error:0,id:1%s[" % MARK, SEMANTIC, [on_error(0)], "tag folder is missing")
    bad("the head's folder as a number", "DIRECTORY OUTPUT error:0,folder:%s5,id:1;" % MARK,
        SYNTAX, [], "folder takes a wide string; read the number 5")
    bad("a tag of no head", "DIRECTORY OUTPUT error:0,folder:'f',id:1,%sprotected:no;" % MARK,
        SYNTAX, [], "protected is not a tag of DIRECTORY OUTPUT")
    bad("a sub-folder without file", short("({folder:1,id:2%s});" % MARK), SEMANTIC, begin,
        "tag file is missing")
    bad("a sub-folder without folder", short("({file:'a',id:2%s});" % MARK), SEMANTIC, begin,
        "tag folder is missing")
    bad("a sub-folder without id", short("({file:'a',folder:1%s});" % MARK), SEMANTIC, begin,
        "tag id is missing")
    bad("a sub-folder's file is fetched before its folder",
        short("({folder:1,folder:2,id:3%s});" % MARK), SEMANTIC, begin, "tag file is missing")
    bad("a sub-folder's folder is fetched before its id",
        short("({file:'a',id:1,id:2%s});" % MARK), SEMANTIC, begin, "tag folder is missing")
    bad("a sub-folder's id is fetched before protected",
        short("({file:'a',folder:1,protected:no,protected:no%s});" % MARK), SEMANTIC, begin,
        "tag id is missing")
    bad("protected given twice", short("({file:'a',folder:1,id:2,protected:no,%sprotected:no});"
                                       % MARK), SEMANTIC, begin, "tag protected is given twice")
    bad("protected as an exact word", short("({file:'a',folder:1,id:2,protected:%son});" % MARK),
        SYNTAX, begin, "protected takes yes or no; read the word on")
    bad("a sub-folder's folder as a wide string", short("({folder:%s'x',id:2,file:'a'});" % MARK),
        SYNTAX, begin, "folder takes a number; read the wide string 'x'")
    bad("a sub-folder's size", short("({folder:1,id:2,file:'a',%ssize:1});" % MARK), SYNTAX,
        begin, "size is not a tag of a subfolder record")
    bad("an empty sub-folder entry", short("({%s});" % MARK), SYNTAX, begin,
        "expected a tag; read '}'")
    bad("a sub-folder not closed", short("({folder:1,id:2,file:'a'%s]);" % MARK), SYNTAX, begin,
        "expected '}'; read ']'")
    bad("a sub-folder's tags are fetched before its brace is checked",
        short("({folder:1,id:2%s]);" % MARK), SEMANTIC, begin, "tag file is missing")
    bad("a file entry with a marker", short("(%s+[folder:1,id:2,file:'a',size:0]);" % MARK),
        SYNTAX, begin, "expected ')'; read '+'")
    bad("a file entry without size", short("([folder:1,id:2,file:'a'%s]);" % MARK), SEMANTIC,
        begin, "tag size is missing")
    bad("a file entry of key tags only", short("([folder:1,id:2%s]);" % MARK), SEMANTIC, begin,
        "tag size is missing")
    bad("a file entry not closed", short("([folder:1,id:2,file:'a',size:1%s});" % MARK), SYNTAX,
        begin, "expected ']'; read '}'")
    bad("a comma between entries",
        short("({folder:1,id:2,file:'a'}%s,{folder:1,id:3,file:'b'});"
                                         % MARK), SYNTAX, begin + [on_sub_dir(1, 2, "a")],
        "expected ')'; read ','")
    bad("a host record in the listing", short("(%s(id:1));" % MARK), SYNTAX, begin,
        "expected ')'; read '('")
    bad("the listing not closed", short("({folder:1,id:2,file:'a'}%s;" % MARK), SYNTAX,
        begin + [on_sub_dir(1, 2, "a")], "expected ')'; read ';'")
    bad("the end missing after the listing", short("()" + MARK), SYNTAX, begin,
        "expected ';'; read the end of the input")
    bad("an entry fails after the earlier ones are delivered",
        short("({folder:1,id:2,file:'a'}[folder:1,id:3,file:'b',size:1][folder:1,id:4,file:'c',"
              "size:%sx]);" % MARK), SYNTAX,
        begin + [on_sub_dir(1, 2, "a"), on_file("+", 1, 3, "b", 1)],
        "size takes a number; read the string \"x\"")


directory()


# ---------------------------------------------------------------------------------------------
# FIND


def find():
    ok, bad = command("find.jsonl", "FIND", "INPUT")

    def find_in(user, password, keywords, case, rank, freetext, scope, match, exact, max):
        text = header("FIND", "INPUT") + credentials(user, password) + ",\r\n\tkeywords:%s,\r\n\t" \
            "case:%s,rank:%s,freetext:%s,scope:%s,match:%s,exact:%s,max:%d;" % (
                wide(keywords), flag(case), flag(rank), flag(freetext), scope, match, exact, max)
        return text, find_calls(keywords, user, sign(password), max, scope, match, exact, case,
                                rank, freetext)

    for name, args in [
        ("a typical request", (12, PASSWORD, "blue sky", False, True, False, "global", "all",
                               "off", 50)),
        ("every option set", (1, PASSWORD, "x", True, True, True, "friend", "expression", "end",
                              2**32 - 1)),
        ("scope myself, match any, exact begin", (2, PASSWORD, "y", False, False, True, "myself",
                                                  "any", "begin", 1)),
        ("exact on", (3, PASSWORD, "z", True, False, False, "global", "any", "on", 100)),
        ("empty keywords", (MAX64, PASSWORD, "", False, False, False, "global", "any", "off", 7)),
        ("keywords beyond ASCII", (4, PASSWORD, "naïve 'café' \U0001F50E", False, False, False,
                                   "global", "all", "off", 9)),
    ]:
        text, calls = find_in(*args)
        ok(name, text, calls, password=PASSWORD)

    def short(body):
        return "FIND INPUT user:1,pwd:x,keywords:'k'" + body

    ok("only the required tags", short(";"), find_calls("k", 1, "x"), layout=False)
    ok("max 0 reads as 0", short(",max:0;"), find_calls("k", 1, "x", max=0), layout=False)
    for max, low in [(2**32, 0), (2**32 + 5, 5), (MAX64, 2**32 - 1)]:
        ok("max %d keeps its low 32 bits" % max, short(",max:%d;" % max),
           find_calls("k", 1, "x", max=low), layout=False)
    ok("tags in any order", "FIND INPUT scope:friend,max:3,keywords:'k',rank:yes,pwd:x,user:1;",
       find_calls("k", 1, "x", max=3, scope="friend", rank=True), layout=False)
    ok("option words in any case", short(",SCOPE:MySelf,Match:ALL,exact:Begin,CASE:YES,"
                                         "rank:No,freetext:yES;"),
       find_calls("k", 1, "x", scope="myself", match="all", exact="begin", case=True,
                  freetext=True), layout=False)

    everything = find_calls("k", 1, "x")
    bad("match given twice", short(",match:all,%smatch:any;" % MARK), SEMANTIC, [],
        "tag match is given twice")
    for first, second, values in [("match", "exact", ("all", "on")),
                                  ("exact", "case", ("on", "no")),
                                  ("case", "rank", ("no", "no")),
                                  ("rank", "freetext", ("no", "no")),
                                  ("freetext", "scope", ("no", "global"))]:
        bad("%s is fetched before %s" % (first, second),
            short(",{1}:{3},{1}:{3},{0}:{2},{4}{0}:{2};".format(first, second, *values, MARK)),
            SEMANTIC, [], "tag %s is given twice" % first)
    bad("the options are fetched before keywords",
        "FIND INPUT user:1,pwd:x,scope:global,%sscope:global;" % MARK, SEMANTIC, [],
        "tag scope is given twice")
    bad("keywords missing", "FIND INPUT user:1,pwd:x%s;" % MARK, SEMANTIC, [],
        "tag keywords is missing")
    bad("keywords given twice", short(",%skeywords:'l';" % MARK), SEMANTIC, [],
        "tag keywords is given twice")
    bad("pwd missing", "FIND INPUT user:1,keywords:'k'%s;" % MARK, SEMANTIC,
        everything[:1], "tag pwd is missing")
    bad("user given twice", short(",%suser:2;" % MARK), SEMANTIC, everything[:1],
        "tag user is given twice")
    bad("pwd is fetched before user", "FIND INPUT user:1,keywords:'k',user:2%s;" % MARK, SEMANTIC,
        everything[:1], "tag pwd is missing")
    bad("max given twice", short(",max:1,%smax:2;" % MARK), SEMANTIC, everything[:2],
        "tag max is given twice")
    bad("the end is checked after every call", short(MARK + "}"), SYNTAX, everything,
        "expected ';'; read '}'")
    bad("input ends after the tags", short(MARK), SYNTAX, everything,
        "expected ';'; read the end of the input")
    bad("missing keywords are found before the end", "FIND INPUT user:1,pwd:x%s}" % MARK,
        SEMANTIC, [], "tag keywords is missing")
    bad("match as a scope word", short(",match:%sglobal;" % MARK), SYNTAX, [],
        "match takes all, any or expression; read the word global")
    bad("case as an exact word", short(",case:%son;" % MARK), SYNTAX, [],
        "case takes yes or no; read the word on")
    bad("scope as a match word", short(",scope:%sany;" % MARK), SYNTAX, [],
        "scope takes global, myself or friend; read the word any")
    bad("exact as a flag word", short(",exact:%syes;" % MARK), SYNTAX, [],
        "exact takes on, off, begin or end; read the word yes")
    bad("scope as a bare word", short(",scope:%severyone;" % MARK), SYNTAX, [],
        "scope takes global, myself or friend; read the string \"everyone\"")
    bad("max as a wide string", short(",max:%s'5';" % MARK), SYNTAX, [],
        "max takes a number; read the wide string '5'")
    bad("keywords as a narrow string", "FIND INPUT user:1,pwd:x,keywords:%s\"k\";" % MARK, SYNTAX,
        [], "keywords takes a wide string; read the string \"k\"")
    bad("a tag of no request", short(",%shost:'h';" % MARK), SYNTAX, [],
        "host is not a tag of FIND INPUT")
    bad("keywords never closed", "FIND INPUT user:1,pwd:x,keywords:%s'abc;" % MARK, LEX, [],
        "the input ends inside a wide string")

    ok, bad = command("find.jsonl", "FIND", "OUTPUT")

    def find_out(error, hosts):
        """`hosts`: (Host, [File]) pairs."""
        text = header("FIND", "OUTPUT") + "error:%s\r\n\t{" % code(error)
        calls = [on_error(error)]
        for host, files in hosts:
            text += "\r\n\t\t" + host.text()
            calls.append(host.call())
            for record in files:
                text += "\r\n\t\t\t" + record.text()
                calls.append(record.call())
            text += "\r\n\t\t)"
        return text + "\r\n\t};", calls

    for name, error, hosts in [
        ("an empty host list", 0, []),
        ("a host with two files", 0, [
            (Host(42, "pc1", nick="bob", address=["192.0.2.20:80", "198.51.100.7:80"], port=80),
             [File(1, 7, "blue sky.jpg", 5120, keywords="blue sky"), File(2, 3, "sky.png", 900)])]),
        ("two hosts, one with user and nick", 3, [
            (Host(1, "a", user="ann", nick="nn", address=["h:1"], port=1), [File(1, 1, "x", 1)]),
            (Host(2, "", port=0), [File(2, 2, "y", 2, **ALL_TEXTS)])]),
        ("the largest values", -1, [
            (Host(MAX64, "h", address=["%\"'"], port=65535), [File(MAX64, MAX64, "z", MAX64)])]),
        ("names beyond ASCII", -2**31, [
            (Host(5, "Ħøśţ", user="Üser's", nick="\u00e9\u0301", address=["[2001:db8::1]:80"],
                  port=8), [File(3, 4, "\u6587\u4ef6", 5)])]),
    ]:
        ok(name, *find_out(error, hosts))

    def short(body):
        return "FIND OUTPUT error:0{" + body + "};"

    result = on_error(0)
    a_file = "[folder:1,id:2,file:'a',size:3]"
    file_call = on_file("+", 1, 2, "a", 3)
    ok("a host offline", short("(id:1,online:no%s)" % a_file),
       [result, on_host(1, False), file_call], layout=False)
    ok("a host online given", short("(id:1,online:yes%s)" % a_file),
       [result, on_host(1), file_call], layout=False)
    ok("host tags in any order, without host", short("(port:80,nick:'n',id:3%s)" % a_file),
       [result, on_host(3, nick="n", port=80), file_call], layout=False)
    ok("the address split at every separator",
       short("(id:1,address:\"a b\tc\rd\ne,f;g;;\"%s)" % a_file),
       [result, on_host(1, address=list("abcdefg")), file_call], layout=False)
    ok("an address of separators only", short("(id:1,address:\";, ;\"%s)" % a_file),
       [result, on_host(1), file_call], layout=False)
    ok("an escaped separator splits too", short("(id:1,address:\"a%%3Bb%%20c\"%s)" % a_file),
       [result, on_host(1, address=["a", "b", "c"]), file_call], layout=False)
    ok("port 70000 keeps its low 16 bits", short("(id:1,port:70000%s)" % a_file),
       [result, on_host(1, port=4464), file_call], layout=False)
    ok("no blanks", short("(id:1%s%s)(id:2%s)" % (a_file, a_file, a_file)),
       [result, on_host(1), file_call, file_call, on_host(2), file_call], layout=False)

    bad("no result", "FIND OUTPUT %s{};" % MARK, SYNTAX, [], "expected error; read '{'")
    bad("the result as a wide string", "FIND OUTPUT error:%s'0'{};" % MARK, SYNTAX, [],
        "error takes a number; read the wide string '0'")
    bad("the result followed by the end", "FIND OUTPUT error:0%s;" % MARK, SYNTAX, [result],
        "expected '{'; read ';'")
    bad("the result followed by a comma", "FIND OUTPUT error:3%s,{};" % MARK, SYNTAX,
        [on_error(3)], "expected '{'; read ','")
    bad("a host without files", short("(id:1%s)" % MARK), SYNTAX, [result],
        "expected '['; read ')'")
    bad("an empty host", short("(%s)" % MARK), SYNTAX, [result], "expected a tag; read ')'")
    bad("a host without id", short("(host:'h'%s%s)" % (MARK, a_file)), SEMANTIC, [result],
        "tag id is missing")
    bad("id given twice", short("(id:1,%sid:2%s)" % (MARK, a_file)), SEMANTIC, [result],
        "tag id is given twice")
    for first, second, values in [("id", "host", None),
                                  ("host", "port", ("'a'", "1")),
                                  ("port", "user", ("1", "'a'")),
                                  ("user", "nick", ("'a'", "'a'")),
                                  ("nick", "address", ("'a'", '"a"')),
                                  ("address", "online", ('"a"', "no"))]:
        if values is None:
            body = "(host:'a',host:'b'%s%s)" % (MARK, a_file)
        else:
            body = "(id:1,{1}:{3},{1}:{3},{0}:{2},{4}{0}:{2}{5})".format(
                first, second, *values, MARK, a_file)
        reason = "tag id is missing" if values is None else "tag %s is given twice" % first
        bad("%s is fetched before %s" % (first, second), short(body), SEMANTIC, [result], reason)
    bad("online given twice", short("(id:1,online:no,%sonline:no%s)" % (MARK, a_file)),
        SEMANTIC, [result], "tag online is given twice")
    bad("online as a bare word", short("(id:1,online:%smaybe%s)" % (MARK, a_file)), SYNTAX,
        [result], "online takes yes or no; read the string \"maybe\"")
    bad("a host name as a narrow string", short("(id:1,host:%s\"h\"%s)" % (MARK, a_file)),
        SYNTAX, [result], "host takes a wide string; read the string \"h\"")
    bad("the address as a wide string", short("(id:1,address:%s'a'%s)" % (MARK, a_file)),
        SYNTAX, [result], "address takes a string; read the wide string 'a'")
    bad("a file tag among the host's", short("(id:1,%ssize:1%s)" % (MARK, a_file)), SYNTAX,
        [result], "size is not a tag of a host record")
    bad("a marker before the first file", short("(id:1%s+%s)" % (MARK, a_file)), SYNTAX,
        [result], "expected '['; read '+'")
    bad("a marker before a later file", short("(id:1%s%s+%s)" % (a_file, MARK, a_file)), SYNTAX,
        [result, on_host(1), file_call], "expected ')'; read '+'")
    bad("a comma between files", short("(id:1%s%s,%s)" % (a_file, MARK, a_file)), SYNTAX,
        [result, on_host(1), file_call], "expected ')'; read ','")
    bad("a file without size", short("(id:1[folder:1,id:2,file:'a'%s])" % MARK), SEMANTIC,
        [result, on_host(1)], "tag size is missing")
    bad("a file not closed", short("(id:1[folder:1,id:2,file:'a',size:0%s))" % MARK), SYNTAX,
        [result, on_host(1)], "expected ']'; read ')'")
    bad("a file is delivered once the token after it is read",
        "FIND OUTPUT error:0{(id:1%s%s#" % (a_file, MARK), LEX, [result, on_host(1)],
        "'#' starts no token")
    bad("a comma between hosts", short("(id:1%s)%s,(id:2%s)" % (a_file, MARK, a_file)), SYNTAX,
        [result, on_host(1), file_call], "expected '}'; read ','")
    bad("the host list not closed", "FIND OUTPUT error:0{(id:1%s)%s;" % (a_file, MARK), SYNTAX,
        [result, on_host(1), file_call], "expected '}'; read ';'")
    bad("the end missing", "FIND OUTPUT error:0{}" + MARK, SYNTAX, [result],
        "expected ';'; read the end of the input")
    bad("a file in place of a host", short("%s%s" % (MARK, a_file)), SYNTAX, [result],
        "expected '}'; read '['")
    bad("a host fails after the earlier hosts are delivered",
        short("(id:1%s)(port:1%s%s)" % (a_file, MARK, a_file)), SEMANTIC,
        [result, on_host(1), file_call], "tag id is missing")


find()


# ---------------------------------------------------------------------------------------------
# FRIENDS


def friends():
    def friends_text(head, entries):
        text = head + "\r\n\t{"
        for entry in entries:
            text += "\r\n\t\t" + entry.text()
        return text + "\r\n\t\t};", [entry.call() for entry in entries]

    lists = [
        ("an empty list", []),
        ("short entries", [Friend(5), Friend(9)]),
        ("a short and a full entry offline", [
            Friend(5), Friend(9, "pc9", ["192.0.2.9"], 4000, False)]),
        ("a full entry online with two addresses", [
            Friend(6, "pc1", ["192.0.2.20:80", "h:1"], 80, True)]),
        ("a full entry of empty values", [Friend(7, "", [], 0, False)]),
        ("the largest values", [Friend(MAX64, "Ħ'ø", ["x"], 65535, True), Friend(MAX64)]),
    ]
    ok, bad = command("friends.jsonl", "FRIENDS", "INPUT")
    for name, entries in lists:
        text, calls = friends_text(header("FRIENDS", "INPUT") + credentials(12, PASSWORD), entries)
        ok(name, text, [on_user(12, SIG)] + calls, password=PASSWORD)

    user = on_user(1, "x")

    def short(body):
        return "FRIENDS INPUT user:1,pwd:x{" + body + "};"

    ok("no blanks", short("(id:1)(id:2,host:'h',address:\"a;\",port:3,online:no)"),
       [user, on_host(1), on_host(2, False, "h", address=["a"], port=3)], layout=False)
    ok("an entry with user and nick", short("(id:1,user:'u',nick:'n')"),
       [user, on_host(1, nick="n", user="u")], layout=False)
    ok("an entry offline without other tags", short("(id:5,online:no)"),
       [user, on_host(5, False)], layout=False)
    ok("an entry online given", short("(online:yes,id:5)"), [user, on_host(5)], layout=False)
    ok("pwd before user", 'FRIENDS INPUT pwd:"p",user:3{};', [on_user(3, "p")], layout=False)

    bad("the credentials followed by the end", "FRIENDS INPUT user:1,pwd:x%s;" % MARK, SYNTAX,
        [user], "expected '{'; read ';'")
    bad("the credentials followed by an entry", "FRIENDS INPUT user:1,pwd:x%s(id:1)};" % MARK,
        SYNTAX, [user], "expected '{'; read '('")
    bad("pwd missing", "FRIENDS INPUT user:1%s{};" % MARK, SEMANTIC, [], "tag pwd is missing")
    bad("missing credentials are found before the brace is checked",
        "FRIENDS INPUT user:1%s;" % MARK, SEMANTIC, [], "tag pwd is missing")
    bad("user given twice", "FRIENDS INPUT user:1,pwd:x,%suser:1{};" % MARK, SEMANTIC, [],
        "tag user is given twice")
    bad("an entry without id", short("(host:'h'%s)" % MARK), SEMANTIC, [user], "tag id is missing")
    bad("an empty entry", short("(%s)" % MARK), SYNTAX, [user], "expected a tag; read ')'")
    bad("an entry with id twice", short("(id:1,%sid:1)" % MARK), SEMANTIC, [user],
        "tag id is given twice")
    bad("an entry's host is fetched before online",
        short("(id:1,online:no,online:no,host:'a',%shost:'b')" % MARK), SEMANTIC, [user],
        "tag host is given twice")
    bad("an entry is delivered before its parenthesis is checked", short("(id:1%s]" % MARK),
        SYNTAX, [user, on_host(1)], "expected ')'; read ']'")
    bad("an entry with files", short("(id:1%s[folder:1,id:2,file:'a',size:3])" % MARK), SYNTAX,
        [user, on_host(1)], "expected ')'; read '['")
    bad("files after an entry", short("(id:1)%s[folder:1,id:2,file:'a',size:3]" % MARK), SYNTAX,
        [user, on_host(1)], "expected '}'; read '['")
    bad("a comma between entries", short("(id:1)%s,(id:2)" % MARK), SYNTAX, [user, on_host(1)],
        "expected '}'; read ','")
    bad("the list not closed", "FRIENDS INPUT user:1,pwd:x{(id:1)%s;" % MARK, SYNTAX,
        [user, on_host(1)], "expected '}'; read ';'")
    bad("the end missing", "FRIENDS INPUT user:1,pwd:x{}" + MARK, SYNTAX, [user],
        "expected ';'; read the end of the input")
    bad("a file tag in an entry", short("(id:1,%ssize:1)" % MARK), SYNTAX, [user],
        "size is not a tag of a host record")
    bad("an entry's id as a string", short("(id:%s\"1\")" % MARK), SYNTAX, [user],
        "id takes a number; read the string \"1\"")
    bad("an entry fails after the earlier ones are delivered",
        short("(id:1)(id:2,%sid:3)" % MARK), SEMANTIC, [user, on_host(1)], "tag id is given twice")

    ok, bad = command("friends.jsonl", "FRIENDS", "OUTPUT")
    for (name, entries), error in zip(lists, [0, 1, -1, 2**31 - 1, -2**31, 0]):
        text, calls = friends_text(header("FRIENDS", "OUTPUT") + "error:" + code(error), entries)
        ok(name, text, [on_error(error)] + calls)

    result = on_error(0)

    def short(body):
        return "FRIENDS OUTPUT error:0{" + body + "};"

    ok("an entry with user and nick", short("(nick:'n',id:1,user:'u')"),
       [result, on_host(1, nick="n", user="u")], layout=False)
    ok("no blanks", short("(id:1)(id:2)"), [result, on_host(1), on_host(2)], layout=False)

    bad("no result", "FRIENDS OUTPUT %s{};" % MARK, SYNTAX, [], "expected error; read '{'")
    bad("the result as a bare word", "FRIENDS OUTPUT error:%sok{};" % MARK, SYNTAX, [],
        "error takes a number; read the string \"ok\"")
    bad("the brace is checked before the result is delivered", "FRIENDS OUTPUT error:0%s;"
        % MARK, SYNTAX, [], "expected '{'; read ';'")
    bad("the result followed by a comma", "FRIENDS OUTPUT error:0%s,{};" % MARK, SYNTAX, [],
        "expected '{'; read ','")
    bad("an entry without id", short("(port:1%s)" % MARK), SEMANTIC, [result], "tag id is missing")
    bad("an entry not closed", short("(id:1%s}" % MARK), SYNTAX, [result, on_host(1)],
        "expected ')'; read '}'")
    bad("a comma between entries", short("(id:1)%s,(id:2)" % MARK), SYNTAX,
        [result, on_host(1)], "expected '}'; read ','")
    bad("the list not closed", "FRIENDS OUTPUT error:0{(id:1)%s;" % MARK, SYNTAX,
        [result, on_host(1)], "expected '}'; read ';'")
    bad("the end missing", "FRIENDS OUTPUT error:0{}" + MARK, SYNTAX, [result],
        "expected ';'; read the end of the input")
    bad("a second brace", "FRIENDS OUTPUT error:0{}%s};" % MARK, SYNTAX, [result],
        "expected ';'; read '}'")


friends()


# ---------------------------------------------------------------------------------------------
# Tokens: blanks, words, numbers and strings, read through the commands that carry them


def tokens():
    ok, bad = command("tokens.jsonl", "CONNECT", "INPUT")

    def address(inner, value):
        ok("narrow string " + repr(inner)[1:-1],
           "CONNECT INPUT user:1,pwd:x,host:'h',address:\"%s\",port:1;" % inner,
           [on_user(1, "x"), on_connect_in_host(1, value, "h"), on_connect_in_flags()],
           layout=False)

    for inner, value in [
        ("%41", b"A"), ("%4a%4A%7e", b"JJ~"), ("%", b"%"), ("100%", b"100%"), ("%4", b"%4"),
        ("%zz", b"%zz"), ("%%41", b"%A"), ("%00%FF%0D%0A", b"\x00\xff\r\n"),
        ("\x80\xc3\xa9\xff", b"\x80\xc3\xa9\xff"), ("a\r\nb\tc", b"a\r\nb\tc"),
        ("a;b,c d", b"a;b,c d"), ("it's", b"it's"), ("\x00", b"\x00"), ("", b""),
        ("#_.~=!", b"#_.~=!"), ("%22", b'"'),
    ]:
        address(inner, value)

    def host(name, inner, units):
        ok(name, "CONNECT INPUT user:1,pwd:x,host:'%s',address:\"a\",port:1;" % inner,
           [on_user(1, "x"), on_connect_in_host(1, "a", units), on_connect_in_flags()],
           layout=False)

    replacement = "\ufffd"
    for name, inner, units in [
        ("two-, three- and four-byte sequences", utf8("é€😀"), "é€😀"),
        ("C0 A7 is an apostrophe", "\xc0\xa7", "'"),
        ("lone surrogates in three-byte form", "\xed\xb0\x80\xed\xa0\x80", "\udc00\ud800"),
        ("a pair in two three-byte forms", "\xed\xa0\xbd\xed\xb8\x80", "😀"),
        ("a stray continuation byte", "a\x80b", "a" + replacement + "b"),
        ("C1 and its continuation", "\xc1\xbf", replacement * 2),
        ("an overlong NUL", "\xc0\x80", replacement * 2),
        ("an overlong three-byte sequence", "\xe0\x80\x80", replacement * 3),
        ("a truncated sequence before ASCII", "\xe2\x82A", replacement * 2 + "A"),
        ("a truncated sequence at the end", "x\xe2\x82", "x" + replacement * 2),
        ("above U+10FFFF", "\xf4\x90\x80\x80", replacement * 4),
        ("bytes F5 to FF", "\xf5\xf8\xfe\xff", replacement * 4),
        ("a five-byte form", "\xf8\x88\x80\x80\x80", replacement * 5),
        ("the largest code point", "\xf4\x8f\xbf\xbf", "\U0010ffff"),
        ("double quote, line breaks and semicolon", "\"\r\n;", "\"\r\n;"),
        ("a NUL byte", "\x00", "\x00"),
        ("a percent sign", "100%", "100%"),
    ]:
        host("wide string: " + name, inner, units)

    ok("a value word with more letters is a bare string", "CONNECT INPUT user:1,pwd:yess,"
       "host:'h',address:anyway,port:1;",
       [on_user(1, "yess"), on_connect_in_host(1, "anyway", "h"), on_connect_in_flags()],
       layout=False)
    for word, keyword in (("crc", "crc"), ("MAP", "MAP"), ("contents", "CONTENTS")):
        bad("the reserved keyword %s as a value" % word, "CONNECT INPUT user:1,pwd:%s%s;"
            % (MARK, word), SYNTAX, [], "expected a value; read the keyword " + keyword)
    bad("the reserved keyword as a key", "CONNECT INPUT user:1,%sMap:1;" % MARK, SYNTAX, [],
        "MAP is not a tag of CONNECT INPUT")
    for word in ("all", "begin", "no", "friend"):
        bad("the value word %s as a narrow string" % word, "CONNECT INPUT user:1,address:%s%s;"
            % (MARK, word), SYNTAX, [], "address takes a string; read the word " + word)
    bad("a narrow string never closed", "CONNECT INPUT user:1,address:%s\"abc\n;" % MARK, LEX, [],
        "the input ends inside a string")
    bad("a wide string never closed", "CONNECT INPUT user:1,host:%s'abc\n;" % MARK, LEX, [],
        "the input ends inside a wide string")
    bad("lines counted through a narrow string", "CONNECT INPUT user:1,pwd:\"a\nb\",%ssize:1;"
        % MARK, SYNTAX, [], "size is not a tag of CONNECT INPUT")
    bad("lines counted through a wide string", "CONNECT INPUT user:1,host:'a\r\nb\nc',%ssize:1;"
        % MARK, SYNTAX, [], "size is not a tag of CONNECT INPUT")

    ok, bad = command("tokens.jsonl", "ALIVE", "OUTPUT")
    ok("a thousand digits", "ALIVE OUTPUT error:" + "9" * 1000 + ";",
       [on_error(((10**1000 - 1) % 2**32 + 2**31) % 2**32 - 2**31)], layout=False)
    ok("blanks are space, tab, line feed and carriage return",
       " \t\r\n ALIVE \t\r\nOUTPUT\r\n\r\nerror\t:\n0\r;", [on_error(0)], layout=False)
    for name, byte in [("a form feed", "\x0c"), ("a vertical tab", "\x0b"), ("a NUL byte", "\x00"),
                       ("DEL", "\x7f"), ("a byte from 0x80", "\x80"), ("the byte 0xFF", "\xff"),
                       ("the first byte of a UTF-8 letter", "\xc3\xa9"), ("#", "#"), ("_", "_"),
                       (".", "."), ("%", "%"), ("~", "~"), ("=", "="), ("!", "!"), ("/", "/"),
                       ("@", "@"), ("\\", "\\"), ("<", "<"), ("?", "?"), ("&", "&")]:
        shown = "'%s'" % byte if " " < byte < "\x7f" else "byte 0x%02X" % ord(byte[0])
        bad("%s starts no token" % name, "ALIVE OUTPUT error:0%s%s;" % (MARK, byte), LEX, [],
            shown + " starts no token")
    bad("a lexical error before the header", MARK + "#ALIVE OUTPUT error:0;", LEX, [],
        "'#' starts no token")
    bad("a lexical error in place of the key", "ALIVE OUTPUT %s$:0;" % MARK, LEX, [],
        "'$' starts no token")
    bad("a word ends at an underscore", "ALIVE OUTPUT error%s_code:0;" % MARK, LEX, [],
        "'_' starts no token")
    bad("a keyword is no prefix", "ALIVE OUTPUT %serrors:0;" % MARK, SYNTAX, [],
        "expected error; read the string \"errors\"")
    bad("a plus sign is a token", "ALIVE OUTPUT error:%s+5;" % MARK, SYNTAX, [],
        "error takes a number; read '+'")
    bad("a star is a token", "ALIVE OUTPUT error:%s*;" % MARK, SYNTAX, [],
        "error takes a number; read '*'")
    bad("columns count bytes after the last line feed",
        "ALIVE OUTPUT \r\n\terror:0\r\n\t %s#" % MARK, LEX, [], "'#' starts no token")
    bad("an apostrophe opens a wide string", "ALIVE OUTPUT error:0%s'" % MARK, LEX, [],
        "the input ends inside a wide string")
    bad("a double quote opens a narrow string", "ALIVE OUTPUT error:0%s\"" % MARK, LEX, [],
        "the input ends inside a string")


tokens()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="write nothing; exit with status 1 when a file is not up to date")
    args = parser.parse_args()
    folder = pathlib.Path(__file__).resolve().parent
    stale = []
    for name, vectors in sorted(V.files.items()):
        # Grouped by command, requests first, each in the order written here.
        vectors = sorted(vectors, key=lambda v: COMMANDS.index((v["verb"], v["direction"])))
        text = "".join(json.dumps(vector) + "\n" for vector in vectors)
        path = folder / name
        if args.check:
            if not path.exists() or path.read_text(encoding="ascii") != text:
                stale.append(name)
        else:
            path.write_text(text, encoding="ascii")
    if stale:
        print("not up to date: %s; run %s" % (", ".join(stale), sys.argv[0]), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
