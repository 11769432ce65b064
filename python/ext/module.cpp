// The extension module cmds._cmds; the package cmds re-exports what it defines.
#include <pybind11/pybind11.h>

#include "bindings.h"
#include "errors.h"
#include "values.h"

PYBIND11_MODULE(_cmds, module) {
    module.doc() = "Reads and writes the cmds command language.";
    cmds_python::MakeNames();
    cmds_python::LoadErrors();
    cmds_python::BindReading(module);
    cmds_python::BindEncoding(module);
    cmds_python::BindGenerator(module);
}
