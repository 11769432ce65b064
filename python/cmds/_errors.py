"""The exceptions of the cmds package."""


class CmdError(Exception):
    """Command text could not be read.

    ``code`` tells the kinds apart (0 to 5, as the library numbers them); each kind is a
    subclass. ``offset`` (from 0), ``line`` and ``column`` (from 1, a column being one byte)
    locate the first byte of the token at fault, counted from the first byte the reader was
    given; they are None when the error has no place. ``reason`` says what was expected and
    what was read, ``command`` names the command being read ("FIND OUTPUT") and ``record`` the
    record ("file record 3"), each None when there is none. ``commands`` holds the commands
    completed before the fault that the failing call did not return.
    """

    code = -1

    def __init__(self, message, *, code=None, offset=None, line=None, column=None, reason="",
                 command=None, record=None, commands=()):
        super().__init__(message)
        if code is not None:
            self.code = code
        self.offset = offset
        self.line = line
        self.column = column
        self.reason = reason
        self.command = command
        self.record = record
        self.commands = list(commands)


class CmdLexError(CmdError):
    """Bytes that start no token, a quoted string left open, or a value over its limit."""

    code = 0


class CmdSyntaxError(CmdError):
    """A wrong header, a token out of place, an undeclared tag or a value of the wrong kind."""

    code = 1


class CmdSemanticError(CmdError):
    """A required tag is absent, or a tag occurs twice."""

    code = 2


class CmdRuntimeError(CmdError):
    """A reader was misused: fed after it finished, or from one of its own callbacks."""

    code = 3


class CmdDeadlockError(CmdError):
    """A feed stream waited longer than its time-out."""

    code = 4


class CmdCancelError(CmdError):
    """A feed stream was aborted."""

    code = 5


ERRORS_BY_CODE = (CmdLexError, CmdSyntaxError, CmdSemanticError, CmdRuntimeError,
                  CmdDeadlockError, CmdCancelError)


class EncodeError(ValueError):
    """A command or a call that the generator cannot write; the message says where and why."""


# They are the package's: tracebacks and pickles name them cmds.CmdSyntaxError and so on.
for _error in (CmdError, *ERRORS_BY_CODE, EncodeError):
    _error.__module__ = "cmds"
