// Commands given as Python dicts, in the form decode returns, written through the generator by
// the rules of the cmds tool's encode.
#ifndef CMDS_PYTHON_ENCODING_H
#define CMDS_PYTHON_ENCODING_H

#include <pybind11/pybind11.h>

#include <string>

#include "cmds/cmds.h"
#include "values.h"

namespace cmds_python {

namespace py = pybind11;

// Writes the command that `command` describes; a request's OnUser takes the plain "password" (a
// str), which the generator signs. Throws EncodeFailure.
void EncodeCommand(const py::handle& command, cmds::CGenerator& out);

// The fields of a file record or a sub-folder entry given as a dict with the names of the OnFile
// and OnSubDir calls; `where` starts the message of an EncodeFailure.
cmds::CFileInfo FileRecordFrom(const py::handle& record, const std::string& where);
cmds::CSubDirInfo SubDirFrom(const py::handle& entry, const std::string& where);
// A FIND request given as a dict with the fields of the calls of FIND INPUT and "password".
cmds::CFindIn FindRequestFrom(const py::handle& request, const std::string& where);
// The value of a word of `kind` ("+", "any", "off", "global", ...); `where` names the argument.
std::size_t WordFrom(const py::handle& word, WordKind kind, const std::string& where);

}  // namespace cmds_python

#endif
