#include "every_command.h"

namespace testing_support {

namespace {

cmds::wstring Wide(std::u16string_view text) {
    return cmds::wstring(text.begin(), text.end());
}

}  // namespace

std::vector<std::string> EveryCommandScript() {
    std::vector<std::string> sent = {
        "\r\n connect input user:1,pwd:\"x';y\",host:'a\";b',address:a,port:1;"};
    cmds::CStrStmGenerator out;
    const auto add = [&](auto generate) {
        generate();
        sent.push_back(out.str());
        out.Reset();
    };
    const cmds::wstring pwd = Wide(u"p;w'\"");
    const cmds::wstring tricky = Wide(u"a;\"b\";'c'");
    const tagERROR_CODE ok{};
    cmds::CFileInfo file;
    file.folder = 1;
    file.id = 2;
    file.file = tricky;
    file.size = 3;
    std::string addresses;
    out.GenerateAddressVect({"a:1", "b"}, addresses);
    cmds::CFindIn search;
    search.pwd = pwd;
    search.keywords = tricky;

    add([&] { out.GenerateConnectIn(1, pwd, "x;y", 80, tricky, true, false, true); });
    add([&] { out.GenerateConnectOut(ok, 5); });
    add([&] { out.GenerateDisconnectIn(1, pwd); });
    add([&] { out.GenerateDisconnectOut(ok); });
    add([&] { out.GenerateAliveIn(1, pwd); });
    add([&] { out.GenerateAliveOut(static_cast<tagERROR_CODE>(-1)); });
    add([&] {
        out.GenerateShareInBegin(1, pwd);
        out.GenerateFile(cmds::FILE_PLUS, file);
        out.GenerateFile(cmds::FILE_STAR, file);
        out.GenerateShareInEnd();
    });
    add([&] {
        out.GenerateShareOutBegin(ok);
        out.GenerateShareOutFile(ok, 2, 1);
        out.GenerateShareOutEnd();
    });
    add([&] { out.GenerateUnShareIn(1, pwd, 3); });
    add([&] { out.GenerateUnShareOut(ok); });
    add([&] { out.GenerateShareDirIn(1, pwd, 4); });
    add([&] { out.GenerateShareDirOut(ok, 4); });
    add([&] {
        out.GenerateDirectoryBegin(ok, tricky, 1);
        out.GenerateSubDir(1, 9, tricky, true);
        out.GenerateFile(file, true);
        out.GenerateDirectoryEnd();
    });
    add([&] { out.GenerateFindIn(search); });
    add([&] {
        out.GenerateFindOutBegin(ok);
        out.GenerateHostBegin(7, tricky, tricky, tricky, addresses, 80);
        out.GenerateFile(file, true);
        out.GenerateHostEnd();
        out.GenerateFindOutEnd();
    });
    add([&] {
        out.GenerateFriendsInBegin(1, pwd);
        out.GenerateFriend(7);
        out.GenerateFriendsInEnd();
    });
    add([&] {
        out.GenerateFriendsOutBegin(ok);
        out.GenerateFriend(7, tricky, addresses, 80, false);
        out.GenerateFriendsOutEnd();
    });
    sent.insert(sent.end(), {"ALIVE OUTPUT error:~;", "SHARE OUTPUT error:0{[error:0,id:1]};",
                             "FRIENDS INPUT user:1,pwd:\"p\"{(id:1,nick:\"n\")};",
                             "DISCONNECT INPUT ;", "UNSHARE OUTPUT error:1,x:'';"});
    return sent;
}

}  // namespace testing_support
