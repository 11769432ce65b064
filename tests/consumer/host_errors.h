// Writes every reply with the host's own result codes and checks that OnError and
// OnShareOutFile receive them back. Included after the host has defined kOk, kDenied and kBusy
// as enumerators of tagERROR_CODE.
#ifndef CMDS_CONSUMER_HOST_ERRORS_H
#define CMDS_CONSUMER_HOST_ERRORS_H

#include <cmds/cmds.h>

#include <iostream>
#include <string>
#include <vector>

namespace host {

struct Replies : cmds::IConnectOut,
                 cmds::IDisconnectOut,
                 cmds::IAliveOut,
                 cmds::IShareOut,
                 cmds::IUnshareOut,
                 cmds::IShareDirOut,
                 cmds::IDirectory,
                 cmds::IFindOut,
                 cmds::IFriendsOut {
    void OnError(tagERROR_CODE error) override { received.push_back(error); }
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t, std::uint64_t) override {
        received.push_back(error);
    }
    void OnConnectOut(std::uint64_t) override {}
    void OnShareDirOut(std::uint64_t) override {}
    void OnFile(cmds::FILE_TYPE_ENUM, cmds::CFileInfo&) override {}
    void OnSubDir(cmds::CSubDirInfo&) override {}
    void OnDirectoryBegin(const cmds::wstring&, std::uint64_t) override {}
    void OnHost(bool, const cmds::CHostInfo&) override {}

    std::vector<tagERROR_CODE> received;
};

inline int CheckHostErrors() {
    cmds::CStrStmGenerator gen;
    gen.GenerateConnectOut(kDenied, 5);
    gen.GenerateDisconnectOut(kBusy);
    gen.GenerateAliveOut(kOk);
    gen.GenerateShareOutBegin(kDenied);
    gen.GenerateShareOutFile(kBusy, 1, 2);
    gen.GenerateShareOutEnd();
    gen.GenerateUnShareOut(kBusy);
    gen.GenerateShareDirOut(kDenied, 3);
    gen.GenerateDirectoryBegin(kBusy, {'d'}, 4);
    gen.GenerateDirectoryEnd();
    gen.GenerateFindOutBegin(kDenied);
    gen.GenerateFindOutEnd();
    gen.GenerateFriendsOutBegin(kBusy);
    gen.GenerateFriendsOutEnd();
    const std::string text = gen.str() + cmds::GenerateConnectOut(kBusy, 6);

    Replies replies;
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    try {
        parser.Parse(static_cast<cmds::IConnectOut&>(replies));
        parser.Parse(static_cast<cmds::IDisconnectOut&>(replies));
        parser.Parse(static_cast<cmds::IAliveOut&>(replies));
        parser.Parse(static_cast<cmds::IShareOut&>(replies));
        parser.Parse(static_cast<cmds::IUnshareOut&>(replies));
        parser.Parse(static_cast<cmds::IShareDirOut&>(replies));
        parser.Parse(static_cast<cmds::IDirectory&>(replies));
        parser.Parse(static_cast<cmds::IFindOut&>(replies));
        parser.Parse(static_cast<cmds::IFriendsOut&>(replies));
        parser.Parse(static_cast<cmds::IConnectOut&>(replies));
    } catch (const cmds::CCmdError& error) {
        std::cerr << "parse failed with code " << error.code << '\n';
        return 1;
    }
    const std::vector<tagERROR_CODE> expected = {kDenied, kBusy, kOk,     kDenied, kBusy, kBusy,
                                                 kDenied, kBusy, kDenied, kBusy,   kBusy};
    if (replies.received != expected) {
        std::cerr << "the result codes read back differ from those written\n";
        return 1;
    }
    return 0;
}

}  // namespace host

#endif
