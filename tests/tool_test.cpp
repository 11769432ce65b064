// The cmds tool's logic: JSON and command text convert into each other without loss, and check
// points at the token at fault and says why.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cmds/cmds.h"
#include "codec.h"
#include "exchange.h"
#include "streams.h"

namespace {

using cmds_tool::Json;

// The JSON lines of `text`; with `failure` null, it must read without one.
std::vector<std::string> DecodeLines(const std::string& text,
                                     std::optional<cmds_tool::Failure>* failure = nullptr) {
    std::istringstream in(text);
    std::ostringstream out;
    cmds_tool::Decoded decoded = cmds_tool::DecodeStream(in, &out, nullptr);
    if (failure != nullptr) {
        *failure = std::move(decoded.failure);
    } else {
        EXPECT_FALSE(decoded.failure)
            << (decoded.failure ? cmds_tool::FormatFailure(*decoded.failure, "text") : "");
    }
    std::vector<std::string> lines;
    std::istringstream written(out.str());
    for (std::string line; std::getline(written, line);) {
        lines.push_back(line);
    }
    EXPECT_GE(lines.size(), decoded.commands);
    return lines;
}

std::string Encode(const std::string& lines) {
    std::istringstream in(lines);
    std::ostringstream out;
    cmds_tool::EncodeStream(in, out, nullptr);
    return out.str();
}

// Requests in the form decode shows them, but for the plain password.
const std::string kPassword = R"("password":"s3cret")";
const char* const kCommands[] = {
    R"({"verb":"CONNECT","direction":"INPUT","calls":[{"call":"OnUser","user":18446744073709551615,"password":"s3cret"},{"call":"OnConnectInHost","port":65535,"address":"%00%FF%25 ;'\"","host":"%uD800 %25 😀 '\";\\"},{"call":"OnConnectInFlags","browsable":true,"httpproxy":false,"socksproxy":true}]})",
    R"({"verb":"CONNECT","direction":"OUTPUT","calls":[{"call":"OnError","error":-2147483648},{"call":"OnConnectOut","file":0}]})",
    R"({"verb":"DISCONNECT","direction":"INPUT","calls":[{"call":"OnUser","user":0,"password":"s3cret"}]})",
    R"({"verb":"DISCONNECT","direction":"OUTPUT","calls":[{"call":"OnError","error":2147483647}]})",
    R"({"verb":"ALIVE","direction":"INPUT","calls":[{"call":"OnUser","user":1,"password":"s3cret"}]})",
    R"({"verb":"ALIVE","direction":"OUTPUT","calls":[{"call":"OnError","error":-1}]})",
    R"({"verb":"SHARE","direction":"INPUT","calls":[{"call":"OnUser","user":1,"password":"s3cret"},{"call":"OnFile","kind":"+","folder":1,"id":2,"file":"","size":3,"ext":"e","keywords":"k","author":"a","subject":"s","manager":"m","company":"c","comments":"%uDFFF","title":"t","category":"g","creator":"r","type":"y"},{"call":"OnFile","kind":"-","folder":4,"id":5},{"call":"OnFile","kind":"*","folder":6,"id":7}]})",
    R"({"verb":"SHARE","direction":"OUTPUT","calls":[{"call":"OnError","error":0},{"call":"OnShareOutFile","error":-5,"id":4294967295,"folder":1},{"call":"OnShareOutFile","error":0,"id":0,"folder":2}]})",
    R"({"verb":"UNSHARE","direction":"INPUT","calls":[{"call":"OnUser","user":1,"password":"s3cret"},{"call":"OnUnShareIn","folder":3}]})",
    R"({"verb":"UNSHARE","direction":"OUTPUT","calls":[{"call":"OnError","error":7}]})",
    R"({"verb":"SHAREDIR","direction":"INPUT","calls":[{"call":"OnUser","user":1,"password":"s3cret"},{"call":"OnShareDirIn","folder":4}]})",
    R"({"verb":"SHAREDIR","direction":"OUTPUT","calls":[{"call":"OnError","error":0},{"call":"OnShareDirOut","folder":18446744073709551615}]})",
    R"({"verb":"DIRECTORY","direction":"OUTPUT","calls":[{"call":"OnError","error":0},{"call":"OnDirectoryBegin","folder":"%uDC00'","id":5},{"call":"OnFile","kind":"+","folder":1,"id":2,"file":"f","size":0},{"call":"OnSubDir","folder":1,"id":9,"file":"","protected":false},{"call":"OnSubDir","folder":1,"id":10,"file":"x","protected":true}]})",
    R"({"verb":"FIND","direction":"INPUT","calls":[{"call":"OnKeywords","keywords":""},{"call":"OnUser","user":1,"password":"s3cret"},{"call":"OnMax","max":4294967295},{"call":"OnScope","scope":"myself"},{"call":"OnMatch","match":"expression"},{"call":"OnExact","exact":"begin"},{"call":"OnCase","case":true},{"call":"OnRank","rank":true},{"call":"OnFreetext","freetext":true}]})",
    R"({"verb":"FIND","direction":"OUTPUT","calls":[{"call":"OnError","error":0},{"call":"OnHost","online":true,"id":1,"host":"h","nick":"n","user":"u","address":["a:1","%01%FF%25'\""],"port":2},{"call":"OnFile","kind":"+","folder":1,"id":2,"file":"f","size":0},{"call":"OnFile","kind":"+","folder":1,"id":3,"file":"g","size":1},{"call":"OnHost","online":true,"id":2,"port":0},{"call":"OnFile","kind":"+","folder":0,"id":0,"file":"","size":0}]})",
    R"({"verb":"FRIENDS","direction":"INPUT","calls":[{"call":"OnUser","user":1,"password":"s3cret"},{"call":"OnHost","online":true,"id":5,"port":0},{"call":"OnHost","online":false,"id":6,"port":0}]})",
    R"({"verb":"FRIENDS","direction":"OUTPUT","calls":[{"call":"OnError","error":0},{"call":"OnHost","online":true,"id":5,"host":"h","address":["a"],"port":80},{"call":"OnHost","online":true,"id":6,"port":0}]})",
};

TEST(Tool, EncodeThenDecodeGivesBackTheSameJsonForEveryCommandKind) {
    cmds::wstring password;
    ConvertUTF8ToUnicode("s3cret", password);
    const std::string pwd = R"("pwd":")" + SignUserPwd(password) + "\"";
    for (const std::string command : kCommands) {
        std::string expected = command;
        for (std::size_t at; (at = expected.find(kPassword)) != std::string::npos;) {
            expected.replace(at, kPassword.size(), pwd);
        }
        EXPECT_EQ(DecodeLines(Encode(command)), std::vector<std::string>{expected});
    }
}

// The shipped exchange's replies and the replies with extreme values above.
TEST(Tool, DecodeThenEncodeGivesBackTheSameBytesForEveryReplyKind) {
    std::vector<std::string> commands = cmds_tool::ExchangeCommands();
    for (const char* command : kCommands) {
        commands.push_back(Encode(command));
    }
    int replies = 0;
    for (const std::string& command : commands) {
        cmds::CCommandHeader header;
        ASSERT_TRUE(cmds::PeekHeader(command, header));
        if (header.direction == tokens::KW_OUTPUT) {
            ++replies;
            EXPECT_EQ(Encode(DecodeLines(command).at(0)), command);
        }
    }
    EXPECT_EQ(replies, 18);
}

TEST(Tool, CheckPointsAtTheTokenAtFaultAndSaysWhy) {
    const std::string good = "ALIVE OUTPUT \r\n\terror:0;";
    const struct {
        std::string text;
        std::string reason;  // the start and a part that says why
        std::string why;
        std::uint64_t offset, line, column;
    } cases[] = {
        {"ALIVE OUTPUT error:~;", "lexical error", "'~' starts no token", 19, 1, 20},
        {good + "CONNECT OUTPUT \r\n\terror:0,file:'x';", "syntax error",
         "file takes a number; read the wide string 'x'", 55, 3, 15},
        {good + "\r\nALIVE INPUT user:1;", "semantic error", "pwd", 44, 3, 19},
        {good + good + "\n  HELLO WORLD;", "syntax error", "no command starts this way", 51, 4, 3},
        {"~HELLO;", "lexical error", "'~' starts no token", 0, 1, 1},
        {good + "\nALIVE INPUT user:1,pwd:\"a;b", "lexical error", "", 48, 3, 24},
        {good + "\r\n\tALIVE OUTPUT error:0", "syntax error", "", 47, 3, 22},
        {good + "\n ALIVE OUTPUT '" + std::string((std::size_t{1} << 20) + 1, ';'), "lexical error",
         "a value longer than the limit of 1048576 bytes", 39, 3, 15},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        const auto failure = cmds_tool::DecodeStream(in, nullptr, nullptr).failure;
        ASSERT_TRUE(failure) << c.text.substr(0, 80);
        EXPECT_EQ(std::tie(failure->offset, failure->line, failure->column),
                  std::tie(c.offset, c.line, c.column))
            << c.text.substr(0, 80);
        EXPECT_EQ(failure->reason.rfind(c.reason, 0), 0u) << failure->reason;
        EXPECT_NE(failure->reason.find(c.why), std::string::npos) << failure->reason;
    }
    std::istringstream in(cases[3].text);
    EXPECT_EQ(
        cmds_tool::FormatFailure(*cmds_tool::DecodeStream(in, nullptr, nullptr).failure, "in.txt"),
        "in.txt:4:3: syntax error: no command starts this way; a command starts with its "
        "verb, then INPUT or OUTPUT\n  HELLO WORLD;\n  ^\n");
}

// A search reply of 1,000 hosts of 20 files each: 1.6 MB of text, more of JSON.
std::string LargeFindOutput() {
    cmds::CStrStmGenerator out;
    out.GenerateFindOutBegin(tagERROR_CODE{});
    cmds::CFileInfo file;
    file.file = cmds::wstring(40, 'f');
    for (std::uint64_t host = 0; host < 1000; ++host) {
        out.GenerateHostBegin(host, cmds::wstring(20, 'h'), {}, {}, "192.0.2.1:80;", 80);
        for (file.id = 0; file.id < 20; ++file.id) {
            out.GenerateFile(file, true);
        }
        out.GenerateHostEnd();
    }
    out.GenerateFindOutEnd();
    return out.str();
}

TEST(Tool, DecodeWritesACommandOfAnySizeAsItGoes) {
    const std::string find = LargeFindOutput();
    ASSERT_GT(find.size(), std::size_t{1} << 20);
    cmds::CStrLexerStream source(find);
    cmds::CParser parser(source);
    const std::string whole = cmds_tool::ReadCommand(parser, cmds::eCommandFindOut).dump();
    ASSERT_GT(whole.size(), cmds_tool::kHeldJsonBytes);
    const std::string alive = "ALIVE OUTPUT error:0;";
    EXPECT_EQ(DecodeLines(find + alive + find),
              (std::vector<std::string>{whole, DecodeLines(alive).at(0), whole}));

    // Once part of a failing command is written, its line ends where it failed.
    std::optional<cmds_tool::Failure> failure;
    const std::string broken = alive + find.substr(0, find.size() - 1) + "~;";
    const std::vector<std::string> lines = DecodeLines(broken, &failure);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(whole.rfind(lines[1], 0), 0u);
    EXPECT_GE(lines[1].size(), cmds_tool::kHeldJsonBytes);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->offset, broken.size() - 2);
    EXPECT_EQ(failure->excerpt.substr(failure->excerpt.size() - 2), "~;");
}

TEST(Tool, EncodeNamesTheLineAndTheFault) {
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {R"({"verb":"ALIVE",)", "line 2: bad JSON: "},
        {R"([1])", "line 2: a command must be a JSON object"},
        {R"({"verb":"ALIVE","direction":"SIDEWAYS"})",
         R"(line 2: unknown command "ALIVE SIDEWAYS")"},
        {R"({"verb":"ALIVE","direction":"OUTPUT","calls":[],"x":1})", R"(unknown field "x")"},
        {R"({"verb":"ALIVE","direction":"OUTPUT"})",
         "ALIVE OUTPUT calls[0]: missing; expected OnError"},
        {R"({"verb":"ALIVE","direction":"OUTPUT","calls":[{"call":"OnError"},{"call":"OnError"}]})",
         "ALIVE OUTPUT calls[1]: unexpected OnError"},
        {R"({"verb":"ALIVE","direction":"INPUT","calls":[{"call":"OnUser","pwd":"ab"}]})",
         R"(OnUser has no field "pwd"; give the plain "password")"},
        {R"({"verb":"ALIVE","direction":"INPUT","calls":[{"call":"OnUser","password":"%u12"}]})",
         R"(calls[0] OnUser: "password" bad escape "%u12")"},
        {R"({"verb":"ALIVE","direction":"OUTPUT","calls":[{"call":"OnError","error":1.5}]})",
         R"("error" must be a whole number)"},
        {R"({"verb":"FRIENDS","direction":"OUTPUT","calls":[{"call":"OnError"},{"call":"OnHost","nick":"n"}]})",
         R"("nick" cannot be written in a friend entry)"},
        {R"({"verb":"FIND","direction":"OUTPUT","calls":[{"call":"OnError"},{"call":"OnHost","address":["a b"]}]})",
         R"("address" must hold non-empty strings)"},
        {R"({"verb":"CONNECT","direction":"INPUT","calls":[{"call":"OnUser"},{"call":"OnConnectInHost","port":1},{"call":"OnConnectInFlags"}]})",
         R"(OnConnectInHost: "address" cannot be empty in a connect request)"},
        {R"({"verb":"SHARE","direction":"INPUT","calls":[{"call":"OnUser"},{"call":"OnFile","kind":"-","size":1}]})",
         R"("size" is not carried by a "-" or "*" record)"},
    };
    for (const auto& c : cases) {
        try {
            Encode("\n" + c.line + "\n" + kCommands[0]);
            ADD_FAILURE() << c.line;
        } catch (const cmds_tool::EncodeError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

TEST(Tool, ShippedExchangeAndDemoHoldEveryCommandKind) {
    std::string commands;
    for (const std::string& command : cmds_tool::ExchangeCommands()) {
        commands += command;
    }
    std::ifstream file(CMDS_EXCHANGE_FILE, std::ios::binary);
    const std::string shipped((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(shipped, commands) << "regenerate it with: cmds demo --text > examples/exchange.txt";

    std::string decoded;
    for (const std::string& line : DecodeLines(commands)) {
        decoded += line + "\n";
    }
    std::ostringstream demo;
    EXPECT_GT(cmds_tool::RunDemo(demo, 7), 17u);
    EXPECT_EQ(demo.str(), decoded);
}

}  // namespace
