#include "codec.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "json_text.h"

namespace cmds_tool {

namespace {

using cmds::CFileInfo;

// Each command's writer is an overload of Write for its kind; a command added to the table
// without one fails to compile where EncodeCommand dispatches.
template <cmds::eCommand Id>
using Kind = cmds::CommandKind<Id>;

constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint64_t kMaxPort = std::numeric_limits<unsigned short>::max();

// The eleven optional texts of a file record, in the order decode shows them.
const std::pair<const char*, cmds::wstring CFileInfo::*> kFileTexts[] = {
    {"ext", &CFileInfo::ext},           {"keywords", &CFileInfo::keywords},
    {"author", &CFileInfo::author},     {"subject", &CFileInfo::subject},
    {"manager", &CFileInfo::manager},   {"company", &CFileInfo::company},
    {"comments", &CFileInfo::comments}, {"title", &CFileInfo::title},
    {"category", &CFileInfo::category}, {"creator", &CFileInfo::creator},
    {"type", &CFileInfo::type},
};

// Markers of FILE_PLUS, FILE_MINUS and FILE_STAR.
const std::vector<std::string> kFileKinds = {"+", "-", "*"};

// The words of a search option, indexed by its cmds enumeration (which starts one below the
// library's word tables).
template <typename Word>
std::vector<std::string> Words(const char* (*name)(Word), int count) {
    std::vector<std::string> words;
    for (int value = 1; value < count; ++value) {
        words.emplace_back(name(static_cast<Word>(value)));
    }
    return words;
}
const std::vector<std::string> kMatchWords = Words(cmds::GetMType, cmds::kMTypeCount);
const std::vector<std::string> kExactWords = Words(cmds::GetPType, cmds::kPTypeCount);
const std::vector<std::string> kScopeWords = Words(cmds::GetScopeType, cmds::kScopeTypeCount);

// Hands on each call as one JSON object as soon as the parser makes it, so that a command of any
// size passes through without being held.
class CallEmitter {
public:
    explicit CallEmitter(std::function<void(const Json&)> onCall) : onCall_(std::move(onCall)) {}

protected:
    static Json Call(const char* name) {
        Json call = Json::object();
        call["call"] = name;
        return call;
    }
    void Emit(const Json& call) { onCall_(call); }
    // Optional texts of records appear only when they are not empty.
    static void AddText(Json& call, const char* key, const cmds::wstring& text) {
        if (!text.empty()) {
            call[key] = WideToJson(text);
        }
    }

private:
    std::function<void(const Json&)> onCall_;
};

}  // namespace

// Records every callback of every command's interface. A command added to the table with
// callbacks of its own leaves this class abstract, and the tool unbuilt, until they are recorded.
#define CMDS_TOOL_SINK_BASE(id, Name, verb, direction) , public cmds::I##Name
struct CallSink::Impl final : CallEmitter CMDS_COMMAND_TABLE(CMDS_TOOL_SINK_BASE) {
#undef CMDS_TOOL_SINK_BASE
    using CallEmitter::CallEmitter;

    void OnUser(std::uint64_t user, const std::string& pwd) override {
        Json call = Call("OnUser");
        call["user"] = user;
        call["pwd"] = NarrowToJson(pwd);
        Emit(call);
    }
    void OnError(tagERROR_CODE error) override {
        Json call = Call("OnError");
        call["error"] = static_cast<std::int32_t>(error);
        Emit(call);
    }
    void OnFile(cmds::FILE_TYPE_ENUM kind, CFileInfo& record) override {
        Json call = Call("OnFile");
        call["kind"] = kFileKinds.at(kind - 1);
        call["folder"] = record.folder;
        call["id"] = record.id;
        if (kind == cmds::FILE_PLUS) {
            call["file"] = WideToJson(record.file);
            call["size"] = record.size;
            for (const auto& [key, text] : kFileTexts) {
                AddText(call, key, record.*text);
            }
        }
        Emit(call);
    }
    void OnHost(bool online, const cmds::CHostInfo& host) override {
        Json call = Call("OnHost");
        call["online"] = online;
        call["id"] = host.id;
        AddText(call, "host", host.host);
        AddText(call, "nick", host.nick);
        AddText(call, "user", host.user);
        if (!host.address.empty()) {
            Json& list = call["address"] = Json::array();
            for (const std::string& address : host.address) {
                list.push_back(NarrowToJson(address));
            }
        }
        call["port"] = host.port;
        Emit(call);
    }
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override {
        Json call = Call("OnConnectInHost");
        call["port"] = port;
        call["address"] = NarrowToJson(address);
        call["host"] = WideToJson(host);
        Emit(call);
    }
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) override {
        Json call = Call("OnConnectInFlags");
        call["browsable"] = browsable;
        call["httpproxy"] = httpproxy;
        call["socksproxy"] = socksproxy;
        Emit(call);
    }
    void OnConnectOut(std::uint64_t file) override {
        EmitOne("OnConnectOut", "file", file);
    }
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) override {
        Json call = Call("OnShareOutFile");
        call["error"] = static_cast<std::int32_t>(error);
        call["id"] = id;
        call["folder"] = folder;
        Emit(call);
    }
    void OnUnShareIn(std::uint64_t folder) override {
        EmitOne("OnUnShareIn", "folder", folder);
    }
    void OnShareDirIn(std::uint64_t folder) override {
        EmitOne("OnShareDirIn", "folder", folder);
    }
    void OnShareDirOut(std::uint64_t folder) override {
        EmitOne("OnShareDirOut", "folder", folder);
    }
    void OnSubDir(cmds::CSubDirInfo& entry) override {
        Json call = Call("OnSubDir");
        call["folder"] = entry.folder;
        call["id"] = entry.id;
        call["file"] = WideToJson(entry.file);
        call["protected"] = entry.isProtected;
        Emit(call);
    }
    void OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) override {
        Json call = Call("OnDirectoryBegin");
        call["folder"] = WideToJson(folder);
        call["id"] = id;
        Emit(call);
    }
    void OnKeywords(const cmds::wstring& keywords) override {
        EmitOne("OnKeywords", "keywords", WideToJson(keywords));
    }
    void OnMax(std::uint32_t max) override {
        EmitOne("OnMax", "max", max);
    }
    void OnScope(cmds::eScope scope) override {
        EmitOne("OnScope", "scope", kScopeWords.at(scope));
    }
    void OnMatch(cmds::eMatch match) override {
        EmitOne("OnMatch", "match", kMatchWords.at(match));
    }
    void OnExact(cmds::eExact exact) override {
        EmitOne("OnExact", "exact", kExactWords.at(exact));
    }
    void OnCase(bool isCase) override {
        EmitOne("OnCase", "case", isCase);
    }
    void OnRank(bool rank) override {
        EmitOne("OnRank", "rank", rank);
    }
    void OnFreetext(bool freetext) override {
        EmitOne("OnFreetext", "freetext", freetext);
    }

private:
    template <typename Value>
    void EmitOne(const char* name, const char* key, const Value& value) {
        Json call = Call(name);
        call[key] = value;
        Emit(call);
    }
};

CallSink::CallSink(std::function<void(const Json&)> onCall)
    : impl_(std::make_unique<Impl>(std::move(onCall))) {}

CallSink::~CallSink() = default;

void CallSink::Use(cmds::eCommand command, cmds::CSinkChoice& choice) {
    cmds::VisitCommand(command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        choice.Use(static_cast<Sink&>(*impl_));
    });
}

void CallSink::Read(cmds::CParser& parser, cmds::eCommand command) {
    cmds::VisitCommand(command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        parser.Parse(static_cast<Sink&>(*impl_));
    });
}

namespace {

// The fields that each call may have.
const std::map<std::string_view, std::vector<std::string_view>> kCallFields = {
    {"OnUser", {"user", "password"}},
    {"OnError", {"error"}},
    {"OnConnectInHost", {"port", "address", "host"}},
    {"OnConnectInFlags", {"browsable", "httpproxy", "socksproxy"}},
    {"OnConnectOut", {"file"}},
    {"OnFile",
     {"kind", "folder", "id", "file", "size", "ext", "keywords", "author", "subject", "manager",
      "company", "comments", "title", "category", "creator", "type"}},
    {"OnShareOutFile", {"error", "id", "folder"}},
    {"OnUnShareIn", {"folder"}},
    {"OnShareDirIn", {"folder"}},
    {"OnShareDirOut", {"folder"}},
    {"OnSubDir", {"folder", "id", "file", "protected"}},
    {"OnDirectoryBegin", {"folder", "id"}},
    {"OnHost", {"online", "id", "host", "nick", "user", "address", "port"}},
    {"OnKeywords", {"keywords"}},
    {"OnMax", {"max"}},
    {"OnScope", {"scope"}},
    {"OnMatch", {"match"}},
    {"OnExact", {"exact"}},
    {"OnCase", {"case"}},
    {"OnRank", {"rank"}},
    {"OnFreetext", {"freetext"}},
};

// The fields of one call; an absent field has the value the language gives an absent tag.
class Fields {
public:
    Fields(const Json& call, std::string where) : call_(call), where_(std::move(where)) {}

    std::uint64_t Number(const char* key,
                         std::uint64_t max = std::numeric_limits<std::uint64_t>::max()) const {
        const Json* value = Find(key);
        if (value == nullptr) {
            return 0;
        }
        if (!value->is_number_unsigned() || value->get<std::uint64_t>() > max) {
            Fail(key, "must be a whole number from 0 to " + std::to_string(max));
        }
        return value->get<std::uint64_t>();
    }
    tagERROR_CODE Code(const char* key) const {
        const Json* value = Find(key);
        if (value == nullptr) {
            return tagERROR_CODE{};
        }
        const bool fits =
            value->is_number_unsigned()
                ? value->get<std::uint64_t>() <= std::numeric_limits<std::int32_t>::max()
                : value->is_number_integer() &&
                      value->get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min();
        if (!fits) {
            Fail(key, "must be a whole number from -2147483648 to 2147483647");
        }
        return static_cast<tagERROR_CODE>(value->get<std::int32_t>());
    }
    bool Flag(const char* key, bool absent = false) const {
        const Json* value = Find(key);
        if (value == nullptr) {
            return absent;
        }
        if (!value->is_boolean()) {
            Fail(key, "must be true or false");
        }
        return value->get<bool>();
    }
    std::string Narrow(const char* key) const { return Convert(key, NarrowFromJson); }
    cmds::wstring Wide(const char* key) const { return Convert(key, WideFromJson); }
    std::size_t Choice(const char* key, const std::vector<std::string>& words,
                       std::size_t absent) const {
        const Json* value = Find(key);
        if (value == nullptr) {
            return absent;
        }
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (*value == words[i]) {
                return i;
            }
        }
        std::string list;
        for (const std::string& word : words) {
            list += (list.empty() ? "\"" : ", \"") + word + "\"";
        }
        Fail(key, "must be one of " + list);
    }
    // The address list joined into the text of the `address` tag.
    std::string AddressText(cmds::CGenerator& out) const {
        static const Json kNoAddresses = Json::array();
        const Json* value = Find("address");
        const Json& list = value != nullptr ? *value : kNoAddresses;
        if (!list.is_array()) {
            Fail("address", "must be an array of strings");
        }
        std::vector<std::string> addresses;
        for (const Json& item : list) {
            std::string address;
            try {
                address = item.is_string() ? NarrowFromJson(item.get<std::string>()) : "";
            } catch (const std::invalid_argument& error) {
                Fail("address", error.what());
            }
            // The reader splits the text at these bytes, so such an address would not come back.
            if (address.empty() || address.find_first_of("\n;, \t\r") != std::string::npos) {
                Fail("address",
                     "must hold non-empty strings without blanks, tabs, line breaks, "
                     "';' or ','");
            }
            addresses.push_back(address);
        }
        std::string text;
        out.GenerateAddressVect(addresses, text);
        return text;
    }
    // Rejects the fields other than `keys`, which this command cannot write.
    void Only(std::initializer_list<std::string_view> keys, const char* reason) const {
        for (const auto& item : call_.items()) {
            if (item.key() != "call" &&
                std::find(keys.begin(), keys.end(), item.key()) == keys.end()) {
                Fail(item.key(), reason);
            }
        }
    }
    [[noreturn]] void Fail(const std::string& key, const std::string& what) const {
        throw EncodeError(where_ + ": \"" + key + "\" " + what);
    }

private:
    const Json* Find(const char* key) const {
        const auto found = call_.find(key);
        return found == call_.end() ? nullptr : &*found;
    }
    template <typename Text>
    Text Convert(const char* key, Text (*fromJson)(std::string_view)) const {
        const Json* value = Find(key);
        if (value == nullptr) {
            return Text();
        }
        if (!value->is_string()) {
            Fail(key, "must be a string");
        }
        try {
            return fromJson(value->get<std::string>());
        } catch (const std::invalid_argument& error) {
            Fail(key, error.what());
        }
    }

    const Json& call_;
    std::string where_;
};

// Walks the calls of one command; each must be the one the command's reader makes at its place.
// A writer takes all the calls that one generator call needs before reading their fields, so that
// what it reports first does not depend on the order in which arguments are evaluated.
class CallReader {
public:
    CallReader(const Json& calls, std::string command)
        : calls_(calls), command_(std::move(command)) {}

    bool Next(std::string_view name) const {
        return next_ < calls_.size() && NameOf(calls_[next_]) == name;
    }
    bool AtEnd() const { return next_ == calls_.size(); }

    Fields Take(const char* name) {
        const std::string where = command_ + " calls[" + std::to_string(next_) + "]";
        if (AtEnd()) {
            throw EncodeError(where + ": missing; expected " + name);
        }
        const Json& call = calls_[next_++];
        if (NameOf(call) != name) {
            throw EncodeError(where + ": expected " + name + ", found " + Describe(call));
        }
        const std::vector<std::string_view>& allowed = kCallFields.at(name);
        for (const auto& item : call.items()) {
            if (item.key() != "call" &&
                std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
                throw EncodeError(where + ": " + name + " has no field \"" + item.key() + "\"" +
                                  (item.key() == "pwd" ? "; give the plain \"password\", which "
                                                         "encode signs"
                                                       : ""));
            }
        }
        return Fields(call, where + " " + name);
    }
    void Finish() const {
        if (!AtEnd()) {
            throw EncodeError(command_ + " calls[" + std::to_string(next_) + "]: unexpected " +
                              Describe(calls_[next_]));
        }
    }

private:
    static std::string NameOf(const Json& call) {
        const auto name = call.is_object() ? call.find("call") : call.end();
        return name != call.end() && name->is_string() ? name->get<std::string>() : "";
    }
    static std::string Describe(const Json& call) {
        const std::string name = NameOf(call);
        return name.empty() ? "an object without a \"call\" name" : name;
    }

    const Json& calls_;
    std::string command_;
    std::size_t next_ = 0;
};

unsigned short Port(const Fields& fields) {
    return static_cast<unsigned short>(fields.Number("port", kMaxPort));
}

cmds::FILE_TYPE_ENUM FileKind(const Fields& file) {
    return static_cast<cmds::FILE_TYPE_ENUM>(file.Choice("kind", kFileKinds, 0) + 1);
}

CFileInfo FileRecord(const Fields& file) {
    CFileInfo record;
    record.folder = file.Number("folder");
    record.id = file.Number("id");
    record.file = file.Wide("file");
    record.size = file.Number("size");
    for (const auto& [key, text] : kFileTexts) {
        record.*text = file.Wide(key);
    }
    return record;
}

// Files of a directory listing or a search result are written without a marker.
CFileInfo UnmarkedRecord(const Fields& file) {
    if (FileKind(file) != cmds::FILE_PLUS) {
        file.Fail("kind", "must be \"+\": files of this command carry no marker");
    }
    return FileRecord(file);
}

void WriteFriend(const Fields& entry, cmds::CGenerator& out) {
    entry.Only({"online", "id", "host", "address", "port"}, "cannot be written in a friend entry");
    const cmds::wstring host = entry.Wide("host");
    const std::string address = entry.AddressText(out);
    const unsigned short port = Port(entry);
    const bool online = entry.Flag("online", true);
    // An entry with nothing but its id is written in the short form, which reads back as such.
    if (host.empty() && address.empty() && port == 0 && online) {
        out.GenerateFriend(entry.Number("id"));
    } else {
        out.GenerateFriend(entry.Number("id"), host, address, port, online);
    }
}

void Write(Kind<cmds::eCommandConnectIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    const Fields host = calls.Take("OnConnectInHost");
    const Fields flags = calls.Take("OnConnectInFlags");
    // The generator leaves an empty address out, and the reader requires one.
    const std::string address = host.Narrow("address");
    if (address.empty()) {
        host.Fail("address", "cannot be empty in a connect request, which would not read back");
    }
    out.GenerateConnectIn(user.Number("user"), user.Wide("password"), address, Port(host),
                          host.Wide("host"), flags.Flag("browsable"), flags.Flag("httpproxy"),
                          flags.Flag("socksproxy"));
}
void Write(Kind<cmds::eCommandConnectOut>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take("OnError");
    const Fields reply = calls.Take("OnConnectOut");
    out.GenerateConnectOut(result.Code("error"), reply.Number("file"));
}
void Write(Kind<cmds::eCommandDisconnectIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    out.GenerateDisconnectIn(user.Number("user"), user.Wide("password"));
}
void Write(Kind<cmds::eCommandDisconnectOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateDisconnectOut(calls.Take("OnError").Code("error"));
}
void Write(Kind<cmds::eCommandAliveIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    out.GenerateAliveIn(user.Number("user"), user.Wide("password"));
}
void Write(Kind<cmds::eCommandAliveOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateAliveOut(calls.Take("OnError").Code("error"));
}
void Write(Kind<cmds::eCommandShareIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    out.GenerateShareInBegin(user.Number("user"), user.Wide("password"));
    while (calls.Next("OnFile")) {
        const Fields file = calls.Take("OnFile");
        const cmds::FILE_TYPE_ENUM kind = FileKind(file);
        if (kind != cmds::FILE_PLUS) {
            file.Only({"kind", "folder", "id"}, "is not carried by a \"-\" or \"*\" record");
        }
        out.GenerateFile(kind, FileRecord(file));
    }
    out.GenerateShareInEnd();
}
void Write(Kind<cmds::eCommandShareOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateShareOutBegin(calls.Take("OnError").Code("error"));
    while (calls.Next("OnShareOutFile")) {
        const Fields result = calls.Take("OnShareOutFile");
        out.GenerateShareOutFile(result.Code("error"),
                                 static_cast<std::uint32_t>(result.Number("id", kMax32)),
                                 result.Number("folder"));
    }
    out.GenerateShareOutEnd();
}
void Write(Kind<cmds::eCommandUnshareIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    const Fields request = calls.Take("OnUnShareIn");
    out.GenerateUnShareIn(user.Number("user"), user.Wide("password"), request.Number("folder"));
}
void Write(Kind<cmds::eCommandUnshareOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateUnShareOut(calls.Take("OnError").Code("error"));
}
void Write(Kind<cmds::eCommandShareDirIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    const Fields request = calls.Take("OnShareDirIn");
    out.GenerateShareDirIn(user.Number("user"), user.Wide("password"), request.Number("folder"));
}
void Write(Kind<cmds::eCommandShareDirOut>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take("OnError");
    const Fields reply = calls.Take("OnShareDirOut");
    out.GenerateShareDirOut(result.Code("error"), reply.Number("folder"));
}
void Write(Kind<cmds::eCommandDirectory>, CallReader& calls, cmds::CGenerator& out) {
    const Fields result = calls.Take("OnError");
    const Fields begin = calls.Take("OnDirectoryBegin");
    out.GenerateDirectoryBegin(result.Code("error"), begin.Wide("folder"), begin.Number("id"));
    while (!calls.AtEnd()) {
        if (calls.Next("OnSubDir")) {
            const Fields entry = calls.Take("OnSubDir");
            out.GenerateSubDir(entry.Number("folder"), entry.Number("id"), entry.Wide("file"),
                               entry.Flag("protected"));
        } else {
            out.GenerateFile(UnmarkedRecord(calls.Take("OnFile")), true);
        }
    }
    out.GenerateDirectoryEnd();
}
void Write(Kind<cmds::eCommandFindIn>, CallReader& calls, cmds::CGenerator& out) {
    cmds::CFindIn request;
    request.keywords = calls.Take("OnKeywords").Wide("keywords");
    const Fields user = calls.Take("OnUser");
    request.user = user.Number("user");
    request.pwd = user.Wide("password");
    request.max = static_cast<std::uint32_t>(calls.Take("OnMax").Number("max", kMax32));
    request.scope = static_cast<cmds::eScope>(
        calls.Take("OnScope").Choice("scope", kScopeWords, cmds::eScopeGlobal));
    request.match = static_cast<cmds::eMatch>(
        calls.Take("OnMatch").Choice("match", kMatchWords, cmds::eMatchAny));
    request.exact = static_cast<cmds::eExact>(
        calls.Take("OnExact").Choice("exact", kExactWords, cmds::eExactOff));
    request.isCase = calls.Take("OnCase").Flag("case");
    request.rank = calls.Take("OnRank").Flag("rank");
    request.freetext = calls.Take("OnFreetext").Flag("freetext");
    out.GenerateFindIn(request);
}
void Write(Kind<cmds::eCommandFindOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateFindOutBegin(calls.Take("OnError").Code("error"));
    while (calls.Next("OnHost")) {
        const Fields host = calls.Take("OnHost");
        if (!host.Flag("online", true)) {
            host.Fail("online", "must be true: a search result carries no online state");
        }
        out.GenerateHostBegin(host.Number("id"), host.Wide("host"), host.Wide("user"),
                              host.Wide("nick"), host.AddressText(out), Port(host));
        // The reader requires at least one file per host.
        do {
            out.GenerateFile(UnmarkedRecord(calls.Take("OnFile")), true);
        } while (calls.Next("OnFile"));
        out.GenerateHostEnd();
    }
    out.GenerateFindOutEnd();
}
void Write(Kind<cmds::eCommandFriendsIn>, CallReader& calls, cmds::CGenerator& out) {
    const Fields user = calls.Take("OnUser");
    out.GenerateFriendsInBegin(user.Number("user"), user.Wide("password"));
    while (calls.Next("OnHost")) {
        WriteFriend(calls.Take("OnHost"), out);
    }
    out.GenerateFriendsInEnd();
}
void Write(Kind<cmds::eCommandFriendsOut>, CallReader& calls, cmds::CGenerator& out) {
    out.GenerateFriendsOutBegin(calls.Take("OnError").Code("error"));
    while (calls.Next("OnHost")) {
        WriteFriend(calls.Take("OnHost"), out);
    }
    out.GenerateFriendsOutEnd();
}

// The command whose header reads `verb` `direction`, or null.
const cmds::CCommandInfo* CommandNamed(std::string_view verb, std::string_view direction) {
    for (const cmds::CCommandInfo& command : cmds::kCommands) {
        if (verb == cmds::GetKeyword(command.verb) &&
            direction == cmds::GetKeyword(command.direction)) {
            return &command;
        }
    }
    return nullptr;
}

std::string TextField(const Json& command, const char* key) {
    const auto value = command.find(key);
    if (value == command.end()) {
        return "";
    }
    if (!value->is_string()) {
        throw EncodeError(std::string("\"") + key + "\" must be a string");
    }
    return value->get<std::string>();
}

}  // namespace

Json CommandObject(cmds::eCommand id, Json calls) {
    const cmds::CCommandInfo& info = cmds::kCommands[id];
    Json command = Json::object();
    command["verb"] = cmds::GetKeyword(info.verb);
    command["direction"] = cmds::GetKeyword(info.direction);
    command["calls"] = std::move(calls);
    return command;
}

void ReadCalls(cmds::CParser& parser, cmds::eCommand id, Json& calls) {
    CallSink([&calls](const Json& call) { calls.push_back(call); }).Read(parser, id);
}

Json ReadCommand(cmds::CParser& parser, cmds::eCommand id) {
    Json calls = Json::array();
    ReadCalls(parser, id, calls);
    return CommandObject(id, std::move(calls));
}

void EncodeCommand(const Json& command, cmds::CGenerator& out) {
    if (!command.is_object()) {
        throw EncodeError("a command must be a JSON object");
    }
    for (const auto& item : command.items()) {
        if (item.key() != "verb" && item.key() != "direction" && item.key() != "calls") {
            throw EncodeError("unknown field \"" + item.key() +
                              "\"; a command has \"verb\", \"direction\" and \"calls\"");
        }
    }
    const std::string verb = TextField(command, "verb");
    const std::string direction = TextField(command, "direction");
    const cmds::CCommandInfo* kind = CommandNamed(verb, direction);
    if (kind == nullptr) {
        throw EncodeError("unknown command \"" + verb + " " + direction + "\"");
    }
    const auto calls = command.find("calls");
    if (calls != command.end() && !calls->is_array()) {
        throw EncodeError("\"calls\" must be an array");
    }
    const Json noCalls = Json::array();
    CallReader reader(calls == command.end() ? noCalls : *calls, verb + " " + direction);
    cmds::VisitCommand(kind->id, [&](auto commandKind) { Write(commandKind, reader, out); });
    reader.Finish();
}

}  // namespace cmds_tool
