#include "exchange.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <random>
#include <thread>

#include "codec.h"

namespace cmds_tool {

namespace {

cmds::wstring Wide(const char* utf8) {
    cmds::wstring text;
    ConvertUTF8ToUnicode(utf8, text);
    return text;
}

}  // namespace

std::vector<std::string> ExchangeCommands() {
    const cmds::wstring password = Wide("secret");
    const std::uint64_t user = 12;
    const tagERROR_CODE ok{};
    cmds::CStrStmGenerator out;
    std::vector<std::string> commands;
    const auto take = [&] {
        commands.push_back(out.str());
        out.Reset();
    };

    out.GenerateConnectIn(user, password, "192.0.2.10", 8080, Wide("Café PC"), true, false, true);
    take();
    out.GenerateConnectOut(ok, 5);
    take();
    out.GenerateDisconnectIn(user, password);
    take();
    out.GenerateDisconnectOut(ok);
    take();
    out.GenerateAliveIn(user, password);
    take();
    out.GenerateAliveOut(static_cast<tagERROR_CODE>(-1));
    take();

    cmds::CFileInfo resume;
    resume.folder = 1;
    resume.id = 7;
    resume.file = Wide("résumé.pdf");
    resume.size = 48213;
    resume.author = Wide("Ana");
    resume.title = Wide("CV 2024");
    cmds::CFileInfo withdrawn;
    withdrawn.folder = 1;
    withdrawn.id = 8;
    out.GenerateShareInBegin(user, password);
    out.GenerateFile(cmds::FILE_PLUS, resume);
    out.GenerateFile(cmds::FILE_MINUS, withdrawn);
    out.GenerateShareInEnd();
    take();
    out.GenerateShareOutBegin(ok);
    out.GenerateShareOutFile(ok, 7, 1);
    out.GenerateShareOutFile(static_cast<tagERROR_CODE>(3), 8, 1);
    out.GenerateShareOutEnd();
    take();

    out.GenerateUnShareIn(user, password, 3);
    take();
    out.GenerateUnShareOut(ok);
    take();
    out.GenerateShareDirIn(user, password, 4);
    take();
    out.GenerateShareDirOut(ok, 4);
    take();

    out.GenerateDirectoryBegin(ok, Wide("Documents"), 1);
    out.GenerateSubDir(1, 9, Wide("Old letters"), true);
    out.GenerateFile(resume, true);
    out.GenerateDirectoryEnd();
    take();

    cmds::CFindIn search;
    search.user = user;
    search.pwd = password;
    search.keywords = Wide("blue sky");
    search.rank = true;
    search.scope = cmds::eScopeFriend;
    search.max = 50;
    out.GenerateFindIn(search);
    take();
    std::string addresses;
    out.GenerateAddressVect({"192.0.2.20:8080", "pc1.example"}, addresses);
    out.GenerateFindOutBegin(ok);
    out.GenerateHostBegin(42, Wide("pc1"), Wide("bob"), Wide("Bobby"), addresses, 8080);
    out.GenerateFile(resume, true);
    out.GenerateHostEnd();
    out.GenerateFindOutEnd();
    take();

    out.GenerateFriendsInBegin(user, password);
    out.GenerateFriend(42);
    out.GenerateFriend(43, Wide("laptop"), "192.0.2.30;", 8081, false);
    out.GenerateFriendsInEnd();
    take();
    out.GenerateFriendsOutBegin(ok);
    out.GenerateFriend(42, Wide("pc1"), addresses, 8080, true);
    out.GenerateFriend(43);
    out.GenerateFriendsOutEnd();
    take();
    return commands;
}

std::size_t RunDemo(std::ostream& out, std::uint32_t seed) {
    const std::vector<std::string> commands = ExchangeCommands();
    std::string text;
    for (const std::string& command : commands) {
        text += command;
    }
    cmds::CMtLexerStream feed;
    std::size_t chunks = 0;
    std::thread sender([&text, &feed, &chunks, seed] {
        std::mt19937 random(seed);
        std::uniform_int_distribution<std::size_t> size(1, 16);
        std::uniform_int_distribution<int> pause(0, 300);
        for (std::size_t sent = 0; sent < text.size(); ++chunks) {
            const std::size_t length = std::min(size(random), text.size() - sent);
            feed.InsertToStream(text.data() + sent, static_cast<std::uint32_t>(length));
            sent += length;
            std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
        }
    });
    try {
        // The reader knows the exchange, as a client knows which reply comes next.
        cmds::CParser parser(feed);
        for (const std::string& command : commands) {
            cmds::CCommandHeader header;
            cmds::PeekHeader(command, header);
            out << ReadCommand(parser, header.command).dump() << '\n';
        }
    } catch (...) {
        sender.join();
        throw;
    }
    sender.join();
    return chunks;
}

}  // namespace cmds_tool
