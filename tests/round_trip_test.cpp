// Every writer read back by its reader: the calls must carry exactly the values written.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;
using namespace std::literals;

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint32_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::int32_t kCodes[] = {0, -1, 1, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max()};
constexpr std::uint64_t kNumbers[] = {0, 1, kMax32, 4294967296u, kMax64, 1234567890123u};
constexpr unsigned short kPorts[] = {0, 80, 65535};
constexpr const char16_t* kWides[] = {u"",
                                      u"report.doc",
                                      u"it's 'quoted'",
                                      u"'",
                                      u"''''",
                                      u"\"q\" \\",
                                      u"\r\n\t ;,",
                                      u"\xD800",
                                      u"lone \xDC00 low",
                                      u"\xDC00\xD800",
                                      u"end \xDBFF",
                                      u"\u00e9\u07ff\u0800\u20ac\ufeff\uffff",
                                      u"\U0001F600 \U0010FFFF"};
// A CONNECT address is one text; host addresses are split at "\n;, \t\r", so they avoid those.
const std::string kConnectAddresses[] = {"10.0.0.1",     "it's", "\"q\" %41 %",
                                         "\xff\x80\x7f", " ",    "\r\n\t;,"};
const std::string kHostAddresses[] = {"10.0.0.1", "[::1]:8080", "it's",   "\"q\"",
                                      "%41%",     "\x01\xff",   "a=b&c|d"};

// The listed texts, all 128 ASCII units in one text, and texts of units drawn from a fixed
// seed: printable, quoting and break characters, NUL, surrogates and any other unit.
const std::vector<cmds::wstring>& Wides() {
    static const std::vector<cmds::wstring> texts = [] {
        std::vector<cmds::wstring> list;
        for (std::u16string_view text : kWides) {
            list.emplace_back(text.begin(), text.end());
        }
        list.emplace_back();
        for (unsigned short unit = 0; unit < 0x80; ++unit) {
            list.back() += unit;
        }
        std::mt19937_64 rng(7);
        for (int drawn = 0; drawn < 25; ++drawn) {
            list.emplace_back(1 + rng() % 8, static_cast<unsigned short>(0));
            for (unsigned short& unit : list.back()) {
                const std::uint64_t value = rng();
                const std::uint64_t forms[] = {0x20 + value % 0x5f, u"'\"\r\n\t\\\0"sv[value % 7],
                                               0xD800 + value % 0x800, value};
                unit = static_cast<unsigned short>(forms[rng() % 4]);
            }
        }
        return list;
    }();
    return texts;
}

const cmds::wstring& Wide(std::size_t i) {
    return Wides()[i % Wides().size()];
}
std::uint64_t Number(std::size_t i) {
    return kNumbers[i % std::size(kNumbers)];
}
unsigned short Port(std::size_t i) {
    return kPorts[i % std::size(kPorts)];
}
tagERROR_CODE Code(std::size_t i) {
    return static_cast<tagERROR_CODE>(kCodes[i % std::size(kCodes)]);
}

// Every byte value in one text, then the listed ones.
std::string ConnectAddress(std::size_t i) {
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte) {
        bytes += static_cast<char>(byte);
    }
    const std::size_t pick = i % (std::size(kConnectAddresses) + 1);
    return pick == 0 ? bytes : kConnectAddresses[pick - 1];
}

std::vector<std::string> HostAddresses(std::size_t i) {
    std::vector<std::string> list;
    for (std::size_t k = 0; k < i % 5; ++k) {
        list.push_back(kHostAddresses[(i + k) % std::size(kHostAddresses)]);
    }
    return list;
}

// Every third record has all twelve texts set; the others have their name only.
cmds::CFileInfo File(std::size_t i) {
    cmds::CFileInfo f;
    f.folder = Number(i);
    f.id = Number(i + 1);
    f.size = Number(i + 2);
    f.file = Wide(i);
    if (i % 3 == 0) {
        std::size_t k = i;
        for (cmds::wstring* text :
             {&f.file, &f.ext, &f.keywords, &f.author, &f.subject, &f.manager, &f.company,
              &f.comments, &f.title, &f.category, &f.creator, &f.type}) {
            *text = Wides()[1 + k++ % (Wides().size() - 1)];
        }
    }
    return f;
}

// Commands written onto `out` and read back by one parser in the same order. Next<Sink>()
// announces the next command and returns a sink on which the test makes the calls that reading
// it must produce, so every expectation is built from the values that were written.
class RoundTrip {
public:
    cmds::CStrStmGenerator out;

    template <typename Sink>
    Sink Next() {
        readers_.push_back([this](cmds::CParser& parser) {
            Sink sink(got_);
            parser.Parse(sink);
        });
        return Sink(want_);
    }

    void Check() { Check(out.str()); }
    void Check(const std::string& text) {
        got_.clear();
        cmds::CStrLexerStream source(text);
        cmds::CParser parser(source);
        try {
            for (const auto& read : readers_) {
                read(parser);
            }
            cmds::CLexer rest(source);
            EXPECT_EQ(rest.GetNextToken(), tokens::END_OF_INPUT) << "text after the last command";
        } catch (const cmds::CCmdError& error) {
            got_.push_back(std::string("throws ") + ErrorName(error.code));
        }
        EXPECT_EQ(got_, want_) << Show(text);
    }

private:
    Calls want_;
    Calls got_;
    std::vector<std::function<void(cmds::CParser&)>> readers_;
};

// One writer per command below: each writes the command with values picked by `i` and makes on
// the command's sink the calls that reading it must produce.

// Returns the same two commands as the free functions write them.
std::string WriteConnect(RoundTrip& trip, std::size_t i) {
    const std::string address = ConnectAddress(i);
    const bool browsable = i & 1, httpproxy = i & 2, socksproxy = i & 4;
    auto request = trip.Next<ConnectIn>();
    request.OnUser(Number(i), SignUserPwd(Wide(i + 1)));
    request.OnConnectInHost(Port(i), address, Wide(i));
    request.OnConnectInFlags(browsable, httpproxy, socksproxy);
    trip.out.GenerateConnectIn(Number(i), Wide(i + 1), address, Port(i), Wide(i), browsable,
                               httpproxy, socksproxy);
    auto reply = trip.Next<ConnectOut>();
    reply.OnError(Code(i));
    reply.OnConnectOut(Number(i + 1));
    trip.out.GenerateConnectOut(Code(i), Number(i + 1));
    return cmds::GenerateConnectIn(Number(i), Wide(i + 1), address, Port(i), Wide(i), browsable,
                                   httpproxy, socksproxy) +
           cmds::GenerateConnectOut(Code(i), Number(i + 1));
}

void WriteFlatRequests(RoundTrip& trip, std::size_t i) {
    const std::uint64_t user = Number(i), folder = Number(i + 1);
    const std::string sig = SignUserPwd(Wide(i));
    trip.Next<DisconnectIn>().OnUser(user, sig);
    trip.out.GenerateDisconnectIn(user, Wide(i));
    trip.Next<AliveIn>().OnUser(user, sig);
    trip.out.GenerateAliveIn(user, Wide(i));
    auto unshare = trip.Next<UnshareIn>();
    unshare.OnUser(user, sig);
    unshare.OnUnShareIn(folder);
    trip.out.GenerateUnShareIn(user, Wide(i), folder);
    auto shareDir = trip.Next<ShareDirIn>();
    shareDir.OnUser(user, sig);
    shareDir.OnShareDirIn(folder);
    trip.out.GenerateShareDirIn(user, Wide(i), folder);
}

void WriteFlatReplies(RoundTrip& trip, std::size_t i) {
    trip.Next<DisconnectOut>().OnError(Code(i));
    trip.out.GenerateDisconnectOut(Code(i));
    trip.Next<AliveOut>().OnError(Code(i + 1));
    trip.out.GenerateAliveOut(Code(i + 1));
    trip.Next<UnshareOut>().OnError(Code(i + 2));
    trip.out.GenerateUnShareOut(Code(i + 2));
    auto shareDir = trip.Next<ShareDirOut>();
    shareDir.OnError(Code(i + 3));
    shareDir.OnShareDirOut(Number(i));
    trip.out.GenerateShareDirOut(Code(i + 3), Number(i));
}

void WriteShareIn(RoundTrip& trip, std::size_t i, std::size_t count) {
    auto expect = trip.Next<ShareIn>();
    trip.out.GenerateShareInBegin(Number(i), Wide(i));
    expect.OnUser(Number(i), SignUserPwd(Wide(i)));
    const cmds::FILE_TYPE_ENUM kinds[] = {cmds::FILE_PLUS, cmds::FILE_MINUS, cmds::FILE_STAR,
                                          cmds::FILE_PLUS};
    for (std::size_t k = i; k < i + count; ++k) {
        const cmds::FILE_TYPE_ENUM kind = kinds[k % 4];
        cmds::CFileInfo file = File(k);
        if (k % 4 == 3) {  // no marker, on its own line or not
            trip.out.GenerateFile(file, k % 8 == 3);
        } else {
            trip.out.GenerateFile(kind, file);
        }
        cmds::CFileInfo delivered = file;
        if (kind != cmds::FILE_PLUS) {  // a key-only record carries folder and id alone
            delivered = cmds::CFileInfo();
            delivered.folder = file.folder;
            delivered.id = file.id;
        }
        expect.OnFile(kind, delivered);
    }
    trip.out.GenerateShareInEnd();
}

void WriteShareOut(RoundTrip& trip, std::size_t i, std::size_t count) {
    auto expect = trip.Next<ShareOut>();
    trip.out.GenerateShareOutBegin(Code(i));
    expect.OnError(Code(i));
    for (std::size_t k = i; k < i + count; ++k) {
        const auto id = static_cast<std::uint32_t>(Number(k + 2));
        trip.out.GenerateShareOutFile(Code(k + 1), id, Number(k));
        expect.OnShareOutFile(Code(k + 1), id, Number(k));
    }
    trip.out.GenerateShareOutEnd();
}

void WriteDirectory(RoundTrip& trip, std::size_t i, std::size_t count) {
    auto expect = trip.Next<Directory>();
    trip.out.GenerateDirectoryBegin(Code(i), Wide(i), Number(i));
    expect.OnError(Code(i));
    expect.OnDirectoryBegin(Wide(i), Number(i));
    for (std::size_t k = i; k < i + count; ++k) {
        if (k % 3 == 0) {
            cmds::CSubDirInfo entry{Wide(k), Number(k), Number(k + 1), k % 4 < 2};
            if (k % 2 == 0) {
                trip.out.GenerateSubDir(entry);
            } else {
                trip.out.GenerateSubDir(entry.folder, entry.id, entry.file, entry.isProtected);
            }
            expect.OnSubDir(entry);
        } else {
            cmds::CFileInfo file = File(k);
            trip.out.GenerateFile(file, true);
            expect.OnFile(cmds::FILE_PLUS, file);
        }
    }
    trip.out.GenerateDirectoryEnd();
}

// Every combination of option values and flags for `i` below 1200. The value -1 and the one
// past the last name are not written, and read back as the default.
void WriteFindIn(RoundTrip& trip, std::size_t i) {
    const std::uint32_t maxes[] = {0, 1, 100, kMax32};
    cmds::CFindIn r;
    r.match = static_cast<cmds::eMatch>(static_cast<std::int32_t>(i % 5) - 1);
    r.exact = static_cast<cmds::eExact>(static_cast<std::int32_t>(i / 5 % 6) - 1);
    r.scope = static_cast<cmds::eScope>(static_cast<std::int32_t>(i / 30 % 5) - 1);
    r.isCase = i / 150 & 1;
    r.rank = i / 150 & 2;
    r.freetext = i / 150 & 4;
    r.max = maxes[i % 4];
    r.keywords = Wide(i);
    r.user = Number(i);
    r.pwd = Wide(i + 1);
    if (i % 2 == 0) {
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

void WriteFindOut(RoundTrip& trip, std::size_t i, std::size_t hosts) {
    auto expect = trip.Next<FindOut>();
    trip.out.GenerateFindOutBegin(Code(i));
    expect.OnError(Code(i));
    for (std::size_t k = i; k < i + hosts; ++k) {
        cmds::CHostInfo host;
        host.id = Number(k);
        host.host = Wide(k);
        host.user = Wide(k + 3);
        host.nick = Wide(k + 7);
        host.address = HostAddresses(k);
        host.port = Port(k);
        std::string text;
        trip.out.GenerateAddressVect(host.address, text);
        trip.out.GenerateHostBegin(host.id, host.host, host.user, host.nick, text, host.port);
        expect.OnHost(true, host);
        for (std::size_t f = k; f <= k + k % 3; ++f) {
            cmds::CFileInfo file = File(f);
            trip.out.GenerateFile(file, true);
            expect.OnFile(cmds::FILE_PLUS, file);
        }
        trip.out.GenerateHostEnd();
    }
    trip.out.GenerateFindOutEnd();
}

// Friend entries, every third one in the short form.
void WriteFriends(RoundTrip& trip, cmds::IHost& expect, std::size_t i, std::size_t count) {
    for (std::size_t k = i; k < i + count; ++k) {
        cmds::CHostInfo host;
        host.id = Number(k);
        bool online = true;
        if (k % 3 == 0) {
            trip.out.GenerateFriend(host.id);
        } else {
            host.host = Wide(k);
            host.address = HostAddresses(k);
            host.port = Port(k);
            online = k % 2 == 0;
            std::string text;
            trip.out.GenerateAddressVect(host.address, text);
            trip.out.GenerateFriend(host.id, host.host, text, host.port, online);
        }
        expect.OnHost(online, host);
    }
}

void WriteFriendsIn(RoundTrip& trip, std::size_t i, std::size_t count) {
    auto expect = trip.Next<FriendsIn>();
    trip.out.GenerateFriendsInBegin(Number(i), Wide(i));
    expect.OnUser(Number(i), SignUserPwd(Wide(i)));
    WriteFriends(trip, expect, i, count);
    trip.out.GenerateFriendsInEnd();
}

void WriteFriendsOut(RoundTrip& trip, std::size_t i, std::size_t count) {
    auto expect = trip.Next<FriendsOut>();
    trip.out.GenerateFriendsOutBegin(Code(i));
    expect.OnError(Code(i));
    WriteFriends(trip, expect, i, count);
    trip.out.GenerateFriendsOutEnd();
}

TEST(RoundTripAllKinds, BackToBackWithListedAndDrawnValues) {
    for (std::size_t i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        RoundTrip trip;
        WriteConnect(trip, i);
        WriteFlatRequests(trip, i + 1);
        WriteFlatReplies(trip, i + 2);
        WriteShareIn(trip, i + 3, i % 6);
        WriteShareOut(trip, i + 4, i % 5);
        WriteDirectory(trip, i + 5, i % 7);
        WriteFindIn(trip, i);
        WriteFindOut(trip, i + 6, i % 4);
        WriteFriendsIn(trip, i + 7, i % 5);
        WriteFriendsOut(trip, i + 8, i % 5);
        trip.Check();
    }
}

TEST(RoundTripAllKinds, LongLists) {
    RoundTrip trip;
    WriteShareIn(trip, 0, 50);
    WriteShareOut(trip, 1, 50);
    WriteDirectory(trip, 2, 50);
    WriteFindOut(trip, 3, 20);
    WriteFriendsIn(trip, 4, 30);
    WriteFriendsOut(trip, 5, 30);
    trip.Check();
}

TEST(RoundTripFind, RequestWithEveryOptionCombination) {
    for (std::size_t i = 0; i < 1200; ++i) {
        SCOPED_TRACE(i);
        RoundTrip trip;
        WriteFindIn(trip, i);
        trip.Check();
    }
}

TEST(RoundTripFreeFunctions, ConnectAndFriendRequests) {
    for (std::size_t i = 0; i < Wides().size(); ++i) {
        SCOPED_TRACE(i);
        RoundTrip trip;
        const std::string connect = WriteConnect(trip, i);
        const std::vector<std::uint64_t> ids(kNumbers, kNumbers + i % (std::size(kNumbers) + 1));
        auto friends = trip.Next<FriendsIn>();
        friends.OnUser(Number(i), SignUserPwd(Wide(i)));
        for (std::uint64_t id : ids) {
            cmds::CHostInfo host;
            host.id = id;
            friends.OnHost(true, host);
        }
        trip.Check(connect + cmds::GenerateFriendIn(Number(i), Wide(i), ids));
        if (ids.size() == 1) {
            trip.Check(connect + cmds::GenerateFriendIn(Number(i), Wide(i), ids[0]));
        }
    }
}

TEST(RoundTripConnect, EmptyAddressIsLeftOutSoTheReaderRejectsIt) {
    const cmds::wstring pwd = Wide(1);
    Calls want;
    ConnectIn(want).OnUser(7, SignUserPwd(pwd));
    want.push_back("throws CSemanticError");
    EXPECT_EQ(
        ParseText<ConnectIn>(cmds::GenerateConnectIn(7, pwd, "", 80, Wide(2), true, true, true)),
        want);
}

}  // namespace
