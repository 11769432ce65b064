// Where and why reading fails, as a person reads it: the whole description of representative
// faults, with positions counted by hand from the text, from a string source and from the two
// kinds of host stream that the lexer cannot read in place.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;

// A host's source that replaces every operation of the stream class, so the lexer cannot borrow
// the stream buffer and reads through these calls alone.
class OwnSource : public cmds::CLexerStream {
public:
    explicit OwnSource(std::string text) : CLexerStream(unused_), text_(std::move(text)) {}

    int GetNextChar() override {
        return at_ < text_.size() ? static_cast<unsigned char>(text_[at_++]) : (eof_ = true, -1);
    }
    void PutBackChar(int c) override { at_ -= c >= 0 && at_ > 0 ? 1 : 0; }
    bool IsEof() override { return eof_; }
    bool Bad() override { return false; }
    int GetPos() override { return static_cast<int>(at_); }
    void SetPos(int pos) override { at_ = static_cast<std::size_t>(pos); }

private:
    std::istringstream unused_;
    std::string text_;
    std::size_t at_ = 0;
    bool eof_ = false;
};

// A stream buffer with no get area, as over a pipe: every character through underflow and uflow.
class Unbuffered : public std::streambuf {
public:
    explicit Unbuffered(std::string text) : text_(std::move(text)) {}

protected:
    int_type underflow() override {
        return at_ < text_.size() ? traits_type::to_int_type(text_[at_]) : traits_type::eof();
    }
    int_type uflow() override {
        const int_type c = underflow();
        at_ += c != traits_type::eof();
        return c;
    }
    int_type pbackfail(int_type c) override {
        if (at_ == 0) {
            return traits_type::eof();
        }
        --at_;
        return c == traits_type::eof() ? traits_type::not_eof(c) : c;
    }

private:
    std::string text_;
    std::size_t at_ = 0;
};

// The description of the error that stops reading one command of the sink's kind, the same
// from every source.
template <typename Sink>
std::string Describe(const std::string& text) {
    const auto describe = [](cmds::CLexerStream& source) {
        const Calls calls = ParseFrom<Sink>(source);
        const std::string& last = calls.empty() ? std::string() : calls.back();
        const std::size_t cut = last.rfind("throws ", 0) == 0 ? last.find(": ") : last.npos;
        return cut == last.npos ? "no error" : last.substr(cut + 2);
    };
    cmds::CStrLexerStream string(text);
    const std::string described = describe(string);
    OwnSource own(text);
    EXPECT_EQ(describe(own), described) << "from a source of the host's own: " << text;
    Unbuffered pipe(text);
    std::istream input(&pipe);
    cmds::CLexerStream unbuffered(input);
    EXPECT_EQ(describe(unbuffered), described) << "from an unbuffered stream: " << text;
    return described;
}

TEST(ErrorPosition, DescribesWhatAndWhere) {
    const std::string file = "[folder:1,id:7,file:'a',size:1]";
    const struct {
        std::string (*describe)(const std::string&);
        std::string text;
        std::string expected;
    } cases[] = {
        {Describe<AliveOut>, "ALIVE OUTPUT error:~;",
         "1:20: lexical error in ALIVE OUTPUT: '~' starts no token"},
        {Describe<AliveIn>, "ALIVE INPUT user:1,pwd:\"abc",
         "1:24: lexical error in ALIVE INPUT: the input ends inside a string"},
        {Describe<AliveIn>, "",
         "1:1: syntax error in ALIVE INPUT: expected ALIVE INPUT; read the end of the input"},
        {Describe<AliveIn>, "ALIVE INPUTS user:1;",
         "1:7: syntax error in ALIVE INPUT: expected ALIVE INPUT; read the string \"INPUTS\""},
        {Describe<ConnectIn>, "ALIVE INPUT user:1,pwd:p;",
         "1:1: syntax error in CONNECT INPUT: expected CONNECT INPUT; read the keyword ALIVE"},
        {Describe<AliveOut>, "ALIVE OUTPUT \r\n\terror: 0 x;",
         "2:11: syntax error in ALIVE OUTPUT: expected ';'; read the string \"x\""},
        {Describe<AliveIn>, "ALIVE INPUT \r\n\tuser: 1 ,pwd:p\t,\n user:2;",
         "3:2: semantic error in ALIVE INPUT: tag user is given twice"},
        {Describe<AliveOut>, "ALIVE OUTPUT error 0;",
         "1:20: syntax error in ALIVE OUTPUT: expected ':'; read the number 0"},
        {Describe<ConnectIn>, "CONNECT INPUT user:1,file:1,pwd:p;",
         "1:22: syntax error in CONNECT INPUT: file is not a tag of CONNECT INPUT"},
        {Describe<ConnectOut>, "CONNECT OUTPUT \r\n\terror:0,file:'x';",
         "2:15: syntax error in CONNECT OUTPUT: file takes a number; read the wide string 'x'"},
        {Describe<FindIn>, "FIND INPUT user:1,pwd:p,keywords:'k',match:most;",
         "1:44: syntax error in FIND INPUT: match takes all, any or expression; read the string "
         "\"most\""},
        {Describe<AliveIn>, "ALIVE INPUT\n  user:1\n;",
         "3:1: semantic error in ALIVE INPUT: tag pwd is missing"},
        {Describe<ConnectIn>, "CONNECT INPUT user:1,pwd:p,host:'h',address:a;",
         "1:46: semantic error in CONNECT INPUT: tag port is missing"},
        {Describe<Directory>, "DIRECTORY OUTPUT error:0,id:1();",
         "1:30: semantic error in DIRECTORY OUTPUT: tag folder is missing"},
        {Describe<AliveIn>, "ALIVE INPUT user:1,pwd:p,\n user:2;",
         "2:2: semantic error in ALIVE INPUT: tag user is given twice"},
        {Describe<FriendsOut>, "FRIENDS OUTPUT error:0{(id:1)(id:2,id:3)};",
         "1:36: semantic error in FRIENDS OUTPUT, host record 2: tag id is given twice"},
        {Describe<FindOut>, "FIND OUTPUT error:0{\n(id:1" + file + "\n[folder:1,id:'7']\n)};",
         "3:14: syntax error in FIND OUTPUT, file record 2 of host record 1: id takes a number; "
         "read the wide string '7'"},
        {Describe<FindOut>, "FIND OUTPUT error:0{(id:1" + file + ")\n(id:2,port:'p'" + file + ")};",
         "2:12: syntax error in FIND OUTPUT, host record 2: port takes a number; read the wide "
         "string 'p'"},
        {Describe<ShareIn>, "SHARE INPUT user:1,pwd:p{(+" + file + "\n-[folder:1])};",
         "2:11: semantic error in SHARE INPUT, file record 2: tag id is missing"},
        {Describe<Directory>,
         "DIRECTORY OUTPUT error:0,folder:'f',id:1({file:'s',id:2,folder:1}\n" + file +
             "\n[id:1]);",
         "3:6: semantic error in DIRECTORY OUTPUT, file record 2: tag folder is missing"},
        {Describe<ShareOut>, "SHARE OUTPUT error:0{[error:0,id:1,folder:2][error:0,id:1]};",
         "1:58: semantic error in SHARE OUTPUT, file result record 2: tag folder is missing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.describe(c.text), c.expected) << c.text;
    }
}

}  // namespace
