#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cmds/cmds.h"

namespace {

using cmds::CFileInfo;
using cmds::CGenerator;

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
constexpr tagERROR_CODE kOk = tagERROR_CODE{};
const tagERROR_CODE kMinusOne = static_cast<tagERROR_CODE>(-1);
const tagERROR_CODE kMinusTwo = static_cast<tagERROR_CODE>(-2);

cmds::wstring W(std::u16string_view text) {
    return cmds::wstring(text.begin(), text.end());
}

const cmds::wstring kPwd = W(u"secret");

// The pwd tag as the writer must put it: the signature, coded, in double quotes.
std::string PwdTag(const cmds::wstring& pwd) {
    std::string coded;
    ConvertStringToASCIIcode(SignUserPwd(pwd), coded);
    return "pwd:\"" + coded + "\"";
}

CFileInfo File(std::uint64_t folder, std::uint64_t id, std::u16string_view name,
               std::uint64_t size) {
    CFileInfo record;
    record.folder = folder;
    record.id = id;
    record.file = W(name);
    record.size = size;
    return record;
}

struct WriterCase {
    std::function<void(CGenerator&)> write;
    std::string expected;
};

void ExpectWrites(const std::vector<WriterCase>& cases) {
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.expected);
        cmds::CStrStmGenerator generator;
        c.write(generator);
        EXPECT_EQ(generator.str(), c.expected);
    }
}

TEST(GeneratorLayout, FlatCommands) {
    const std::string pwd = PwdTag(kPwd);
    ExpectWrites({
        {[](CGenerator& g) { g.GenerateConnectOut(kMinusTwo, kMax64); },
         "CONNECT OUTPUT \r\n\terror:18446744073709551614,file:18446744073709551615;"},
        {[](CGenerator& g) { g.GenerateDisconnectOut(kMinusOne); },
         "DISCONNECT OUTPUT \r\n\terror:18446744073709551615;"},
        {[](CGenerator& g) { g.GenerateAliveOut(kOk); }, "ALIVE OUTPUT \r\n\terror:0;"},
        {[](CGenerator& g) { g.GenerateConnectOut(kOk, 9999999999); },
         "CONNECT OUTPUT \r\n\terror:0,file:9999999999;"},
        {[](CGenerator& g) { g.GenerateShareDirOut(kOk, 10000000000); },
         "SHAREDIR OUTPUT \r\n\terror:0,folder:10000000000;"},
        {[](CGenerator& g) { g.GenerateUnShareOut(tagERROR_CODE{7}); },
         "UNSHARE OUTPUT \r\n\terror:7;"},
        {[](CGenerator& g) { g.GenerateShareDirOut(kOk, 12); },
         "SHAREDIR OUTPUT \r\n\terror:0,folder:12;"},
        {[](CGenerator& g) { g.GenerateConnectIn(12, kPwd, "", 80, W(u"pc"), true, false, false); },
         "CONNECT INPUT \r\n\tuser:12," + pwd +
             ",host:'pc',port:80,browsable:yes,httpproxy:no,socksproxy:no;"},
        {[](CGenerator& g) {
             g.GenerateConnectIn(0, {}, "10.0.0.1:80;", 65535, {}, false, true, true);
         },
         "CONNECT INPUT \r\n\tuser:0," + PwdTag({}) +
             ",host:'',address:\"10.0.0.1:80;\",port:65535,browsable:no,httpproxy:yes,"
             "socksproxy:yes;"},
        {[](CGenerator& g) {
             g.GenerateConnectIn(1, kPwd, "a b", 1, W(u"\u00e9'"), false, false, false);
         },
         "CONNECT INPUT \r\n\tuser:1," + pwd +
             ",host:'\xC3\xA9\xC0\xA7',address:\"a%20b\",port:1,browsable:no,httpproxy:no,"
             "socksproxy:no;"},
        {[](CGenerator& g) { g.GenerateDisconnectIn(42, kPwd); },
         "DISCONNECT INPUT \r\n\tuser:42," + pwd + ";"},
        {[](CGenerator& g) { g.GenerateAliveIn(kMax64, kPwd); },
         "ALIVE INPUT \r\n\tuser:18446744073709551615," + pwd + ";"},
        {[](CGenerator& g) { g.GenerateUnShareIn(42, kPwd, 3); },
         "UNSHARE INPUT \r\n\tuser:42," + pwd + ",folder:3;"},
        {[](CGenerator& g) { g.GenerateShareDirIn(42, kPwd, 0); },
         "SHAREDIR INPUT \r\n\tuser:42," + pwd + ",folder:0;"},
    });
}

TEST(GeneratorLayout, FileRecords) {
    CFileInfo report = File(3, 17, u"report.doc", 2048);
    report.title = W(u"Q3");
    // Every text set, in the order of the record's members.
    const CFileInfo full{1,        W(u"f"),  W(u"e"),  W(u"k"),  W(u"a"),
                         W(u"s"),  W(u"m"),  W(u"co"), W(u"cm"), W(u"t"),
                         W(u"ca"), W(u"cr"), W(u"ty"), 3,        2};
    const std::string reportBody = "[folder:3,id:17,file:'report.doc',size:2048,title:'Q3']";
    ExpectWrites({
        {[&](CGenerator& g) { g.GenerateFile(report, true); }, "\r\n\t\t\t" + reportBody},
        {[&](CGenerator& g) { g.GenerateFile(report, false); }, reportBody},
        {[&](CGenerator& g) { g.GenerateFile(cmds::FILE_PLUS, report); },
         "\r\n\t\t\t+" + reportBody},
        {[&](CGenerator& g) { g.GenerateFile(cmds::FILE_MINUS, report); },
         "\r\n\t\t\t-[folder:3,id:17]"},
        {[&](CGenerator& g) { g.GenerateFile(cmds::FILE_STAR, full); },
         "\r\n\t\t\t*[folder:1,id:2]"},
        {[](CGenerator& g) { g.GenerateFile(CFileInfo{}, false); },
         "[folder:0,id:0,file:'',size:0]"},
        {[&](CGenerator& g) { g.GenerateFile(full, false); },
         "[folder:1,id:2,file:'f',ext:'e',size:3,keywords:'k',author:'a',subject:'s',"
         "manager:'m',company:'co',comments:'cm',title:'t',category:'ca',creator:'cr',"
         "type:'ty']"},
    });
}

TEST(GeneratorLayout, ListCommands) {
    const std::string pwd = PwdTag(kPwd);
    ExpectWrites({
        {[](CGenerator& g) {
             g.GenerateShareInBegin(42, kPwd);
             g.GenerateFile(cmds::FILE_PLUS, File(1, 7, u"a.txt", 10));
             g.GenerateFile(cmds::FILE_MINUS, File(1, 8, u"b.txt", 20));
             g.GenerateShareInEnd();
         },
         "SHARE INPUT \r\n\tuser:42," + pwd +
             "\r\n\t{\r\n\t\t(\r\n\t\t\t+[folder:1,id:7,file:'a.txt',size:10]"
             "\r\n\t\t\t-[folder:1,id:8]\r\n\t\t)\r\n\t};"},
        {[](CGenerator& g) {
             g.GenerateShareOutBegin(kOk);
             g.GenerateShareOutFile(kOk, 7, 1);
             g.GenerateShareOutFile(kMinusOne, 4294967295u, 1);
             g.GenerateShareOutEnd();
         },
         "SHARE OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t[error:0,folder:1,id:7]"
         "\r\n\t\t[error:18446744073709551615,folder:1,id:4294967295]\r\n\t};"},
        {[](CGenerator& g) {
             g.GenerateDirectoryBegin(kOk, W(u"Documents"), 5);
             g.GenerateSubDir(2, 9, W(u"Old"), true);
             g.GenerateFile(File(2, 17, u"a.txt", 10), true);
             g.GenerateSubDir(cmds::CSubDirInfo{{}, 5, 4, false});
             g.GenerateDirectoryEnd();
         },
         "DIRECTORY OUTPUT \r\n\terror:0,folder:'Documents',id:5\r\n\t\t(\r\n\t\t\t"
         "{folder:2,id:9,file:'Old',protected:yes}\r\n\t\t\t[folder:2,id:17,file:'a.txt',"
         "size:10]\r\n\t\t\t{folder:4,id:5,file:'',protected:no}\r\n\t\t);"},
        {[](CGenerator& g) {
             g.GenerateFindOutBegin(kOk);
             g.GenerateHostBegin(42, W(u"pc1"), {}, W(u"bob"), "10.0.0.1:80;", 80);
             g.GenerateFile(File(1, 7, u"a.txt", 10), true);
             g.GenerateHostEnd();
             g.GenerateFindOutEnd();
         },
         "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:42,host:'pc1',nick:'bob',"
         "address:\"10.0.0.1:80;\",port:80\r\n\t\t\t[folder:1,id:7,file:'a.txt',size:10]"
         "\r\n\t\t)\r\n\t};"},
        {[](CGenerator& g) {
             g.GenerateFindOutBegin(kOk);
             g.GenerateFindOutEnd();
         },
         "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t};"},
        {[](CGenerator& g) {
             g.GenerateHostBegin(1, {}, W(u"u"), W(u"n"), "", 65535);
             g.GenerateHostEnd();
         },
         "\r\n\t\t(id:1,host:'',user:'u',nick:'n',address:\"\",port:65535\r\n\t\t)"},
        {[](CGenerator& g) {
             g.GenerateFriendsInBegin(12, kPwd);
             g.GenerateFriend(5);
             g.GenerateFriend(9, W(u"pc9"), "b", 9, false);
             g.GenerateFriendsInEnd();
         },
         "FRIENDS INPUT \r\n\tuser:12," + pwd +
             "\r\n\t{\r\n\t\t(id:5)\r\n\t\t(id:9,host:'pc9',address:\"b\",port:9,online:no)"
             "\r\n\t\t};"},
        {[](CGenerator& g) {
             g.GenerateFriendsOutBegin(kOk);
             g.GenerateFriend(5, W(u"pc1"), "10.0.0.1:80;", 80, true);
             g.GenerateFriend(6, {}, "", 0, false);
             g.GenerateFriendsOutEnd();
         },
         "FRIENDS OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:5,host:'pc1',address:\"10.0.0.1:80;\","
         "port:80,online:yes)\r\n\t\t(id:6,host:'',address:\"\",port:0,online:no)\r\n\t\t};"},
    });
}

// Texts are written as the support library converts them, whichever unit stands at whichever
// place of texts around eight, sixteen and sixty-four units, and texts of one unit repeated;
// numbers have every count of digits and of bits.
TEST(GeneratorLayout, RecordValues) {
    const cmds::wstring kinds[] = {{'b'},    {0x00},   {0x26},   {0x27},           {0x28},
                                   {0x7F},   {0x80},   {0xFF},   {0x100},          {0x7FF},
                                   {0x800},  {0xD7FF}, {0xD83D}, {0xD83D, 0xDE00}, {0xDBFF, 0xDFFF},
                                   {0xDC00}, {0xDFFF}, {0xE000}, {0xFFFF}};
    for (const std::size_t length : {1, 7, 8, 9, 15, 16, 17, 24, 25, 63, 64, 65}) {
        for (const cmds::wstring& kind : kinds) {
            for (std::size_t at = 0; at + kind.size() <= length; ++at) {
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << kind[0]);
                cmds::wstring text(length, 'a');
                text.replace(at, kind.size(), kind);
                std::string converted;
                ConvertUnicodeToUTF8(text, converted);
                CFileInfo record = File(1, 2, u"", 3);
                record.file = text;
                record.type = text;
                cmds::CStrStmGenerator generator;
                generator.GenerateFile(record, false);
                EXPECT_EQ(generator.str(), "[folder:1,id:2,file:'" + converted + "',size:3,type:'" +
                                               converted + "']");
            }
        }
    }
    // Records longer than the storage that a generator starts with and than what it keeps, each
    // written twice to see that the storage is fit for the next record.
    for (const std::size_t length : {20, 64, 65, 1000, 400000}) {
        for (const unsigned short kind : {u'b', u'\u00e9', u'\u20ac'}) {
            const cmds::wstring text(length, kind);
            std::string converted;
            ConvertUnicodeToUTF8(text, converted);
            CFileInfo record = File(1, 2, u"", 3);
            record.title = text;
            const std::string expected = "[folder:1,id:2,file:'',size:3,title:'" + converted + "']";
            cmds::CStrStmGenerator generator;
            generator.GenerateFile(record, false);
            generator.GenerateFile(record, false);
            EXPECT_EQ(generator.str(), expected + expected) << length << " " << kind;
        }
    }
    // Random texts whose units beyond ASCII, surrogates and apostrophes included, range from one
    // in forty to all.
    std::mt19937 rng(7);
    for (int n = 0; n < 2000; ++n) {
        cmds::wstring text(rng() % 150, 0);
        const unsigned share = 1 + rng() % 40;
        for (auto& unit : text) {
            unit =
                static_cast<unsigned short>(rng() % share == 0 ? rng() % 0x10000u : rng() % 0x80u);
        }
        std::string converted;
        ConvertUnicodeToUTF8(text, converted);
        CFileInfo record = File(1, 2, u"", 3);
        record.file = text;
        cmds::CStrStmGenerator generator;
        generator.GenerateFile(record, false);
        EXPECT_EQ(generator.str(), "[folder:1,id:2,file:'" + converted + "',size:3]") << n;
    }
    std::vector<std::uint64_t> numbers = {0, kMax64};
    for (std::uint64_t power = 10; power <= kMax64 / 10; power *= 10) {
        numbers.insert(numbers.end(), {power - 1, power, power + 1});
    }
    for (int bits = 1; bits < 64; ++bits) {
        const std::uint64_t power = std::uint64_t{1} << bits;
        numbers.insert(numbers.end(), {power - 1, power});
    }
    for (const std::uint64_t number : numbers) {
        cmds::CStrStmGenerator generator;
        generator.GenerateFile(File(number, number, u"", number), false);
        const std::string digits = std::to_string(number);
        EXPECT_EQ(generator.str(),
                  "[folder:" + digits + ",id:" + digits + ",file:'',size:" + digits + "]");
    }
}

// Options are written between the flags and max only when named; a max of 0 is not written.
TEST(GeneratorLayout, FindRequest) {
    const std::string head = "FIND INPUT \r\n\tuser:12," + PwdTag(kPwd) + ",\r\n\t";
    const struct {
        std::u16string_view keywords;
        int exact, match;
        bool isCase, rank, freetext;
        int scope;
        std::uint32_t max;
        std::string options;
    } cases[] = {
        {u"blue sky", cmds::eExactOff, cmds::eMatchAny, false, true, false, cmds::eScopeGlobal, 50,
         "keywords:'blue sky',\r\n\tcase:no,rank:yes,freetext:no,scope:global,match:any,exact:off,"
         "max:50;"},
        {u"x", cmds::eExactOn, cmds::eMatchAll, false, false, false, cmds::eScopeGlobal, 1,
         "keywords:'x',\r\n\tcase:no,rank:no,freetext:no,scope:global,match:all,exact:on,max:1;"},
        {u"", cmds::eExactEnd, cmds::eMatchExpression, true, true, true, cmds::eScopeFriend,
         4294967295u,
         "keywords:'',\r\n\tcase:yes,rank:yes,freetext:yes,scope:friend,match:expression,"
         "exact:end,max:4294967295;"},
        {u"k", cmds::eExactBegin, cmds::eMatchAny, true, false, false, cmds::eScopeMyself, 7,
         "keywords:'k',\r\n\tcase:yes,rank:no,freetext:no,scope:myself,match:any,exact:begin,"
         "max:7;"},
        {u"x", 4, 3, false, false, false, 3, 0, "keywords:'x',\r\n\tcase:no,rank:no,freetext:no;"},
        {u"x", -1, -1, false, false, false, -1, 0,
         "keywords:'x',\r\n\tcase:no,rank:no,freetext:no;"},
    };
    for (const auto& c : cases) {
        cmds::CFindIn request;
        request.user = 12;
        request.pwd = kPwd;
        request.keywords = W(c.keywords);
        request.exact = static_cast<cmds::eExact>(c.exact);
        request.match = static_cast<cmds::eMatch>(c.match);
        request.isCase = c.isCase;
        request.rank = c.rank;
        request.freetext = c.freetext;
        request.scope = static_cast<cmds::eScope>(c.scope);
        request.max = c.max;
        cmds::CStrStmGenerator fromRecord, fromValues;
        fromRecord.GenerateFindIn(request);
        fromValues.GenerateFindIn(12, kPwd, request.keywords, request.exact, request.match,
                                  c.isCase, c.rank, c.freetext, request.scope, c.max);
        EXPECT_EQ(fromRecord.str(), head + c.options);
        EXPECT_EQ(fromValues.str(), head + c.options);
    }
}

TEST(GeneratorFreeFunctions, ReturnTheWholeCommand) {
    const std::string friendsHead = "FRIENDS INPUT \r\n\tuser:12," + PwdTag(kPwd) + "\r\n\t{";
    EXPECT_EQ(cmds::GenerateConnectOut(kOk, 5), "CONNECT OUTPUT \r\n\terror:0,file:5;");
    EXPECT_EQ(cmds::GenerateConnectIn(12, kPwd, "", 80, W(u"pc"), true, false, false),
              "CONNECT INPUT \r\n\tuser:12," + PwdTag(kPwd) +
                  ",host:'pc',port:80,browsable:yes,httpproxy:no,socksproxy:no;");
    EXPECT_EQ(cmds::GenerateFriendIn(12, kPwd, std::vector<std::uint64_t>{5, 9}),
              friendsHead + "\r\n\t\t(id:5)\r\n\t\t(id:9)\r\n\t\t};");
    EXPECT_EQ(cmds::GenerateFriendIn(12, kPwd, std::uint64_t{5}),
              friendsHead + "\r\n\t\t(id:5)\r\n\t\t};");
    EXPECT_EQ(cmds::GenerateFriendIn(12, kPwd, std::vector<std::uint64_t>{}),
              friendsHead + "\r\n\t\t};");
}

TEST(StrStmGenerator, MeasuresAndResetsItsText) {
    const std::string alive = "ALIVE OUTPUT \r\n\terror:0;";
    const std::string connect = "CONNECT OUTPUT \r\n\terror:0,file:5;";
    cmds::CStrStmGenerator generator;
    EXPECT_EQ(generator.GetSize(), 0u);
    generator.GenerateAliveOut(kOk);
    generator.GenerateConnectOut(kOk, 5);
    EXPECT_EQ(generator.str(), alive + connect);
    EXPECT_EQ(generator.str(), alive + connect) << "reading the text leaves it in place";
    EXPECT_EQ(generator.GetSize(), alive.size() + connect.size());
    EXPECT_EQ(generator.GetLength(), alive.size() + connect.size());
    generator.Reset();
    EXPECT_EQ(generator.GetSize(), 0u);
    EXPECT_EQ(generator.GetLength(), 0u);
    generator.GenerateConnectOut(kOk, 5);
    EXPECT_EQ(generator.str(), connect);
}

// The generator keeps what its writers gather in its own stream's buffer until the text is
// looked at; every way of looking sees every writer, also while the buffer grows and after Reset.
// The same writers on a caller's stream give the expected text.
TEST(StrStmGenerator, EveryLookSeesEveryWriter) {
    std::mt19937 rng(7);
    cmds::CStrStmGenerator generator;
    for (int round = 0; round < 3; ++round) {
        std::ostringstream expected;
        CGenerator reference(expected);
        for (int n = 0; n < 4000; ++n) {
            const CFileInfo record =
                File(rng() % 1000, rng(), n % 3 == 0 ? u"it's" : u"caf\u00e9 \u65e5", rng());
            generator.GenerateFile(cmds::FILE_PLUS, record);
            reference.GenerateFile(cmds::FILE_PLUS, record);
            const auto size = static_cast<std::size_t>(expected.tellp());
            switch (rng() % 64) {
                case 0:
                    ASSERT_EQ(generator.GetLength(), size);
                    break;
                case 1:
                    ASSERT_EQ(generator.GetSize(), size);
                    break;
                case 2:
                    ASSERT_EQ(generator.str(), expected.str());
                    break;
            }
        }
        EXPECT_EQ(generator.GetLength(), expected.str().size());
        EXPECT_EQ(generator.str(), expected.str());
        // Reset with the last writer's bytes not yet looked at.
        generator.GenerateFile(cmds::FILE_MINUS, File(1, 2, u"", 0));
        generator.Reset();
        EXPECT_EQ(generator.GetLength(), 0u);
    }
    generator.GenerateAliveOut(kOk);
    EXPECT_EQ(generator.str(), "ALIVE OUTPUT \r\n\terror:0;");
}

TEST(Generator, AppendsToTheCallersStreamAndItsAddressText) {
    std::ostringstream out;
    out << "xy";
    CGenerator generator(out);
    generator.GenerateAliveOut(kOk);
    EXPECT_EQ(out.str(), "xyALIVE OUTPUT \r\n\terror:0;");
    EXPECT_EQ(generator.GetLength(), out.str().size());
    std::string addresses = "x;";
    generator.GenerateAddressVect({}, addresses);
    generator.GenerateAddressVect({"a", "b"}, addresses);
    EXPECT_EQ(addresses, "x;a;b;");
    EXPECT_EQ(out.str().size(), generator.GetLength())
        << "addresses go to the text, not the stream";
    out.setstate(std::ios_base::failbit);
    EXPECT_EQ(generator.GetLength(), 4294967295u);
}

// A buffer that takes `room` bytes and refuses the rest.
class ShortBuffer : public std::streambuf {
public:
    explicit ShortBuffer(std::size_t room) : room_(room) {}
    std::string taken;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || taken.size() == room_) {
            return traits_type::eof();
        }
        taken += traits_type::to_char_type(c);
        return c;
    }

private:
    std::size_t room_;
};

// A buffer that holds up to `size` bytes of what it is given until synced, as a file's or a
// socket's does.
class HoldingBuffer : public std::streambuf {
public:
    explicit HoldingBuffer(std::size_t size = 4096) : held_(size) { Empty(); }
    std::string delivered;

protected:
    int sync() override {
        delivered.append(pbase(), pptr());
        Empty();
        return 0;
    }
    int_type overflow(int_type c) override {
        sync();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            sputc(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }

private:
    void Empty() { setp(held_.data(), held_.data() + held_.size()); }
    std::vector<char> held_;
};

TEST(Generator, FlushesAUnitBufferedStreamAfterEachWriter) {
    HoldingBuffer buffer;
    std::ostream out(&buffer);
    out << std::unitbuf;
    CGenerator generator(out);
    generator.GenerateAliveOut(kOk);
    EXPECT_EQ(buffer.delivered, "ALIVE OUTPUT \r\n\terror:0;");
    generator.GenerateFile(File(3, 17, u"r", 2), true);
    EXPECT_EQ(buffer.delivered,
              "ALIVE OUTPUT \r\n\terror:0;\r\n\t\t\t[folder:3,id:17,file:'r',size:2]");
}

// A writer stores its bytes in the buffer's room while they fit and gathers them elsewhere from
// the piece that does not fit on, whatever the room left: none, part of a key, part of a text.
TEST(Generator, WritesTheSameBytesWhateverRoomTheBufferHas) {
    CFileInfo record = File(3, 17, u"r\u00e9sum\u00e9 'final'.doc", 48213);
    record.author = W(u"Ana \U0001F600");
    record.title = W(u"CV");
    const auto write = [&](std::ostream& out) {
        CGenerator generator(out);
        generator.GenerateShareInBegin(12, W(u"pw"));
        for (int i = 0; i < 40; ++i) {
            generator.GenerateFile(cmds::FILE_PLUS, record);
        }
        generator.GenerateShareInEnd();
    };
    std::ostringstream plain;
    write(plain);
    for (const std::size_t room : {1, 2, 15, 16, 17, 40, 97, 1000, 100000}) {
        HoldingBuffer buffer(room);
        std::ostream out(&buffer);
        write(out);
        out.flush();
        EXPECT_EQ(buffer.delivered, plain.str()) << room << " bytes of room";
        EXPECT_TRUE(out.good());
    }
}

// A writer hands its bytes to the buffer in one piece only where that cannot be told from
// writing piece by piece: the bytes taken and the stream's state are the same for a tied, a
// unit-buffered, a failed and a short stream.
TEST(Generator, WritesTheSameBytesOnEveryKindOfStream) {
    const auto write = [](std::ostream& out) {
        CGenerator generator(out);
        generator.GenerateConnectOut(kOk, 5);
        generator.GenerateFile(File(3, 17, u"report.doc", 2048), true);
    };
    std::ostringstream plain, other, tied, unitBuffered, failed;
    write(plain);
    tied.tie(&other);
    unitBuffered << std::unitbuf;
    failed.setstate(std::ios_base::failbit);
    for (std::ostringstream* out : {&tied, &unitBuffered, &failed}) {
        write(*out);
        EXPECT_EQ(out->str(), out == &failed ? "" : plain.str());
    }
    for (const bool pieceByPiece : {false, true}) {
        ShortBuffer buffer(40);
        std::ostream out(&buffer);
        if (pieceByPiece) {
            out.tie(&other);
        }
        write(out);
        EXPECT_EQ(buffer.taken, plain.str().substr(0, 40));
        EXPECT_TRUE(out.bad());
    }
}

}  // namespace
