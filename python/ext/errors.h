// The Python exceptions of the package, defined in cmds/_errors.py, raised from C++.
#ifndef CMDS_PYTHON_ERRORS_H
#define CMDS_PYTHON_ERRORS_H

#include <pybind11/pybind11.h>

#include <stdexcept>

#include "cmds/cmds.h"

namespace cmds_python {

namespace py = pybind11;

// A command or call that the generator cannot write; raised in Python as cmds.EncodeError.
class EncodeFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Imports the exception classes and has EncodeFailure translated.
void LoadErrors();

// The CmdError subclass of `error`'s code, with its place and reason, carrying `commands`.
py::object MakeCmdError(const cmds::CCmdError& error, const py::list& commands);
[[noreturn]] void Raise(const py::object& exception);

}  // namespace cmds_python

#endif
