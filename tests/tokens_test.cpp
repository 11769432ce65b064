#include <gtest/gtest.h>

#include <vector>

#include "cmds/cmds.h"

namespace {

using tokens::TOKEN;

TEST(Keywords, EveryTokenHasItsText) {
    const char* const expected[cmds::kKeywordCount] = {
        "",          "INPUT",   "OUTPUT",   "CONNECT", "user",      "pwd",        "port",
        "error",     "SHARE",   "folder",   "file",    "size",      "keywords",   "FIND",
        "match",     "max",     "exact",    "host",    "address",   "DISCONNECT", "ext",
        "author",    "subject", "manager",  "company", "comments",  "title",      "category",
        "case",      "creator", "type",     "UNSHARE", "id",        "ALIVE",      "DIRECTORY",
        "protected", "FRIENDS", "online",   "crc",     "MAP",       "CONTENTS",   "nick",
        "SHAREDIR",  "rank",    "freetext", "scope",   "browsable", "httpproxy",  "socksproxy",
        ":",         ",",       "{",        "}",       "(",         ")",          "[",
        "]",         "'",       ";",        "\"",      "+",         "-",          "*",
    };
    for (int token = 0; token < cmds::kKeywordCount; ++token) {
        const char* text = cmds::GetKeyword(static_cast<TOKEN>(token));
        ASSERT_NE(text, nullptr) << token;
        EXPECT_STREQ(text, expected[token]) << token;
    }
}

TEST(Keywords, BoundsOfTheTable) {
    EXPECT_STREQ(cmds::GetKeyword(tokens::END_OF_INPUT), "*");
    EXPECT_EQ(cmds::GetKeyword(static_cast<TOKEN>(-2)), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::NUMBER), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::SCOPE_VALUE), nullptr);
}

// Every word of a value table by its enumerator, and no word one past either end.
template <typename Enum>
void ExpectValueWords(const char* (*name)(Enum), std::vector<const char*> words) {
    for (int value = 0; value < static_cast<int>(words.size()); ++value) {
        EXPECT_STREQ(name(static_cast<Enum>(value)), words[value]) << value;
    }
    EXPECT_EQ(name(static_cast<Enum>(words.size())), nullptr);
    EXPECT_EQ(name(static_cast<Enum>(-1)), nullptr);
}

TEST(ValueWords, EveryTableWithItsBounds) {
    ExpectValueWords(cmds::GetMType, {"", "all", "any", "expression"});
    ExpectValueWords(cmds::GetPType, {"", "on", "off", "begin", "end"});
    ExpectValueWords(cmds::GetCType, {"", "yes", "no"});
    ExpectValueWords(cmds::GetScopeType, {"", "global", "myself", "friend"});
}

// Each error thrown as itself, caught through the base and copied into a base keeps its code.
template <typename Error>
int CodeThroughBase() {
    cmds::CCmdError copy{-1};
    try {
        throw Error();
    } catch (const cmds::CCmdError& error) {
        copy = error;
    }
    return copy.code;
}

TEST(Errors, EachTypeKeepsItsCodeThroughTheBase) {
    EXPECT_EQ(CodeThroughBase<cmds::CLexError>(), 0);
    EXPECT_EQ(CodeThroughBase<cmds::CSyntaxError>(), 1);
    EXPECT_EQ(CodeThroughBase<cmds::CSemanticError>(), 2);
    EXPECT_EQ(CodeThroughBase<cmds::CRuntimeError>(), 3);
    EXPECT_EQ(CodeThroughBase<cmds::CDeadlockError>(), 4);
    EXPECT_EQ(CodeThroughBase<cmds::CCancelError>(), 5);
}

}  // namespace
