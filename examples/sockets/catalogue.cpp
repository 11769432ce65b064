#include "catalogue.h"

#include <algorithm>
#include <limits>

namespace example {

// Requests are collected whole before the catalogue acts on them: the reader may still reject a
// request after some of its callbacks, and a rejected request must change nothing.
template <typename Interface>
struct Credentials : Interface {
    std::uint64_t user = 0;
    std::string pwd;

    void OnUser(std::uint64_t number, const std::string& signedPwd) override {
        user = number;
        pwd = signedPwd;
    }
};

// A request that carries credentials only. A request kind with callbacks of its own leaves this
// abstract, and the server unbuilt, until it has a specialization below.
template <typename Interface>
struct Request final : Credentials<Interface> {};

template <>
struct Request<cmds::IConnectIn> final : Credentials<cmds::IConnectIn> {
    cmds::wstring host;
    std::string address;
    unsigned short port = 0;

    void OnConnectInHost(unsigned short value, const std::string& text,
                         const cmds::wstring& name) override {
        port = value;
        address = text;
        host = name;
    }
    // The catalogue serves every listing itself, so browsing and proxies change nothing here.
    void OnConnectInFlags(bool, bool, bool) override {}
};

template <>
struct Request<cmds::IShareIn> final : Credentials<cmds::IShareIn> {
    std::vector<std::pair<cmds::FILE_TYPE_ENUM, cmds::CFileInfo>> records;

    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& record) override {
        records.emplace_back(kind, std::move(record));
    }
};

template <>
struct Request<cmds::IUnshareIn> final : Credentials<cmds::IUnshareIn> {
    std::uint64_t folder = 0;
    void OnUnShareIn(std::uint64_t value) override { folder = value; }
};

template <>
struct Request<cmds::IShareDirIn> final : Credentials<cmds::IShareDirIn> {
    std::uint64_t folder = 0;
    void OnShareDirIn(std::uint64_t value) override { folder = value; }
};

template <>
struct Request<cmds::IFindIn> final : Credentials<cmds::IFindIn> {
    cmds::wstring keywords;
    cmds::eMatch match = cmds::eMatchAny;
    cmds::eExact exact = cmds::eExactOff;
    cmds::eScope scope = cmds::eScopeGlobal;
    bool isCase = false;
    std::uint32_t max = 0;

    void OnCase(bool value) override { isCase = value; }
    void OnMatch(cmds::eMatch value) override { match = value; }
    void OnExact(cmds::eExact value) override { exact = value; }
    void OnMax(std::uint32_t value) override { max = value; }
    void OnKeywords(const cmds::wstring& value) override { keywords = value; }
    void OnScope(cmds::eScope value) override { scope = value; }
    // The catalogue has no ranking and no free-text index: results come in catalogue order and
    // keywords are plain words either way.
    void OnRank(bool) override {}
    void OnFreetext(bool) override {}
};

template <>
struct Request<cmds::IFriendsIn> final : Credentials<cmds::IFriendsIn> {
    std::vector<std::uint64_t> friends;
    void OnHost(bool, const cmds::CHostInfo& host) override { friends.push_back(host.id); }
};

namespace {

tagERROR_CODE Error(ResultCode code) {
    return static_cast<tagERROR_CODE>(code);
}

// The reply to each request that carries only the result `code`.
void Refuse(const Request<cmds::IConnectIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateConnectOut(Error(code), 0);
}
void Refuse(const Request<cmds::IDisconnectIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateDisconnectOut(Error(code));
}
void Refuse(const Request<cmds::IAliveIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateAliveOut(Error(code));
}
void Refuse(const Request<cmds::IShareIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateShareOutBegin(Error(code));
    out.GenerateShareOutEnd();
}
void Refuse(const Request<cmds::IUnshareIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateUnShareOut(Error(code));
}
void Refuse(const Request<cmds::IShareDirIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateShareDirOut(Error(code), 0);
}
void Refuse(const Request<cmds::IFindIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateFindOutBegin(Error(code));
    out.GenerateFindOutEnd();
}
void Refuse(const Request<cmds::IFriendsIn>&, ResultCode code, cmds::CGenerator& out) {
    out.GenerateFriendsOutBegin(Error(code));
    out.GenerateFriendsOutEnd();
}

bool IsFolder(const cmds::CFileInfo& record) {
    static const cmds::wstring kFolderType = Wide("folder");
    return record.type == kFolderType;
}

std::pair<SharedFiles::const_iterator, SharedFiles::const_iterator> FolderEntries(
    const SharedFiles& files, std::uint64_t folder) {
    return {files.lower_bound({folder, 0}),
            files.upper_bound({folder, std::numeric_limits<std::uint64_t>::max()})};
}

// DIRECTORY OUTPUT of `folder`, named after the folder record that shares it.
void WriteListing(const SharedFiles& files, std::uint64_t folder, cmds::CGenerator& out) {
    cmds::wstring name;
    for (const auto& entry : files) {
        if (IsFolder(entry.second) && entry.second.id == folder) {
            name = entry.second.file;
        }
    }
    out.GenerateDirectoryBegin(Error(kOk), name, folder);
    const auto [first, last] = FolderEntries(files, folder);
    for (auto entry = first; entry != last; ++entry) {
        const cmds::CFileInfo& record = entry->second;
        if (IsFolder(record)) {
            out.GenerateSubDir(record.folder, record.id, record.file, false);
        } else {
            out.GenerateFile(record, true);
        }
    }
    out.GenerateDirectoryEnd();
}

cmds::wstring Folded(cmds::wstring text, bool isCase) {
    if (!isCase) {
        for (auto& unit : text) {
            if (unit >= 'A' && unit <= 'Z') {
                unit = static_cast<unsigned short>(unit - 'A' + 'a');
            }
        }
    }
    return text;
}

// The words to look for: the blank-separated keywords, or all of them as one phrase when the
// request asks for an expression, which this catalogue has no language for.
std::vector<cmds::wstring> SearchWords(const Request<cmds::IFindIn>& find) {
    const cmds::wstring keywords = Folded(find.keywords, find.isCase);
    if (find.match == cmds::eMatchExpression) {
        return {keywords};
    }
    std::vector<cmds::wstring> words;
    for (std::size_t start = 0; start < keywords.size();) {
        const std::size_t end = std::min(keywords.find(' ', start), keywords.size());
        if (end > start) {
            words.push_back(keywords.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

bool Occurs(const cmds::wstring& word, const cmds::wstring& text, cmds::eExact exact) {
    switch (exact) {
        case cmds::eExactOn:
            return text == word;
        case cmds::eExactBegin:
            return text.compare(0, word.size(), word) == 0;
        case cmds::eExactEnd:
            return text.size() >= word.size() &&
                   text.compare(text.size() - word.size(), word.size(), word) == 0;
        default:
            return text.find(word) != cmds::wstring::npos;
    }
}

// A file matches through its name or its keywords.
bool Matches(const cmds::CFileInfo& file, const std::vector<cmds::wstring>& words,
             const Request<cmds::IFindIn>& find) {
    const cmds::wstring name = Folded(file.file, find.isCase);
    const cmds::wstring keywords = Folded(file.keywords, find.isCase);
    const auto found = [&](const cmds::wstring& word) {
        return Occurs(word, name, find.exact) || Occurs(word, keywords, find.exact);
    };
    return find.match == cmds::eMatchAll ? std::all_of(words.begin(), words.end(), found)
                                         : std::any_of(words.begin(), words.end(), found);
}

// At most `limit` files of `files` that match; folder records are not files.
std::vector<const cmds::CFileInfo*> MatchingFiles(const SharedFiles& files,
                                                  const std::vector<cmds::wstring>& words,
                                                  const Request<cmds::IFindIn>& find,
                                                  std::size_t limit) {
    std::vector<const cmds::CFileInfo*> found;
    for (const auto& entry : files) {
        if (found.size() == limit) {
            break;
        }
        if (!IsFolder(entry.second) && Matches(entry.second, words, find)) {
            found.push_back(&entry.second);
        }
    }
    return found;
}

std::string AddressText(const std::string& address, cmds::CGenerator& out) {
    std::string text;
    out.GenerateAddressVect({address}, text);
    return text;
}

}  // namespace

// A request of the kind whose callback interface is `Interface`, being read.
template <typename Interface>
class Pending final : public PendingRequest {
public:
    void Choose(cmds::CSinkChoice& choice) { choice.Use(request_); }

    void Answer(Catalogue& catalogue, std::uint64_t connection, cmds::CGenerator& out) override {
        catalogue.Serve(request_, connection, out);
    }
    void Refuse(cmds::CGenerator& out) const override {
        example::Refuse(request_, kBadCommand, out);
    }

private:
    Request<Interface> request_;
};

std::unique_ptr<PendingRequest> Catalogue::Begin(const cmds::CCommandHeader& header,
                                                 cmds::CSinkChoice& choice) {
    // Each request kind has its Request and its Serve and Refuse overloads; a request kind added
    // to the table without them fails to compile here.
    return cmds::VisitCommand(header.command, [&](auto kind) -> std::unique_ptr<PendingRequest> {
        using Sink = typename decltype(kind)::Sink;
        if constexpr (cmds::kCommands[kind.kId].direction == tokens::KW_INPUT) {
            auto pending = std::make_unique<Pending<Sink>>();
            pending->Choose(choice);
            return pending;
        } else {
            return nullptr;
        }
    });
}

void Catalogue::EndSessions(std::uint64_t connection) {
    for (auto& entry : users_) {
        if (entry.second.connection == connection) {
            entry.second.connection.reset();
        }
    }
}

void Catalogue::Serve(const Request<cmds::IConnectIn>& request, std::uint64_t connection,
                      cmds::CGenerator& out) {
    const auto [entry, isNew] = users_.try_emplace(request.user);
    User& user = entry->second;
    if (isNew) {
        user.pwd = request.pwd;
    } else if (user.pwd != request.pwd) {
        Refuse(request, kWrongPassword, out);
        return;
    }
    user.host = request.host;
    user.address = request.address;
    user.port = request.port;
    user.connection = connection;
    out.GenerateConnectOut(Error(kOk), user.files.size());
}

void Catalogue::Serve(const Request<cmds::IDisconnectIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode result = kOk;
    if (User* user = Authenticate(request.user, request.pwd, result)) {
        user->connection.reset();
    }
    out.GenerateDisconnectOut(Error(result));
}

void Catalogue::Serve(const Request<cmds::IAliveIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode result = kOk;
    Authenticate(request.user, request.pwd, result);
    out.GenerateAliveOut(Error(result));
}

void Catalogue::Serve(const Request<cmds::IShareIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode refusal = kOk;
    User* user = Authenticate(request.user, request.pwd, refusal);
    if (user == nullptr) {
        Refuse(request, refusal, out);
        return;
    }
    out.GenerateShareOutBegin(Error(kOk));
    for (const auto& [kind, record] : request.records) {
        const SharedFiles::key_type key{record.folder, record.id};
        ResultCode result = kOk;
        switch (kind) {
            case cmds::FILE_PLUS:
                user->files[key] = record;
                break;
            case cmds::FILE_MINUS:
                result = user->files.erase(key) == 1 ? kOk : kUnknownFile;
                break;
            case cmds::FILE_STAR:  // asks whether the file is shared, changing nothing
                result = user->files.count(key) == 1 ? kOk : kUnknownFile;
                break;
        }
        out.GenerateShareOutFile(Error(result), static_cast<std::uint32_t>(record.id),
                                 record.folder);
    }
    out.GenerateShareOutEnd();
}

void Catalogue::Serve(const Request<cmds::IUnshareIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode result = kOk;
    if (User* user = Authenticate(request.user, request.pwd, result)) {
        const auto [first, last] = FolderEntries(user->files, request.folder);
        result = first == last ? kUnknownFolder : kOk;
        user->files.erase(first, last);
    }
    out.GenerateUnShareOut(Error(result));
}

void Catalogue::Serve(const Request<cmds::IShareDirIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode refusal = kOk;
    const User* user = Authenticate(request.user, request.pwd, refusal);
    if (user == nullptr) {
        Refuse(request, refusal, out);
        return;
    }
    out.GenerateShareDirOut(Error(kOk), request.folder);
    WriteListing(user->files, request.folder, out);
}

void Catalogue::Serve(const Request<cmds::IFindIn>& request, std::uint64_t, cmds::CGenerator& out) {
    ResultCode refusal = kOk;
    if (Authenticate(request.user, request.pwd, refusal) == nullptr) {
        Refuse(request, refusal, out);
        return;
    }
    const std::vector<cmds::wstring> words = SearchWords(request);
    std::size_t left = request.max;
    out.GenerateFindOutBegin(Error(kOk));
    for (const auto& [number, user] : Searched(request.user, request.scope)) {
        const auto found = MatchingFiles(user->files, words, request, left);
        if (found.empty()) {
            continue;  // a host is listed with its files, so one without any is left out
        }
        left -= found.size();
        out.GenerateHostBegin(number, user->host, cmds::wstring(), cmds::wstring(),
                              AddressText(user->address, out), user->port);
        for (const cmds::CFileInfo* file : found) {
            out.GenerateFile(*file, true);
        }
        out.GenerateHostEnd();
    }
    out.GenerateFindOutEnd();
}

void Catalogue::Serve(const Request<cmds::IFriendsIn>& request, std::uint64_t,
                      cmds::CGenerator& out) {
    ResultCode refusal = kOk;
    User* user = Authenticate(request.user, request.pwd, refusal);
    if (user == nullptr) {
        Refuse(request, refusal, out);
        return;
    }
    user->friends = request.friends;
    out.GenerateFriendsOutBegin(Error(kOk));
    for (const std::uint64_t number : user->friends) {
        const auto found = users_.find(number);
        if (found == users_.end()) {
            out.GenerateFriend(number, cmds::wstring(), std::string(), 0, false);
            continue;
        }
        const User& mate = found->second;
        out.GenerateFriend(number, mate.host, AddressText(mate.address, out), mate.port,
                           mate.connection.has_value());
    }
    out.GenerateFriendsOutEnd();
}

Catalogue::User* Catalogue::Authenticate(std::uint64_t user, const std::string& pwd,
                                         ResultCode& refusal) {
    const auto found = users_.find(user);
    if (found == users_.end() || !found->second.connection) {
        refusal = kNotConnected;
        return nullptr;
    }
    if (found->second.pwd != pwd) {
        refusal = kWrongPassword;
        return nullptr;
    }
    return &found->second;
}

std::vector<std::pair<std::uint64_t, const Catalogue::User*>> Catalogue::Searched(
    std::uint64_t requester, cmds::eScope scope) const {
    std::vector<std::uint64_t> numbers;
    if (scope == cmds::eScopeMyself) {
        numbers.push_back(requester);
    } else if (scope == cmds::eScopeFriend) {
        numbers = users_.at(requester).friends;
    } else {
        for (const auto& entry : users_) {
            numbers.push_back(entry.first);
        }
    }
    std::vector<std::pair<std::uint64_t, const User*>> searched;
    for (const std::uint64_t number : numbers) {
        const auto found = users_.find(number);
        if (found != users_.end() && found->second.connection) {
            searched.emplace_back(number, &found->second);
        }
    }
    return searched;
}

}  // namespace example
