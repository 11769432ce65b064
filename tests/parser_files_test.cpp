// Readers of file records and of the SHARE, UNSHARE, SHAREDIR and DIRECTORY commands.
#include <gtest/gtest.h>

#include "cmds/cmds.h"
#include "recorder.h"

namespace {

using namespace testing_support;

const std::string kUser = "OnUser(42,\"sig\")";

std::string ShareInText(const std::string& list) {
    return "SHARE INPUT user:42,pwd:sig{" + list + "};";
}

std::string OnFile(const char* kind, const std::string& fields) {
    return std::string("OnFile(\"") + kind + "\",{" + fields + "})";
}

// A key-only record arrives with the fields it does not carry left as constructed.
std::string KeyOnly(const char* kind, int id) {
    return OnFile(kind, "folder:1,id:" + std::to_string(id) + ",file:'',size:0");
}

const std::string kFileA = OnFile("+", "folder:1,id:7,file:'a.txt',size:10");

TEST(ShareInput, MarkersKindsAndListForms) {
    CheckAll<ShareIn>({
        {"as written",
         "SHARE INPUT "
         "\r\n\tuser:42,pwd:\"sig\"\r\n\t{\r\n\t\t(\r\n\t\t\t+[folder:1,id:7,file:'a.txt',"
         "size:10]\r\n\t\t\t-[folder:1,id:8]\r\n\t\t)\r\n\t};",
         {kUser, kFileA, KeyOnly("-", 8)}},
        {"unmarked is full, star is key-only",
         ShareInText("([folder:1,id:7,file:'a.txt',size:10]*[folder:1,id:3])"),
         {kUser, kFileA, KeyOnly("*", 3)}},
        {"the kind never carries over",
         ShareInText("(-[folder:1,id:2][folder:1,id:3,file:'a',size:0])"),
         {kUser, KeyOnly("-", 2), OnFile("+", "folder:1,id:3,file:'a',size:0")}},
        {"every text in its field, any order, empty name",
         ShareInText("([type:'t',creator:'cr',category:'ca',title:'ti',comments:'co',company:'cm',"
                     "manager:'m',subject:'su',author:'au',keywords:'k',ext:'e',size:9,file:'',"
                     "id:2,folder:1])"),
         {kUser, OnFile("+",
                        "folder:1,id:2,file:'',size:9,ext:'e',keywords:'k',author:'au',"
                        "subject:'su',manager:'m',company:'cm',comments:'co',title:'ti',"
                        "category:'ca',creator:'cr',type:'t'")}},
        {"marker after the last record ignored",
         ShareInText("(-[folder:1,id:2]*)"),
         {kUser, KeyOnly("-", 2)}},
        {"a record keeps none of the texts of the one before",
         ShareInText("([folder:1,id:7,file:'a.txt',size:10,ext:'e',title:'t']"
                     "[folder:1,id:7,file:'a.txt',size:10])"),
         {kUser, OnFile("+", "folder:1,id:7,file:'a.txt',size:10,ext:'e',title:'t'"), kFileA}},
        {"empty list", ShareInText("()"), {kUser}},
        {"absent list", ShareInText(""), {kUser}},
        {"pwd before user", "SHARE INPUT pwd:sig,user:42{};", {kUser}},
    });
}

TEST(ShareInput, FaultsAndTheCallsMadeBeforeThem) {
    CheckAll<ShareIn>({
        {"size in a key-only record", ShareInText("(-[folder:1,id:2,size:5])"), {kUser, kSyntax}},
        {"file in a star record", ShareInText("(*[folder:1,id:2,file:'a'])"), {kUser, kSyntax}},
        {"case is no record tag",
         ShareInText("([folder:1,id:2,file:'a',size:0,case:yes])"),
         {kUser, kSyntax}},
        {"narrow name", ShareInText("([folder:1,id:2,file:\"a\",size:0])"), {kUser, kSyntax}},
        {"empty record", ShareInText("([])"), {kUser, kSyntax}},
        {"marker twice", ShareInText("(+-[folder:1,id:2])"), {kUser, kSyntax}},
        {"record not closed", ShareInText("(-[folder:1,id:2)"), {kUser, kSyntax}},
        {"size missing", ShareInText("([folder:1,id:2,file:'a'])"), {kUser, kSemantic}},
        {"file missing", ShareInText("([folder:1,id:2,size:0])"), {kUser, kSemantic}},
        {"id missing", ShareInText("(-[folder:1])"), {kUser, kSemantic}},
        {"id twice", ShareInText("(-[folder:1,id:2,id:3])"), {kUser, kSemantic}},
        {"earlier records stay delivered",
         ShareInText("(-[folder:1,id:2]*[folder:1,id:3][folder:1,id:4])"),
         {kUser, KeyOnly("-", 2), KeyOnly("*", 3), kSemantic}},
        {"comma between records",
         ShareInText("(-[folder:1,id:2],-[folder:1,id:3])"),
         {kUser, KeyOnly("-", 2), kSyntax}},
        {"list not closed", ShareInText("(-[folder:1,id:2]"), {kUser, KeyOnly("-", 2), kSyntax}},
        {"list without braces", "SHARE INPUT user:42,pwd:sig();", {kSyntax}},
        {"list not followed by }", "SHARE INPUT user:42,pwd:sig{();", {kUser, kSyntax}},
        {"missing ;", "SHARE INPUT user:42,pwd:sig{}", {kUser, kSyntax}},
        {"undeclared request tag", "SHARE INPUT user:42,pwd:sig,folder:1{};", {kSyntax}},
        {"pwd missing", "SHARE INPUT user:42{};", {kSemantic}},
        {"user twice", "SHARE INPUT user:42,user:42,pwd:sig{};", {kSemantic}},
    });
}

TEST(ShareOutput, ReadsAndRejects) {
    const std::string head = "SHARE OUTPUT error:0{";
    CheckAll<ShareOut>({
        {"as written",
         "SHARE OUTPUT "
         "\r\n\terror:0\r\n\t{\r\n\t\t[error:0,folder:1,id:7]\r\n\t\t[error:0,folder:1,"
         "id:8]\r\n\t};",
         {"OnError(0)", "OnShareOutFile(0,7,1)", "OnShareOutFile(0,8,1)"}},
        {"without braces", "SHARE OUTPUT error:5;", {"OnError(5)"}},
        {"empty braces", head + "};", {"OnError(0)"}},
        {"any order, id keeps its low 32 bits, code -1",
         head + "[id:4294967298,folder:3,error:18446744073709551615]};",
         {"OnError(0)", "OnShareOutFile(-1,2,3)"}},
        {"terminator alone", "SHARE OUTPUT ;", {kSyntax}},
        {"braces without code", "SHARE OUTPUT {};", {kSyntax}},
        {"code without colon", "SHARE OUTPUT error{};", {kSyntax}},
        {"code as text", "SHARE OUTPUT error:'0';", {kSyntax}},
        {"comma after the code", "SHARE OUTPUT error:0,folder:1;", {"OnError(0)", kSyntax}},
        {"comma between results",
         head + "[error:0,folder:1,id:7],[error:0,folder:1,id:8]};",
         {"OnError(0)", "OnShareOutFile(0,7,1)", kSyntax}},
        {"per-file tag missing", head + "[error:0,folder:1]};", {"OnError(0)", kSemantic}},
        {"per-file tag twice", head + "[error:0,folder:1,id:7,id:7]};", {"OnError(0)", kSemantic}},
        {"other per-file tag", head + "[error:0,folder:1,id:7,size:1]};", {"OnError(0)", kSyntax}},
        {"result not closed", head + "[error:0,folder:1,id:7};", {"OnError(0)", kSyntax}},
        {"braces not closed",
         head + "[error:0,folder:1,id:7];",
         {"OnError(0)", "OnShareOutFile(0,7,1)", kSyntax}},
        {"missing ;", head + "}", {"OnError(0)", kSyntax}},
    });
}

template <typename Sink>
void CheckFolderRequest(const std::string& verb, const std::string& call) {
    const std::string head = verb + " INPUT ";
    CheckAll<Sink>({
        {"as written", head + "\r\n\tuser:42,pwd:\"sig\",folder:3;", {kUser, call + "(3)"}},
        {"folder first", head + "folder:3,pwd:sig,user:42;", {kUser, call + "(3)"}},
        {"folder twice", head + "user:42,pwd:sig,folder:3,folder:3;", {kUser, kSemantic}},
        {"folder missing", head + "user:42,pwd:sig;", {kUser, kSemantic}},
        {"pwd missing", head + "user:42,folder:3;", {kSemantic}},
        {"folder as text", head + "user:42,pwd:sig,folder:'3';", {kSyntax}},
        {"further tag", head + "user:42,pwd:sig,folder:3,error:0;", {kSyntax}},
        {"missing ;", head + "user:42,pwd:sig,folder:3", {kSyntax}},
    });
}

TEST(FolderRequests, UnshareAndShareDirAlike) {
    CheckFolderRequest<UnshareIn>("UNSHARE", "OnUnShareIn");
    CheckFolderRequest<ShareDirIn>("SHAREDIR", "OnShareDirIn");
    EXPECT_EQ(ParseText<UnshareIn>("SHAREDIR INPUT user:42,pwd:sig,folder:3;"), Calls{kSyntax});
}

TEST(FolderReplies, UnshareTakesTheCodeAloneShareDirAnyOrder) {
    CheckAll<UnshareOut>({
        {"as written", "UNSHARE OUTPUT \r\n\terror:0;", {"OnError(0)"}},
        {"code -1", "UNSHARE OUTPUT error:18446744073709551615;", {"OnError(-1)"}},
        {"further tag", "UNSHARE OUTPUT error:0,folder:12;", {"OnError(0)", kSyntax}},
        {"end of input", "UNSHARE OUTPUT error:0", {"OnError(0)", kSyntax}},
        {"terminator alone", "UNSHARE OUTPUT ;", {kSyntax}},
        {"code without colon", "UNSHARE OUTPUT error;", {kSyntax}},
        {"code without value", "UNSHARE OUTPUT error:;", {kSyntax}},
    });
    CheckAll<ShareDirOut>({
        {"as written",
         "SHAREDIR OUTPUT \r\n\terror:0,folder:12;",
         {"OnError(0)", "OnShareDirOut(12)"}},
        {"folder first", "SHAREDIR OUTPUT folder:12,error:0;", {"OnError(0)", "OnShareDirOut(12)"}},
        {"folder missing", "SHAREDIR OUTPUT error:3;", {"OnError(3)", kSemantic}},
        {"error missing", "SHAREDIR OUTPUT folder:12;", {kSemantic}},
        {"error twice", "SHAREDIR OUTPUT error:0,folder:12,error:0;", {kSemantic}},
        {"missing ;", "SHAREDIR OUTPUT error:0,folder:12}", {kSyntax}},
    });
}

const std::string kHead = "DIRECTORY OUTPUT error:0,folder:'d',id:1";
const Calls kHeadCalls = {"OnError(0)", "OnDirectoryBegin('d',1)"};

Calls AfterHead(const Calls& rest) {
    return Then(kHeadCalls, rest);
}

TEST(Directory, AcceptedForms) {
    const std::string sub = "OnSubDir(\"{file:'s',id:3,folder:1,protected:";
    CheckAll<Directory>({
        {"as written",
         "DIRECTORY OUTPUT \r\n\terror:0,folder:'Documents',id:5\r\n\t\t(\r\n\t\t\t{folder:2,id:9,"
         "file:'Old',protected:yes}\r\n\t\t\t[folder:2,id:17,file:'a.txt',size:10]\r\n\t\t);",
         {"OnError(0)", "OnDirectoryBegin('Documents',5)",
          "OnSubDir(\"{file:'Old',id:9,folder:2,protected:yes}\")",
          OnFile("+", "folder:2,id:17,file:'a.txt',size:10")}},
        {"no list",
         "DIRECTORY OUTPUT \r\n\terror:3,folder:'',id:0;",
         {"OnError(3)", "OnDirectoryBegin('',0)"}},
        {"empty list", kHead + "();", kHeadCalls},
        {"head in any order, entries alternate in text order",
         "DIRECTORY OUTPUT id:1,folder:'d',error:0([folder:1,id:7,file:'a.txt',size:10]"
         "{id:3,file:'s',folder:1}{protected:no,folder:1,id:3,file:'s'}"
         "[folder:1,id:7,file:'a.txt',size:10]{file:'s',folder:1,id:3,protected:yes});",
         AfterHead({kFileA, sub + "no}\")", sub + "no}\")", kFileA, sub + "yes}\")"})},
    });
}

TEST(Directory, FaultsAndTheCallsMadeBeforeThem) {
    CheckAll<Directory>({
        {"folder as number in the head", "DIRECTORY OUTPUT error:0,folder:1,id:1;", {kSyntax}},
        {"error missing", "DIRECTORY OUTPUT folder:'d',id:1;", {kSemantic}},
        {"folder missing", "DIRECTORY OUTPUT error:0,id:1();", {"OnError(0)", kSemantic}},
        {"id missing", "DIRECTORY OUTPUT error:0,folder:'d';", {"OnError(0)", kSemantic}},
        {"head delivered before the token after it", kHead + "[folder:1,id:7];",
         AfterHead({kSyntax})},
        {"missing ;", kHead + "()", AfterHead({kSyntax})},
        {"folder as text in a sub-folder", kHead + "({file:'s',folder:'1',id:3});",
         AfterHead({kSyntax})},
        {"folder as text in a file", kHead + "([folder:'1',id:7,file:'a',size:1]);",
         AfterHead({kSyntax})},
        {"protected as number", kHead + "({file:'s',folder:1,id:3,protected:1});",
         AfterHead({kSyntax})},
        {"file tag in a sub-folder", kHead + "({file:'s',folder:1,id:3,size:1});",
         AfterHead({kSyntax})},
        {"sub-folder name missing", kHead + "({folder:1,id:3});", AfterHead({kSemantic})},
        {"protected twice", kHead + "({file:'s',folder:1,id:3,protected:no,protected:no});",
         AfterHead({kSemantic})},
        {"file fault", kHead + "([folder:1,id:7,file:'a']);", AfterHead({kSemantic})},
        {"marker before a file", kHead + "(+[folder:1,id:7,file:'a.txt',size:10]);",
         AfterHead({kSyntax})},
        {"sub-folder closed by ]", kHead + "({file:'s',folder:1,id:3]);", AfterHead({kSyntax})},
        {"comma between entries", kHead + "([folder:1,id:7,file:'a.txt',size:10],{});",
         AfterHead({kFileA, kSyntax})},
        {"list not closed", kHead + "([folder:1,id:7,file:'a.txt',size:10];",
         AfterHead({kFileA, kSyntax})},
    });
}

}  // namespace
