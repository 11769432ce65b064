#include <gtest/gtest.h>

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
    EXPECT_STREQ(cmds::GetKeyword(tokens::NO_TOKEN), "");
    EXPECT_STREQ(cmds::GetKeyword(tokens::END_OF_INPUT), "*");
    EXPECT_EQ(cmds::GetKeyword(static_cast<TOKEN>(-2)), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::NUMBER), nullptr);
    EXPECT_EQ(cmds::GetKeyword(tokens::SCOPE_VALUE), nullptr);
}

// Each value table: entry 0 is the empty word, the last named value is the given word, and one
// past either end has no word.
template <typename Enum>
void ExpectValueTable(const char* (*name)(Enum), int count, const char* last) {
    EXPECT_STREQ(name(static_cast<Enum>(0)), "");
    EXPECT_STREQ(name(static_cast<Enum>(count - 1)), last);
    EXPECT_EQ(name(static_cast<Enum>(count)), nullptr);
    EXPECT_EQ(name(static_cast<Enum>(-1)), nullptr);
}

TEST(ValueWords, BoundsOfEachTable) {
    ExpectValueTable(cmds::GetMType, cmds::kMTypeCount, "expression");
    ExpectValueTable(cmds::GetPType, cmds::kPTypeCount, "end");
    ExpectValueTable(cmds::GetCType, cmds::kCTypeCount, "no");
    ExpectValueTable(cmds::GetScopeType, cmds::kScopeTypeCount, "friend");
}

TEST(ValueWords, NamedValues) {
    EXPECT_STREQ(cmds::GetMType(tokens::M_ALL), "all");
    EXPECT_STREQ(cmds::GetMType(tokens::M_ANY), "any");
    EXPECT_STREQ(cmds::GetPType(tokens::P_ON), "on");
    EXPECT_STREQ(cmds::GetPType(tokens::P_OFF), "off");
    EXPECT_STREQ(cmds::GetPType(tokens::P_BEGIN), "begin");
    EXPECT_STREQ(cmds::GetCType(tokens::C_YES), "yes");
    EXPECT_STREQ(cmds::GetScopeType(tokens::SCOPE_GLOBAL), "global");
    EXPECT_STREQ(cmds::GetScopeType(tokens::SCOPE_MYSELF), "myself");
}

TEST(Errors, EachTypeCarriesItsCode) {
    EXPECT_EQ(cmds::CLexError().code, 0);
    EXPECT_EQ(cmds::CSyntaxError().code, 1);
    EXPECT_EQ(cmds::CSemanticError().code, 2);
    EXPECT_EQ(cmds::CRuntimeError().code, 3);
    EXPECT_EQ(cmds::CDeadlockError().code, 4);
    EXPECT_EQ(cmds::CCancelError().code, 5);
}

TEST(Errors, BaseHandlerCatchesDerivedError) {
    try {
        throw cmds::CSyntaxError();
    } catch (const cmds::CCmdError& error) {
        EXPECT_EQ(error.code, 1);
    }
}

TEST(Errors, CopyThroughBaseKeepsCode) {
    cmds::CCmdError copy{};
    try {
        throw cmds::CDeadlockError();
    } catch (const cmds::CCmdError& error) {
        copy = error;
    }
    EXPECT_EQ(copy.code, 4);
}

}  // namespace
