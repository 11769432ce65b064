#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cmds/cmds.h"

namespace {

using cmds::CLexer;
using cmds::CLexError;
using cmds::CStrLexerStream;
using namespace tokens;

// The tokens of `text` up to END_OF_INPUT; a CLexError appears as NO_TOKEN and ends the list.
std::vector<TOKEN> Tokenize(const std::string& text) {
    CStrLexerStream source(text);
    CLexer lexer(source);
    std::vector<TOKEN> result;
    do {
        try {
            result.push_back(lexer.GetNextToken());
        } catch (const CLexError&) {
            result.push_back(NO_TOKEN);
        }
    } while (result.back() != END_OF_INPUT && result.back() != NO_TOKEN);
    return result;
}

struct SequenceCase {
    std::string text;
    std::vector<TOKEN> tokens;
};

TEST(Lexer, TokenSequences) {
    const SequenceCase cases[] = {
        {"", {END_OF_INPUT}},
        {" \t\r\n", {END_OF_INPUT}},
        {" \t\r\n;", {SEMICOLON, END_OF_INPUT}},
        {"CONNECT input", {KW_CONNECT, KW_INPUT, END_OF_INPUT}},
        {"user:5,", {KW_USER, COLON, NUMBER, COMMA, END_OF_INPUT}},
        {"CONNECT OUTPUT \r\n\terror:0,file:5;",
         {KW_CONNECT, KW_OUTPUT, KW_ERROR, COLON, NUMBER, COMMA, KW_FILE, COLON, NUMBER, SEMICOLON,
          END_OF_INPUT}},
        {"user:12,pwd:\"ab%20c\",host:'h\xC3\xA9'",
         {KW_USER, COLON, NUMBER, COMMA, KW_PWD, COLON, STRING, COMMA, KW_HOST, COLON, WSTRING,
          END_OF_INPUT}},
        {":,{}()[];+-*",
         {COLON, COMMA, LBRACE, RBRACE, LPAREN, RPAREN, LBRACKET, RBRACKET, SEMICOLON, PLUS, MINUS,
          STAR, END_OF_INPUT}},
        {"-5", {MINUS, NUMBER, END_OF_INPUT}},
        {"12ab", {NUMBER, STRING, END_OF_INPUT}},
        {"host7 hosts", {STRING, STRING, END_OF_INPUT}},
        {"a_b", {STRING, NO_TOKEN}},
        {"a.b", {STRING, NO_TOKEN}},
        {"FRIENDS friend end MAP map",
         {KW_FRIENDS, SCOPE_VALUE, P_VALUE, KW_MAP, KW_MAP, END_OF_INPUT}},
        {"SocksProxy socksproxyy abcdefghijklmnopqrstuvwxyz",
         {KW_SOCKSPROXY, STRING, STRING, END_OF_INPUT}},
        {"''", {WSTRING, END_OF_INPUT}},
        {"\"\"", {STRING, END_OF_INPUT}},
        {"\"abc", {NO_TOKEN}},
        {"'abc", {NO_TOKEN}},
        {"'", {NO_TOKEN}},
        {"5 ~", {NUMBER, NO_TOKEN}},
    };
    for (const SequenceCase& c : cases) {
        EXPECT_EQ(Tokenize(c.text), c.tokens) << c.text;
    }
}

TEST(Lexer, KeywordsIgnoreCase) {
    for (int token = KW_INPUT; token <= KW_SOCKSPROXY; ++token) {
        const std::string word = cmds::GetKeyword(static_cast<TOKEN>(token));
        std::string lower, upper, mixed;
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c = word[i];
            lower += static_cast<char>(c | 0x20);
            upper += static_cast<char>(c & ~0x20);
            mixed += i % 2 == 0 ? lower.back() : upper.back();
        }
        const std::vector<TOKEN> expected(3, static_cast<TOKEN>(token));
        const std::vector<TOKEN> all = Tokenize(lower + " " + upper + "\t" + mixed);
        EXPECT_EQ(std::vector<TOKEN>(all.begin(), all.end() - 1), expected) << word;
    }
}

TEST(Lexer, ValueWordsKeepTheirValueAcrossOtherTokens) {
    CStrLexerStream source("Expression ANY Off yes NO myself");
    CLexer lexer(source);
    for (const TOKEN expected : {M_VALUE, M_VALUE, P_VALUE, C_VALUE, C_VALUE, SCOPE_VALUE}) {
        EXPECT_EQ(lexer.GetNextToken(), expected);
    }
    // Every kind keeps the value of its last word; only the last token's kind reports success.
    M_TYPE_ENUM m = M_NONE;
    P_TYPE_ENUM p = P_NONE;
    C_TYPE_ENUM c = C_NONE;
    SCOPE_TYPE_ENUM scope = SCOPE_NONE;
    EXPECT_FALSE(lexer.GetMType(m));
    EXPECT_FALSE(lexer.GetPType(p));
    EXPECT_FALSE(lexer.GetCType(c));
    EXPECT_TRUE(lexer.GetScopeType(scope));
    EXPECT_EQ(m, M_ANY);
    EXPECT_EQ(p, P_OFF);
    EXPECT_EQ(c, C_NO);
    EXPECT_EQ(scope, SCOPE_MYSELF);
}

TEST(Lexer, GettersWriteStringsOnlyOnSuccess) {
    CStrLexerStream source("42 Yes Hello user");
    CLexer lexer(source);
    std::uint64_t number = 1;
    std::string text = "untouched";
    cmds::wstring wide;
    C_TYPE_ENUM c = C_NONE;
    // Nothing read yet: no query reports a value.
    EXPECT_FALSE(lexer.GetNumber(number));
    EXPECT_FALSE(lexer.GetString(text));

    EXPECT_EQ(lexer.GetNextToken(), NUMBER);
    EXPECT_EQ(lexer.GetNextToken(), C_VALUE);
    EXPECT_TRUE(lexer.GetCType(c));
    EXPECT_EQ(c, C_YES);
    EXPECT_FALSE(lexer.GetString(text));
    EXPECT_EQ(text, "untouched");
    EXPECT_FALSE(lexer.GetWString(wide));

    EXPECT_EQ(lexer.GetNextToken(), STRING);
    EXPECT_TRUE(lexer.GetString(text));
    EXPECT_EQ(text, "Hello");
    EXPECT_FALSE(lexer.GetNumber(number));
    EXPECT_EQ(number, 42u);

    // A keyword leaves the kept string alone.
    EXPECT_EQ(lexer.GetNextToken(), KW_USER);
    EXPECT_FALSE(lexer.GetString(text));
    EXPECT_EQ(lexer.GetNextToken(), END_OF_INPUT);
    EXPECT_EQ(lexer.GetNextToken(), END_OF_INPUT);
}

TEST(Lexer, NumbersWrapModulo64Bits) {
    const std::pair<std::string, std::uint64_t> cases[] = {
        {"0", 0},
        {"007", 7},
        {"000000000000000000000000000042", 42},
        {"18446744073709551615", UINT64_MAX},
        {"18446744073709551616", 0},
        {"18446744073709551617", 1},
        {"36893488147419103232", 0},
    };
    for (const auto& [text, value] : cases) {
        CStrLexerStream source(text + ";");
        CLexer lexer(source);
        std::uint64_t number = 0;
        EXPECT_EQ(lexer.GetNextToken(), NUMBER) << text;
        EXPECT_TRUE(lexer.GetNumber(number));
        EXPECT_EQ(number, value) << text;
        EXPECT_EQ(lexer.GetNextToken(), SEMICOLON) << text;
    }
}

TEST(Lexer, QuotedStringsKeepEveryOtherByte) {
    std::string narrowRaw, wideRaw;
    for (int b = 0; b < 256; ++b) {
        if (b != '"') {
            narrowRaw += static_cast<char>(b);
        }
        if (b != '\'') {
            wideRaw += static_cast<char>(b);
        }
    }
    std::string narrowExpected;
    cmds::wstring wideExpected;
    ConvertASCIIcodeToString(narrowRaw, narrowExpected);
    ConvertUTF8ToUnicode(wideRaw, wideExpected);

    CStrLexerStream source("\"" + narrowRaw + "\"'" + wideRaw + "';");
    CLexer lexer(source);
    std::string narrow;
    cmds::wstring wide;
    EXPECT_EQ(lexer.GetNextToken(), STRING);
    EXPECT_TRUE(lexer.GetString(narrow));
    EXPECT_EQ(narrow, narrowExpected);
    EXPECT_EQ(lexer.GetNextToken(), WSTRING);
    EXPECT_TRUE(lexer.GetWString(wide));
    EXPECT_EQ(wide, wideExpected);
    EXPECT_EQ(lexer.GetNextToken(), SEMICOLON);
}

TEST(Lexer, EveryByteOutsideQuotesStartsATokenOrFails) {
    const std::string starters =
        " \t\r\n:,{}()[];+-*0123456789"
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int b = 0; b < 256; ++b) {
        if (b == '"' || b == '\'') {
            continue;
        }
        const std::string text(1, static_cast<char>(b));
        const bool legal = starters.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(Tokenize(text).back(), legal ? END_OF_INPUT : NO_TOKEN) << "byte " << b;
    }
}

TEST(Lexer, FailedQuotedStringKeepsTheLastToken) {
    CStrLexerStream narrowSource("\"ab\" \"cd 'ef'");
    CLexer narrowLexer(narrowSource);
    std::string narrow = "unchanged";
    EXPECT_EQ(narrowLexer.GetNextToken(), STRING);
    EXPECT_THROW(narrowLexer.GetNextToken(), CLexError);
    // Still STRING, but the failed string has emptied the kept value.
    EXPECT_TRUE(narrowLexer.GetString(narrow));
    EXPECT_EQ(narrow, "");
    EXPECT_EQ(narrowLexer.GetNextToken(), END_OF_INPUT);

    CStrLexerStream wideSource("'ok' 'cd\"");
    CLexer wideLexer(wideSource);
    cmds::wstring wide;
    EXPECT_EQ(wideLexer.GetNextToken(), WSTRING);
    EXPECT_THROW(wideLexer.GetNextToken(), CLexError);
    // Still WSTRING, now holding the conversion of the unterminated string's bytes.
    EXPECT_TRUE(wideLexer.GetWString(wide));
    EXPECT_EQ(wide, (cmds::wstring{'c', 'd', '"'}));
}

// A string source of a subclass, which the lexer reads through the virtual operations only.
class VirtualStrSource : public CStrLexerStream {
public:
    using CStrLexerStream::CStrLexerStream;
    int GetNextChar() override { return CStrLexerStream::GetNextChar(); }
};

// Every token with its value, the error it raised, and where the source stands afterwards.
std::vector<std::string> Trace(cmds::CLexerStreamBase& source) {
    CLexer lexer(source);
    std::vector<std::string> trace;
    for (int i = 0; i < 64; ++i) {
        std::string step;
        try {
            const TOKEN token = lexer.GetNextToken();
            step = std::to_string(token);
            std::string narrow;
            cmds::wstring wide;
            std::uint64_t number = 0;
            if (lexer.GetString(narrow)) {
                step += " s=" + narrow;
            } else if (lexer.GetWString(wide)) {
                step += " w=" + std::string(wide.begin(), wide.end());
            } else if (lexer.GetNumber(number)) {
                step += " n=" + std::to_string(number);
            }
            if (token == END_OF_INPUT && i > 0 && trace.back().rfind("-1 ", 0) == 0) {
                break;
            }
        } catch (const CLexError&) {
            step = "CLexError";
        }
        step +=
            " pos=" + std::to_string(source.GetPos()) + " eof=" + std::to_string(source.IsEof());
        trace.push_back(step);
    }
    return trace;
}

// The in-place reading of a string source must leave every token, value, error and position as
// reading one character at a time through the virtual operations does.
TEST(Lexer, StringSourceReadsAsTheVirtualPath) {
    const std::string texts[] = {
        "CONNECT INPUT \r\n\tuser:12,pwd:\"ab%20c\",host:'h\xC3\xA9',port:80;",
        "word",
        "word ",
        "12345",
        "12345 ",
        "18446744073709551617x",
        "'open",
        "\"open",
        "'a''b'\"c\"\"\"",
        "abcdefghijklmnopqrstuvwxyz0123 SOCKSPROXY yes No",
        std::string("a\0b", 3),
        "~",
        "x~",
        "5 ~ 6",
        "\xFF\xFE",
        "'\xFF\x80\"'",
        "  \t\r\n",
        "(id:5,online:no)[folder:1,id:2]+-*{}",
        ""};
    for (const std::string& text : texts) {
        CStrLexerStream inPlace(text);
        VirtualStrSource virtualSource(text);
        std::istringstream stream(text);
        cmds::CLexerStream streamSource(stream);
        const std::vector<std::string> expected = Trace(virtualSource);
        EXPECT_EQ(Trace(inPlace), expected) << text;
        EXPECT_EQ(Trace(streamSource), expected) << text;
    }
}

}  // namespace
