#include "cmds/parser/parser_internal.h"

namespace cmds::detail {

using namespace tokens;

// A request that carries the credentials and nothing else.
void Reader::ReadCredentials(IUser& sink) {
    Header();
    TagList tags(state_, kCredentialTags);
    Expect(ReadTagList(tags), SEMICOLON);
    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);
}

// A reply that carries its result code and nothing else; the ";" is checked before the call.
void Reader::ReadResultOnly(IError& sink) {
    Header();
    std::uint64_t error = 0;
    Expect(ReadTag(KW_ERROR, error), SEMICOLON);
    sink.OnError(ToErrorCode(error));
}

void Reader::Read(IDisconnectIn& sink) {
    ReadCredentials(sink);
}

void Reader::Read(IDisconnectOut& sink) {
    ReadResultOnly(sink);
}

void Reader::Read(IAliveIn& sink) {
    ReadCredentials(sink);
}

void Reader::Read(IAliveOut& sink) {
    ReadResultOnly(sink);
}

}  // namespace cmds::detail
