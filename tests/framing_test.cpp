// The framer, the header peek and the diagnostics: however the bytes arrive, the framed commands
// read exactly as the blocking parser reads the same text.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;
using tokens::TOKEN;

template <typename Sink>
Calls Read(const std::string& text) {
    return ParseText<Sink>(text);
}
template <typename Sink>
Calls ReadNext(cmds::CLexerStream& source) {
    return ParseFrom<Sink>(source);
}

// The reader of each command kind: of a text alone, and of the next command of a source.
struct Readers {
    Calls (*text)(const std::string&);
    Calls (*next)(cmds::CLexerStream&);
};

template <typename Sink>
constexpr Readers kReaders = {Read<Sink>, ReadNext<Sink>};

const Readers& ReadersOf(const cmds::CCommandHeader& header) {
    static const std::map<std::pair<TOKEN, TOKEN>, Readers> readers = {
        {{tokens::KW_CONNECT, tokens::KW_INPUT}, kReaders<ConnectIn>},
        {{tokens::KW_CONNECT, tokens::KW_OUTPUT}, kReaders<ConnectOut>},
        {{tokens::KW_DISCONNECT, tokens::KW_INPUT}, kReaders<DisconnectIn>},
        {{tokens::KW_DISCONNECT, tokens::KW_OUTPUT}, kReaders<DisconnectOut>},
        {{tokens::KW_ALIVE, tokens::KW_INPUT}, kReaders<AliveIn>},
        {{tokens::KW_ALIVE, tokens::KW_OUTPUT}, kReaders<AliveOut>},
        {{tokens::KW_SHARE, tokens::KW_INPUT}, kReaders<ShareIn>},
        {{tokens::KW_SHARE, tokens::KW_OUTPUT}, kReaders<ShareOut>},
        {{tokens::KW_UNSHARE, tokens::KW_INPUT}, kReaders<UnshareIn>},
        {{tokens::KW_UNSHARE, tokens::KW_OUTPUT}, kReaders<UnshareOut>},
        {{tokens::KW_SHAREDIR, tokens::KW_INPUT}, kReaders<ShareDirIn>},
        {{tokens::KW_SHAREDIR, tokens::KW_OUTPUT}, kReaders<ShareDirOut>},
        {{tokens::KW_DIRECTORY, tokens::KW_OUTPUT}, kReaders<Directory>},
        {{tokens::KW_FIND, tokens::KW_INPUT}, kReaders<FindIn>},
        {{tokens::KW_FIND, tokens::KW_OUTPUT}, kReaders<FindOut>},
        {{tokens::KW_FRIENDS, tokens::KW_INPUT}, kReaders<FriendsIn>},
        {{tokens::KW_FRIENDS, tokens::KW_OUTPUT}, kReaders<FriendsOut>},
    };
    return readers.at({header.verb, header.direction});
}

cmds::wstring Wide(std::u16string_view text) {
    return cmds::wstring(text.begin(), text.end());
}

constexpr std::size_t kBroken = 5;

// A conversation with every command kind, quotes that hide ";" and the other quote, and broken
// commands (the last kBroken), each with the kind its sender meant.
std::vector<std::pair<cmds::CCommandHeader, std::string>> Conversation() {
    std::vector<std::pair<cmds::CCommandHeader, std::string>> sent;
    cmds::CStrStmGenerator out;
    const auto take = [&](TOKEN verb, TOKEN direction) {
        sent.push_back({{verb, direction}, out.str()});
        out.Reset();
    };
    const cmds::wstring pwd = Wide(u"p;w'\"");
    const cmds::wstring tricky = Wide(u"a;\"b\";'c'");
    const tagERROR_CODE ok{};
    cmds::CFileInfo file;
    file.folder = 1;
    file.id = 2;
    file.file = tricky;
    file.size = 3;
    std::string addresses;
    out.GenerateAddressVect({"a:1", "b"}, addresses);

    sent.push_back({{tokens::KW_CONNECT, tokens::KW_INPUT},
                    "\r\n connect input user:1,pwd:\"x';y\",host:'a\";b',address:a,port:1;"});
    out.GenerateConnectIn(1, pwd, "x;y", 80, tricky, true, false, true);
    take(tokens::KW_CONNECT, tokens::KW_INPUT);
    out.GenerateConnectOut(ok, 5);
    take(tokens::KW_CONNECT, tokens::KW_OUTPUT);
    out.GenerateDisconnectIn(1, pwd);
    take(tokens::KW_DISCONNECT, tokens::KW_INPUT);
    out.GenerateDisconnectOut(ok);
    take(tokens::KW_DISCONNECT, tokens::KW_OUTPUT);
    out.GenerateAliveIn(1, pwd);
    take(tokens::KW_ALIVE, tokens::KW_INPUT);
    out.GenerateAliveOut(static_cast<tagERROR_CODE>(-1));
    take(tokens::KW_ALIVE, tokens::KW_OUTPUT);
    out.GenerateShareInBegin(1, pwd);
    out.GenerateFile(cmds::FILE_PLUS, file);
    out.GenerateFile(cmds::FILE_STAR, file);
    out.GenerateShareInEnd();
    take(tokens::KW_SHARE, tokens::KW_INPUT);
    out.GenerateShareOutBegin(ok);
    out.GenerateShareOutFile(ok, 2, 1);
    out.GenerateShareOutEnd();
    take(tokens::KW_SHARE, tokens::KW_OUTPUT);
    out.GenerateUnShareIn(1, pwd, 3);
    take(tokens::KW_UNSHARE, tokens::KW_INPUT);
    out.GenerateUnShareOut(ok);
    take(tokens::KW_UNSHARE, tokens::KW_OUTPUT);
    out.GenerateShareDirIn(1, pwd, 4);
    take(tokens::KW_SHAREDIR, tokens::KW_INPUT);
    out.GenerateShareDirOut(ok, 4);
    take(tokens::KW_SHAREDIR, tokens::KW_OUTPUT);
    out.GenerateDirectoryBegin(ok, tricky, 1);
    out.GenerateSubDir(1, 9, tricky, true);
    out.GenerateFile(file, true);
    out.GenerateDirectoryEnd();
    take(tokens::KW_DIRECTORY, tokens::KW_OUTPUT);
    cmds::CFindIn search;
    search.pwd = pwd;
    search.keywords = tricky;
    out.GenerateFindIn(search);
    take(tokens::KW_FIND, tokens::KW_INPUT);
    out.GenerateFindOutBegin(ok);
    out.GenerateHostBegin(7, tricky, tricky, tricky, addresses, 80);
    out.GenerateFile(file, true);
    out.GenerateHostEnd();
    out.GenerateFindOutEnd();
    take(tokens::KW_FIND, tokens::KW_OUTPUT);
    out.GenerateFriendsInBegin(1, pwd);
    out.GenerateFriend(7);
    out.GenerateFriendsInEnd();
    take(tokens::KW_FRIENDS, tokens::KW_INPUT);
    out.GenerateFriendsOutBegin(ok);
    out.GenerateFriend(7, tricky, addresses, 80, false);
    out.GenerateFriendsOutEnd();
    take(tokens::KW_FRIENDS, tokens::KW_OUTPUT);

    sent.push_back({{tokens::KW_ALIVE, tokens::KW_OUTPUT}, "ALIVE OUTPUT error:~;"});
    sent.push_back(
        {{tokens::KW_SHARE, tokens::KW_OUTPUT}, "SHARE OUTPUT error:0{[error:0,id:1]};"});
    sent.push_back({{tokens::KW_FRIENDS, tokens::KW_INPUT},
                    "FRIENDS INPUT user:1,pwd:\"p\"{(id:1,nick:\"n\")};"});
    sent.push_back({{tokens::KW_DISCONNECT, tokens::KW_INPUT}, "DISCONNECT INPUT ;"});
    sent.push_back({{tokens::KW_UNSHARE, tokens::KW_OUTPUT}, "UNSHARE OUTPUT error:1,x:'';"});
    return sent;
}

// Every command that the framer hands out after the pieces, and whether anything is left.
std::vector<std::string> Frame(const std::vector<std::string_view>& pieces, bool& leftOver) {
    cmds::CCommandFramer framer;
    std::vector<std::string> framed;
    std::string command;
    for (std::string_view piece : pieces) {
        framer.Append(piece);
        while (framer.Next(command) == cmds::eFrameCommand) {
            framed.push_back(command);
        }
    }
    leftOver = !framer.Pending().empty();
    return framed;
}

TEST(Framer, CommandsSplitAtEveryPositionReadAsTheBlockingParserReadsThem) {
    const auto sent = Conversation();
    std::string stream;
    std::vector<std::string> texts;
    for (const auto& [header, text] : sent) {
        stream += text;
        texts.push_back(text);
    }
    // A blocking parser reads the commands in sequence from one source, the last few (which
    // are broken and leave it in the middle of a command) each from a source of its own.
    std::vector<Calls> expected;
    cmds::CStrLexerStream source(stream);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const Readers& readers = ReadersOf(sent[i].first);
        expected.push_back(i + kBroken < sent.size() ? readers.next(source)
                                                     : readers.text(sent[i].second));
    }
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        const std::string_view whole(stream);
        bool leftOver = true;
        ASSERT_EQ(Frame({whole.substr(0, split), whole.substr(split)}, leftOver), texts)
            << "split at " << split;
        EXPECT_FALSE(leftOver);
    }
    // Identical texts read identically, so the reading is checked once.
    for (std::size_t i = 0; i < texts.size(); ++i) {
        cmds::CCommandHeader header;
        ASSERT_TRUE(cmds::PeekHeader(texts[i], header)) << texts[i];
        EXPECT_EQ(ReadersOf(header).text(texts[i]), expected[i]) << texts[i];
    }
    std::vector<std::string_view> bytes;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        bytes.push_back(std::string_view(stream).substr(i, 1));
    }
    bool leftOver = true;
    EXPECT_EQ(Frame(bytes, leftOver), texts);
}

// Each Next outcome after each piece: the command, "..." for incomplete, "too large".
std::vector<std::string> Outcomes(std::size_t max, const std::vector<std::string>& pieces) {
    cmds::CCommandFramer framer(max);
    std::vector<std::string> outcomes;
    std::string command;
    for (const std::string& piece : pieces) {
        if (piece == "<clear>") {
            framer.Clear();
            continue;
        }
        framer.Append(piece);
        for (cmds::eFrameStatus status = cmds::eFrameCommand; status == cmds::eFrameCommand;) {
            status = framer.Next(command);
            outcomes.push_back(status == cmds::eFrameCommand    ? command
                               : status == cmds::eFrameTooLarge ? "too large"
                                                                : "...");
        }
    }
    return outcomes;
}

TEST(Framer, HoldsTheSizeLimit) {
    const std::string mib(cmds::CCommandFramer::kDefaultMaxCommandSize - 1, 'a');
    const struct {
        std::size_t max;
        std::vector<std::string> pieces;
        std::vector<std::string> outcomes;
    } cases[] = {
        {16, {"ALIVE OUTPUT er;"}, {"ALIVE OUTPUT er;", "..."}},
        {16, {"ALIVE OUTPUT err;"}, {"too large"}},
        {16, {"ALIVE OUTPUT err", "r", ";"}, {"...", "too large", "too large"}},
        {16, {"x;'a;b;c;d;e;f;g;h;'"}, {"x;", "too large"}},
        {16, {"ALIVE OUTPUT er;ALIVE OUTPUT er;"}, {"ALIVE OUTPUT er;", "ALIVE OUTPUT er;", "..."}},
        {16, {"ALIVE OUTPUT err;", "<clear>", "b;"}, {"too large", "b;", "..."}},
        {cmds::CCommandFramer::kDefaultMaxCommandSize, {mib + ";"}, {mib + ";", "..."}},
        {cmds::CCommandFramer::kDefaultMaxCommandSize, {mib + "a;"}, {"too large"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Outcomes(c.max, c.pieces), c.outcomes) << c.pieces.front().substr(0, 40);
    }
    cmds::CCommandFramer framer(4);
    framer.Append("abcde");
    std::string command;
    ASSERT_EQ(framer.Next(command), cmds::eFrameTooLarge);
    framer.Append(";");
    EXPECT_EQ(framer.Pending(), "abcde");
}

TEST(Framer, TakesLinearTimeWhenFedByteByByte) {
    // Rescanning or moving the buffer per byte would take hours here, not milliseconds.
    std::string stream;
    for (int i = 0; i < 100000; ++i) {
        stream += "ALIVE;";
    }
    stream += "'" + std::string(std::size_t{1} << 20, ';') + "';";
    cmds::CCommandFramer framer(std::size_t{2} << 20);
    std::string command;
    std::size_t commands = 0;
    for (const char byte : stream) {
        framer.Append(std::string_view(&byte, 1));
        commands += framer.Next(command) == cmds::eFrameCommand;
    }
    EXPECT_EQ(commands, 100001u);
    EXPECT_EQ(command.size(), (std::size_t{1} << 20) + 3);
}

TEST(PeekHeader, ReadsTheFirstTwoWordsAsTheLexerDoes) {
    const struct {
        const char* text;
        TOKEN verb;
        TOKEN direction;
    } cases[] = {
        {"CONNECT INPUT user:1;", tokens::KW_CONNECT, tokens::KW_INPUT},
        {" \r\n\tfind\tOutput\r\n\terror:0", tokens::KW_FIND, tokens::KW_OUTPUT},
        {"DIRECTORY OUTPUT", tokens::KW_DIRECTORY, tokens::KW_OUTPUT},
        {"sharedir input;", tokens::KW_SHAREDIR, tokens::KW_INPUT},
        {"UNSHARE OUTPUT{", tokens::KW_UNSHARE, tokens::KW_OUTPUT},
        {"DIRECTORY INPUT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"CONNECTINPUT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"CONNECT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"CONNECT INPUT2", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"CONNECT 'INPUT'", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"INPUT CONNECT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"user INPUT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"\fALIVE INPUT", tokens::NO_TOKEN, tokens::NO_TOKEN},
        {"", tokens::NO_TOKEN, tokens::NO_TOKEN},
    };
    for (const auto& c : cases) {
        cmds::CCommandHeader header;
        EXPECT_EQ(cmds::PeekHeader(c.text, header), c.verb != tokens::NO_TOKEN) << c.text;
        EXPECT_EQ(header.verb, c.verb) << c.text;
        EXPECT_EQ(header.direction, c.direction) << c.text;
    }
}

TEST(Diagnostics, NamesEveryErrorType) {
    EXPECT_STREQ(cmds::GetErrorName(cmds::CLexError()), "lexical error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CSyntaxError()), "syntax error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CSemanticError()), "semantic error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CRuntimeError()), "runtime error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CDeadlockError()), "deadlock error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CCancelError()), "cancel error");
    EXPECT_STREQ(cmds::GetErrorName(cmds::CCmdError{6}), "unknown error");
}

struct Stop {
    std::string error;
    std::size_t offset, line, column;
    bool operator==(const Stop& other) const {
        return error == other.error && offset == other.offset && line == other.line &&
               column == other.column;
    }
};

std::ostream& operator<<(std::ostream& out, const Stop& stop) {
    return out << stop.error << " at " << stop.offset << " " << stop.line << ":" << stop.column;
}

template <typename Sink>
Stop StopOf(cmds::CLexerStream& source, const std::string& text) {
    Calls calls;
    Sink sink(calls);
    cmds::CParser parser(source);
    try {
        parser.Parse(sink);
    } catch (const cmds::CCmdError& error) {
        const cmds::CTextPosition at = cmds::GetStopPosition(source, text);
        return {cmds::GetErrorName(error), at.offset, at.line, at.column};
    }
    return {"none", 0, 0, 0};
}

// Where reading stops, from a string source and from a stream source.
template <typename Sink>
std::pair<Stop, Stop> Stops(const std::string& text) {
    cmds::CStrLexerStream string(text);
    std::istringstream input(text);
    cmds::CLexerStream stream(input);
    return {StopOf<Sink>(string, text), StopOf<Sink>(stream, text)};
}

TEST(Diagnostics, GivesThePlaceWhereReadingStopped) {
    const struct {
        std::pair<Stop, Stop> (*read)(const std::string&);
        std::string text;
        Stop expected;
    } cases[] = {
        {Stops<AliveOut>, "ALIVE OUTPUT error:~;", {"lexical error", 19, 1, 20}},
        {Stops<AliveIn>, "ALIVE INPUTS user:1;", {"syntax error", 11, 1, 12}},
        {Stops<ConnectOut>, "CONNECT OUTPUT \r\n\terror:0,file:'x';", {"syntax error", 34, 2, 18}},
        {Stops<AliveIn>, "ALIVE INPUT\n  user:1\n;", {"semantic error", 21, 3, 1}},
        {Stops<AliveIn>, "ALIVE INPUT user:1,pwd:\"abc", {"lexical error", 27, 1, 28}},
        {Stops<DisconnectIn>, "DISCONNECT INPUT ;", {"syntax error", 18, 1, 19}},
        {Stops<ShareOut>, "SHARE OUTPUT error:0\n", {"syntax error", 21, 2, 1}},
    };
    for (const auto& c : cases) {
        const auto [fromString, fromStream] = c.read(c.text);
        EXPECT_EQ(fromString, c.expected) << c.text;
        EXPECT_EQ(fromStream, c.expected) << c.text;
    }
    const cmds::CTextPosition beyond = cmds::LocateOffset("ab\ncd", 9);
    EXPECT_EQ(beyond.offset, 5u);
    EXPECT_EQ(beyond.line, 2u);
    EXPECT_EQ(beyond.column, 3u);
}

}  // namespace
