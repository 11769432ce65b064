"""How fast cmds.decode reads the FIND OUTPUT workload of the C++ benchmarks, against json.loads
reading the same content as JSON.

The workload is the one bench/workloads.cpp builds (1,000 hosts of 20 files, drawn from a
64-bit Mersenne Twister seeded with 1), written here through cmds.Generator; its JSON form has
the fields and order of the C++ benchmarks' JSON rows. Each row starts from bytes and delivers
Python objects. The rows take turns, so that a change of load on the machine falls on all alike.

    python3 decode_speed.py [--repetitions N]
"""
import argparse
import hashlib
import json
import statistics
import time

import cmds

ASCII = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_.'"
WIDE = "\u00e9\u00fc\u00f1\u00e7\u0434\u044f\u4e2d\u65e5\u00df\u20ac"
FILE_TEXTS = ("ext", "keywords", "author", "subject", "manager", "company", "comments", "title",
              "category", "creator", "type")
MASK = (1 << 64) - 1


class MersenneTwister64:
    """std::mt19937_64."""

    def __init__(self, seed):
        self.state = [seed & MASK]
        for i in range(1, 312):
            previous = self.state[-1]
            self.state.append((6364136223846793005 * (previous ^ (previous >> 62)) + i) & MASK)
        self.index = 312

    def __call__(self):
        if self.index == 312:
            state = self.state
            for i in range(312):
                x = (state[i] & ~0x7FFFFFFF & MASK) | (state[(i + 1) % 312] & 0x7FFFFFFF)
                state[i] = state[(i + 156) % 312] ^ (x >> 1) ^ (0xB5026F5AA96619E9 if x & 1 else 0)
            self.index = 0
        y = self.state[self.index]
        self.index += 1
        y ^= (y >> 29) & 0x5555555555555555
        y ^= (y << 17) & 0x71D67FFFEDA60000
        y ^= (y << 37) & 0xFFF7EEE000000000
        return y ^ (y >> 43)


class Draw:
    """The draws of bench/workloads.cpp, in the same order."""

    def __init__(self, seed):
        self.rng = MersenneTwister64(seed)

    def below(self, bound):
        return self.rng() % bound

    def between(self, low, high):
        return low + self.below(high - low + 1)

    def one_in(self, n):
        return self.below(n) == 0

    def name(self, low=8, high=40):
        # The length counts 16-bit units: a character beyond the BMP takes two.
        length = self.between(low, high)
        name = []
        units = 0
        while units < length:
            if not self.one_in(20):
                name.append(ASCII[self.below(len(ASCII))])
            elif self.one_in(4) and units + 2 <= length:
                name.append(chr(0x1F300 + self.below(0x300)))
                units += 1
            else:
                name.append(WIDE[self.below(len(WIDE))])
            units += 1
        return "".join(name)

    def size(self):
        bound = 10
        for _ in range(self.below(10)):
            bound *= 10
        return self.below(bound + 1)

    def address(self):
        # GCC evaluates the operands of the C++ concatenation from the last to the first.
        port = self.between(1024, 65535)
        d = self.between(1, 254)
        c = self.below(256)
        b = self.below(256)
        a = self.between(1, 223)
        return f"{a}.{b}.{c}.{d}:{port}"


def make_file(draw):
    record = {"folder": draw.below(100000), "id": draw.below(4000000000), "size": draw.size(),
              "file": draw.name()}
    for _ in range(draw.below(5)):
        key = FILE_TEXTS[draw.below(len(FILE_TEXTS))]
        record[key] = draw.name(3, 4) if key == "ext" else draw.name()
    return record


def find_workload():
    """The error and the hosts, each with its files."""
    draw = Draw(1)
    error = -draw.between(1, 9) if draw.one_in(10) else 0
    hosts = []
    for _ in range(1000):
        host = {"id": draw.below(1000000000), "host": draw.name(), "user": draw.name(),
                "nick": draw.name()}
        host["address"] = [draw.address() for _ in range(draw.between(1, 3))]
        host["port"] = draw.between(1024, 65535)
        hosts.append((host, [make_file(draw) for _ in range(20)]))
    return error, hosts


def command_text(error, hosts):
    out = cmds.Generator()
    out.generate_find_out_begin(error)
    for host, files in hosts:
        address = out.generate_address_vect([a.encode() for a in host["address"]])
        out.generate_host_begin(host["id"], host["host"], host["user"], host["nick"], address,
                                host["port"])
        for record in files:
            out.generate_file(record, True)
        out.generate_host_end()
    out.generate_find_out_end()
    return out.getvalue()


def json_text(error, hosts):
    def file_json(record):
        ordered = {"folder": record["folder"], "id": record["id"], "file": record["file"]}
        ordered.update((k, record[k]) for k in ("ext",) if k in record)
        ordered["size"] = record["size"]
        ordered.update((k, record[k]) for k in FILE_TEXTS[1:] if k in record)
        return ordered

    reply = {"error": error, "hosts": [
        {"id": host["id"], "host": host["host"], "user": host["user"], "nick": host["nick"],
         "address": "".join(a + ";" for a in host["address"]), "port": host["port"],
         "files": [file_json(record) for record in files]}
        for host, files in hosts]}
    return json.dumps(reply, ensure_ascii=False, separators=(",", ":")).encode()


def decoder_in_pieces(text, piece=65536):
    decoder = cmds.Decoder(cmds.ReadLimits.none())
    commands = []
    for start in range(0, len(text), piece):
        commands += decoder.feed(text[start:start + piece])
    decoder.finish()
    return commands


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repetitions", type=int, default=15)
    repetitions = parser.parse_args().repetitions

    error, hosts = find_workload()
    text = command_text(error, hosts)
    as_json = json_text(error, hosts)
    records = len(hosts) + sum(len(files) for _, files in hosts)
    assert len(cmds.decode(text)[0]["calls"]) == records + 1
    print(f"FIND OUTPUT: {records:,} records (hosts and files); command text {len(text):,} "
          f"bytes (SHA-256 {hashlib.sha256(text).hexdigest()[:16]}), JSON {len(as_json):,} bytes")

    rows = {
        "cmds.decode": lambda: cmds.decode(text),
        "cmds.Decoder, 64 KiB pieces": lambda: decoder_in_pieces(text),
        "json.loads": lambda: json.loads(as_json),
    }
    times = {name: [] for name in rows}
    for _ in range(repetitions):
        for name, read in rows.items():
            start = time.perf_counter()
            read()
            times[name].append(time.perf_counter() - start)

    baseline = statistics.median(times["json.loads"])
    print(f"medians of {repetitions} repetitions")
    print(f"| Row | records/s | MB/s of its input | vs json.loads |")
    print(f"|---|---:|---:|---:|")
    for name, measured in times.items():
        seconds = statistics.median(measured)
        size = len(as_json) if name == "json.loads" else len(text)
        print(f"| {name} | {records / seconds:,.0f} | {size / seconds / 1e6:.1f} | "
              f"{baseline / seconds:.2f}x |")


if __name__ == "__main__":
    main()
