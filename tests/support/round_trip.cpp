#include "round_trip.h"

#include <functional>
#include <iterator>
#include <sstream>

#include "drawn_bytes.h"
#include "sinks.h"

namespace testing_support {
namespace {

class RoundTrip {
public:
    explicit RoundTrip(Bytes& bytes) : in(bytes) {}

    Bytes& in;
    std::ostringstream text;
    cmds::CGenerator out{text};

    // Announces the next command; returns a sink on which the writer makes the calls that
    // reading the command must produce.
    template <typename Sink>
    Sink Next() {
        readers_.push_back([](cmds::CParser& parser, Calls& calls) {
            Sink sink(calls);
            parser.Parse(sink);
        });
        return Sink(want_);
    }

    void Check() {
        Calls got;
        cmds::CStrLexerStream source(text.str());
        cmds::CParser parser(source);
        try {
            for (const auto& read : readers_) {
                read(parser, got);
            }
        } catch (const cmds::CCmdError&) {
            Require(false, "the reader accepts what the writer wrote");
        }
        Require(got == want_, "the calls carry the values written");
        cmds::CLexer rest(source);
        Require(rest.GetNextToken() == tokens::END_OF_INPUT, "nothing after the last command");
    }

    tagERROR_CODE Code() { return static_cast<tagERROR_CODE>(in.Number()); }
    unsigned short Port() { return static_cast<unsigned short>(in.Number()); }

    cmds::CFileInfo File() {
        cmds::CFileInfo f;
        f.folder = in.Number();
        f.id = in.Number();
        f.size = in.Number();
        for (cmds::wstring* text :
             {&f.file, &f.ext, &f.keywords, &f.author, &f.subject, &f.manager, &f.company,
              &f.comments, &f.title, &f.category, &f.creator, &f.type}) {
            if (in.Flag()) {
                *text = in.Wide();
            }
        }
        return f;
    }

    // Host addresses travel in one text split at these separators, so they hold none of them.
    std::vector<std::string> Addresses() {
        std::vector<std::string> addresses;
        for (int count = in.Byte() % 4; count > 0; --count) {
            std::string address = in.Narrow();
            for (char& c : address) {
                if (std::string_view("\n;, \t\r").find(c) != std::string_view::npos) {
                    c = '.';
                }
            }
            if (!address.empty()) {
                addresses.push_back(address);
            }
        }
        return addresses;
    }

private:
    Calls want_;
    std::vector<std::function<void(cmds::CParser&, Calls&)>> readers_;
};

// The user's credentials: the request carries the signature of the password.
template <typename Sink>
Sink Request(RoundTrip& trip, std::uint64_t& user, cmds::wstring& pwd) {
    user = trip.in.Number();
    pwd = trip.in.Wide();
    Sink expect = trip.Next<Sink>();
    expect.OnUser(user, SignUserPwd(pwd));
    return expect;
}

void ConnectCommands(RoundTrip& trip) {
    std::uint64_t user;
    cmds::wstring pwd;
    auto expect = Request<ConnectIn>(trip, user, pwd);
    // An empty address is not written at all, and the reader then rejects the request.
    const std::string address = "a" + trip.in.Narrow();
    const unsigned short port = trip.Port();
    const cmds::wstring host = trip.in.Wide();
    const bool browsable = trip.in.Flag(), httpproxy = trip.in.Flag(), socksproxy = trip.in.Flag();
    expect.OnConnectInHost(port, address, host);
    expect.OnConnectInFlags(browsable, httpproxy, socksproxy);
    if (trip.in.Flag()) {
        trip.out.GenerateConnectIn(user, pwd, address, port, host, browsable, httpproxy,
                                   socksproxy);
    } else {
        trip.text << cmds::GenerateConnectIn(user, pwd, address, port, host, browsable, httpproxy,
                                             socksproxy);
    }

    auto reply = trip.Next<ConnectOut>();
    const tagERROR_CODE code = trip.Code();
    const std::uint64_t file = trip.in.Number();
    reply.OnError(code);
    reply.OnConnectOut(file);
    if (trip.in.Flag()) {
        trip.out.GenerateConnectOut(code, file);
    } else {
        trip.text << cmds::GenerateConnectOut(code, file);
    }
}

void FlatRequests(RoundTrip& trip) {
    std::uint64_t user;
    cmds::wstring pwd;
    Request<DisconnectIn>(trip, user, pwd);
    trip.out.GenerateDisconnectIn(user, pwd);
    Request<AliveIn>(trip, user, pwd);
    trip.out.GenerateAliveIn(user, pwd);
    const std::uint64_t unshared = trip.in.Number(), shared = trip.in.Number();
    Request<UnshareIn>(trip, user, pwd).OnUnShareIn(unshared);
    trip.out.GenerateUnShareIn(user, pwd, unshared);
    Request<ShareDirIn>(trip, user, pwd).OnShareDirIn(shared);
    trip.out.GenerateShareDirIn(user, pwd, shared);
}

void FlatReplies(RoundTrip& trip) {
    const tagERROR_CODE codes[] = {trip.Code(), trip.Code(), trip.Code(), trip.Code()};
    const std::uint64_t folder = trip.in.Number();
    trip.Next<DisconnectOut>().OnError(codes[0]);
    trip.out.GenerateDisconnectOut(codes[0]);
    trip.Next<AliveOut>().OnError(codes[1]);
    trip.out.GenerateAliveOut(codes[1]);
    trip.Next<UnshareOut>().OnError(codes[2]);
    trip.out.GenerateUnShareOut(codes[2]);
    auto shareDir = trip.Next<ShareDirOut>();
    shareDir.OnError(codes[3]);
    shareDir.OnShareDirOut(folder);
    trip.out.GenerateShareDirOut(codes[3], folder);
}

void ShareCommands(RoundTrip& trip) {
    std::uint64_t user;
    cmds::wstring pwd;
    auto expect = Request<ShareIn>(trip, user, pwd);
    trip.out.GenerateShareInBegin(user, pwd);
    for (int count = trip.in.Byte() % 8; count > 0; --count) {
        const int form = trip.in.Byte() % 5;
        cmds::CFileInfo file = trip.File();
        cmds::FILE_TYPE_ENUM kind = cmds::FILE_PLUS;
        if (form < 3) {
            kind = static_cast<cmds::FILE_TYPE_ENUM>(cmds::FILE_PLUS + form);
            trip.out.GenerateFile(kind, file);
        } else {
            trip.out.GenerateFile(file, form == 3);
        }
        if (kind != cmds::FILE_PLUS) {  // a key-only record carries folder and id alone
            cmds::CFileInfo key;
            key.folder = file.folder;
            key.id = file.id;
            file = key;
        }
        expect.OnFile(kind, file);
    }
    trip.out.GenerateShareInEnd();

    auto reply = trip.Next<ShareOut>();
    const tagERROR_CODE code = trip.Code();
    reply.OnError(code);
    trip.out.GenerateShareOutBegin(code);
    for (int count = trip.in.Byte() % 8; count > 0; --count) {
        const tagERROR_CODE fileCode = trip.Code();
        const auto id = static_cast<std::uint32_t>(trip.in.Number());
        const std::uint64_t folder = trip.in.Number();
        reply.OnShareOutFile(fileCode, id, folder);
        trip.out.GenerateShareOutFile(fileCode, id, folder);
    }
    trip.out.GenerateShareOutEnd();
}

void DirectoryListing(RoundTrip& trip) {
    auto expect = trip.Next<Directory>();
    const tagERROR_CODE code = trip.Code();
    const cmds::wstring name = trip.in.Wide();
    const std::uint64_t id = trip.in.Number();
    expect.OnError(code);
    expect.OnDirectoryBegin(name, id);
    trip.out.GenerateDirectoryBegin(code, name, id);
    for (int count = trip.in.Byte() % 8; count > 0; --count) {
        const int form = trip.in.Byte() % 3;
        if (form < 2) {
            cmds::CSubDirInfo entry{trip.in.Wide(), trip.in.Number(), trip.in.Number(),
                                    trip.in.Flag()};
            if (form == 0) {
                trip.out.GenerateSubDir(entry);
            } else {
                trip.out.GenerateSubDir(entry.folder, entry.id, entry.file, entry.isProtected);
            }
            expect.OnSubDir(entry);
        } else {
            cmds::CFileInfo file = trip.File();
            trip.out.GenerateFile(file, true);
            expect.OnFile(cmds::FILE_PLUS, file);
        }
    }
    trip.out.GenerateDirectoryEnd();
}

// Option values one below and one above the named ones are not written and read as defaults.
void FindRequest(RoundTrip& trip) {
    cmds::CFindIn r;
    r.user = trip.in.Number();
    r.pwd = trip.in.Wide();
    r.keywords = trip.in.Wide();
    r.match = static_cast<cmds::eMatch>(trip.in.Byte() % 5 - 1);
    r.exact = static_cast<cmds::eExact>(trip.in.Byte() % 6 - 1);
    r.scope = static_cast<cmds::eScope>(trip.in.Byte() % 5 - 1);
    r.isCase = trip.in.Flag();
    r.rank = trip.in.Flag();
    r.freetext = trip.in.Flag();
    r.max = static_cast<std::uint32_t>(trip.in.Number());
    if (trip.in.Flag()) {
        trip.out.GenerateFindIn(r);
    } else {
        trip.out.GenerateFindIn(r.user, r.pwd, r.keywords, r.exact, r.match, r.isCase, r.rank,
                                r.freetext, r.scope, r.max);
    }
    auto expect = trip.Next<FindIn>();
    expect.OnKeywords(r.keywords);
    expect.OnUser(r.user, SignUserPwd(r.pwd));
    expect.OnMax(r.max == 0 ? 100 : r.max);
    expect.OnScope(r.scope >= 0 && r.scope <= cmds::eScopeFriend ? r.scope : cmds::eScopeGlobal);
    expect.OnMatch(r.match >= 0 && r.match <= cmds::eMatchExpression ? r.match : cmds::eMatchAny);
    expect.OnExact(r.exact >= 0 && r.exact <= cmds::eExactEnd ? r.exact : cmds::eExactOff);
    expect.OnCase(r.isCase);
    expect.OnRank(r.rank);
    expect.OnFreetext(r.freetext);
}

void FindReply(RoundTrip& trip) {
    auto expect = trip.Next<FindOut>();
    const tagERROR_CODE code = trip.Code();
    expect.OnError(code);
    trip.out.GenerateFindOutBegin(code);
    for (int hosts = trip.in.Byte() % 4; hosts > 0; --hosts) {
        cmds::CHostInfo host;
        host.id = trip.in.Number();
        host.host = trip.in.Wide();
        host.user = trip.in.Wide();
        host.nick = trip.in.Wide();
        host.address = trip.Addresses();
        host.port = trip.Port();
        std::string text;
        trip.out.GenerateAddressVect(host.address, text);
        trip.out.GenerateHostBegin(host.id, host.host, host.user, host.nick, text, host.port);
        expect.OnHost(true, host);
        for (int files = 1 + trip.in.Byte() % 3; files > 0; --files) {
            cmds::CFileInfo file = trip.File();
            trip.out.GenerateFile(file, true);
            expect.OnFile(cmds::FILE_PLUS, file);
        }
        trip.out.GenerateHostEnd();
    }
    trip.out.GenerateFindOutEnd();
}

// Friend entries in either form; a short one arrives online with the id alone.
void Friends(RoundTrip& trip, cmds::IHost& expect) {
    for (int count = trip.in.Byte() % 6; count > 0; --count) {
        cmds::CHostInfo host;
        host.id = trip.in.Number();
        bool online = true;
        if (trip.in.Flag()) {
            trip.out.GenerateFriend(host.id);
        } else {
            host.host = trip.in.Wide();
            host.address = trip.Addresses();
            host.port = trip.Port();
            online = trip.in.Flag();
            std::string text;
            trip.out.GenerateAddressVect(host.address, text);
            trip.out.GenerateFriend(host.id, host.host, text, host.port, online);
        }
        expect.OnHost(online, host);
    }
}

void FriendsCommands(RoundTrip& trip) {
    std::uint64_t user;
    cmds::wstring pwd;
    auto request = Request<FriendsIn>(trip, user, pwd);
    if (trip.in.Flag()) {
        std::vector<std::uint64_t> ids(trip.in.Byte() % 4);
        for (std::uint64_t& id : ids) {
            id = trip.in.Number();
            cmds::CHostInfo host;
            host.id = id;
            request.OnHost(true, host);
        }
        trip.text << (ids.size() == 1 ? cmds::GenerateFriendIn(user, pwd, ids[0])
                                      : cmds::GenerateFriendIn(user, pwd, ids));
    } else {
        trip.out.GenerateFriendsInBegin(user, pwd);
        Friends(trip, request);
        trip.out.GenerateFriendsInEnd();
    }

    auto reply = trip.Next<FriendsOut>();
    const tagERROR_CODE code = trip.Code();
    reply.OnError(code);
    trip.out.GenerateFriendsOutBegin(code);
    Friends(trip, reply);
    trip.out.GenerateFriendsOutEnd();
}

}  // namespace

void RoundTripCommands(const std::uint8_t* data, std::size_t size) {
    using Writer = void (*)(RoundTrip&);
    static const Writer kWriters[] = {ConnectCommands,  FlatRequests, FlatReplies, ShareCommands,
                                      DirectoryListing, FindRequest,  FindReply,   FriendsCommands};
    Bytes bytes(data, size);
    RoundTrip trip(bytes);
    while (!bytes.Empty()) {
        kWriters[bytes.Byte() % std::size(kWriters)](trip);
    }
    trip.Check();
}

}  // namespace testing_support
