// The parts of the extension module, each adding its functions and classes.
#ifndef CMDS_PYTHON_BINDINGS_H
#define CMDS_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

namespace cmds_python {

namespace py = pybind11;

void BindReading(py::module_& module);
void BindEncoding(py::module_& module);
void BindGenerator(py::module_& module);

}  // namespace cmds_python

#endif
