import os
import re
import signal
import subprocess
import sys

import pytest

from conftest import CHECKOUT

CLIENT = CHECKOUT / "python" / "examples" / "catalogue_client.py"
SERVER = os.environ.get("CMDS_CATALOGUE_SERVER")


def test_the_guide_shows_the_example_client():
    guide = (CHECKOUT / "docs" / "python.md").read_text(encoding="utf-8")
    assert f"```python\n{CLIENT.read_text(encoding='utf-8')}```" in guide


@pytest.mark.skipif(not SERVER, reason="CMDS_CATALOGUE_SERVER names no catalogue server")
def test_the_example_client_talks_to_the_catalogue_server():
    server = subprocess.Popen([SERVER, "--port", "0", "--seconds", "60"], stdout=subprocess.PIPE,
                              text=True)
    try:
        port = re.fullmatch(r"listening on 127\.0\.0\.1:(\d+)\n", server.stdout.readline())[1]
        client = subprocess.run([sys.executable, str(CLIENT), "--port", port],
                                capture_output=True, text=True, timeout=60)
        assert client.returncode == 0, client.stdout + client.stderr
        assert "FIND: ['harbour.jpg']" in client.stdout
    finally:
        server.send_signal(signal.SIGINT)
        server.wait(timeout=30)
