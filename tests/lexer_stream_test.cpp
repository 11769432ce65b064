#include <gtest/gtest.h>

#include <string>

#include "cmds/cmds.h"

namespace {

using cmds::CStrLexerStream;

TEST(StrLexerStream, EmptyTextEndsAtFirstRead) {
    CStrLexerStream source("");
    EXPECT_FALSE(source.IsEof());
    EXPECT_EQ(source.GetNextChar(), -1);
    EXPECT_TRUE(source.IsEof());
    EXPECT_FALSE(source.Bad());
}

TEST(StrLexerStream, PutBackRereadsAndEndRepeats) {
    CStrLexerStream source("ab");
    EXPECT_EQ(source.GetNextChar(), 'a');
    source.PutBackChar('a');
    EXPECT_EQ(source.GetNextChar(), 'a');
    EXPECT_EQ(source.GetNextChar(), 'b');
    EXPECT_EQ(source.GetNextChar(), -1);
    EXPECT_EQ(source.GetNextChar(), -1);
}

TEST(StrLexerStream, PutBackAfterEndIsIgnored) {
    CStrLexerStream source("a");
    EXPECT_EQ(source.GetNextChar(), 'a');
    EXPECT_EQ(source.GetNextChar(), -1);
    source.PutBackChar('a');
    source.PutBackChar(-1);
    EXPECT_EQ(source.GetNextChar(), -1);
}

TEST(StrLexerStream, HighBytesAreNotTheEnd) {
    CStrLexerStream source(std::string("\xFF\x80\x00", 3));
    EXPECT_EQ(source.GetNextChar(), 0xFF);
    EXPECT_EQ(source.GetNextChar(), 0x80);
    EXPECT_EQ(source.GetNextChar(), 0);
    EXPECT_EQ(source.GetNextChar(), -1);
}

TEST(StrLexerStream, PositionIsCountedFromTheStart) {
    CStrLexerStream source("abcd");
    EXPECT_EQ(source.GetPos(), 0);
    for (int i = 0; i < 3; ++i) {
        source.GetNextChar();
    }
    EXPECT_EQ(source.GetPos(), 3);
    source.SetPos(0);
    EXPECT_EQ(source.GetNextChar(), 'a');
    source.SetPos(3);
    EXPECT_EQ(source.GetNextChar(), 'd');
    EXPECT_EQ(source.GetNextChar(), -1);
    EXPECT_EQ(source.GetPos(), -1);  // the failed state hides the position
}

}  // namespace
