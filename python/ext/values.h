// How the values of the command language appear in Python: narrow strings as bytes, wide strings
// as str (an unpaired surrogate as that lone code point), numbers as int, flags as bool, and the
// words of a file kind or a search option as str.
#ifndef CMDS_PYTHON_VALUES_H
#define CMDS_PYTHON_VALUES_H

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cmds/cmds.h"

namespace cmds_python {

namespace py = pybind11;

// Every text the binding puts into dicts, made once as interned Python strings, so that building a
// dict neither allocates nor hashes its keys. X(Enumerator, "text").
#define CMDS_PYTHON_NAMES(X)                \
    X(Verb, "verb")                         \
    X(Direction, "direction")               \
    X(Calls, "calls")                       \
    X(Call, "call")                         \
    X(User, "user")                         \
    X(Pwd, "pwd")                           \
    X(Password, "password")                 \
    X(Error, "error")                       \
    X(Kind, "kind")                         \
    X(Folder, "folder")                     \
    X(Id, "id")                             \
    X(File, "file")                         \
    X(Size, "size")                         \
    X(Ext, "ext")                           \
    X(Keywords, "keywords")                 \
    X(Author, "author")                     \
    X(Subject, "subject")                   \
    X(Manager, "manager")                   \
    X(Company, "company")                   \
    X(Comments, "comments")                 \
    X(Title, "title")                       \
    X(Category, "category")                 \
    X(Creator, "creator")                   \
    X(Type, "type")                         \
    X(Online, "online")                     \
    X(Host, "host")                         \
    X(Nick, "nick")                         \
    X(Address, "address")                   \
    X(Port, "port")                         \
    X(Browsable, "browsable")               \
    X(Httpproxy, "httpproxy")               \
    X(Socksproxy, "socksproxy")             \
    X(Protected, "protected")               \
    X(Max, "max")                           \
    X(Scope, "scope")                       \
    X(Match, "match")                       \
    X(Exact, "exact")                       \
    X(Case, "case")                         \
    X(Rank, "rank")                         \
    X(Freetext, "freetext")                 \
    X(OnUser, "OnUser")                     \
    X(OnError, "OnError")                   \
    X(OnFile, "OnFile")                     \
    X(OnHost, "OnHost")                     \
    X(OnConnectInHost, "OnConnectInHost")   \
    X(OnConnectInFlags, "OnConnectInFlags") \
    X(OnConnectOut, "OnConnectOut")         \
    X(OnShareOutFile, "OnShareOutFile")     \
    X(OnUnShareIn, "OnUnShareIn")           \
    X(OnShareDirIn, "OnShareDirIn")         \
    X(OnShareDirOut, "OnShareDirOut")       \
    X(OnSubDir, "OnSubDir")                 \
    X(OnDirectoryBegin, "OnDirectoryBegin") \
    X(OnKeywords, "OnKeywords")             \
    X(OnMax, "OnMax")                       \
    X(OnScope, "OnScope")                   \
    X(OnMatch, "OnMatch")                   \
    X(OnExact, "OnExact")                   \
    X(OnCase, "OnCase")                     \
    X(OnRank, "OnRank")                     \
    X(OnFreetext, "OnFreetext")             \
    X(Plus, "+")                            \
    X(Minus, "-")                           \
    X(Star, "*")

enum Name : std::uint8_t {
#define CMDS_PYTHON_NAME_ENUM(name, text) k##name,
    CMDS_PYTHON_NAMES(CMDS_PYTHON_NAME_ENUM)
#undef CMDS_PYTHON_NAME_ENUM
        kNameCount
};

// The first and last call names, in the order of CMDS_PYTHON_NAMES.
inline constexpr Name kFirstCall = kOnUser;
inline constexpr Name kLastCall = kOnFreetext;

// Makes the interned strings; called once, when the module loads. They live as long as the
// process, so that no thread ever races their release at interpreter exit.
void MakeNames();
// A borrowed reference.
PyObject* NameObject(Name name);
std::string_view NameText(Name name);

// The words of a search option (eMatch, eExact, eScope values) and of a file kind, as the
// library's word tables spell them, interned and kept like the names.
enum class WordKind : std::uint8_t { kMatch, kExact, kScope, kFileKind };
PyObject* WordObject(WordKind kind, std::size_t value);
std::size_t WordCount(WordKind kind);
std::string_view WordText(WordKind kind, std::size_t value);

// The verb and the direction of a command, as written ("FIND", "OUTPUT").
PyObject* VerbObject(cmds::eCommand command);
PyObject* DirectionObject(cmds::eCommand command);

// New references; each throws py::error_already_set when Python is out of memory.
PyObject* NewWide(const unsigned short* units, std::size_t size);
PyObject* NewNarrow(const char* bytes, std::size_t size);

// The 16-bit units of a str: one per code point below 0x10000 (lone surrogates included), a pair
// for each code point above.
cmds::wstring WideFrom(PyObject* text);

}  // namespace cmds_python

namespace pybind11::detail {

// Wide strings cross as str in both directions.
template <>
struct type_caster<cmds::wstring> {
    PYBIND11_TYPE_CASTER(cmds::wstring, const_name("str"));

    bool load(handle source, bool) {
        if (!PyUnicode_Check(source.ptr())) {
            return false;
        }
        value = cmds_python::WideFrom(source.ptr());
        return true;
    }
    static handle cast(const cmds::wstring& units, return_value_policy, handle) {
        return cmds_python::NewWide(units.data(), units.size());
    }
};

}  // namespace pybind11::detail

#endif
