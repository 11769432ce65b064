"""An asyncio client of the catalogue server (examples/sockets/catalogue_server).

It connects, shares two files, searches for one of them and disconnects, reading each reply with
a cmds.Decoder as its bytes arrive. Exits with 0 when the server answered as expected.

    python3 catalogue_client.py --port PORT
"""
import argparse
import asyncio
import sys

import cmds

USER = 9000
PASSWORD = "correct horse"


class Session:
    """One connection: sends a request, then feeds what arrives to a Decoder until the reply is
    complete."""

    def __init__(self, reader, writer):
        self.reader = reader
        self.writer = writer
        self.decoder = cmds.Decoder()
        self.replies = []

    async def ask(self, request):
        self.writer.write(request)
        await self.writer.drain()
        while not self.replies:
            data = await self.reader.read(65536)
            if not data:
                self.decoder.finish()
                raise ConnectionError("the server closed the connection")
            self.replies += self.decoder.feed(data)
        return self.replies.pop(0)


def result(reply):
    return reply["calls"][0]["error"]


async def run(port):
    reader, writer = await asyncio.open_connection("127.0.0.1", port)
    session = Session(reader, writer)

    connected = await session.ask(cmds.generate_connect_in(
        USER, PASSWORD, b"127.0.0.1", 6100, "asyncio client", True, False, False))
    print("CONNECT:", result(connected))

    share = cmds.Generator()
    share.generate_share_in_begin(USER, PASSWORD)
    for file_id, name, keywords in ((1, "harbour.jpg", "boats sea"), (2, "notes.txt", "lists")):
        share.generate_file("+", {"folder": 0, "id": file_id, "file": name, "size": 1000 * file_id,
                                  "keywords": keywords})
    share.generate_share_in_end()
    shared = await session.ask(share.getvalue())
    print("SHARE:", [(c["id"], c["error"]) for c in shared["calls"][1:]])

    # A request can also be given in decode's form; encode signs the plain password.
    found = await session.ask(cmds.encode([{"verb": "FIND", "direction": "INPUT", "calls": [
        {"call": "OnKeywords", "keywords": "sea"},
        {"call": "OnUser", "user": USER, "password": PASSWORD},
        {"call": "OnMax", "max": 10}, {"call": "OnScope", "scope": "myself"},
        {"call": "OnMatch"}, {"call": "OnExact"}, {"call": "OnCase"}, {"call": "OnRank"},
        {"call": "OnFreetext"}]}]))
    names = [c["file"] for c in found["calls"] if c["call"] == "OnFile"]
    print("FIND:", names)

    bye = cmds.Generator()
    bye.generate_disconnect_in(USER, PASSWORD)
    disconnected = await session.ask(bye.getvalue())
    print("DISCONNECT:", result(disconnected))
    writer.close()
    await writer.wait_closed()

    return (result(connected), result(shared), names, result(disconnected)) == (
        0, 0, ["harbour.jpg"], 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, required=True)
    ok = asyncio.run(asyncio.wait_for(run(parser.parse_args().port), timeout=30))
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
