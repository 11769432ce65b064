#include "cmds/parser/parser.h"
#include "cmds/parser/parser_internal.h"

namespace cmds {

using namespace tokens;

// A request that carries the credentials and nothing else.
void CParser::ParseCredentials(IUser& sink, TOKEN verb) {
    ParseHeader(verb, KW_INPUT);
    detail::TagTable tags(kept_->credentials);
    ExpectToken(ParseTagList(tags), SEMICOLON);

    const std::string& pwd = RetrieveA(tags, KW_PWD, nullptr);
    sink.OnUser(Retrieve(tags, KW_USER), pwd);
}

// A reply that carries its result code and nothing else; the ";" is checked before the call.
void CParser::ParseResultOnly(IError& sink, TOKEN verb) {
    ParseHeader(verb, KW_OUTPUT);
    std::uint64_t error = 0;
    ExpectToken(ParseTag(KW_ERROR, error), SEMICOLON);
    sink.OnError(detail::ToErrorCode(error));
}

void CParser::Parse(IDisconnectIn& sink) {
    ParseCredentials(sink, KW_DISCONNECT);
}

void CParser::Parse(IDisconnectOut& sink) {
    ParseResultOnly(sink, KW_DISCONNECT);
}

void CParser::Parse(IAliveIn& sink) {
    ParseCredentials(sink, KW_ALIVE);
}

void CParser::Parse(IAliveOut& sink) {
    ParseResultOnly(sink, KW_ALIVE);
}

}  // namespace cmds
