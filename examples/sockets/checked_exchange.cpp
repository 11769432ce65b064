#include "checked_exchange.h"

#include <stdexcept>
#include <vector>

#include "common.h"
#include "reply.h"

namespace example {

namespace {

const std::string kAddress = "127.0.0.1";
constexpr unsigned short kUserPort = 6001;
constexpr unsigned short kMatePort = 6002;

cmds::CFileInfo File(std::uint64_t folder, std::uint64_t id, const char* name, std::uint64_t size,
                     const char* keywords) {
    cmds::CFileInfo record;
    record.folder = folder;
    record.id = id;
    record.file = Wide(name);
    record.size = size;
    record.keywords = Wide(keywords);
    return record;
}

// A record of type 'folder' shares the sub-folder numbered `id`, named `name`.
cmds::CFileInfo Folder(std::uint64_t folder, std::uint64_t id, const char* name) {
    cmds::CFileInfo record = File(folder, id, name, 0, "");
    record.type = Wide("folder");
    return record;
}

// Folder 0 holds Documents (folder 1), which holds two files and the sub-folder Old (folder 2).
const cmds::CFileInfo kDocuments = Folder(0, 1, "Documents");
const cmds::CFileInfo kReport = File(1, 10, "report.doc", 2048, "quarterly report");
const cmds::CFileInfo kNotes = File(1, 11, "notes.txt", 12, "");
const cmds::CFileInfo kOld = Folder(1, 2, "Old");
const cmds::CFileInfo kDraft = File(5, 1, "report draft.doc", 100, "");

cmds::CHostInfo Host(std::uint64_t id, const char* name, std::vector<std::string> addresses,
                     unsigned short port) {
    cmds::CHostInfo host;
    host.id = id;
    host.host = Wide(name);
    host.address = std::move(addresses);
    host.port = port;
    return host;
}

void Expect(bool matches, const std::string& what) {
    if (!matches) {
        throw std::runtime_error(what + " differs from what the server must answer");
    }
}

void ExpectResult(const Reply& reply, ResultCode code, const std::string& what) {
    if (reply.error != code) {
        throw std::runtime_error(what + ": result " +
                                 (reply.error ? std::to_string(*reply.error) : "missing") +
                                 " where the server must answer " + std::to_string(code));
    }
}

class CheckedExchange {
public:
    CheckedExchange(ReplyChannel& channel, std::uint64_t user)
        : channel_(channel), user_(user), mate_(user + 1), stranger_(user + 2) {}

    int Run() {
        Connect();
        Share();
        ListFolder();
        DescribeFriends();
        FindFiles();
        Unshare();
        RefuseBadRequest();
        Disconnect();
        CloseOnUnreadableHeader();
        return replies_;
    }

private:
    Reply Receive(cmds::eCommand expected) {
        Reply reply = channel_.Receive(expected);
        ++replies_;
        return reply;
    }

    Reply Ask(cmds::eCommand expected, const std::string& request) {
        channel_.Send(request);
        return Receive(expected);
    }

    // The text the generator has written since the last call.
    std::string Written() {
        std::string text = generator_.str();
        generator_.Reset();
        return text;
    }

    void Connect() {
        const Reply user = Ask(cmds::eCommandConnectOut,
                               cmds::GenerateConnectIn(user_, password_, kAddress, kUserPort,
                                                       Wide("alpha"), true, false, false));
        ExpectResult(user, kOk, "CONNECT OUTPUT");
        Expect(user.file == 0, "CONNECT OUTPUT's number of files shared before");
        const Reply mate = Ask(cmds::eCommandConnectOut,
                               cmds::GenerateConnectIn(mate_, matePassword_, kAddress, kMatePort,
                                                       Wide("beta"), false, false, false));
        ExpectResult(mate, kOk, "CONNECT OUTPUT of the friend");
        const Reply impostor = Ask(cmds::eCommandConnectOut,
                                   cmds::GenerateConnectIn(mate_, password_, kAddress, kMatePort,
                                                           Wide("beta"), false, false, false));
        ExpectResult(impostor, kWrongPassword, "CONNECT OUTPUT for a wrong password");

        generator_.GenerateAliveIn(user_, password_);
        ExpectResult(Ask(cmds::eCommandAliveOut, Written()), kOk, "ALIVE OUTPUT");
    }

    // Records take effect in order: the "-" names a file never shared and fails; the "*" asks
    // about the notes, shared by the record before it.
    void Share() {
        generator_.GenerateShareInBegin(user_, password_);
        for (const auto& record : {kDocuments, kReport, kNotes, kOld}) {
            generator_.GenerateFile(cmds::FILE_PLUS, record);
        }
        generator_.GenerateFile(cmds::FILE_MINUS, File(1, 99, "never shared", 0, ""));
        generator_.GenerateFile(cmds::FILE_STAR, kNotes);
        generator_.GenerateShareInEnd();
        const Reply user = Ask(cmds::eCommandShareOut, Written());
        ExpectResult(user, kOk, "SHARE OUTPUT");
        Expect(user.shareResults == std::vector<ShareResult>{{kOk, 1, 0},
                                                             {kOk, 10, 1},
                                                             {kOk, 11, 1},
                                                             {kOk, 2, 1},
                                                             {kUnknownFile, 99, 1},
                                                             {kOk, 11, 1}},
               "SHARE OUTPUT's results per file");

        generator_.GenerateShareInBegin(mate_, matePassword_);
        generator_.GenerateFile(kDraft, true);
        generator_.GenerateShareInEnd();
        const Reply mate = Ask(cmds::eCommandShareOut, Written());
        ExpectResult(mate, kOk, "SHARE OUTPUT of the friend");
        Expect(mate.shareResults == std::vector<ShareResult>{{kOk, 1, 5}},
               "SHARE OUTPUT's result for the friend's file");
    }

    // SHAREDIR is answered twice: its own reply, then the listing pushed after it.
    void ListFolder() {
        generator_.GenerateShareDirIn(user_, password_, 1);
        const Reply shareDir = Ask(cmds::eCommandShareDirOut, Written());
        ExpectResult(shareDir, kOk, "SHAREDIR OUTPUT");
        Expect(shareDir.folder == 1, "SHAREDIR OUTPUT's folder");

        const Reply listing = Receive(cmds::eCommandDirectory);
        ExpectResult(listing, kOk, "DIRECTORY OUTPUT");
        Expect(listing.listingName == Wide("Documents") && listing.listingId == 1,
               "DIRECTORY OUTPUT's folder name and number");
        const cmds::CSubDirInfo old{kOld.file, kOld.id, kOld.folder, false};
        Expect(listing.listing == std::vector<ListingEntry>{old, kReport, kNotes},
               "DIRECTORY OUTPUT's entries");
    }

    void DescribeFriends() {
        const Reply reply = Ask(cmds::eCommandFriendsOut,
                                cmds::GenerateFriendIn(user_, password_, {mate_, stranger_}));
        ExpectResult(reply, kOk, "FRIENDS OUTPUT");
        Expect(reply.hosts ==
                   std::vector<FoundHost>{{true, Host(mate_, "beta", {kAddress}, kMatePort), {}},
                                          {false, Host(stranger_, "", {}, 0), {}}},
               "FRIENDS OUTPUT's hosts");
    }

    void FindFiles() {
        cmds::CFindIn search;
        search.user = user_;
        search.pwd = password_;
        search.keywords = Wide("report");
        search.scope = cmds::eScopeFriend;
        generator_.GenerateFindIn(search);
        const Reply amongFriends = Ask(cmds::eCommandFindOut, Written());
        ExpectResult(amongFriends, kOk, "FIND OUTPUT among friends");
        Expect(amongFriends.hosts ==
                   std::vector<FoundHost>{
                       {true, Host(mate_, "beta", {kAddress}, kMatePort), {kDraft}}},
               "FIND OUTPUT's hosts and files among friends");

        // Both words, in any letter case: the report's name has one, its keywords the other.
        search.keywords = Wide("QUARTERLY Report");
        search.match = cmds::eMatchAll;
        search.scope = cmds::eScopeMyself;
        generator_.GenerateFindIn(search);
        const Reply own = Ask(cmds::eCommandFindOut, Written());
        ExpectResult(own, kOk, "FIND OUTPUT in the user's own files");
        Expect(own.hosts ==
                   std::vector<FoundHost>{
                       {true, Host(user_, "alpha", {kAddress}, kUserPort), {kReport}}},
               "FIND OUTPUT's hosts and files in the user's own files");
    }

    // Leaves the catalogue without the exchange's files, so that it can run again.
    void Unshare() {
        const auto unshare = [this](std::uint64_t user, const cmds::wstring& pwd,
                                    std::uint64_t folder) {
            generator_.GenerateUnShareIn(user, pwd, folder);
            return Ask(cmds::eCommandUnshareOut, Written());
        };
        ExpectResult(unshare(user_, password_, 1), kOk, "UNSHARE OUTPUT");
        ExpectResult(unshare(user_, password_, 1), kUnknownFolder,
                     "UNSHARE OUTPUT for a folder unshared already");
        ExpectResult(unshare(user_, password_, 0), kOk, "UNSHARE OUTPUT of the top folder");
        ExpectResult(unshare(mate_, matePassword_, 5), kOk, "UNSHARE OUTPUT of the friend");
    }

    // A request whose header reads but whose body does not is answered, with a result code.
    void RefuseBadRequest() {
        const Reply reply =
            Ask(cmds::eCommandShareOut, "SHARE INPUT \r\n\tuser:" + std::to_string(user_) + ";");
        ExpectResult(reply, kBadCommand, "SHARE OUTPUT for a request without files");
        Expect(reply.shareResults.empty(), "SHARE OUTPUT's results for a bad request");
    }

    void Disconnect() {
        generator_.GenerateDisconnectIn(mate_, matePassword_);
        ExpectResult(Ask(cmds::eCommandDisconnectOut, Written()), kOk,
                     "DISCONNECT OUTPUT of the friend");
        generator_.GenerateDisconnectIn(user_, password_);
        ExpectResult(Ask(cmds::eCommandDisconnectOut, Written()), kOk, "DISCONNECT OUTPUT");
        generator_.GenerateAliveIn(user_, password_);
        ExpectResult(Ask(cmds::eCommandAliveOut, Written()), kNotConnected,
                     "ALIVE OUTPUT after DISCONNECT");
    }

    // With no readable header there is no reply to give and no telling where the next command
    // starts, so the server closes the connection.
    void CloseOnUnreadableHeader() {
        channel_.Send("HELLO SERVER;");
        Expect(channel_.ServerCloses(), "the end of a connection that sent no request");
    }

    ReplyChannel& channel_;
    const std::uint64_t user_;
    const std::uint64_t mate_;
    const std::uint64_t stranger_;  // a user number nobody connects with
    const cmds::wstring password_ = Wide("alpha secret");
    const cmds::wstring matePassword_ = Wide("beta secret");
    cmds::CStrStmGenerator generator_;
    int replies_ = 0;
};

}  // namespace

int RunCheckedExchange(ReplyChannel& channel, std::uint64_t user) {
    return CheckedExchange(channel, user).Run();
}

}  // namespace example
