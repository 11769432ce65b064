#include "errors.h"

#include <string>

namespace cmds_python {

namespace {

// Kept for the life of the process, like the interned names.
PyObject* cmdError = nullptr;
PyObject* errorsByCode = nullptr;
PyObject* encodeError = nullptr;

py::object Located(std::size_t value, bool located) {
    return located ? py::object(py::int_(value)) : py::none();
}

py::object TextOrNone(const char* text) {
    return text[0] != '\0' ? py::object(py::str(text)) : py::none();
}

}  // namespace

void LoadErrors() {
    const py::module_ errors = py::module_::import("cmds._errors");
    cmdError = py::object(errors.attr("CmdError")).release().ptr();
    errorsByCode = py::object(errors.attr("ERRORS_BY_CODE")).release().ptr();
    encodeError = py::object(errors.attr("EncodeError")).release().ptr();
    py::register_exception_translator([](std::exception_ptr pending) {
        try {
            if (pending) {
                std::rethrow_exception(pending);
            }
        } catch (const EncodeFailure& failure) {
            PyErr_SetString(encodeError, failure.what());
        }
    });
}

py::object MakeCmdError(const cmds::CCmdError& error, const py::list& commands) {
    const py::tuple byCode = py::reinterpret_borrow<py::tuple>(errorsByCode);
    const bool known = error.code >= 0 && static_cast<std::size_t>(error.code) < byCode.size();
    const py::object type = known ? byCode[static_cast<std::size_t>(error.code)]
                                  : py::reinterpret_borrow<py::object>(cmdError);
    const bool located = error.Located();
    const cmds::CTextPosition position = error.Position();
    const std::int32_t command = error.Command();
    using namespace py::literals;
    return type(cmds::DescribeError(error), "code"_a = error.code,
                "offset"_a = Located(position.offset, located),
                "line"_a = Located(position.line, located),
                "column"_a = Located(position.column, located), "reason"_a = error.Reason(),
                "command"_a = command >= 0 && command < cmds::kCommandCount
                                  ? py::object(py::str(cmds::kCommands[command].name))
                                  : py::none(),
                "record"_a = TextOrNone(error.Record()), "commands"_a = commands);
}

void Raise(const py::object& exception) {
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
}

}  // namespace cmds_python
