// Readers of host records and of the FIND and FRIENDS commands.
#include <gtest/gtest.h>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;

const std::string kUser = "OnUser(12,\"sig\")";

// The call for a host that gives only `id` and an address text split into `addresses`.
std::string BareHost(int id, const std::string& addresses = "", const char* online = "yes") {
    return std::string("OnHost(") + online + ",{id:" + std::to_string(id) +
           ",host:'',nick:'',user:'',address:[" + addresses + "],port:0})";
}

const Calls kDefaults = {"OnKeywords('k')", kUser,        "OnMax(100)",
                         "OnScope(0)",      "OnMatch(1)", "OnExact(1)",
                         "OnCase(no)",      "OnRank(no)", "OnFreetext(no)"};

TEST(FindInput, DefaultsOrderAndValues) {
    CheckAll<FindIn>({
        {"only user, pwd and keywords", "FIND INPUT user:12,pwd:sig,keywords:'k';", kDefaults},
        {"as written",
         "FIND INPUT \r\n\tuser:12,pwd:\"sig\",\r\n\tkeywords:'blue sky',\r\n\tcase:no,rank:yes,"
         "freetext:no,scope:global,match:any,exact:off,max:50;",
         {"OnKeywords('blue sky')", kUser, "OnMax(50)", "OnScope(0)", "OnMatch(1)", "OnExact(1)",
          "OnCase(no)", "OnRank(yes)", "OnFreetext(no)"}},
        {"any order, max keeps its low 32 bits",
         "FIND INPUT scope:friend,exact:end,match:expression,max:4294967301,freetext:yes,"
         "rank:no,case:yes,keywords:'',pwd:sig,user:12;",
         {"OnKeywords('')", kUser, "OnMax(5)", "OnScope(2)", "OnMatch(2)", "OnExact(3)",
          "OnCase(yes)", "OnRank(no)", "OnFreetext(yes)"}},
        {"remaining words",
         "FIND INPUT user:12,pwd:sig,keywords:'k',scope:MySelf,match:ALL,exact:On;",
         {"OnKeywords('k')", kUser, "OnMax(100)", "OnScope(1)", "OnMatch(0)", "OnExact(0)",
          "OnCase(no)", "OnRank(no)", "OnFreetext(no)"}},
        // Strictly well-formed UTF-8 is decoded where it lies; surrogate forms, the
        // apostrophe's overlong form and malformed bytes go to the support library, here and
        // also at every split. 16 ASCII bytes come before the first multi-byte form.
        {"keywords at the edges of UTF-8",
         "FIND INPUT user:12,pwd:sig,keywords:'abcdefghijklmnop\xC2\x80\xDF\xBF\xE0\xA0\x80"
         "\xED\x9F\xBF\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF';",
         {"OnKeywords('abcdefghijklmnop\\u0080\\u07ff\\u0800\\ud7ff\\uffff\\ud800\\udc00"
          "\\udbff\\udfff')",
          kUser, "OnMax(100)", "OnScope(0)", "OnMatch(1)", "OnExact(1)", "OnCase(no)", "OnRank(no)",
          "OnFreetext(no)"}},
        {"keywords the support library decodes",
         "FIND INPUT user:12,pwd:sig,keywords:'\xED\xA0\x80\xC0\xA7x\xC0\x80\xF4\x90\x80\x80"
         "\xE0\x9F\xBF\xC2';",
         {"OnKeywords('\\ud800'x\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd"
          "\\ufffd\\ufffd\\ufffd')",
          kUser, "OnMax(100)", "OnScope(0)", "OnMatch(1)", "OnExact(1)", "OnCase(no)", "OnRank(no)",
          "OnFreetext(no)"}},
        {"exact begin",
         "FIND INPUT user:12,pwd:sig,keywords:'k',exact:begin;",
         {"OnKeywords('k')", kUser, "OnMax(100)", "OnScope(0)", "OnMatch(1)", "OnExact(2)",
          "OnCase(no)", "OnRank(no)", "OnFreetext(no)"}},
    });
}

TEST(FindInput, FaultsAndTheCallsMadeBeforeThem) {
    const std::string head = "FIND INPUT user:12,pwd:sig,keywords:'k',";
    CheckAll<FindIn>({
        {"end tested after all nine calls", "FIND INPUT user:12,pwd:sig,keywords:'k'}",
         Then(kDefaults, {kSyntax})},
        {"max twice", head + "max:5,max:5;", {"OnKeywords('k')", kUser, kSemantic}},
        {"user missing", "FIND INPUT pwd:sig,keywords:'k';", {"OnKeywords('k')", kSemantic}},
        {"option twice", head + "case:no,case:no;", {kSemantic}},
        {"keywords missing", "FIND INPUT user:12,pwd:sig;", {kSemantic}},
        {"max as text", head + "max:'5';", {kSyntax}},
        {"case with another word", head + "case:maybe;", {kSyntax}},
        {"match with a scope word", head + "match:global;", {kSyntax}},
        {"scope with a keyword", head + "scope:case;", {kSyntax}},
        {"undeclared tag", head + "folder:1;", {kSyntax}},
        {"wrong direction", "FIND OUTPUT user:12,pwd:sig,keywords:'k';", {kSyntax}},
    });
}

const std::string kFile = "[folder:1,id:7,file:'a.txt',size:10]";
const std::string kOnFile = "OnFile(\"+\",{folder:1,id:7,file:'a.txt',size:10})";
const std::string kFind = "FIND OUTPUT error:0{";

TEST(FindOutput, HostsWithTheirFiles) {
    CheckAll<FindOut>({
        {"as written",
         "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:42,host:'pc1',nick:'bob',address:\"10.0.0.1;"
         "10.0.0.2;\",port:80\r\n\t\t\t" +
             kFile + "\r\n\t\t)\r\n\t};",
         {"OnError(0)",
          "OnHost(yes,{id:42,host:'pc1',nick:'bob',user:'',address:[\"10.0.0.1\",\"10.0.0.2\"],"
          "port:80})",
          kOnFile}},
        {"empty host list", "FIND OUTPUT \r\n\terror:0\r\n\t{\r\n\t};", {"OnError(0)"}},
        {"two hosts, calls in text order",
         kFind + "(id:1" + kFile + kFile + ")(id:2" + kFile + ")};",
         {"OnError(0)", BareHost(1), kOnFile, kOnFile, BareHost(2), kOnFile}},
        {"code -1", "FIND OUTPUT error:18446744073709551615{};", {"OnError(-1)"}},
    });
}

TEST(FindOutput, FaultsAndTheCallsMadeBeforeThem) {
    CheckAll<FindOut>({
        {"later host without files",
         kFind + "(id:1" + kFile + ")(id:2)};",
         {"OnError(0)", BareHost(1), kOnFile, kSyntax}},
        {"marker before a later file",
         kFind + "(id:1" + kFile + "+" + kFile + ")};",
         {"OnError(0)", BareHost(1), kOnFile, kSyntax}},
        {"OnFile only once the token after ] is read",
         kFind + "(id:1" + kFile + "#",
         {"OnError(0)", BareHost(1), "throws CLexError"}},
        {"comma after a file",
         kFind + "(id:1" + kFile + "," + kFile + ")};",
         {"OnError(0)", BareHost(1), kOnFile, kSyntax}},
        {"file not closed",
         kFind + "(id:1[folder:1,id:7,file:'a.txt',size:10))};",
         {"OnError(0)", BareHost(1), kSyntax}},
        {"file fault",
         kFind + "(id:1[folder:1,id:7,file:'a.txt'])};",
         {"OnError(0)", BareHost(1), kSemantic}},
        {"file tag among the host tags",
         kFind + "(id:1,size:1" + kFile + ")};",
         {"OnError(0)", kSyntax}},
        {"hosts not followed by }",
         kFind + "(id:1" + kFile + ");",
         {"OnError(0)", BareHost(1), kOnFile, kSyntax}},
        {"} not followed by ;", kFind + "}}", {"OnError(0)", kSyntax}},
        {"code alone", "FIND OUTPUT error:0;", {"OnError(0)", kSyntax}},
        {"comma after the code", "FIND OUTPUT error:3,host:'h'{};", {"OnError(3)", kSyntax}},
        {"braces without code", "FIND OUTPUT {};", {kSyntax}},
        {"code as text", "FIND OUTPUT error:'0'{};", {kSyntax}},
    });
}

// Both FRIENDS commands read their entries alike; a reply with a single entry stands for both.
std::string Friend(const std::string& entry) {
    return "FRIENDS OUTPUT error:0{(" + entry + ")};";
}

TEST(HostRecords, TagsDefaultsAndFaults) {
    CheckAll<FriendsOut>({
        {"id alone", Friend("id:5"), {"OnError(0)", BareHost(5)}},
        {"every tag, any order, port keeps its low 16 bits",
         Friend("nick:'n',user:'u',online:no,address:\"a b\",port:70000,host:'h',id:7"),
         {"OnError(0)",
          "OnHost(no,{id:7,host:'h',nick:'n',user:'u',address:[\"a\",\"b\"],port:4464})"}},
        {"a host keeps none of the addresses of the one before",
         Friend("id:5,address:\"a\")(id:6"),
         {"OnError(0)", BareHost(5, "\"a\""), BareHost(6)}},
        {"address as a bare word",
         Friend("id:5,address:host7"),
         {"OnError(0)", BareHost(5, "\"host7\"")}},
        {"id missing", Friend("host:'h'"), {"OnError(0)", kSemantic}},
        {"id twice", Friend("id:5,id:5"), {"OnError(0)", kSemantic}},
        {"online twice", Friend("id:5,online:no,online:yes"), {"OnError(0)", kSemantic}},
        {"narrow host name", Friend("id:5,host:\"h\""), {"OnError(0)", kSyntax}},
        {"port as text", Friend("id:5,port:'80'"), {"OnError(0)", kSyntax}},
        {"online with another word", Friend("id:5,online:maybe"), {"OnError(0)", kSyntax}},
    });
}

TEST(HostRecords, AddressTextSplitsAtEverySeparator) {
    const std::pair<std::string, std::string> cases[] = {
        {"a:80;b:81;", "\"a:80\",\"b:81\""},
        {"a, b", "\"a\",\"b\""},
        {";;;", ""},
        {"", ""},
        {"a;;b", "\"a\",\"b\""},
        {"\na;b,c d\te\rf\n", "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\""},
        {"x.y-z:1", "\"x.y-z:1\""},
    };
    for (const auto& [text, addresses] : cases) {
        EXPECT_EQ(ParseText<FriendsOut>(Friend("id:1,address:\"" + text + "\"")),
                  (Calls{"OnError(0)", BareHost(1, addresses)}))
            << Show(text);
    }
}

TEST(Friends, RequestsAndReplies) {
    CheckAll<FriendsIn>({
        {"as written",
         "FRIENDS INPUT \r\n\tuser:12,pwd:\"sig\"\r\n\t{\r\n\t\t(id:5)\r\n\t\t(id:9)\r\n\t\t};",
         {kUser, BareHost(5), BareHost(9)}},
        {"empty list", "FRIENDS INPUT pwd:sig,user:12{};", {kUser}},
        {"entry offline",
         "FRIENDS INPUT user:12,pwd:sig{(id:5,online:no)};",
         {kUser, BareHost(5, "", "no")}},
        {"tags not followed by {", "FRIENDS INPUT user:12,pwd:sig(id:5)};", {kUser, kSyntax}},
        {"pwd missing", "FRIENDS INPUT user:12{};", {kSemantic}},
        {"further request tag", "FRIENDS INPUT user:12,pwd:sig,id:5{};", {kSyntax}},
        {"missing ;", "FRIENDS INPUT user:12,pwd:sig{(id:5)}", {kUser, BareHost(5), kSyntax}},
    });
    CheckAll<FriendsOut>({
        {"full entry",
         "FRIENDS OUTPUT \r\n\terror:0\r\n\t{\r\n\t\t(id:5,host:'pc1',address:\"a;\",port:80,"
         "online:yes)\r\n\t\t};",
         {"OnError(0)", "OnHost(yes,{id:5,host:'pc1',nick:'',user:'',address:[\"a\"],port:80})"}},
        {"code -1", "FRIENDS OUTPUT error:18446744073709551615{};", {"OnError(-1)"}},
        {"code alone", "FRIENDS OUTPUT error:0;", {kSyntax}},
        {"braces without code", "FRIENDS OUTPUT {};", {kSyntax}},
        {"entry carrying files", Friend("id:5" + kFile), {"OnError(0)", BareHost(5), kSyntax}},
        {"files after the entry",
         "FRIENDS OUTPUT error:0{(id:5)" + kFile + "};",
         {"OnError(0)", BareHost(5), kSyntax}},
        {"entry not closed", "FRIENDS OUTPUT error:0{(id:5;", {"OnError(0)", BareHost(5), kSyntax}},
        {"list not closed", "FRIENDS OUTPUT error:0{(id:5);", {"OnError(0)", BareHost(5), kSyntax}},
    });
}

}  // namespace
