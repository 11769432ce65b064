// The framer, the header peek and the diagnostics: however the bytes arrive, the framed commands
// read exactly as the blocking parser reads the same text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cmds/cmds.h"
#include "every_command.h"
#include "recorder.h"

namespace {

using namespace testing_support;
using tokens::TOKEN;

using Reader = Calls (*)(cmds::CLexerStream&);

// The reader of the next command of a source, for each command kind.
Reader ReaderOf(const cmds::CCommandHeader& header) {
    const cmds::CCommandInfo* command = cmds::FindCommand(header.verb, header.direction);
    return cmds::VisitCommand(command->id, [](auto kind) -> Reader {
        using Sink = Recording<typename decltype(kind)::Sink>;
        return [](cmds::CLexerStream& source) { return ParseFrom<Sink>(source); };
    });
}

// Every command that the framer hands out after the pieces; none may be left over.
std::vector<std::string> Frame(const std::vector<std::string_view>& pieces) {
    cmds::CCommandFramer framer;
    std::vector<std::string> framed;
    std::string command;
    for (std::string_view piece : pieces) {
        framer.Append(piece);
        while (framer.Next(command) == cmds::eFrameCommand) {
            framed.push_back(command);
        }
    }
    EXPECT_EQ(framer.Pending(), "");
    return framed;
}

TEST(Framer, CommandsSplitAtEveryPositionReadAsTheBlockingParserReadsThem) {
    const std::vector<std::string> texts = EveryCommandScript();
    std::string stream;
    std::vector<cmds::CCommandHeader> headers(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        stream += texts[i];
        ASSERT_TRUE(cmds::PeekHeader(texts[i], headers[i])) << texts[i];
    }
    // A blocking parser reads the commands in sequence from one source, the last few (which
    // are broken and leave it in the middle of a command) each from a source of its own. The
    // framed commands, identical texts, read identically, so their reading is checked once.
    cmds::CStrLexerStream source(stream);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto read = ReaderOf(headers[i]);
        const Calls fromText = ReadFromEverySource(texts[i], read);
        EXPECT_EQ(i + kBrokenCommands < texts.size() ? read(source) : fromText, fromText)
            << texts[i];
    }
    const std::string_view whole(stream);
    std::vector<std::string_view> bytes;
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        ASSERT_EQ(Frame({whole.substr(0, split), whole.substr(split)}), texts) << split;
        bytes.push_back(whole.substr(split, 1));
    }
    EXPECT_EQ(Frame(bytes), texts);
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

// The error that stopped reading and its offset, line and column.
template <typename Sink>
std::string StopOf(cmds::CLexerStream& source, const std::string& text) {
    Calls calls;
    Sink sink(calls);
    cmds::CParser parser(source);
    try {
        parser.Parse(sink);
    } catch (const cmds::CCmdError& error) {
        const cmds::CTextPosition at = cmds::GetStopPosition(source, text);
        return std::string(cmds::GetErrorName(error)) + " at " + std::to_string(at.offset) + " " +
               std::to_string(at.line) + ":" + std::to_string(at.column);
    }
    return "none";
}

// Where reading stops, from a string source and from a stream source.
template <typename Sink>
std::pair<std::string, std::string> Stops(const std::string& text) {
    cmds::CStrLexerStream string(text);
    std::istringstream input(text);
    cmds::CLexerStream stream(input);
    return {StopOf<Sink>(string, text), StopOf<Sink>(stream, text)};
}

TEST(Diagnostics, GivesThePlaceWhereReadingStopped) {
    const struct {
        std::pair<std::string, std::string> (*read)(const std::string&);
        std::string text;
        std::string expected;
    } cases[] = {
        {Stops<AliveOut>, "ALIVE OUTPUT error:~;", "lexical error at 19 1:20"},
        {Stops<AliveIn>, "ALIVE INPUTS user:1;", "syntax error at 11 1:12"},
        {Stops<ConnectOut>, "CONNECT OUTPUT \r\n\terror:0,file:'x';", "syntax error at 34 2:18"},
        {Stops<AliveIn>, "ALIVE INPUT\n  user:1\n;", "semantic error at 21 3:1"},
        {Stops<AliveIn>, "ALIVE INPUT user:1,pwd:\"abc", "lexical error at 27 1:28"},
        {Stops<DisconnectIn>, "DISCONNECT INPUT ;", "syntax error at 18 1:19"},
        {Stops<ShareOut>, "SHARE OUTPUT error:0\n", "syntax error at 21 2:1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.read(c.text), std::make_pair(c.expected, c.expected)) << c.text;
    }
    const cmds::CTextPosition beyond = cmds::LocateOffset("ab\ncd", 9);
    EXPECT_EQ(beyond.offset, 5u);
    EXPECT_EQ(beyond.line, 2u);
    EXPECT_EQ(beyond.column, 3u);
}

}  // namespace
