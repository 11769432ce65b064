// Reading from Python: decode of whole bytes, the Decoder that returns the commands completed by
// each piece, and the Reader that calls a handler's methods as values arrive. All three run the
// push reader with the GIL released.
#include <algorithm>
#include <optional>
#include <utility>

#include "bindings.h"
#include "errors.h"
#include "in_use.h"
#include "tape.h"

namespace cmds_python {

namespace {

// The bytes of a bytes-like object, held (and a bytearray kept from resizing) while they are read
// without the GIL.
class Bytes {
public:
    explicit Bytes(const py::object& data) {
        if (PyObject_GetBuffer(data.ptr(), &view_, PyBUF_SIMPLE) != 0) {
            throw py::error_already_set();
        }
    }
    ~Bytes() { PyBuffer_Release(&view_); }
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;

    const char* Data() const { return static_cast<const char*>(view_.buf); }
    std::size_t Size() const { return static_cast<std::size_t>(view_.len); }

private:
    Py_buffer view_{};
};

constexpr char kReaderInUse[] =
    "the reader is in use: feed and finish cannot overlap, nor be called from a handler";

// Runs `step` without the GIL; a read error comes back for raising with the GIL held.
template <typename Step>
std::optional<cmds::CCmdError> WithoutGil(Step&& step) {
    py::gil_scoped_release release;
    try {
        step();
    } catch (const cmds::CCmdError& error) {
        return error;
    }
    return std::nullopt;
}

// The reader reads this much without the GIL before the calls read are turned into dicts, so
// that the tape stays small however long the input.
constexpr std::size_t kPiece = std::size_t{64} << 10;

// A push reader with the tape it records onto and the commands made of it.
class TapeReader {
public:
    explicit TapeReader(const cmds::CReadLimits& limits) : sink_(tape_), reader_(sink_, limits) {}

    // Reads the bytes; a fault is raised with the commands ended before it, which TakeEnded would
    // have returned, attached.
    void Feed(const Bytes& bytes) {
        std::size_t at = 0;
        do {
            const std::size_t size = std::min(kPiece, bytes.Size() - at);
            const auto fault = WithoutGil([&] { reader_.Feed(bytes.Data() + at, size); });
            Assemble(fault);
            at += size;
        } while (at < bytes.Size());
    }
    void Finish() {
        Assemble(WithoutGil([&] { reader_.Finish(); }));
    }
    py::list TakeEnded() { return assembler_.TakeEnded(); }

    std::uint64_t Consumed() const { return reader_.Consumed(); }
    bool InCommand() const { return reader_.InCommand(); }

private:
    void Assemble(const std::optional<cmds::CCmdError>& fault) {
        assembler_.Take(tape_);
        if (fault) {
            Raise(MakeCmdError(*fault, assembler_.TakeEnded()));
        }
    }

    Tape tape_;
    TapeSink sink_;
    cmds::CPushReader reader_;
    CommandAssembler assembler_;
};

py::list Decode(const py::object& data, const cmds::CReadLimits& limits) {
    const Bytes bytes(data);
    TapeReader reader(limits);
    reader.Feed(bytes);
    reader.Finish();
    return reader.TakeEnded();
}

class Decoder {
public:
    explicit Decoder(const cmds::CReadLimits& limits) : reader_(limits) {}

    py::list Feed(const py::object& data) {
        const InUse use(busy_, kReaderInUse);
        reader_.Feed(Bytes(data));
        return reader_.TakeEnded();
    }
    void Finish() {
        const InUse use(busy_, kReaderInUse);
        reader_.Finish();
    }
    std::uint64_t Consumed() const { return reader_.Consumed(); }
    bool InCommand() const { return reader_.InCommand(); }

private:
    TapeReader reader_;
    bool busy_ = false;
};

// Unwinds the reader's stack after a handler raised; the Python exception is kept aside.
struct HandlerRaised {};

class Reader final : public TapeSink::IObserver {
public:
    Reader(py::object handler, const cmds::CReadLimits& limits)
        : handler_(std::move(handler)), sink_(tape_, this), reader_(sink_, limits) {
        for (int name = kFirstCall; name <= kLastCall; ++name) {
            methods_[name - kFirstCall] = Method(NameText(static_cast<Name>(name)));
        }
        onCommand_ = Method("OnCommand");
        onCommandEnd_ = Method("OnCommandEnd");
    }

    void Feed(const py::object& data) {
        const InUse use(busy_, kReaderInUse);
        const Bytes bytes(data);
        Run([&] { reader_.Feed(bytes.Data(), bytes.Size()); });
    }
    void Finish() {
        const InUse use(busy_, kReaderInUse);
        Run([&] { reader_.Finish(); });
    }
    std::uint64_t Consumed() const { return reader_.Consumed(); }
    bool InCommand() const { return reader_.InCommand(); }

private:
    static constexpr int kCallCount = kLastCall - kFirstCall + 1;

    py::object Method(std::string_view name) const {
        py::object method = py::getattr(handler_, py::str(name.data(), name.size()), py::none());
        return method.is_none() ? py::object() : method;
    }

    template <typename Step>
    void Run(Step&& step) {
        std::optional<cmds::CCmdError> fault;
        bool raised = false;
        {
            py::gil_scoped_release release;
            try {
                step();
            } catch (const cmds::CCmdError& error) {
                fault = error;
            } catch (const HandlerRaised&) {
                raised = true;
            }
            tape_.Clear();
        }
        if (raised) {
            Raise(raisedError_);
        }
        if (fault) {
            Raise(MakeCmdError(*fault, py::list()));
        }
    }

    // Calls `method` with the GIL; what it raises ends the read.
    template <typename Argument>
    void Call(const py::object& method, Argument&& argument) {
        py::gil_scoped_acquire acquire;
        try {
            method(argument());
        } catch (const py::error_already_set& error) {
            raisedError_ = error.value();
            throw HandlerRaised();
        }
    }

    py::dict Header(cmds::eCommand command) const {
        py::dict header;
        header[NameObject(kVerb)] = VerbObject(command);
        header[NameObject(kDirection)] = DirectionObject(command);
        return header;
    }

    void OnCommandBegin(cmds::eCommand command) override {
        if (onCommand_) {
            Call(onCommand_, [&] { return Header(command); });
        }
    }
    void OnCallRecorded(std::size_t call) override {
        const py::object& method = methods_[tape_[call].key - kFirstCall];
        if (method) {
            Call(method, [&] { return tape_.CallAt(call); });
        }
        tape_.Clear();
    }
    void OnCommandEnd(cmds::eCommand command) override {
        tape_.Clear();
        if (onCommandEnd_) {
            Call(onCommandEnd_, [&] { return Header(command); });
        }
    }

    py::object handler_;
    py::object methods_[kCallCount];
    py::object onCommand_;
    py::object onCommandEnd_;
    Tape tape_;
    TapeSink sink_;
    cmds::CPushReader reader_;
    bool busy_ = false;
    // What a handler raised; raised again by every later feed and finish.
    py::object raisedError_;
};

}  // namespace

void BindReading(py::module_& module) {
    py::class_<cmds::CReadLimits>(module, "ReadLimits", R"(Limits on what one reader accepts.

A limit of 0 means no limit. Exceeding max_value_bytes (the bytes of one value as written) is a
CmdLexError; exceeding max_tags_per_list (tags in the head of a command or in one record) or
max_records_per_command (records in one command, nested ones included) is a CmdSyntaxError.)")
        .def(py::init([](std::size_t maxValueBytes, std::size_t maxTagsPerList,
                         std::size_t maxRecordsPerCommand) {
                 return cmds::CReadLimits{maxValueBytes, maxTagsPerList, maxRecordsPerCommand};
             }),
             py::kw_only(), py::arg("max_value_bytes") = 0, py::arg("max_tags_per_list") = 0,
             py::arg("max_records_per_command") = 0)
        .def_readwrite("max_value_bytes", &cmds::CReadLimits::maxValueBytes)
        .def_readwrite("max_tags_per_list", &cmds::CReadLimits::maxTagsPerList)
        .def_readwrite("max_records_per_command", &cmds::CReadLimits::maxRecordsPerCommand)
        .def_static("none", &cmds::CReadLimits::None, "No limit at all: what decode uses.")
        .def_static("for_untrusted_input", &cmds::CReadLimits::ForUntrustedInput,
                    "1 MiB values, 1024 tags per list, 10 million records per command: what "
                    "Decoder and Reader use unless told otherwise.")
        .def("__eq__",
             [](const cmds::CReadLimits& a, const cmds::CReadLimits& b) {
                 return a.maxValueBytes == b.maxValueBytes &&
                        a.maxTagsPerList == b.maxTagsPerList &&
                        a.maxRecordsPerCommand == b.maxRecordsPerCommand;
             })
        .def("__repr__", [](const cmds::CReadLimits& limits) {
            return "ReadLimits(max_value_bytes=" + std::to_string(limits.maxValueBytes) +
                   ", max_tags_per_list=" + std::to_string(limits.maxTagsPerList) +
                   ", max_records_per_command=" + std::to_string(limits.maxRecordsPerCommand) + ")";
        });

    module.def("decode", &Decode, py::arg("data"), py::arg("limits") = cmds::CReadLimits::None(),
               R"(Reads every command in data (a bytes-like object).

Returns one dict per command: {"verb": "FIND", "direction": "OUTPUT", "calls": [...]}, where each
call is a dict with its name under "call" and its values under the names of the cmds tool's JSON
form. Blanks after the last command are allowed. Raises the CmdError subclass of the first fault,
whose commands attribute holds the commands before it.)");

    py::class_<Decoder>(module, "Decoder",
                        R"(Reads commands from bytes handed over in pieces of any size.

feed returns the commands that the piece completed; a command's values are held until its ";"
arrives. A reader that failed raises the same error again on every later call.)")
        .def(py::init<const cmds::CReadLimits&>(),
             py::arg("limits") = cmds::CReadLimits::ForUntrustedInput())
        .def("feed", &Decoder::Feed, py::arg("data"),
             "Reads the bytes as far as they go; returns the commands they completed.")
        .def("finish", &Decoder::Finish,
             "No more bytes come: raises if a command was left unfinished.")
        .def_property_readonly("consumed", &Decoder::Consumed,
                               "Bytes read so far; after a fault, those read up to it.")
        .def_property_readonly("in_command", &Decoder::InCommand,
                               "Whether a command has begun and not yet ended.");

    py::class_<Reader>(
        module, "Reader",
        R"(Reads commands from bytes handed over in pieces, calling a handler as values arrive.

For each call the handler's method of that name (OnUser, OnError, OnFile, OnHost, ...) is called
with the call's dict, as decode would list it, as soon as its values are read; OnCommand and
OnCommandEnd get {"verb": ..., "direction": ...} when a command's header and its ";" are read.
Methods the handler lacks are skipped; they are looked up once, when the reader is made. Nothing
of a command is held beyond the record being read, so commands of any size can be followed. What a
method raises ends the read and comes out of feed or finish. Handlers run on the reader's own
stack of 1 MiB, so deep recursion in them is to be avoided.)")
        .def(py::init<py::object, const cmds::CReadLimits&>(), py::arg("handler"),
             py::arg("limits") = cmds::CReadLimits::ForUntrustedInput())
        .def("feed", &Reader::Feed, py::arg("data"),
             "Reads the bytes as far as they go, calling the handler.")
        .def("finish", &Reader::Finish,
             "No more bytes come: raises if a command was left unfinished.")
        .def_property_readonly("consumed", &Reader::Consumed,
                               "Bytes read so far; after a fault, those read up to it.")
        .def_property_readonly("in_command", &Reader::InCommand,
                               "Whether a command has begun and not yet ended.");
}

}  // namespace cmds_python
