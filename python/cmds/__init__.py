"""Reads and writes the cmds command language: decode, encode, streaming readers and the
generator."""

from ._cmds import (Decoder, Generator, Reader, ReadLimits, decode, encode, generate_connect_in,
                    generate_connect_out, generate_friend_in, sign_password)
from ._errors import (CmdCancelError, CmdDeadlockError, CmdError, CmdLexError, CmdRuntimeError,
                      CmdSemanticError, CmdSyntaxError, EncodeError)

__all__ = [
    "CmdCancelError", "CmdDeadlockError", "CmdError", "CmdLexError", "CmdRuntimeError",
    "CmdSemanticError", "CmdSyntaxError", "Decoder", "EncodeError", "Generator", "ReadLimits",
    "Reader", "decode", "encode", "generate_connect_in", "generate_connect_out",
    "generate_friend_in", "sign_password",
]
