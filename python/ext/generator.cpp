// The generator from Python: every writer of CGenerator, in snake_case, writing into memory or
// into a binary file object.
#include <pybind11/stl.h>

#include <streambuf>
#include <string>
#include <vector>

#include "bindings.h"
#include "encoding.h"
#include "errors.h"
#include "in_use.h"
#include "values.h"

namespace pybind11::detail {

// A result code is any 32-bit signed int.
template <>
struct type_caster<tagERROR_CODE> {
    PYBIND11_TYPE_CASTER(tagERROR_CODE, const_name("int"));

    bool load(handle source, bool convert) {
        make_caster<std::int32_t> code;
        if (PyBool_Check(source.ptr()) || !code.load(source, convert)) {
            return false;
        }
        value = static_cast<tagERROR_CODE>(cast_op<std::int32_t>(code));
        return true;
    }
    static handle cast(tagERROR_CODE code, return_value_policy, handle) {
        return PyLong_FromLong(code);
    }
};

// The words of an option or a file kind, as decode gives them; `Role` names the argument in
// errors.
template <typename Enum, cmds_python::WordKind Kind, int First, const char* Role>
struct word_caster {
    PYBIND11_TYPE_CASTER(Enum, const_name("str"));

    bool load(handle source, bool) {
        if (!PyUnicode_Check(source.ptr())) {
            return false;
        }
        value = static_cast<Enum>(cmds_python::WordFrom(source, Kind, Role) + First);
        return true;
    }
    static handle cast(Enum word, return_value_policy, handle) {
        handle object = cmds_python::WordObject(Kind, static_cast<std::size_t>(word - First));
        return object.inc_ref();
    }
};
inline constexpr char kMatchRole[] = "match";
inline constexpr char kExactRole[] = "exact";
inline constexpr char kScopeRole[] = "scope";
inline constexpr char kKindRole[] = "kind";
template <>
struct type_caster<cmds::eMatch>
    : word_caster<cmds::eMatch, cmds_python::WordKind::kMatch, 0, kMatchRole> {};
template <>
struct type_caster<cmds::eExact>
    : word_caster<cmds::eExact, cmds_python::WordKind::kExact, 0, kExactRole> {};
template <>
struct type_caster<cmds::eScope>
    : word_caster<cmds::eScope, cmds_python::WordKind::kScope, 0, kScopeRole> {};
template <>
struct type_caster<cmds::FILE_TYPE_ENUM>
    : word_caster<cmds::FILE_TYPE_ENUM, cmds_python::WordKind::kFileKind, cmds::FILE_PLUS,
                  kKindRole> {};

// Records given as dicts with the field names of their calls.
template <typename Record, Record (*From)(const handle&, const std::string&)>
struct dict_caster {
    PYBIND11_TYPE_CASTER(Record, const_name("dict"));

    bool load(handle source, bool) {
        if (!PyDict_Check(source.ptr())) {
            return false;
        }
        value = From(source, "the record");
        return true;
    }
};
template <>
struct type_caster<cmds::CFileInfo> : dict_caster<cmds::CFileInfo, cmds_python::FileRecordFrom> {};
template <>
struct type_caster<cmds::CSubDirInfo> : dict_caster<cmds::CSubDirInfo, cmds_python::SubDirFrom> {};
template <>
struct type_caster<cmds::CFindIn> : dict_caster<cmds::CFindIn, cmds_python::FindRequestFrom> {};

}  // namespace pybind11::detail

namespace cmds_python {

namespace {

// Where the generator's text goes: kept in memory, or handed to a file object's write as each
// writer finishes (the generator hands over a whole writer's text in one piece). Writers are
// called from Python, so the GIL is held here.
class Output final : public std::streambuf {
public:
    Output() = default;
    explicit Output(py::object file) : write_(file.attr("write")) {}

    bool ToFile() const { return static_cast<bool>(write_); }
    const std::string& Text() const { return text_; }
    void Reset() {
        text_.clear();
        written_ = 0;
    }
    // What the file's write raised, once.
    py::object TakeFailure() { return std::move(failure_); }

protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override {
        if (!ToFile()) {
            text_.append(data, static_cast<std::size_t>(size));
        } else if (!WriteToFile(std::string_view(data, static_cast<std::size_t>(size)))) {
            return 0;
        }
        written_ += size;
        return size;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                     std::ios_base::openmode) override {
        if (offset != 0 || direction != std::ios_base::cur) {
            return pos_type(off_type(-1));
        }
        return pos_type(written_);
    }

private:
    // A raw file may take part of the bytes; the rest is written again.
    bool WriteToFile(std::string_view bytes) {
        try {
            while (!bytes.empty()) {
                const py::object taken = write_(py::bytes(bytes.data(), bytes.size()));
                const std::size_t count = taken.is_none() ? 0 : taken.cast<std::size_t>();
                if (count == 0) {
                    failure_ = py::reinterpret_steal<py::object>(
                        PyObject_CallFunction(PyExc_OSError, "s", "the file took no bytes"));
                    return false;
                }
                bytes.remove_prefix(std::min(count, bytes.size()));
            }
        } catch (const py::error_already_set& error) {
            failure_ = error.value();
            return false;
        } catch (const py::cast_error&) {
            failure_ = py::reinterpret_steal<py::object>(PyObject_CallFunction(
                PyExc_TypeError, "s", "the file's write returned no byte count"));
            return false;
        }
        return true;
    }

    py::object write_;
    py::object failure_;
    std::string text_;
    std::streamsize written_ = 0;
};

class Generator {
public:
    Generator() : stream_(&output_), generator_(stream_) {}
    explicit Generator(py::object file)
        : output_(std::move(file)), stream_(&output_), generator_(stream_) {}

    // Runs one writer; raises what the file's write raised. The file's write may release the GIL,
    // and the C++ generator takes one caller at a time.
    template <typename Write>
    void Run(Write&& write) {
        const InUse use(busy_,
                        "the generator is in use: a writer was called while another was writing");
        if (!stream_.good()) {
            throw py::value_error("an earlier write to the file failed; make a new generator");
        }
        write(generator_);
        if (py::object failure = output_.TakeFailure()) {
            Raise(failure);
        }
    }

    std::uint32_t GetLength() const { return generator_.GetLength(); }
    py::bytes GetValue() const { return py::bytes(InMemory().Text()); }
    std::size_t GetSize() const { return InMemory().Text().size(); }
    void Reset() {
        InMemory();
        output_.Reset();
        stream_.clear();
    }
    void Encode(const py::handle& command) {
        // Each command is written whole or not at all.
        cmds::CStrStmGenerator scratch;
        EncodeCommand(command, scratch);
        const std::string text = scratch.str();
        Run([&](cmds::CGenerator&) {
            stream_.write(text.data(), static_cast<std::streamsize>(text.size()));
        });
    }

private:
    const Output& InMemory() const {
        if (output_.ToFile()) {
            throw py::value_error("the generator writes to a file");
        }
        return output_;
    }

    Output output_;
    std::ostream stream_;
    cmds::CGenerator generator_;
    bool busy_ = false;
};

// A binding of `method` that writes through the generator.
template <typename... Args>
auto Writer(void (cmds::CGenerator::*method)(Args...)) {
    return [method](Generator& self, Args... args) {
        self.Run([&](cmds::CGenerator& out) { (out.*method)(args...); });
    };
}

// A binding of a function that returns command text, returning bytes.
template <typename... Args>
auto Text(std::string (*function)(Args...)) {
    return [function](Args... args) { return py::bytes(function(args...)); };
}

}  // namespace

void BindGenerator(py::module_& module) {
    using G = cmds::CGenerator;
    using py::arg;
    py::class_<Generator>(
        module, "Generator",
        R"(Writes commands, byte for byte, into memory or into a binary file object.

Generator() keeps the text in memory (getvalue, get_size, reset); Generator(file) hands each
writer's text to file.write in one piece. The writers are those of the C++ CGenerator in
snake_case: generate_connect_in for GenerateConnectIn, generate_un_share_in for GenerateUnShareIn.
Wide strings are str, narrow ones bytes (a str is taken as its UTF-8), result codes 32-bit signed
ints, file kinds "+", "-" or "*", search options their words ("any", "off", "global", ...).
Records are dicts with the field names of their calls in decode's form. Writers make no checks:
they write what they are given, as the C++ ones do.)")
        .def(py::init<>())
        .def(py::init<py::object>(), arg("file"))
        .def("get_length", &Generator::GetLength,
             "Bytes written so far; 4294967295 after the stream failed.")
        .def("getvalue", &Generator::GetValue,
             "The text written since construction or the last reset (in memory only).")
        .def("get_size", &Generator::GetSize, "The size of that text (in memory only).")
        .def("reset", &Generator::Reset, "Empties the text (in memory only).")
        .def("encode", &Generator::Encode, arg("command"),
             "Writes one command given as a dict, by the rules of cmds.encode.")
        .def("generate_connect_in", Writer(&G::GenerateConnectIn), arg("user"), arg("pwd"),
             arg("address"), arg("port"), arg("host"), arg("browsable"), arg("httpproxy"),
             arg("socksproxy"))
        .def("generate_connect_out", Writer(&G::GenerateConnectOut), arg("error"), arg("file"))
        .def("generate_disconnect_in", Writer(&G::GenerateDisconnectIn), arg("user"), arg("pwd"))
        .def("generate_disconnect_out", Writer(&G::GenerateDisconnectOut), arg("error"))
        .def("generate_alive_in", Writer(&G::GenerateAliveIn), arg("user"), arg("pwd"))
        .def("generate_alive_out", Writer(&G::GenerateAliveOut), arg("error"))
        .def("generate_file",
             Writer(static_cast<void (G::*)(const cmds::CFileInfo&, bool)>(&G::GenerateFile)),
             arg("record"), arg("indent"), "A record without a marker.")
        .def("generate_file",
             Writer(static_cast<void (G::*)(cmds::FILE_TYPE_ENUM, const cmds::CFileInfo&)>(
                 &G::GenerateFile)),
             arg("kind"), arg("record"), "A record with its marker; key-only unless \"+\".")
        .def("generate_share_in_begin", Writer(&G::GenerateShareInBegin), arg("user"), arg("pwd"))
        .def("generate_share_in_end", Writer(&G::GenerateShareInEnd))
        .def("generate_share_out_begin", Writer(&G::GenerateShareOutBegin), arg("error"))
        .def("generate_share_out_file", Writer(&G::GenerateShareOutFile), arg("error"), arg("id"),
             arg("folder"))
        .def("generate_share_out_end", Writer(&G::GenerateShareOutEnd))
        .def("generate_un_share_in", Writer(&G::GenerateUnShareIn), arg("user"), arg("pwd"),
             arg("folder"))
        .def("generate_un_share_out", Writer(&G::GenerateUnShareOut), arg("error"))
        .def("generate_share_dir_in", Writer(&G::GenerateShareDirIn), arg("user"), arg("pwd"),
             arg("folder"))
        .def("generate_share_dir_out", Writer(&G::GenerateShareDirOut), arg("error"), arg("folder"))
        .def("generate_directory_begin", Writer(&G::GenerateDirectoryBegin), arg("error"),
             arg("folder"), arg("id"))
        .def("generate_sub_dir",
             Writer(
                 static_cast<void (G::*)(std::uint64_t, std::uint64_t, const cmds::wstring&, bool)>(
                     &G::GenerateSubDir)),
             arg("folder"), arg("id"), arg("file"), arg("is_protected"))
        .def("generate_sub_dir",
             Writer(static_cast<void (G::*)(const cmds::CSubDirInfo&)>(&G::GenerateSubDir)),
             arg("entry"))
        .def("generate_directory_end", Writer(&G::GenerateDirectoryEnd))
        .def("generate_host_begin", Writer(&G::GenerateHostBegin), arg("id"), arg("host"),
             arg("user"), arg("nick"), arg("address"), arg("port"),
             "address is the text of the address tag, as generate_address_vect makes it.")
        .def("generate_host_end", Writer(&G::GenerateHostEnd))
        .def(
            "generate_address_vect",
            [](Generator& self, const std::vector<std::string>& addresses) {
                std::string text;
                self.Run([&](G& out) { out.GenerateAddressVect(addresses, text); });
                return py::bytes(text);
            },
            arg("addresses"), "The address tag's text: each address followed by \";\".")
        .def("generate_find_in",
             Writer(static_cast<void (G::*)(const cmds::CFindIn&)>(&G::GenerateFindIn)),
             arg("request"),
             "The request as a dict: user, password (plain), keywords, max, scope, match, exact, "
             "case, rank, freetext.")
        .def("generate_find_in",
             Writer(
                 static_cast<void (G::*)(std::uint64_t, const cmds::wstring&, const cmds::wstring&,
                                         cmds::eExact, cmds::eMatch, bool, bool, bool, cmds::eScope,
                                         std::uint32_t)>(&G::GenerateFindIn)),
             arg("user"), arg("pwd"), arg("keywords"), arg("exact"), arg("match"), arg("is_case"),
             arg("rank"), arg("freetext"), arg("scope"), arg("max"))
        .def("generate_find_out_begin", Writer(&G::GenerateFindOutBegin), arg("error"))
        .def("generate_find_out_end", Writer(&G::GenerateFindOutEnd))
        .def("generate_friends_in_begin", Writer(&G::GenerateFriendsInBegin), arg("user"),
             arg("pwd"))
        .def("generate_friend", Writer(static_cast<void (G::*)(std::uint64_t)>(&G::GenerateFriend)),
             arg("id"))
        .def("generate_friend",
             Writer(static_cast<void (G::*)(std::uint64_t, const cmds::wstring&, const std::string&,
                                            unsigned short, bool)>(&G::GenerateFriend)),
             arg("id"), arg("host"), arg("address"), arg("port"), arg("online"))
        .def("generate_friends_in_end", Writer(&G::GenerateFriendsInEnd))
        .def("generate_friends_out_begin", Writer(&G::GenerateFriendsOutBegin), arg("error"))
        .def("generate_friends_out_end", Writer(&G::GenerateFriendsOutEnd));

    module.def("generate_connect_in", Text(&cmds::GenerateConnectIn), arg("user"), arg("pwd"),
               arg("address"), arg("port"), arg("host"), arg("browsable"), arg("httpproxy"),
               arg("socksproxy"), "A whole CONNECT INPUT command.");
    module.def("generate_connect_out", Text(&cmds::GenerateConnectOut), arg("error"), arg("file"),
               "A whole CONNECT OUTPUT command.");
    module.def("generate_friend_in",
               Text(static_cast<std::string (*)(std::uint64_t, const cmds::wstring&,
                                                const std::vector<std::uint64_t>&)>(
                   &cmds::GenerateFriendIn)),
               arg("user"), arg("pwd"), arg("ids"),
               "A whole FRIENDS request with one short entry per id.");
    module.def(
        "generate_friend_in",
        Text(static_cast<std::string (*)(std::uint64_t, const cmds::wstring&, std::uint64_t)>(
            &cmds::GenerateFriendIn)),
        arg("user"), arg("pwd"), arg("id"));
    module.def(
        "sign_password",
        [](const cmds::wstring& password) { return py::bytes(SignUserPwd(password)); },
        arg("password"), "The signed form of a password, as a request's \"pwd\" carries it.");
}

}  // namespace cmds_python
