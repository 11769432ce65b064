// CONNECT, DISCONNECT and ALIVE readers, and through them the grammar every command shares.
#include <gtest/gtest.h>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;

const std::string kHost = "OnConnectInHost(80,\"10.0.0.1\",'pc')";
const std::string kUser = "OnUser(12,\"sig\")";

TEST(ConnectInput, AcceptedForms) {
    CheckAll<ConnectIn>({
        {"as written",
         "CONNECT INPUT \r\n\tuser:12,pwd:\"sig\",host:'pc',address:\"10.0.0.1\",port:80,"
         "browsable:yes,httpproxy:no,socksproxy:no;",
         {kUser, kHost, "OnConnectInFlags(yes,no,no)"}},
        {"reverse order, any case",
         "connect Input socksproxy:YES,httpproxy:Yes,browsable:no,PORT:80,address:\"10.0.0.1\","
         "host:'pc',pwd:sig,User:12;",
         {kUser, kHost, "OnConnectInFlags(no,yes,yes)"}},
        {"flags default to no",
         "CONNECT INPUT user:12,pwd:sig,host:'pc',address:\"10.0.0.1\",port:80;",
         {kUser, kHost, "OnConnectInFlags(no,no,no)"}},
        {"port narrowed, empty host",
         "CONNECT INPUT user:12,pwd:sig,host:'',address:\"\",port:70000;",
         {kUser, "OnConnectInHost(4464,\"\",'')", "OnConnectInFlags(no,no,no)"}},
        {"largest user number",
         "CONNECT INPUT user:18446744073709551615,pwd:sig,host:'',address:a,port:0;",
         {"OnUser(18446744073709551615,\"sig\")", "OnConnectInHost(0,\"a\",'')",
          "OnConnectInFlags(no,no,no)"}},
        {"proxy flags apart",
         "CONNECT INPUT user:12,pwd:sig,host:'pc',address:\"10.0.0.1\",port:80,httpproxy:yes;",
         {kUser, kHost, "OnConnectInFlags(no,yes,no)"}},
    });
}

TEST(ConnectInput, FaultsAndTheCallsMadeBeforeThem) {
    const std::string body = "pwd:sig,host:'pc',address:\"10.0.0.1\",port:80";
    CheckAll<ConnectIn>({
        {"wrong verb", "CONNECT OUTPUT user:12," + body + ";", {kSyntax}},
        {"wrong direction", "ALIVE INPUT user:12," + body + ";", {kSyntax}},
        {"undeclared tag", "CONNECT INPUT user:12,file:1," + body + ";", {kSyntax}},
        {"wrong kind", "CONNECT INPUT user:'12'," + body + ";", {kSyntax}},
        {"key without colon", "CONNECT INPUT user 12," + body + ";", {kSyntax}},
        {"punctuation as value", "CONNECT INPUT user:," + body + ";", {kSyntax}},
        {"empty body", "CONNECT INPUT ;", {kSyntax}},
        {"end of input", "CONNECT INPUT user:12,", {kSyntax}},
        {"no terminator", "CONNECT INPUT user:12," + body + "}", {kSyntax}},
        {"lexical fault", "CONNECT INPUT user:12," + body + "#;", {"throws CLexError"}},
        {"user missing", "CONNECT INPUT " + body + ";", {kSemantic}},
        {"user twice", "CONNECT INPUT user:1,user:12," + body + ";", {kSemantic}},
        {"port missing after OnUser",
         "CONNECT INPUT user:12,pwd:sig,host:'pc',address:\"10.0.0.1\";",
         {kUser, kSemantic}},
        {"address missing after OnUser",
         "CONNECT INPUT user:12,pwd:sig,host:'pc',port:80;",
         {kUser, kSemantic}},
        {"flag twice after the host",
         "CONNECT INPUT user:12," + body + ",browsable:no,browsable:no;",
         {kUser, kHost, kSemantic}},
    });
}

TEST(ConnectOutput, ReadsAndRejects) {
    CheckAll<ConnectOut>({
        {"as written", "CONNECT OUTPUT \r\n\terror:0,file:5;", {"OnError(0)", "OnConnectOut(5)"}},
        {"any order, code -1",
         "CONNECT OUTPUT file:5,error:18446744073709551615;",
         {"OnError(-1)", "OnConnectOut(5)"}},
        {"code keeps its low 32 bits",
         "CONNECT OUTPUT error:4294967298,file:0;",
         {"OnError(2)", "OnConnectOut(0)"}},
        {"file missing", "CONNECT OUTPUT error:3;", {"OnError(3)", kSemantic}},
        {"minus sign", "CONNECT OUTPUT error:-1,file:5;", {kSyntax}},
    });
}

TEST(CredentialRequests, DisconnectAndAliveAlike) {
    const std::vector<Case> cases = {
        {"as written", " INPUT \r\n\tuser:7,pwd:\"a%20b\";", {"OnUser(7,\"a b\")"}},
        {"pwd first", " INPUT pwd:x,user:7;", {"OnUser(7,\"x\")"}},
        {"third tag", " INPUT user:7,pwd:x,port:1;", {kSyntax}},
        {"pwd missing", " INPUT user:7;", {kSemantic}},
        {"pwd twice", " INPUT user:7,pwd:x,pwd:y;", {kSemantic}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseText<DisconnectIn>("DISCONNECT" + c.text), c.expected) << c.name;
        EXPECT_EQ(ParseText<AliveIn>("ALIVE" + c.text), c.expected) << c.name;
    }
    EXPECT_EQ(ParseText<AliveIn>("DISCONNECT INPUT user:7,pwd:x;"), Calls{kSyntax});
}

TEST(ResultReplies, DisconnectAndAliveAlike) {
    const std::vector<Case> cases = {
        {"as written", " OUTPUT \r\n\terror:0;", {"OnError(0)"}},
        {"code -1", " OUTPUT error:18446744073709551615;", {"OnError(-1)"}},
        {"further tag", " OUTPUT error:0,file:5;", {kSyntax}},
        {"minus sign", " OUTPUT error:-1;", {kSyntax}},
        {"terminator alone", " OUTPUT ;", {kSyntax}},
        {"key without value", " OUTPUT error;", {kSyntax}},
        {"another key", " OUTPUT file:0;", {kSyntax}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseText<DisconnectOut>("DISCONNECT" + c.text), c.expected) << c.name;
        EXPECT_EQ(ParseText<AliveOut>("ALIVE" + c.text), c.expected) << c.name;
    }
}

// Long numbers are read in blocks of eight digits; every length around the blocks' edges, and
// past 2^64, must give the digits' value modulo 2^64.
TEST(ConnectOutput, NumbersOfEveryLengthWrapModulo2To64) {
    const std::string digits = "98765432109876543210987654321";
    for (std::size_t length = 1; length <= digits.size(); ++length) {
        std::uint64_t expected = 0;
        for (std::size_t i = 0; i < length; ++i) {
            expected = expected * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        }
        const std::string number = digits.substr(0, length);
        EXPECT_EQ(ParseText<ConnectOut>("CONNECT OUTPUT error:0,file:" + number + ";"),
                  (Calls{"OnError(0)", "OnConnectOut(" + std::to_string(expected) + ")"}))
            << length << " digits";
    }
}

TEST(Parser, ReadsCommandsInSequenceAndStopsAtTheTerminator) {
    const std::string text = "ALIVE OUTPUT error:1;ALIVE OUTPUT error:2;\r\nALIVE OUTPUT error:3;#";
    cmds::CStrLexerStream source(text);
    EXPECT_EQ(ParseFrom<AliveOut>(source, 3), (Calls{"OnError(1)", "OnError(2)", "OnError(3)"}));
    EXPECT_EQ(source.GetNextChar(), '#');
}

TEST(Parser, ExceptionsFromCallbacksPassThroughUnchanged) {
    struct Throwing : cmds::IAliveOut {
        void OnError(tagERROR_CODE) override { throw std::runtime_error("host"); }
    } sink;
    cmds::CStrLexerStream source("ALIVE OUTPUT error:0;");
    cmds::CParser parser(source);
    EXPECT_THROW(parser.Parse(sink), std::runtime_error);
}

// A callback may read the next command with the same parser; the command that made the call
// still delivers its own values afterwards.
TEST(Parser, CallbackReadingTheNextCommandLeavesTheCurrentOneIntact) {
    struct Sink : cmds::IConnectIn {
        cmds::CParser* parser = nullptr;
        Sink* next = nullptr;
        std::string address;
        unsigned short port = 0;
        void OnUser(std::uint64_t, const std::string&) override {
            if (next != nullptr) {
                parser->Parse(*next);
            }
        }
        void OnConnectInHost(unsigned short p, const std::string& a,
                             const cmds::wstring&) override {
            port = p;
            address = a;
        }
        void OnConnectInFlags(bool, bool, bool) override {}
    };
    const std::string text =
        "CONNECT INPUT user:1,pwd:\"a\",host:'x',address:\"outer\",port:1;"
        "CONNECT INPUT user:2,pwd:\"b\",host:'y',address:\"inner\",port:2;";
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    Sink inner;
    Sink outer;
    outer.parser = &parser;
    outer.next = &inner;
    parser.Parse(outer);
    EXPECT_EQ(outer.address, "outer");
    EXPECT_EQ(outer.port, 1);
    EXPECT_EQ(inner.address, "inner");
    EXPECT_EQ(inner.port, 2);
}

}  // namespace
