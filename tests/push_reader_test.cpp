// The push reader beyond what the parser tables show (they read every row through it at every
// split): a stream of commands of different kinds, the host's choices, faults and what follows
// them, and the read limits, which the push reader and CParser share.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmds/cmds.h"
#include "sinks.h"

namespace {

using namespace testing_support;

// Gives every command a recording sink of its kind and logs the headers and ends; `onCommand`
// may replace the choice.
struct Handler : cmds::CPushReader::IHandler {
    void OnCommand(const cmds::CCommandHeader& header, cmds::CSinkChoice& choice) override {
        calls.push_back(std::string("command ") + cmds::kCommands[header.command].name);
        if (onCommand) {
            onCommand(choice);
            return;
        }
        cmds::VisitCommand(header.command, [&](auto kind) {
            using Sink = Recording<typename decltype(kind)::Sink>;
            sinks.push_back(std::make_unique<Holder<Sink>>(calls));
            choice.Use(static_cast<Holder<Sink>&>(*sinks.back()).sink);
        });
    }
    void OnCommandEnd(const cmds::CCommandHeader&) override { calls.push_back("end"); }

    struct AnyHolder {
        virtual ~AnyHolder() = default;
    };
    template <typename Sink>
    struct Holder : AnyHolder {
        explicit Holder(Calls& calls) : sink(calls) {}
        Sink sink;
    };

    Calls calls;
    std::vector<std::unique_ptr<AnyHolder>> sinks;
    std::function<void(cmds::CSinkChoice&)> onCommand;
};

// The error of a call, described, or "" when it throws none.
std::string Fault(const std::function<void()>& call) {
    try {
        call();
    } catch (const cmds::CCmdError& error) {
        return std::string(cmds::GetErrorTypeName(error)) + ": " + cmds::DescribeError(error);
    }
    return "";
}

TEST(PushReader, ReadsConsecutiveCommandsOfAnyKindInAnySplit) {
    const std::string text =
        "ALIVE OUTPUT error:0;\r\n"
        "CONNECT OUTPUT error:18446744073709551615,file:7;"
        "SHARE INPUT user:1,pwd:\"p\"{(-[folder:2,id:3]*[folder:4,id:5])};";
    const Calls expected = {"command ALIVE OUTPUT",
                            "OnError(0)",
                            "end",
                            "command CONNECT OUTPUT",
                            "OnError(-1)",
                            "OnConnectOut(7)",
                            "end",
                            "command SHARE INPUT",
                            "OnUser(1,\"p\")",
                            "OnFile(\"-\",{folder:2,id:3,file:'',size:0})",
                            "OnFile(\"*\",{folder:4,id:5,file:'',size:0})",
                            "end"};
    for (std::size_t at = 0; at <= text.size(); ++at) {
        Handler handler;
        cmds::CPushReader reader(handler);
        reader.Feed(std::string_view(text).substr(0, at));
        reader.Feed(std::string_view(text).substr(at));
        EXPECT_FALSE(reader.InCommand());
        reader.Finish();
        EXPECT_EQ(handler.calls, expected) << "split at " << at;
        EXPECT_EQ(reader.Consumed(), text.size());
    }
}

TEST(PushReader, FaultsAndMisuse) {
    struct Row {
        const char* name;
        std::function<void(cmds::CPushReader&, Handler&)> run;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"a header naming no command",
         [](cmds::CPushReader& r, Handler&) { r.Feed("ALIVE SIDEWAYS error:0;"); },
         "CSyntaxError: 1:7: syntax error: expected a command; read the keyword ALIVE the "
         "string \"SIDEWAYS\""},
        {"no verb at all", [](cmds::CPushReader& r, Handler&) { r.Feed("\n  user:1;"); },
         "CSyntaxError: 2:3: syntax error: expected a command; read the keyword user"},
        {"input ending inside a command",
         [](cmds::CPushReader& r, Handler&) {
             r.Feed("ALIVE OUTPUT error:0");
             r.Finish();
         },
         "CSyntaxError: 1:21: syntax error in ALIVE OUTPUT: expected ';'; read the end of the "
         "input"},
        {"a sink of another command",
         [](cmds::CPushReader& r, Handler& h) {
             static Calls none;
             static AliveIn wrong(none);
             h.onCommand = [](cmds::CSinkChoice& choice) { choice.Use(wrong); };
             r.Feed("ALIVE OUTPUT error:0;");
         },
         "CRuntimeError: 1:7: runtime error in ALIVE OUTPUT: the handler chose no sink of this "
         "command's interface"},
        {"bytes after Finish",
         [](cmds::CPushReader& r, Handler&) {
             r.Finish();
             r.Feed("ALIVE OUTPUT error:0;");
         },
         "CRuntimeError: 1:1: runtime error: bytes were fed after Finish"},
        {"a fault is thrown again by every later call",
         [](cmds::CPushReader& r, Handler&) {
             EXPECT_NE(Fault([&] { r.Feed("ALIVE OUTPUT error:x;"); }), "");
             EXPECT_EQ(r.Consumed(), 20u);
             EXPECT_TRUE(r.InCommand());
             r.Feed("ALIVE OUTPUT error:0;");
         },
         "CSyntaxError: 1:20: syntax error in ALIVE OUTPUT: error takes a number; read the string "
         "\"x\""},
    };
    for (const Row& row : rows) {
        Handler handler;
        cmds::CPushReader reader(handler);
        EXPECT_EQ(Fault([&] { row.run(reader, handler); }), row.expected) << row.name;
    }
}

TEST(PushReader, FedFromItsOwnCallbackRefuses) {
    Handler handler;
    cmds::CPushReader reader(handler);
    std::string refused;
    handler.onCommand = [&](cmds::CSinkChoice&) {
        refused = Fault([&] { reader.Feed("ALIVE OUTPUT error:0;"); });
        throw std::runtime_error("host gives up");
    };
    EXPECT_THROW(reader.Feed("ALIVE OUTPUT error:0;"), std::runtime_error);
    EXPECT_EQ(refused,
              "CRuntimeError: 1:1: runtime error: the push reader was fed from one of its own "
              "callbacks");
    // What a callback threw is the reader's fault from then on.
    EXPECT_THROW(reader.Finish(), std::runtime_error);
}

// A reader destroyed in the middle of a value lets go of all it held (the sanitizer builds tell).
TEST(PushReader, DestroyedMidCommandReleasesItsState) {
    Handler handler;
    {
        cmds::CPushReader reader(handler);
        reader.Feed("SHARE INPUT user:1,pwd:\"p\"{([folder:1,id:2,file:'a long name that is cut");
        EXPECT_TRUE(reader.InCommand());
    }
    EXPECT_EQ(handler.calls, Calls({"command SHARE INPUT", "OnUser(1,\"p\")"}));
}

// Each limit, one past it, from a CParser with the limits set and from a push reader.
TEST(ReadLimits, EachIsCheckedWithItsOwnReason) {
    struct Row {
        cmds::CReadLimits limits;
        std::string text;
        std::string expected;
    };
    const std::string share = "SHARE INPUT user:1,pwd:\"p\"{(-[folder:1,id:2]-[folder:3,id:4])};";
    const std::vector<Row> rows = {
        {{4, 0, 0},
         "ALIVE INPUT user:12345,pwd:\"p\";",
         "CLexError: 1:18: lexical error in ALIVE INPUT: a value longer than the limit of 4 bytes"},
        {{4, 0, 0},
         "ALIVE INPUT user:1,pwd:\"pwd12\";",
         "CLexError: 1:24: lexical error in ALIVE INPUT: a value longer than the limit of 4 bytes"},
        {{4, 0, 0},
         "ALIVE INPUT user:1,pwd:abcde;",
         "CLexError: 1:24: lexical error in ALIVE INPUT: a value longer than the limit of 4 bytes"},
        {{0, 2, 0},
         "ALIVE INPUT user:1,pwd:\"p\",user:1;",
         "CSyntaxError: 1:28: syntax error in ALIVE INPUT: more tags in one list than the limit "
         "of 2"},
        {{0, 0, 1},
         share,
         "CSyntaxError: 1:46: syntax error in SHARE INPUT, file record 2: more records than the "
         "limit of 1"},
        {{5, 2, 2}, share, ""},
    };
    for (const Row& row : rows) {
        cmds::CStrLexerStream source(row.text);
        cmds::CParser parser(source);
        parser.SetLimits(row.limits);
        Calls calls;
        ShareIn shareSink(calls);
        AliveIn aliveSink(calls);
        EXPECT_EQ(Fault([&] {
                      if (row.text[0] == 'S') {
                          parser.Parse(shareSink);
                      } else {
                          parser.Parse(aliveSink);
                      }
                  }),
                  row.expected)
            << row.text;
        Handler handler;
        cmds::CPushReader reader(handler, row.limits);
        EXPECT_EQ(Fault([&] {
                      reader.Feed(row.text);
                      reader.Finish();
                  }),
                  row.expected)
            << "pushed: " << row.text;
    }
}

}  // namespace
