// An outside program that writes a command with the library and reads it back, as a host that
// names no values of tagERROR_CODE does.
#include <cmds/cmds.h>

#include <cstring>
#include <iostream>
#include <string>

namespace {

class ConnectOut : public cmds::IConnectOut {
public:
    void OnError(tagERROR_CODE error) override { error_ = error; }
    void OnConnectOut(std::uint64_t file) override { file_ = file; }
    int error_ = 1;
    std::uint64_t file_ = 0;
};

}  // namespace

int main() {
    if (std::strcmp(cmds::GetVersion(), CMDS_VERSION_STRING) != 0) {
        std::cerr << "library " << cmds::GetVersion() << " under headers " << CMDS_VERSION_STRING
                  << '\n';
        return 1;
    }
    const std::string text = cmds::GenerateConnectOut(static_cast<tagERROR_CODE>(-1), 5);
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    ConnectOut sink;
    try {
        parser.Parse(sink);
    } catch (const cmds::CCmdError& error) {
        std::cerr << "parse failed with code " << error.code << '\n';
        return 1;
    }
    if (sink.error_ != -1 || sink.file_ != 5) {
        std::cerr << "unexpected values\n";
        return 1;
    }
    std::cout << "cmds " << cmds::GetVersion() << ": read back " << text.size() << " bytes\n";
    return 0;
}
