#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
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

TEST(Lexer, TokenSequences) {
    const std::pair<std::string, std::vector<TOKEN>> cases[] = {
        {"", {END_OF_INPUT}},
        {" \t\r\n;", {SEMICOLON, END_OF_INPUT}},
        {"CONNECT OUTPUT \r\n\terror:0,file:5;",
         {KW_CONNECT, KW_OUTPUT, KW_ERROR, COLON, NUMBER, COMMA, KW_FILE, COLON, NUMBER, SEMICOLON,
          END_OF_INPUT}},
        {"pwd:\"ab%20c\",host:'h\xC3\xA9'",
         {KW_PWD, COLON, STRING, COMMA, KW_HOST, COLON, WSTRING, END_OF_INPUT}},
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
    for (const auto& [text, tokens] : cases) {
        EXPECT_EQ(Tokenize(text), tokens) << text;
    }
}

TEST(Lexer, KeywordsIgnoreCase) {
    for (int token = KW_INPUT; token <= KW_SOCKSPROXY; ++token) {
        const std::string word = cmds::GetKeyword(static_cast<TOKEN>(token));
        std::string lower, upper, mixed;
        for (std::size_t i = 0; i < word.size(); ++i) {
            lower += static_cast<char>(word[i] | 0x20);
            upper += static_cast<char>(word[i] & ~0x20);
            mixed += i % 2 == 0 ? lower.back() : upper.back();
        }
        std::vector<TOKEN> expected(3, static_cast<TOKEN>(token));
        expected.push_back(END_OF_INPUT);
        EXPECT_EQ(Tokenize(lower + " " + upper + "\t" + mixed), expected) << word;
    }
}

// Every getter reports success for the last token's kind only; value words keep their value
// across other tokens, and a failing string getter leaves the caller's string alone.
TEST(Lexer, GettersReportOnlyTheLastTokensValue) {
    CStrLexerStream source("42 Expression ANY Off yes NO myself Hello user");
    CLexer lexer(source);
    std::uint64_t number = 1;
    std::string text = "untouched";
    cmds::wstring wide;
    EXPECT_FALSE(lexer.GetNumber(number));
    EXPECT_FALSE(lexer.GetString(text));
    for (const TOKEN expected :
         {NUMBER, M_VALUE, M_VALUE, P_VALUE, C_VALUE, C_VALUE, SCOPE_VALUE}) {
        EXPECT_EQ(lexer.GetNextToken(), expected);
    }
    M_TYPE_ENUM m = M_NONE;
    P_TYPE_ENUM p = P_NONE;
    C_TYPE_ENUM c = C_NONE;
    SCOPE_TYPE_ENUM scope = SCOPE_NONE;
    EXPECT_FALSE(lexer.GetMType(m));
    EXPECT_FALSE(lexer.GetPType(p));
    EXPECT_FALSE(lexer.GetCType(c));
    EXPECT_TRUE(lexer.GetScopeType(scope));
    EXPECT_EQ(std::make_tuple(m, p, c, scope), std::make_tuple(M_ANY, P_OFF, C_NO, SCOPE_MYSELF));
    EXPECT_FALSE(lexer.GetString(text));
    EXPECT_FALSE(lexer.GetWString(wide));
    EXPECT_EQ(text, "untouched");

    EXPECT_EQ(lexer.GetNextToken(), STRING);
    EXPECT_TRUE(lexer.GetString(text));
    EXPECT_EQ(text, "Hello");
    EXPECT_FALSE(lexer.GetNumber(number));
    EXPECT_EQ(number, 42u);
    EXPECT_EQ(lexer.GetNextToken(), KW_USER);
    EXPECT_FALSE(lexer.GetString(text));
    EXPECT_EQ(lexer.GetNextToken(), END_OF_INPUT);
    EXPECT_EQ(lexer.GetNextToken(), END_OF_INPUT);
}

TEST(Lexer, QuotedStringsKeepEveryOtherByte) {
    std::string narrowRaw, wideRaw;
    for (int b = 0; b < 256; ++b) {
        narrowRaw += b == '"' ? "" : std::string(1, static_cast<char>(b));
        wideRaw += b == '\'' ? "" : std::string(1, static_cast<char>(b));
    }
    std::string narrowExpected, narrow;
    cmds::wstring wideExpected, wide;
    ConvertASCIIcodeToString(narrowRaw, narrowExpected);
    ConvertUTF8ToUnicode(wideRaw, wideExpected);

    CStrLexerStream source("\"" + narrowRaw + "\"'" + wideRaw + "';");
    CLexer lexer(source);
    EXPECT_EQ(lexer.GetNextToken(), STRING);
    EXPECT_TRUE(lexer.GetString(narrow));
    EXPECT_EQ(narrow, narrowExpected);
    EXPECT_EQ(lexer.GetNextToken(), WSTRING);
    EXPECT_TRUE(lexer.GetWString(wide));
    EXPECT_EQ(wide, wideExpected);
}

TEST(Lexer, EveryByteOutsideQuotesStartsATokenOrFails) {
    const std::string starters =
        " \t\r\n:,{}()[];+-*0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int b = 0; b < 256; ++b) {
        if (b != '"' && b != '\'') {
            const bool legal = starters.find(static_cast<char>(b)) != std::string::npos;
            EXPECT_EQ(Tokenize(std::string(1, static_cast<char>(b))).back(),
                      legal ? END_OF_INPUT : NO_TOKEN)
                << "byte " << b;
        }
    }
}

TEST(Lexer, FailedQuotedStringKeepsTheLastTokenKind) {
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

// Every token with its value or error, and where the source stands afterwards, up to the
// second END_OF_INPUT.
std::vector<std::string> Trace(cmds::CLexerStreamBase& source) {
    CLexer lexer(source);
    std::vector<std::string> trace;
    for (int ends = 0; ends < 2 && trace.size() < 64;) {
        std::string step = "CLexError";
        try {
            const TOKEN token = lexer.GetNextToken();
            ends += token == END_OF_INPUT;
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
        } catch (const CLexError&) {
        }
        trace.push_back(step + " pos=" + std::to_string(source.GetPos()) +
                        " eof=" + std::to_string(source.IsEof()));
    }
    return trace;
}

// The in-place reading of a string source, or of a view, must leave every token, value, error and
// position as reading one character at a time through the virtual operations, and as an input
// stream, does. Numbers wrap modulo 2^64.
TEST(Lexer, StringSourceReadsAsTheVirtualPath) {
    const std::string texts[] = {
        "CONNECT INPUT \r\n\tuser:12,pwd:\"ab%20c\",host:'h\xC3\xA9',port:80;",
        "word",
        "word ",
        "12345",
        "007 000000000000000000000000000042;",
        "18446744073709551615 18446744073709551616 36893488147419103233x",
        "'open",
        "\"open",
        "'a''b'\"c\"\"\"",
        "abcdefghijklmnopqrstuvwxyz0123 SOCKSPROXY yes No",
        std::string("a\0b", 3),
        "x~",
        "5 ~ 6",
        "\xFF\xFE",
        "'\xFF\x80\"'",
        "  \t\r\n",
        "(id:5,online:no)[folder:1,id:2]+-*{}",
        ""};
    for (const std::string& text : texts) {
        CStrLexerStream inPlace(text);
        cmds::CStrViewLexerStream view(text);
        VirtualStrSource virtualSource(text);
        std::istringstream stream(text);
        cmds::CLexerStream streamSource(stream);
        const std::vector<std::string> expected = Trace(virtualSource);
        EXPECT_EQ(Trace(inPlace), expected) << text;
        EXPECT_EQ(Trace(view), expected) << text;
        EXPECT_EQ(Trace(streamSource), expected) << text;
    }
    CStrLexerStream numbers("18446744073709551615 18446744073709551617 000000000000000000000042");
    CLexer lexer(numbers);
    for (const std::uint64_t expected : {UINT64_MAX, std::uint64_t{1}, std::uint64_t{42}}) {
        std::uint64_t number = 0;
        EXPECT_EQ(lexer.GetNextToken(), NUMBER);
        EXPECT_TRUE(lexer.GetNumber(number));
        EXPECT_EQ(number, expected);
    }
}

// A host's tokenizer of its own, made of the lexer's steps.
class StepLexer : public CLexer {
public:
    using CLexer::CLexer;

    std::vector<std::string> Steps() {
        std::vector<std::string> steps;
        std::string word(1, static_cast<char>(SkipBlanks()));
        ReadString(word);
        steps.push_back(word + " " + std::to_string(FindKeyword(word.c_str())));
        std::uint64_t number = 0;
        const TOKEN token = ReadNumber(SkipBlanks(), number);
        steps.push_back(std::to_string(token) + " " + std::to_string(number));
        steps.push_back(std::string(1, static_cast<char>(SkipBlanks())));
        std::string text;
        SkipBlanks();
        steps.push_back(std::to_string(ReadUTF8(text)) + " " + text);
        SkipBlanks();
        steps.push_back(std::to_string(ReadQuoteString(text)) + " " + text);
        steps.push_back(std::to_string(SkipBlanks()));
        return steps;
    }
};

TEST(Lexer, StepsReadInPlaceAsThroughTheVirtualPath) {
    const std::string text = " \r\n SocksProxy 123456789012:'h\xC3\xA9'\t\"a%20b\"  ";
    const std::vector<std::string> expected = {"SocksProxy " + std::to_string(KW_SOCKSPROXY),
                                               std::to_string(NUMBER) + " 123456789012",
                                               ":",
                                               std::to_string(WSTRING) + " h\xC3\xA9",
                                               std::to_string(STRING) + " a b",
                                               "-1"};
    CStrLexerStream inPlace(text);
    VirtualStrSource virtualSource(text);
    EXPECT_EQ(StepLexer(inPlace).Steps(), expected);
    EXPECT_EQ(StepLexer(static_cast<cmds::CLexerStreamBase&>(virtualSource)).Steps(), expected);
}

// Both string sources, the copy and the view, read, put back and seek alike.
template <typename Source>
void ExpectStringSourceOperations() {
    Source empty("");
    EXPECT_FALSE(empty.IsEof());
    EXPECT_EQ(empty.GetNextChar(), -1);
    EXPECT_TRUE(empty.IsEof());

    const std::string text("a\xFF\0", 3);
    Source source(text);
    EXPECT_EQ(source.GetNextChar(), 'a');
    source.PutBackChar('a');
    EXPECT_EQ(source.GetNextChar(), 'a');
    EXPECT_EQ(source.GetNextChar(), 0xFF);
    EXPECT_EQ(source.GetNextChar(), 0);
    EXPECT_EQ(source.GetPos(), 3);
    source.SetPos(1);
    EXPECT_EQ(source.GetNextChar(), 0xFF);
    source.SetPos(3);
    EXPECT_EQ(source.GetNextChar(), -1);
    source.PutBackChar(0);
    source.PutBackChar(-1);
    EXPECT_EQ(source.GetNextChar(), -1);
    EXPECT_EQ(source.GetNextChar(), -1);
    EXPECT_EQ(source.GetPos(), -1);  // the failed state hides the position
    EXPECT_TRUE(source.IsEof());
    EXPECT_FALSE(source.Bad());

    Source beyond(text);
    beyond.SetPos(4);
    EXPECT_EQ(beyond.GetPos(), -1);
    EXPECT_EQ(beyond.GetNextChar(), -1);
}

TEST(StrLexerStream, ReadsPutsBackAndKeepsThePosition) {
    ExpectStringSourceOperations<CStrLexerStream>();
    ExpectStringSourceOperations<cmds::CStrViewLexerStream>();
}

}  // namespace
