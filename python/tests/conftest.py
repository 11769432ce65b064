import pathlib
import tempfile

import pytest
from hypothesis import Phase, settings
from hypothesis.configuration import set_hypothesis_home_dir

import cmds

# No example database in the checkout, no time limit per example on a shared machine, and no
# search for larger examples once the random ones pass: the suite stays within seconds.
settings.register_profile("cmds", database=None, deadline=None,
                          phases=[Phase.explicit, Phase.generate, Phase.shrink])
settings.load_profile("cmds")
# Hypothesis keeps a table of Unicode characters there; the checkout stays clean.
set_hypothesis_home_dir(str(pathlib.Path(tempfile.gettempdir()) / "cmds-hypothesis"))

CHECKOUT = pathlib.Path(__file__).resolve().parents[2]

# The example exchange signs every request with this password.
EXCHANGE_PASSWORD = "secret"


def split_commands(data):
    """The text of each command in data, cut where a Decoder fed one byte at a time ends it."""
    decoder = cmds.Decoder()
    texts = []
    start = 0
    for end in range(1, len(data) + 1):
        if decoder.feed(data[end - 1:end]):
            texts.append(data[start:end])
            start = end
    decoder.finish()
    return texts


def with_password(command, password):
    """The command with each signed "pwd" replaced by the plain password, as encode takes it."""
    calls = []
    for call in command["calls"]:
        call = dict(call)
        if "pwd" in call:
            del call["pwd"]
            call["password"] = password
        calls.append(call)
    return {**command, "calls": calls}


@pytest.fixture(scope="session")
def exchange():
    return (CHECKOUT / "examples" / "exchange.txt").read_bytes()


@pytest.fixture(scope="session")
def exchange_commands(exchange):
    return split_commands(exchange)
