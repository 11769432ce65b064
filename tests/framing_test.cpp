// What event-loop hosts use: the push reader reads a stream of commands of every kind, however
// the bytes arrive, exactly as the blocking parser reads the same text; the header peek and the
// diagnostics.
#include <gtest/gtest.h>

#include <memory>
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

// The calls of consecutive commands, each framed by its name and "end", up to the first error
// and the bytes read when it came.
Calls ReadInSequence(const std::vector<std::string>& texts) {
    std::string stream;
    for (const std::string& text : texts) {
        stream += text;
    }
    cmds::CStrLexerStream source(stream);
    cmds::CParser parser(source);
    Calls calls;
    for (const std::string& text : texts) {
        cmds::CCommandHeader header;
        EXPECT_TRUE(cmds::PeekHeader(text, header)) << text;
        calls.push_back(cmds::kCommands[header.command].name);
        try {
            cmds::VisitCommand(header.command, [&](auto kind) {
                Recording<typename decltype(kind)::Sink> sink(calls);
                parser.Parse(sink);
            });
        } catch (const cmds::CCmdError& error) {
            // A source that met its end tells no position: it read everything.
            const int read = source.GetPos();
            calls.push_back(cmds::DescribeError(error) + " after " +
                            std::to_string(read < 0 ? stream.size() : std::size_t(read)));
            break;
        }
        calls.push_back("end");
    }
    return calls;
}

// The same record of one push reader fed `pieces`, choosing each command's sink by its header.
Calls Push(const std::vector<std::string_view>& pieces) {
    struct Handler final : cmds::CPushReader::IHandler {
        explicit Handler(Calls& calls) : calls(calls) {}
        void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
            calls.push_back(cmds::kCommands[header.command].name);
            cmds::VisitCommand(header.command, [&](auto kind) {
                auto recording = std::make_shared<Recording<typename decltype(kind)::Sink>>(calls);
                choice.Use(*recording);
                sink = recording;
            });
        }
        void OnCommandEnd(const cmds::CCommandHeader&) override { calls.push_back("end"); }

        Calls& calls;
        std::shared_ptr<void> sink;
    };
    Calls calls;
    Handler handler(calls);
    cmds::CPushReader reader(handler);
    try {
        for (const std::string_view piece : pieces) {
            reader.Feed(piece);
        }
        reader.Finish();
    } catch (const cmds::CCmdError& error) {
        calls.push_back(cmds::DescribeError(error) + " after " + std::to_string(reader.Consumed()));
    }
    return calls;
}

TEST(PushReader, ReadsConsecutiveCommandsOfEveryKindAsTheBlockingParserDoesInAnySplit) {
    const std::vector<std::string> script = EveryCommandScript();
    const std::vector<std::string> good(script.begin(), script.end() - kBrokenCommands);
    std::string goodStream;
    for (const std::string& text : good) {
        goodStream += text;
    }
    // The good commands alone, then followed by each broken one, split within it.
    for (std::size_t broken = script.size(); broken >= good.size(); --broken) {
        std::vector<std::string> texts = good;
        std::string stream = goodStream;
        if (broken < script.size()) {
            texts.push_back(script[broken]);
            stream += script[broken];
        }
        const Calls expected = ReadInSequence(texts);
        const std::string_view whole(stream);
        const std::size_t firstSplit = broken < script.size() ? goodStream.size() : 0;
        for (std::size_t split = firstSplit; split <= stream.size(); ++split) {
            ASSERT_EQ(Push({whole.substr(0, split), whole.substr(split)}), expected)
                << "split at " << split << " of " << Show(stream);
        }
        std::vector<std::string_view> bytes;
        for (std::size_t at = 0; at <= stream.size(); ++at) {
            bytes.push_back(whole.substr(at, 1));
        }
        EXPECT_EQ(Push(bytes), expected) << "byte by byte: " << Show(stream);
    }
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
