#include "encoding.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <utility>
#include <vector>

#include "bindings.h"
#include "errors.h"

namespace cmds_python {

namespace {

using cmds::CFileInfo;

template <cmds::eCommand Id>
using Kind = cmds::CommandKind<Id>;

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kMaxPort = std::numeric_limits<unsigned short>::max();

const std::pair<Name, cmds::wstring CFileInfo::*> kFileTexts[] = {
    {kExt, &CFileInfo::ext},           {kKeywords, &CFileInfo::keywords},
    {kAuthor, &CFileInfo::author},     {kSubject, &CFileInfo::subject},
    {kManager, &CFileInfo::manager},   {kCompany, &CFileInfo::company},
    {kComments, &CFileInfo::comments}, {kTitle, &CFileInfo::title},
    {kCategory, &CFileInfo::category}, {kCreator, &CFileInfo::creator},
    {kType, &CFileInfo::type},
};

// The fields that each call may have.
const std::vector<Name>& CallFields(Name call) {
    static const std::vector<Name> kFileFields = {
        kKind,    kFolder,  kId,      kFile,     kSize,  kExt,      kKeywords, kAuthor,
        kSubject, kManager, kCompany, kComments, kTitle, kCategory, kCreator,  kType};
    static const std::vector<std::pair<Name, std::vector<Name>>> kFields = {
        {kOnUser, {kUser, kPassword}},
        {kOnError, {kError}},
        {kOnConnectInHost, {kPort, kAddress, kHost}},
        {kOnConnectInFlags, {kBrowsable, kHttpproxy, kSocksproxy}},
        {kOnConnectOut, {kFile}},
        {kOnFile, kFileFields},
        {kOnShareOutFile, {kError, kId, kFolder}},
        {kOnUnShareIn, {kFolder}},
        {kOnShareDirIn, {kFolder}},
        {kOnShareDirOut, {kFolder}},
        {kOnSubDir, {kFolder, kId, kFile, kProtected}},
        {kOnDirectoryBegin, {kFolder, kId}},
        {kOnHost, {kOnline, kId, kHost, kNick, kUser, kAddress, kPort}},
        {kOnKeywords, {kKeywords}},
        {kOnMax, {kMax}},
        {kOnScope, {kScope}},
        {kOnMatch, {kMatch}},
        {kOnExact, {kExact}},
        {kOnCase, {kCase}},
        {kOnRank, {kRank}},
        {kOnFreetext, {kFreetext}},
    };
    return std::find_if(kFields.begin(), kFields.end(),
                        [call](const auto& entry) { return entry.first == call; })
        ->second;
}

// The text of a str, or "" for anything else.
std::string_view TextOf(PyObject* object) {
    if (object == nullptr || !PyUnicode_Check(object)) {
        return {};
    }
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(object, &size);
    if (text == nullptr) {
        PyErr_Clear();
        return {};
    }
    return {text, static_cast<std::size_t>(size)};
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The fields of one call, record or request given as a dict; an absent field has the value the
// language gives an absent tag.
class Fields {
public:
    Fields(const py::handle& dict, std::string where)
        : dict_(py::reinterpret_borrow<py::object>(dict)), where_(std::move(where)) {
        if (!PyDict_Check(dict_.ptr())) {
            throw EncodeFailure(where_ + ": must be a dict");
        }
    }

    std::uint64_t Number(Name key,
                         std::uint64_t max = std::numeric_limits<std::uint64_t>::max()) const {
        PyObject* value = Find(key);
        if (value == nullptr) {
            return 0;
        }
        const auto outOfRange = [&] {
            PyErr_Clear();
            Fail(key, "must be a whole number from 0 to " + std::to_string(max));
        };
        if (!IsInt(value)) {
            outOfRange();
        }
        const unsigned long long number = PyLong_AsUnsignedLongLong(value);
        if ((number == static_cast<unsigned long long>(-1) && PyErr_Occurred() != nullptr) ||
            number > max) {
            outOfRange();
        }
        return number;
    }
    tagERROR_CODE Code(Name key) const {
        PyObject* value = Find(key);
        if (value == nullptr) {
            return tagERROR_CODE{};
        }
        int overflow = 0;
        const long long number = IsInt(value) ? PyLong_AsLongLongAndOverflow(value, &overflow) : 0;
        if (!IsInt(value) || overflow != 0 || number < std::numeric_limits<std::int32_t>::min() ||
            number > std::numeric_limits<std::int32_t>::max()) {
            Fail(key, "must be a whole number from -2147483648 to 2147483647");
        }
        return static_cast<tagERROR_CODE>(number);
    }
    bool Flag(Name key, bool absent = false) const {
        PyObject* value = Find(key);
        if (value == nullptr) {
            return absent;
        }
        if (!PyBool_Check(value)) {
            Fail(key, "must be True or False");
        }
        return value == Py_True;
    }
    std::string Narrow(Name key) const {
        PyObject* value = Find(key);
        return value == nullptr ? std::string() : NarrowOf(key, value);
    }
    cmds::wstring Wide(Name key) const {
        PyObject* value = Find(key);
        if (value == nullptr) {
            return {};
        }
        if (!PyUnicode_Check(value)) {
            Fail(key, "must be a str");
        }
        return WideFrom(value);
    }
    std::size_t Choice(Name key, WordKind kind, std::size_t absent) const {
        PyObject* value = Find(key);
        return value == nullptr ? absent
                                : WordFrom(value, kind, where_ + ": " + Quoted(NameText(key)));
    }
    // The address list joined into the text of the `address` tag.
    std::string AddressText(cmds::CGenerator& out) const {
        PyObject* value = Find(kAddress);
        if (value == nullptr) {
            return {};
        }
        if (!PyList_Check(value) && !PyTuple_Check(value)) {
            Fail(kAddress, "must be a list of bytes");
        }
        std::vector<std::string> addresses;
        for (const py::handle item : py::reinterpret_borrow<py::sequence>(value)) {
            std::string address = NarrowOf(kAddress, item.ptr());
            // The reader splits the text at these bytes, so such an address would not come back.
            if (address.empty() || address.find_first_of("\n;, \t\r") != std::string::npos) {
                Fail(kAddress,
                     "must hold non-empty addresses without blanks, tabs, line breaks, ';' or ','");
            }
            addresses.push_back(std::move(address));
        }
        std::string text;
        out.GenerateAddressVect(addresses, text);
        return text;
    }
    // Rejects the fields other than `keys`, which cannot be written here.
    void Only(std::initializer_list<Name> keys, const char* reason) const {
        Check(
            [&](std::string_view key) {
                return std::any_of(keys.begin(), keys.end(),
                                   [&](Name name) { return key == NameText(name); });
            },
            [&](std::string_view key) { Fail(key, reason); });
    }
    // Rejects the fields that `allowed` does not name, and keys that are not str.
    template <typename Allowed, typename Reject>
    void Check(Allowed&& allowed, Reject&& reject) const {
        PyObject* key = nullptr;
        PyObject* value = nullptr;
        for (Py_ssize_t position = 0; PyDict_Next(dict_.ptr(), &position, &key, &value);) {
            if (!PyUnicode_Check(key)) {
                throw EncodeFailure(where_ + ": has a key of type " + Py_TYPE(key)->tp_name +
                                    "; keys are str");
            }
            const std::string_view text = TextOf(key);
            if (!allowed(text)) {
                reject(text);
            }
        }
    }
    [[noreturn]] void Fail(std::string_view key, const std::string& what) const {
        throw EncodeFailure(where_ + ": " + Quoted(key) + " " + what);
    }
    [[noreturn]] void Fail(Name key, const std::string& what) const { Fail(NameText(key), what); }

private:
    static bool IsInt(PyObject* value) { return PyLong_Check(value) && !PyBool_Check(value); }

    PyObject* Find(Name key) const {
        PyObject* value = PyDict_GetItemWithError(dict_.ptr(), NameObject(key));
        if (value == nullptr && PyErr_Occurred() != nullptr) {
            throw py::error_already_set();
        }
        return value;
    }
    // Bytes as they are; a str as its UTF-8.
    std::string NarrowOf(Name key, PyObject* value) const {
        if (PyBytes_Check(value)) {
            return {PyBytes_AS_STRING(value), static_cast<std::size_t>(PyBytes_GET_SIZE(value))};
        }
        if (PyUnicode_Check(value)) {
            Py_ssize_t size = 0;
            const char* text = PyUnicode_AsUTF8AndSize(value, &size);
            if (text != nullptr) {
                return {text, static_cast<std::size_t>(size)};
            }
            PyErr_Clear();
        }
        Fail(key, "must be bytes, or a str that UTF-8 can encode");
    }

    py::object dict_;
    std::string where_;
};

// Walks the calls of one command; each must be the one the command's reader makes at its place.
// A writer takes all the calls that one generator call needs before reading their fields, so that
// what it reports first does not depend on the order in which arguments are evaluated.
class CallReader {
public:
    CallReader(const py::sequence& calls, std::string command)
        : calls_(calls), size_(calls.size()), command_(std::move(command)) {}

    bool Next(Name name) const { return next_ < size_ && NameOf(calls_[next_]) == NameText(name); }
    bool AtEnd() const { return next_ == size_; }

    Fields Take(Name name) {
        const std::string where = command_ + " calls[" + std::to_string(next_) + "]";
        if (AtEnd()) {
            throw EncodeFailure(where + ": missing; expected " + std::string(NameText(name)));
        }
        const py::object call = calls_[next_++];
        if (NameOf(call) != NameText(name)) {
            throw EncodeFailure(where + ": expected " + std::string(NameText(name)) + ", found " +
                                Describe(call));
        }
        Fields fields(call, where + " " + std::string(NameText(name)));
        const std::vector<Name>& allowed = CallFields(name);
        fields.Check(
            [&](std::string_view key) {
                return key == NameText(kCall) ||
                       std::any_of(allowed.begin(), allowed.end(),
                                   [&](Name field) { return key == NameText(field); });
            },
            [&](std::string_view key) {
                throw EncodeFailure(
                    where + ": " + std::string(NameText(name)) + " has no field " + Quoted(key) +
                    (key == NameText(kPwd)
                         ? "; give the plain \"password\", which the generator signs"
                         : ""));
            });
        return fields;
    }
    void Finish() const {
        if (!AtEnd()) {
            throw EncodeFailure(command_ + " calls[" + std::to_string(next_) + "]: unexpected " +
                                Describe(calls_[next_]));
        }
    }

private:
    static std::string_view NameOf(const py::handle& call) {
        if (!PyDict_Check(call.ptr())) {
            return {};
        }
        return TextOf(PyDict_GetItem(call.ptr(), NameObject(kCall)));
    }
    static std::string Describe(const py::handle& call) {
        const std::string_view name = NameOf(call);
        return name.empty() ? "a call that is not a dict with a \"call\" name" : std::string(name);
    }

    py::sequence calls_;
    std::size_t size_;
    std::string command_;
    std::size_t next_ = 0;
};

unsigned short Port(const Fields& fields) {
    return static_cast<unsigned short>(fields.Number(kPort, kMaxPort));
}

cmds::FILE_TYPE_ENUM FileKind(const Fields& file) {
    return static_cast<cmds::FILE_TYPE_ENUM>(file.Choice(kKind, WordKind::kFileKind, 0) +
                                             cmds::FILE_PLUS);
}

CFileInfo FileRecord(const Fields& file) {
    CFileInfo record;
    record.folder = file.Number(kFolder);
    record.id = file.Number(kId);
    record.file = file.Wide(kFile);
    record.size = file.Number(kSize);
    for (const auto& [key, text] : kFileTexts) {
        record.*text = file.Wide(key);
    }
    return record;
}

// Files of a directory listing or a search result are written without a marker.
CFileInfo UnmarkedRecord(const Fields& file) {
    if (FileKind(file) != cmds::FILE_PLUS) {
        file.Fail(kKind, "must be \"+\": files of this command carry no marker");
    }
    return FileRecord(file);
}

void WriteFriend(const Fields& entry, cmds::CGenerator& out) {
    entry.Only({kCall, kOnline, kId, kHost, kAddress, kPort},
               "cannot be written in a friend entry");
    const cmds::wstring host = entry.Wide(kHost);
    const std::string address = entry.AddressText(out);
    const unsigned short port = Port(entry);
    const bool online = entry.Flag(kOnline, true);
    // An entry with nothing but its id is written in the short form, which reads back as such.
    if (host.empty() && address.empty() && port == 0 && online) {
        out.GenerateFriend(entry.Number(kId));
    } else {
        out.GenerateFriend(entry.Number(kId), host, address, port, online);
    }
}

void Write(Kind<cmds::eCommandConnectIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    const Fields host = calls.Take(kOnConnectInHost);
    const Fields flags = calls.Take(kOnConnectInFlags);
    // The generator leaves an empty address out, and the reader requires one.
    const std::string address = host.Narrow(kAddress);
    if (address.empty()) {
        host.Fail(kAddress, "cannot be empty in a connect request, which would not read back");
    }
    out.GenerateConnectIn(user.Number(kUser), user.Wide(kPassword), address, Port(host),
                          host.Wide(kHost), flags.Flag(kBrowsable), flags.Flag(kHttpproxy),
                          flags.Flag(kSocksproxy));
}
void Write(Kind<cmds::eCommandConnectOut>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take(kOnError);
    const Fields reply = calls.Take(kOnConnectOut);
    out.GenerateConnectOut(result.Code(kError), reply.Number(kFile));
}
void Write(Kind<cmds::eCommandDisconnectIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    out.GenerateDisconnectIn(user.Number(kUser), user.Wide(kPassword));
}
void Write(Kind<cmds::eCommandDisconnectOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateDisconnectOut(calls.Take(kOnError).Code(kError));
}
void Write(Kind<cmds::eCommandAliveIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    out.GenerateAliveIn(user.Number(kUser), user.Wide(kPassword));
}
void Write(Kind<cmds::eCommandAliveOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateAliveOut(calls.Take(kOnError).Code(kError));
}
void Write(Kind<cmds::eCommandShareIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    out.GenerateShareInBegin(user.Number(kUser), user.Wide(kPassword));
    while (calls.Next(kOnFile)) {
        const Fields file = calls.Take(kOnFile);
        const cmds::FILE_TYPE_ENUM kind = FileKind(file);
        if (kind != cmds::FILE_PLUS) {
            file.Only({kCall, kKind, kFolder, kId}, "is not carried by a \"-\" or \"*\" record");
        }
        out.GenerateFile(kind, FileRecord(file));
    }
    out.GenerateShareInEnd();
}
void Write(Kind<cmds::eCommandShareOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateShareOutBegin(calls.Take(kOnError).Code(kError));
    while (calls.Next(kOnShareOutFile)) {
        const Fields result = calls.Take(kOnShareOutFile);
        out.GenerateShareOutFile(result.Code(kError),
                                 static_cast<std::uint32_t>(result.Number(kId, kMax32)),
                                 result.Number(kFolder));
    }
    out.GenerateShareOutEnd();
}
void Write(Kind<cmds::eCommandUnshareIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    const Fields request = calls.Take(kOnUnShareIn);
    out.GenerateUnShareIn(user.Number(kUser), user.Wide(kPassword), request.Number(kFolder));
}
void Write(Kind<cmds::eCommandUnshareOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateUnShareOut(calls.Take(kOnError).Code(kError));
}
void Write(Kind<cmds::eCommandShareDirIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    const Fields request = calls.Take(kOnShareDirIn);
    out.GenerateShareDirIn(user.Number(kUser), user.Wide(kPassword), request.Number(kFolder));
}
void Write(Kind<cmds::eCommandShareDirOut>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take(kOnError);
    const Fields reply = calls.Take(kOnShareDirOut);
    out.GenerateShareDirOut(result.Code(kError), reply.Number(kFolder));
}
void Write(Kind<cmds::eCommandDirectory>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take(kOnError);
    const Fields begin = calls.Take(kOnDirectoryBegin);
    out.GenerateDirectoryBegin(result.Code(kError), begin.Wide(kFolder), begin.Number(kId));
    while (!calls.AtEnd()) {
        if (calls.Next(kOnSubDir)) {
            const Fields entry = calls.Take(kOnSubDir);
            out.GenerateSubDir(entry.Number(kFolder), entry.Number(kId), entry.Wide(kFile),
                               entry.Flag(kProtected));
        } else {
            out.GenerateFile(UnmarkedRecord(calls.Take(kOnFile)), true);
        }
    }
    out.GenerateDirectoryEnd();
}
void Write(Kind<cmds::eCommandFindIn>, CallReader& calls, cmds::CGenerator& out) {
    cmds::CFindIn request;
    request.keywords = calls.Take(kOnKeywords).Wide(kKeywords);
    const Fields user = calls.Take(kOnUser);
    request.user = user.Number(kUser);
    request.pwd = user.Wide(kPassword);
    request.max = static_cast<std::uint32_t>(calls.Take(kOnMax).Number(kMax, kMax32));
    request.scope = static_cast<cmds::eScope>(
        calls.Take(kOnScope).Choice(kScope, WordKind::kScope, cmds::eScopeGlobal));
    request.match = static_cast<cmds::eMatch>(
        calls.Take(kOnMatch).Choice(kMatch, WordKind::kMatch, cmds::eMatchAny));
    request.exact = static_cast<cmds::eExact>(
        calls.Take(kOnExact).Choice(kExact, WordKind::kExact, cmds::eExactOff));
    request.isCase = calls.Take(kOnCase).Flag(kCase);
    request.rank = calls.Take(kOnRank).Flag(kRank);
    request.freetext = calls.Take(kOnFreetext).Flag(kFreetext);
    out.GenerateFindIn(request);
}
void Write(Kind<cmds::eCommandFindOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateFindOutBegin(calls.Take(kOnError).Code(kError));
    while (calls.Next(kOnHost)) {
        const Fields host = calls.Take(kOnHost);
        if (!host.Flag(kOnline, true)) {
            host.Fail(kOnline, "must be True: a search result carries no online state");
        }
        out.GenerateHostBegin(host.Number(kId), host.Wide(kHost), host.Wide(kUser),
                              host.Wide(kNick), host.AddressText(out), Port(host));
        // The reader requires at least one file per host.
        do {
            out.GenerateFile(UnmarkedRecord(calls.Take(kOnFile)), true);
        } while (calls.Next(kOnFile));
        out.GenerateHostEnd();
    }
    out.GenerateFindOutEnd();
}
void Write(Kind<cmds::eCommandFriendsIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take(kOnUser);
    out.GenerateFriendsInBegin(user.Number(kUser), user.Wide(kPassword));
    while (calls.Next(kOnHost)) {
        WriteFriend(calls.Take(kOnHost), out);
    }
    out.GenerateFriendsInEnd();
}
void Write(Kind<cmds::eCommandFriendsOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateFriendsOutBegin(calls.Take(kOnError).Code(kError));
    while (calls.Next(kOnHost)) {
        WriteFriend(calls.Take(kOnHost), out);
    }
    out.GenerateFriendsOutEnd();
}

const cmds::CCommandInfo* CommandNamed(std::string_view verb, std::string_view direction) {
    for (const cmds::CCommandInfo& command : cmds::kCommands) {
        if (verb == cmds::GetKeyword(command.verb) &&
            direction == cmds::GetKeyword(command.direction)) {
            return &command;
        }
    }
    return nullptr;
}

std::string TextField(PyObject* command, Name key) {
    PyObject* value = PyDict_GetItem(command, NameObject(key));
    if (value == nullptr) {
        return "";
    }
    if (!PyUnicode_Check(value)) {
        throw EncodeFailure(Quoted(NameText(key)) + " must be a str");
    }
    return std::string(TextOf(value));
}

// Writes each command whole or not at all.
py::bytes Encode(const py::iterable& commands) {
    cmds::CStrStmGenerator out;
    std::size_t index = 0;
    for (const py::handle command : commands) {
        try {
            EncodeCommand(command, out);
        } catch (const EncodeFailure& failure) {
            throw EncodeFailure("commands[" + std::to_string(index) + "]: " + failure.what());
        }
        ++index;
    }
    const std::string text = out.str();
    return py::bytes(text);
}

}  // namespace

void EncodeCommand(const py::handle& command, cmds::CGenerator& out) {
    if (!PyDict_Check(command.ptr())) {
        throw EncodeFailure("a command must be a dict");
    }
    Fields(command, "command")
        .Check(
            [](std::string_view key) {
                return key == NameText(kVerb) || key == NameText(kDirection) ||
                       key == NameText(kCalls);
            },
            [](std::string_view key) {
                throw EncodeFailure("unknown field " + Quoted(key) +
                                    "; a command has \"verb\", \"direction\" and \"calls\"");
            });
    const std::string verb = TextField(command.ptr(), kVerb);
    const std::string direction = TextField(command.ptr(), kDirection);
    const cmds::CCommandInfo* kind = CommandNamed(verb, direction);
    if (kind == nullptr) {
        throw EncodeFailure("unknown command " + Quoted(verb + " " + direction));
    }
    PyObject* calls = PyDict_GetItem(command.ptr(), NameObject(kCalls));
    if (calls != nullptr && !PyList_Check(calls) && !PyTuple_Check(calls)) {
        throw EncodeFailure("\"calls\" must be a list");
    }
    CallReader reader(
        calls == nullptr ? py::sequence(py::list()) : py::reinterpret_borrow<py::sequence>(calls),
        verb + " " + direction);
    cmds::VisitCommand(kind->id, [&](auto commandKind) { Write(commandKind, reader, out); });
    reader.Finish();
}

cmds::CFileInfo FileRecordFrom(const py::handle& record, const std::string& where) {
    const Fields fields(record, where);
    fields.Only({kFolder, kId, kFile, kSize, kExt, kKeywords, kAuthor, kSubject, kManager, kCompany,
                 kComments, kTitle, kCategory, kCreator, kType},
                "is no field of a file record");
    return FileRecord(fields);
}

cmds::CSubDirInfo SubDirFrom(const py::handle& entry, const std::string& where) {
    const Fields fields(entry, where);
    fields.Only({kFolder, kId, kFile, kProtected}, "is no field of a sub-folder entry");
    cmds::CSubDirInfo info;
    info.folder = fields.Number(kFolder);
    info.id = fields.Number(kId);
    info.file = fields.Wide(kFile);
    info.isProtected = fields.Flag(kProtected);
    return info;
}

cmds::CFindIn FindRequestFrom(const py::handle& request, const std::string& where) {
    const Fields fields(request, where);
    fields.Only(
        {kUser, kPassword, kKeywords, kMax, kScope, kMatch, kExact, kCase, kRank, kFreetext},
        "is no field of a FIND request");
    cmds::CFindIn find;
    find.user = fields.Number(kUser);
    find.pwd = fields.Wide(kPassword);
    find.keywords = fields.Wide(kKeywords);
    find.max = static_cast<std::uint32_t>(fields.Number(kMax, kMax32));
    find.scope =
        static_cast<cmds::eScope>(fields.Choice(kScope, WordKind::kScope, cmds::eScopeGlobal));
    find.match =
        static_cast<cmds::eMatch>(fields.Choice(kMatch, WordKind::kMatch, cmds::eMatchAny));
    find.exact =
        static_cast<cmds::eExact>(fields.Choice(kExact, WordKind::kExact, cmds::eExactOff));
    find.isCase = fields.Flag(kCase);
    find.rank = fields.Flag(kRank);
    find.freetext = fields.Flag(kFreetext);
    return find;
}

std::size_t WordFrom(const py::handle& word, WordKind kind, const std::string& where) {
    const std::string_view text = TextOf(word.ptr());
    std::string list;
    for (std::size_t value = 0; value < WordCount(kind); ++value) {
        if (PyUnicode_Check(word.ptr()) && text == WordText(kind, value)) {
            return value;
        }
        list += (list.empty() ? "" : ", ") + Quoted(WordText(kind, value));
    }
    throw EncodeFailure(where + " must be one of " + list);
}

void BindEncoding(py::module_& module) {
    module.def("encode", &Encode, py::arg("commands"),
               R"(Writes the commands, each a dict in the form decode returns, as command text.

A request's OnUser takes the plain "password" (a str), which the generator signs, in place of the
signed "pwd". An absent field is 0, False or empty; "online" is True, "kind" is "+", and "scope",
"match" and "exact" are "global", "any" and "off" when absent. Narrow strings are bytes (a str is
taken as its UTF-8). Raises EncodeError, naming the command, the call and the field, for what the
generator cannot write.)");
}

}  // namespace cmds_python
