// Writes a short exchange of every command of the language, shows each text with its line breaks
// and tabs made visible, and reads it back through the callback interface its header names; then
// shows how a malformed command is reported.
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "cmds/cmds.h"

namespace {

cmds::wstring Wide(const std::string& ascii) {
    return cmds::wstring(ascii.begin(), ascii.end());
}

std::string Narrow(const cmds::wstring& text) {
    std::string utf8;
    ConvertUnicodeToUTF8(text, utf8);
    return utf8;
}

std::string Visible(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Prints every callback it receives; one object serves every interface of the exchange.
class Printer : public cmds::IConnectIn,
                public cmds::IConnectOut,
                public cmds::IDisconnectIn,
                public cmds::IDisconnectOut,
                public cmds::IAliveIn,
                public cmds::IAliveOut,
                public cmds::IShareIn,
                public cmds::IShareOut,
                public cmds::IUnshareIn,
                public cmds::IUnshareOut,
                public cmds::IShareDirIn,
                public cmds::IShareDirOut,
                public cmds::IDirectory,
                public cmds::IFindIn,
                public cmds::IFindOut,
                public cmds::IFriendsIn,
                public cmds::IFriendsOut {
public:
    void OnUser(std::uint64_t user, const std::string& pwd) override {
        std::cout << "  OnUser(" << user << ", " << pwd.substr(0, 16) << "...)\n";
    }
    void OnError(tagERROR_CODE error) override {
        std::cout << "  OnError(" << static_cast<int>(error) << ")\n";
    }
    void OnFile(cmds::FILE_TYPE_ENUM kind, cmds::CFileInfo& f) override {
        std::cout << "  OnFile("
                  << "?+-*"[kind] << ", folder " << f.folder << ", id " << f.id << ", '"
                  << Narrow(f.file) << "', " << f.size << " bytes)\n";
    }
    void OnHost(bool online, const cmds::CHostInfo& h) override {
        std::cout << "  OnHost(" << (online ? "online" : "offline") << ", id " << h.id << ", '"
                  << Narrow(h.host) << "', " << h.address.size() << " addresses, port " << h.port
                  << ")\n";
    }
    void OnConnectInHost(unsigned short port, const std::string& address,
                         const cmds::wstring& host) override {
        std::cout << "  OnConnectInHost(" << port << ", " << address << ", '" << Narrow(host)
                  << "')\n";
    }
    void OnConnectInFlags(bool browsable, bool httpproxy, bool socksproxy) override {
        std::cout << "  OnConnectInFlags(" << browsable << ", " << httpproxy << ", " << socksproxy
                  << ")\n";
    }
    void OnConnectOut(std::uint64_t file) override { Number("OnConnectOut", file); }
    void OnShareOutFile(tagERROR_CODE error, std::uint32_t id, std::uint64_t folder) override {
        std::cout << "  OnShareOutFile(" << static_cast<int>(error) << ", id " << id << ", folder "
                  << folder << ")\n";
    }
    void OnUnShareIn(std::uint64_t folder) override { Number("OnUnShareIn", folder); }
    void OnShareDirIn(std::uint64_t folder) override { Number("OnShareDirIn", folder); }
    void OnShareDirOut(std::uint64_t folder) override { Number("OnShareDirOut", folder); }
    void OnSubDir(cmds::CSubDirInfo& e) override {
        std::cout << "  OnSubDir('" << Narrow(e.file) << "', folder " << e.folder << ", id " << e.id
                  << (e.isProtected ? ", protected" : "") << ")\n";
    }
    void OnDirectoryBegin(const cmds::wstring& folder, std::uint64_t id) override {
        std::cout << "  OnDirectoryBegin('" << Narrow(folder) << "', " << id << ")\n";
    }
    void OnCase(bool isCase) override { Number("OnCase", isCase); }
    void OnMatch(cmds::eMatch match) override { Number("OnMatch", match); }
    void OnExact(cmds::eExact exact) override { Number("OnExact", exact); }
    void OnMax(std::uint32_t max) override { Number("OnMax", max); }
    void OnKeywords(const cmds::wstring& keywords) override {
        std::cout << "  OnKeywords('" << Narrow(keywords) << "')\n";
    }
    void OnRank(bool rank) override { Number("OnRank", rank); }
    void OnFreetext(bool freetext) override { Number("OnFreetext", freetext); }
    void OnScope(cmds::eScope scope) override { Number("OnScope", scope); }

private:
    static void Number(const char* name, std::uint64_t value) {
        std::cout << "  " << name << "(" << value << ")\n";
    }
};

// Shows one command and reads it back through the interface of the command its header names.
void Exchange(const std::string& text, Printer& printer) {
    cmds::CCommandHeader header;
    cmds::PeekHeader(text, header);
    std::cout << "== " << cmds::GetKeyword(header.verb) << ' ' << cmds::GetKeyword(header.direction)
              << " (" << text.size() << " bytes)\n"
              << Visible(text) << "\n";
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    cmds::VisitCommand(header.command, [&](auto kind) {
        using Sink = typename decltype(kind)::Sink;
        parser.Parse(static_cast<Sink&>(printer));
    });
}

}  // namespace

int main() {
    const cmds::wstring password = Wide("secret");
    const std::uint64_t user = 12;
    Printer printer;
    cmds::CStrStmGenerator gen;
    const auto take = [&gen] {
        std::string text = gen.str();
        gen.Reset();
        return text;
    };

    Exchange(
        cmds::GenerateConnectIn(user, password, "10.0.0.1", 80, Wide("pc"), true, false, false),
        printer);
    Exchange(cmds::GenerateConnectOut(tagERROR_CODE{}, 5), printer);

    gen.GenerateDisconnectIn(user, password);
    Exchange(take(), printer);
    gen.GenerateDisconnectOut(tagERROR_CODE{});
    Exchange(take(), printer);
    gen.GenerateAliveIn(user, password);
    Exchange(take(), printer);
    gen.GenerateAliveOut(static_cast<tagERROR_CODE>(-1));
    Exchange(take(), printer);

    cmds::CFileInfo file;
    file.folder = 1;
    file.id = 7;
    file.file = Wide("report.doc");
    file.size = 2048;
    file.title = Wide("Q3");
    gen.GenerateShareInBegin(user, password);
    gen.GenerateFile(cmds::FILE_PLUS, file);
    gen.GenerateFile(cmds::FILE_MINUS, file);
    gen.GenerateShareInEnd();
    Exchange(take(), printer);

    gen.GenerateShareOutBegin(tagERROR_CODE{});
    gen.GenerateShareOutFile(tagERROR_CODE{}, 7, 1);
    gen.GenerateShareOutEnd();
    Exchange(take(), printer);

    gen.GenerateUnShareIn(user, password, 3);
    Exchange(take(), printer);

    gen.GenerateUnShareOut(tagERROR_CODE{});
    Exchange(take(), printer);
    gen.GenerateShareDirIn(user, password, 12);
    Exchange(take(), printer);
    gen.GenerateShareDirOut(tagERROR_CODE{}, 12);
    Exchange(take(), printer);

    gen.GenerateDirectoryBegin(tagERROR_CODE{}, Wide("Documents"), 5);
    gen.GenerateSubDir(2, 9, Wide("Old"), true);
    gen.GenerateFile(file, true);
    gen.GenerateDirectoryEnd();
    Exchange(take(), printer);

    cmds::CFindIn request;
    request.user = user;
    request.pwd = password;
    request.keywords = Wide("blue sky");
    request.max = 50;
    gen.GenerateFindIn(request);
    Exchange(take(), printer);

    std::string addresses;
    gen.GenerateAddressVect({"10.0.0.2:80", "pc1.example"}, addresses);
    gen.GenerateFindOutBegin(tagERROR_CODE{});
    gen.GenerateHostBegin(42, Wide("pc1"), cmds::wstring(), Wide("bob"), addresses, 80);
    gen.GenerateFile(file, true);
    gen.GenerateHostEnd();
    gen.GenerateFindOutEnd();
    Exchange(take(), printer);

    Exchange(cmds::GenerateFriendIn(user, password, {5, 9}), printer);
    gen.GenerateFriendsOutBegin(tagERROR_CODE{});
    gen.GenerateFriend(5, Wide("pc1"), addresses, 80, true);
    gen.GenerateFriend(9);
    gen.GenerateFriendsOutEnd();
    Exchange(take(), printer);

    // A reply with a string where a number belongs is rejected, with the place and the reason.
    try {
        Exchange("CONNECT OUTPUT \r\n\terror:0,file:'5';", printer);
    } catch (const cmds::CCmdError& error) {
        std::cout << "  rejected: " << cmds::DescribeError(error) << "\n";
    }
    return 0;
}
