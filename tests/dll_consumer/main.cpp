// A program built against the installed DLLs and their import libraries. It writes commands with
// the generator, reads them back with the parser, and catches each error that the parser throws
// inside the DLL by its own type, as well as its own exception thrown through the DLL's frames.
#include <cmds/cmds.h>

#include <cstdint>
#include <iostream>
#include <string>

namespace {

int failures = 0;

void Expect(bool holds, const char* what) {
    if (!holds) {
        std::cerr << "failed: " << what << '\n';
        ++failures;
    }
}

struct ConnectOut : cmds::IConnectOut {
    void OnError(tagERROR_CODE code) override { error = code; }
    void OnConnectOut(std::uint64_t id) override { file = id; }
    int error = 1;
    std::uint64_t file = 0;
};

struct AliveIn : cmds::IAliveIn {
    void OnUser(std::uint64_t id, const std::string& signature) override {
        user = id;
        pwd = signature;
    }
    std::uint64_t user = 0;
    std::string pwd;
};

struct HostError {};

struct ThrowingConnectOut : cmds::IConnectOut {
    void OnError(tagERROR_CODE) override { throw HostError{}; }
    void OnConnectOut(std::uint64_t) override {}
};

// Whether reading `text` as a CONNECT reply throws `Error` itself.
template <typename Error, typename Sink = ConnectOut>
bool Throws(const std::string& text) {
    cmds::CStrLexerStream source(text);
    cmds::CParser parser(source);
    Sink sink;
    try {
        parser.Parse(sink);
    } catch (const Error&) {
        return true;
    } catch (...) {
        return false;
    }
    return false;
}

}  // namespace

int main() {
    cmds::CStrStmGenerator generator;
    generator.GenerateConnectOut(static_cast<tagERROR_CODE>(-1), 5);
    generator.GenerateAliveIn(12, {'a', 'b', 'c'});
    cmds::CStrLexerStream source(generator.str());
    cmds::CParser parser(source);
    ConnectOut reply;
    AliveIn request;
    try {
        parser.Parse(reply);
        parser.Parse(request);
    } catch (...) {
        Expect(false, "reading back what the generator wrote");
    }
    Expect(reply.error == -1 && reply.file == 5, "the reply's values");
    Expect(request.user == 12 &&
               request.pwd == "13e228567e8249fce53337f25d7970de3bd68ab2653424c7b8f9fd05e33caedf",
           "the request's user and signed password");

    const std::string header = "CONNECT OUTPUT \r\n\t";
    Expect(Throws<cmds::CSyntaxError>(header + "error:0,file:x;"), "CSyntaxError");
    Expect(Throws<cmds::CSemanticError>(header + "error:0,error:0,file:1;"), "CSemanticError");
    Expect(Throws<cmds::CLexError>(header + "error:0,file:'1"), "CLexError");
    Expect(Throws<cmds::CCmdError>(header + "error:0,file:x;"), "CCmdError, the common base");
    Expect(Throws<HostError, ThrowingConnectOut>(header + "error:0,file:1;"),
           "the host's own exception through Parse");

    if (failures == 0) {
        std::cout << "cmds " << CMDS_VERSION_STRING << ": the DLLs work across their boundary\n";
    }
    return failures == 0 ? 0 : 1;
}
